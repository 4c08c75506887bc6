#pragma once

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "cli/answer_recording_channel.h"
#include "cli/silent_progress_sink.h"
#include "cli/stderr_log_sink.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QTimer>

namespace holvex::cli {

// The program's bus machinery for one command-line run: the real channel chosen by the settings, the reply
// timers at the response timeout, the meter table with its extra columns and the meter operations wired to
// them, the event log going to standard error. Run the operations inside the application's event loop.
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

    MeterOperations& operations() { return m_operations; }
    StringGridModel& table() { return m_table; }
    RunState& state() { return m_state; }
    const Settings& settings() const { return m_settings; }
    StderrLogSink& log() { return m_log; }
    QTimer& respondTimer() { return m_respond; }
    QTimer& freeCommandTimer() { return m_freeCommand; }
    // The bytes the console's last completed tick collected (empty: nothing arrived).
    const QByteArray& consoleAnswer() const { return m_recorder.answer(); }

private:
    Settings m_settings;
    RunState m_state;
    StderrLogSink m_log;
    SilentProgressSink m_progress;
    MessageLanguage m_language;
    links::Channel m_channel;
    AnswerRecordingChannel m_recorder;
    StringGridModel m_table;
    QTimer m_respond;
    QTimer m_readAll;
    QTimer m_secondary;
    QTimer m_set;
    QTimer m_freeCommand;
    QTimer m_autoAddress;
    BusContext m_context;
    MeterOperations m_operations;
};

} // namespace holvex::cli
