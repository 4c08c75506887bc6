// A primary scan of addresses 0..250 through the real channel and meter operations against the simulated
// installation behind a LAN adapter, with the shortest response timeout (300 ms). Reports how much longer
// than 251 reply periods the scan takes, and the longest time the event loop went without running a
// zero-interval timer while the scan ran (how long the window would have stayed frozen).
#include "bench_support.h"

#include "bus/bus.h"
#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"
#include "sim/sim_thread.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

using namespace holvex;
using namespace holvex::bench;

constexpr int kPeriodMs = 300;
constexpr int kFirst = 0;
constexpr int kLast = 250;

const char kInstallation[] = R"({
  "turnaroundMs": 10,
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}, {"type": "datetime", "value": "2026-12-08 09:30"}]},
    {"address": 17, "id": "21034517", "manufacturer": "SEN", "version": 104, "medium": "heat",
     "records": [{"type": "energy", "value": 1700}, {"type": "volume", "value": 17.5},
                 {"type": "power", "value": 1.7}, {"type": "flowTemperature", "value": 60.5}]},
    {"address": 120, "id": "21034620", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 120.5}]},
    {"address": 250, "id": "21034750", "manufacturer": "SEN", "version": 104, "medium": "electricity",
     "records": [{"type": "energy", "value": 250}]}
  ]
})";

void BM_PrimaryScanOverhead(benchmark::State& benchState) {
    ensureApplication();
    for (auto _ : benchState) {
        sim::SimThread sim;
        QString error;
        if (!sim.start(QByteArray(kInstallation), &error)) {
            benchState.SkipWithError(error.toStdString().c_str());
            return;
        }
        const auto port = sim.addLan(0);
        if (!port) {
            benchState.SkipWithError("no LAN endpoint");
            return;
        }

        Settings settings = lanAdapterSettings(*port, kPeriodMs);
        RunState state;
        QuietLog log;
        QuietProgress progress;
        MessageLanguage language;
        StringGridModel table(12);
        Bus bus(BusParts{settings, state, log, progress, language, table}, fixedTextHooks());
        bus.timers().setResponseTimeout(kPeriodMs);
        MeterOperations& operations = bus.operations();

        LoopGapProbe loopGap;

        QElapsedTimer connectClock;
        connectClock.start();
        if (!operations.scan().start(QString::number(kFirst), QString::number(kLast))) {
            benchState.SkipWithError("the scan did not start");
            return;
        }
        const qint64 connectNs = connectClock.nsecsElapsed();

        QElapsedTimer scanClock;
        scanClock.start();
        loopGap.start();
        while (operations.scan().running()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        const double scanSeconds = static_cast<double>(scanClock.nsecsElapsed()) / 1e9;
        loopGap.stop();

        const double ideal = (kLast - kFirst + 1) * kPeriodMs / 1000.0;
        benchState.SetIterationTime(scanSeconds);
        benchState.counters["scan_s"] = scanSeconds;
        benchState.counters["ideal_s"] = ideal;
        benchState.counters["overhead_pct"] = (scanSeconds - ideal) / ideal * 100.0;
        benchState.counters["connect_ms"] = static_cast<double>(connectNs) / 1e6;
        benchState.counters["max_loop_gap_ms"] = loopGap.longestGapMs();
        benchState.counters["meters_found"] = table.gridRowCount() - 2;
    }
}

BENCHMARK(BM_PrimaryScanOverhead)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
