// The bus at its real speed: the demo installation behind the serial road at 2400 baud, the simulator
// pacing every byte at 11 bit times. Prints in one row:
//   - "Read all meters" of the demo's twelve meters: the line's own time (every request and answer byte at
//     4.583 ms plus each meter's answer delay), the read with "End the wait when the answer is complete" and
//     how far above the line's time it is, and the read without it against its bound of one response timeout
//     per period;
//   - a primary scan of 0..250 (the early end on, as a user runs it) against 251 response timeouts.
#include "bench_support.h"

#include "bus/bus.h"
#include "bus/line_timing.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "meters/ops/meter_operations.h"
#include "meters/ops/primary_scan.h"
#include "meters/ops/read_all_cycle.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"
#include "sim/installation_config.h"
#include "sim/sim_installation.h"
#include "sim/sim_thread.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <map>
#include <memory>

namespace {

using namespace holvex;
using namespace holvex::bench;

constexpr int kBaud = 2400;
constexpr int kTimeoutMs = 500;
constexpr int kRequestBytes = 5; // REQ_UD2
constexpr int kDemoMeters = 12;  // primary addresses 1..12

// Adds up the line's own time of the answers the log shows ("Respond: " and the answer's bytes).
class LineTimeLog : public LogSink {
public:
    void logLine(const QString& text) override {
        static const QString lead = QStringLiteral("Respond: ");
        if (!text.startsWith(lead)) {
            return;
        }
        const QStringList bytes = text.mid(lead.size()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const int address = bytes.size() > 5 ? bytes.at(5).toInt(nullptr, 16) : -1;
        const auto delay = answerDelayMs.find(address);
        lineMs += static_cast<double>(kRequestBytes + bytes.size()) * line.byteNs() / 1e6 +
                  (delay != answerDelayMs.end() ? delay->second : 0);
        ++answers;
    }
    LineTiming line{kBaud};
    std::map<int, int> answerDelayMs;
    double lineMs = 0;
    int answers = 0;
};

class DemoAtLineSpeed {
public:
    bool start(std::string* error) {
        QString text;
        std::optional<sim::InstallationConfig> config = sim::loadInstallation(
            QStringLiteral(HOLVEX_SOURCE_DIR) + QStringLiteral("/sim/demo.json"), &text);
        if (!config || !m_dir.isValid()) {
            *error = "the demo installation: " + text.toStdString();
            return false;
        }
        config->lineBaud = kBaud;
        m_sim.start(*config);
        const QString link = m_dir.filePath(QStringLiteral("mbus"));
        if (!m_sim.addPty(link, &text)) {
            *error = "the pseudo-terminal: " + text.toStdString();
            return false;
        }
        m_sim.with([this](sim::SimInstallation& bus) {
            for (int address = 1; address <= kDemoMeters; ++address) {
                if (const sim::SimMeter* meter = bus.meterByAddress(address)) {
                    m_log.answerDelayMs[address] = bus.answerDelayMs(*meter);
                }
            }
        });
        m_settings.PortName = link;
        m_settings.Speed = QString::number(kBaud);
        m_settings.Parity = QStringLiteral("Even");
        m_settings.Retry = 0;
        m_settings.KeepAlive = false;
        m_settings.Timeout = kTimeoutMs;
        m_bus = std::make_unique<Bus>(BusParts{m_settings, m_state, m_log, m_progress, m_language, m_table},
                                      fixedTextHooks());
        m_bus->timers().setResponseTimeout(kTimeoutMs);
        return true;
    }

    double scanSeconds(int from, int to) {
        m_settings.FastReply = true;
        QElapsedTimer clock;
        clock.start();
        if (!m_bus->operations().scan().start(QString::number(from), QString::number(to))) {
            return -1;
        }
        spinWhile([this] { return m_bus->operations().scan().running(); });
        return static_cast<double>(clock.nsecsElapsed()) / 1e9;
    }

    struct ReadAll {
        double seconds = 0;
        double lineSeconds = 0; // the line's own time of what was exchanged
        int periods = 0;        // ticks of Timer_readall
        int answers = 0;
    };

    ReadAll readAll(bool fastReply) {
        // Every meter of the demo with a primary address, and the empty row a scan leaves at the end.
        m_table.setRowCount(kDemoMeters + 2);
        for (int row = 1; row <= kDemoMeters; ++row) {
            m_table.setCell(row, 1, QString::number(row));
        }
        m_settings.FastReply = fastReply;
        m_log.lineMs = 0;
        m_log.answers = 0;
        ReadAll run;
        QTimer* timer = m_bus->timers().timer(TimerId::ReadAll);
        const QMetaObject::Connection ticks =
            QObject::connect(timer, &QTimer::timeout, [&run] { ++run.periods; });
        QElapsedTimer clock;
        clock.start();
        if (m_bus->operations().readAll().start()) {
            spinWhile([this] { return m_bus->operations().readAll().running(); });
        }
        run.seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        QObject::disconnect(ticks);
        run.lineSeconds = m_log.lineMs / 1000.0;
        run.answers = m_log.answers;
        return run;
    }

private:
    template <typename Condition> static void spinWhile(Condition running) {
        // Sleeps between events: a busy loop here would take the processor from the simulator's thread.
        while (running()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }

    QTemporaryDir m_dir;
    sim::SimThread m_sim;
    Settings m_settings;
    RunState m_state;
    LineTimeLog m_log;
    QuietProgress m_progress;
    MessageLanguage m_language;
    StringGridModel m_table{12};
    std::unique_ptr<Bus> m_bus;
};

void BM_BusAtLineSpeed(benchmark::State& benchState) {
    ensureApplication();
    for (auto _ : benchState) {
        DemoAtLineSpeed demo;
        std::string error;
        if (!demo.start(&error)) {
            benchState.SkipWithError(error.c_str());
            return;
        }
        // The scan first: it also takes the first, unanswered request of the demo's meter 11.
        const double scan = demo.scanSeconds(0, 250);
        const DemoAtLineSpeed::ReadAll on = demo.readAll(true);
        const DemoAtLineSpeed::ReadAll off = demo.readAll(false);
        const double scanBound = 251 * kTimeoutMs / 1000.0;
        const double offBound = off.periods * kTimeoutMs / 1000.0;
        benchState.SetIterationTime(on.seconds);
        benchState.counters["line_s"] = on.lineSeconds;
        benchState.counters["read_on_s"] = on.seconds;
        benchState.counters["on_over_line_pct"] = (on.seconds - on.lineSeconds) / on.lineSeconds * 100.0;
        benchState.counters["read_off_s"] = off.seconds;
        benchState.counters["off_bound_s"] = offBound;
        benchState.counters["off_over_bound_pct"] = (off.seconds - offBound) / offBound * 100.0;
        benchState.counters["answers"] = on.answers;
        benchState.counters["scan_s"] = scan;
        benchState.counters["scan_bound_s"] = scanBound;
        benchState.counters["scan_vs_bound_pct"] = (scan - scanBound) / scanBound * 100.0;
    }
}

BENCHMARK(BM_BusAtLineSpeed)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
