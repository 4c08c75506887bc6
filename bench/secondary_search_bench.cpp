// The bus search by wildcard IDs through its worker thread, the real channel and the simulated installation
// behind a LAN adapter, at the shortest response timeout (300 ms) and Retry 0, with 1, 10 and 50 meters of
// random IDs (fixed seed; a third of them share their first four digits with another meter, so the search
// has to narrow). Every selection and every read of a selected meter is followed by exactly one response
// timeout on the worker, so the search cannot be faster than waits x timeout; the counters show how much it
// takes beyond that, and the longest time the event loop went without running a zero-interval timer while the
// search ran (how long the window would have stayed frozen).
#include "bench_support.h"

#include "bus/bus.h"
#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/meter_operations.h"
#include "meters/ops/secondary_search.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"
#include "sim/sim_thread.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

using namespace holvex;
using namespace holvex::bench;

constexpr int kPeriodMs = 300;
constexpr quint32 kSeed = 20261208;

// The frames the installation received, as the simulator recorded them: selections (CI 0x52) and reads of
// the selected meter (REQ_UD2 to 0xFD), each followed by one response timeout.
struct FrameCounts {
    int selections = 0;
    int reads = 0;
};
FrameCounts countRecordedFrames(const QString& path) {
    FrameCounts counts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return counts;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QByteArray frame = QByteArray::fromHex(line);
        if (frame.size() > 6 && static_cast<std::uint8_t>(frame.at(6)) == codec::ci::kSelect) {
            ++counts.selections;
        } else if (frame.size() == 5 && static_cast<std::uint8_t>(frame.at(2)) == codec::address::kSelected &&
                   static_cast<std::uint8_t>(frame.at(1)) != codec::control::kSndNke) {
            ++counts.reads;
        }
    }
    return counts;
}

// `count` distinct IDs; every third one takes the first four digits of the one before it.
QStringList randomIds(int count) {
    QRandomGenerator random(kSeed);
    QStringList ids;
    QSet<QString> seen;
    while (ids.size() < count) {
        QString id = QStringLiteral("%1").arg(random.bounded(100000000), 8, 10, QLatin1Char('0'));
        if (ids.size() % 3 == 2) {
            id = ids.last().left(4) + id.mid(4);
        }
        if (!seen.contains(id)) {
            seen.insert(id);
            ids.append(id);
        }
    }
    return ids;
}

QByteArray installation(const QStringList& ids) {
    QByteArray json = R"({"turnaroundMs": 10, "meters": [)";
    for (int i = 0; i < ids.size(); ++i) {
        if (i > 0) {
            json += ',';
        }
        json += QStringLiteral(R"({"id": "%1", "manufacturer": "SEN", "version": 104, "medium": "water",)"
                               R"( "records": [{"type": "volume", "value": %2}]})")
                    .arg(ids.at(i))
                    .arg(i + 1)
                    .toLatin1();
    }
    json += "]}";
    return json;
}

void BM_SecondarySearchOverhead(benchmark::State& benchState) {
    ensureApplication();
    const int meters = static_cast<int>(benchState.range(0));
    for (auto _ : benchState) {
        sim::SimThread sim;
        QString error;
        if (!sim.start(installation(randomIds(meters)), &error)) {
            benchState.SkipWithError(error.toStdString().c_str());
            return;
        }
        QTemporaryDir folder;
        const QString recordPath = folder.filePath(QStringLiteral("frames.txt"));
        if (!folder.isValid() || !sim.record(recordPath)) {
            benchState.SkipWithError("no record file");
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
        SecondarySearch& search = bus.secondarySearch();

        LoopGapProbe loopGap;

        if (!search.startSearch()) {
            benchState.SkipWithError("the search did not start");
            return;
        }
        QElapsedTimer searchClock;
        searchClock.start();
        loopGap.start();
        while (search.running()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        const double searchSeconds = static_cast<double>(searchClock.nsecsElapsed()) / 1e9;
        loopGap.stop();

        int found = 0;
        for (int row = 1; row < table.gridRowCount(); ++row) {
            found += table.cell(row, 0).isEmpty() ? 0 : 1;
        }
        const FrameCounts channel = countRecordedFrames(recordPath);
        const int waits = channel.selections + channel.reads;
        const double ideal = waits * kPeriodMs / 1000.0;
        benchState.SetIterationTime(searchSeconds);
        benchState.counters["meters"] = meters;
        benchState.counters["meters_found"] = found;
        benchState.counters["probes"] = channel.selections;
        benchState.counters["reads"] = channel.reads;
        benchState.counters["collisions"] = log.collisions;
        benchState.counters["search_s"] = searchSeconds;
        benchState.counters["waits_x_timeout_s"] = ideal;
        benchState.counters["overhead_pct"] = ideal > 0 ? (searchSeconds - ideal) / ideal * 100.0 : 0.0;
        benchState.counters["max_loop_gap_ms"] = loopGap.longestGapMs();
    }
}

BENCHMARK(BM_SecondarySearchOverhead)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace
