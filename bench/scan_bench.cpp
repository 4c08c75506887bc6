// A primary scan of addresses 0..250 through the real channel and meter operations against the simulated
// installation behind a LAN adapter, with the shortest response timeout (300 ms). Reports how much longer
// than 251 reply periods the scan takes, and the longest time the event loop went without running a
// zero-interval timer while the scan ran (how long the window would have stayed frozen).
#include "app/run_state.h"
#include "lang/message_language.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/bus_context.h"
#include "meters/meter_operations.h"
#include "meters/string_grid_model.h"
#include "settings/settings.h"
#include "sim/sim_thread.h"
#include "transport/channel.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

using namespace holvex;

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

class QuietLog : public LogSink {
public:
    void LogLine(const QString&) override { ++lines; }
    int lines = 0;
};

class QuietProgress : public ProgressSink {
public:
    void StartProgress(int steps) override { StartProgressRange(0, steps, 0); }
    void StartProgressRange(int, int high, int at) override {
        m_maximum = high;
        m_position = at;
    }
    void StepProgress() override { m_position = std::min(m_position + 1, m_maximum); }
    void SetProgressPosition(int value) override { m_position = value; }
    int ProgressPosition() const override { return m_position; }
    int ProgressMaximum() const override { return m_maximum; }
    void EndProgress() override { m_position = 0; }

private:
    int m_maximum = 0;
    int m_position = 0;
};

void EnsureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "scan_bench";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
}

void BM_PrimaryScanOverhead(benchmark::State& benchState) {
    EnsureApplication();
    for (auto _ : benchState) {
        sim::SimThread sim;
        QString error;
        if (!sim.Start(QByteArray(kInstallation), &error)) {
            benchState.SkipWithError(error.toStdString().c_str());
            return;
        }
        const auto port = sim.AddLan(0);
        if (!port) {
            benchState.SkipWithError("no LAN endpoint");
            return;
        }

        Settings settings;
        settings.UseLanXp = true;
        settings.RemoteIp = QStringLiteral("127.0.0.1");
        settings.RemotePort = QString::number(*port);
        settings.EthTimeout = 20;
        settings.Retry = 0;
        settings.KeepAlive = false;
        settings.Timeout = kPeriodMs;
        RunState state;
        QuietLog log;
        QuietProgress progress;
        MessageLanguage language;
        transport::Channel channel(settings, state, log, language);
        StringGridModel table(12);
        QTimer respond;
        QTimer readAll;
        QTimer secondary;
        QTimer set;
        QTimer freeCommand;
        QTimer autoAddress;
        for (QTimer* timer : {&respond, &readAll, &secondary, &set, &freeCommand}) {
            timer->setInterval(kPeriodMs);
        }
        BusContext context{settings,
                           state,
                           log,
                           language,
                           channel,
                           table,
                           progress,
                           [] { return QLatin1Char('.'); },
                           [] { return QStringLiteral("10:00:00"); },
                           [] { return QStringLiteral("08/12/2026"); },
                           {},
                           {}};
        MeterOperations operations(context,
                                   BusTimers{respond, readAll, secondary, set, freeCommand, autoAddress});

        // The window's stand-in: a zero-interval timer that notes how long the loop left it waiting.
        QElapsedTimer loopClock;
        qint64 lastStamp = 0;
        qint64 longestGap = 0;
        QTimer stamp;
        stamp.setInterval(0);
        QObject::connect(&stamp, &QTimer::timeout, [&] {
            const qint64 now = loopClock.nsecsElapsed();
            longestGap = std::max(longestGap, now - lastStamp);
            lastStamp = now;
        });

        QElapsedTimer connectClock;
        connectClock.start();
        if (!operations.scan().Start(QString::number(kFirst), QString::number(kLast))) {
            benchState.SkipWithError("the scan did not start");
            return;
        }
        const qint64 connectNs = connectClock.nsecsElapsed();

        QElapsedTimer scanClock;
        scanClock.start();
        loopClock.start();
        stamp.start();
        while (operations.scan().Running()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        const double scanSeconds = static_cast<double>(scanClock.nsecsElapsed()) / 1e9;
        stamp.stop();

        const double ideal = (kLast - kFirst + 1) * kPeriodMs / 1000.0;
        benchState.SetIterationTime(scanSeconds);
        benchState.counters["scan_s"] = scanSeconds;
        benchState.counters["ideal_s"] = ideal;
        benchState.counters["overhead_pct"] = (scanSeconds - ideal) / ideal * 100.0;
        benchState.counters["connect_ms"] = static_cast<double>(connectNs) / 1e6;
        benchState.counters["max_loop_gap_ms"] = static_cast<double>(longestGap) / 1e6;
        benchState.counters["meters_found"] = table.RowCount() - 2;
    }
}

BENCHMARK(BM_PrimaryScanOverhead)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
