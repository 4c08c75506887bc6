#pragma once

#include "bus/bus.h"
#include "bus/run_state.h"
#include "cli/silent_progress_sink.h"
#include "cli/stderr_log_sink.h"
#include "lang/message_language.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QByteArray>

class QTimer;

namespace holvex::cli {

// The program's bus for one command-line run: the road chosen by the settings, the reply timers at the
// response timeout, the meter table with its extra columns, the event log going to standard error. Run the
// operations inside the application's event loop.
class CliBus {
public:
    explicit CliBus(const Settings& settings);
    CliBus(const CliBus&) = delete;
    CliBus& operator=(const CliBus&) = delete;

    // How long a run waits for a gateway to call in when the settings choose the gateways calling in.
    static constexpr int kCallInWaitMs = 30000;

    // What the main window does when it comes up: the server socket listens for the gateways calling in, the
    // gateway of the server version gets its network number. With the gateways calling in, waits (the event
    // loop running) until one has identified itself, at most kCallInWaitMs.
    void prepareChannel();

    Bus& bus() { return m_bus; }
    MeterOperations& operations() { return m_bus.operations(); }
    SecondarySearch& secondarySearch() { return m_bus.secondarySearch(); }
    StringGridModel& table() { return m_table; }
    RunState& state() { return m_state; }
    const Settings& settings() const { return m_settings; }
    StderrLogSink& log() { return m_log; }
    QTimer& respondTimer();
    QTimer& freeCommandTimer();
    // The bytes the console's last completed tick collected (empty: nothing arrived).
    const QByteArray& consoleAnswer() const { return m_consoleAnswer; }
    // For the commands that send the maker's devices text lines: the console in ASCII, every answer it takes
    // kept in the returned list, and the run's event loop ended by the first tick that leaves the answer
    // timer stopped (the exchange is over). Call once, before the run.
    const QList<QByteArray>& collectDeviceAnswers();

private:
    Settings m_settings;
    RunState m_state;
    StderrLogSink m_log;
    SilentProgressSink m_progress;
    MessageLanguage m_language;
    StringGridModel m_table;
    Bus m_bus;
    QByteArray m_consoleAnswer;
    QList<QByteArray> m_deviceAnswers;
};

} // namespace holvex::cli
