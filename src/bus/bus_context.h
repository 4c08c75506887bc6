#pragma once

#include <QChar>
#include <QString>

#include <functional>

namespace holvex {

struct Settings;
struct RunState;
class LogSink;
class MessageLanguage;
class StringGridModel;
class ProgressSink;

enum class TimerId;

namespace links {
class Channel;
}

// The two page-1 check boxes the read paths follow. The window keeps them in step with "Use SND_NKE" and
// "work on broadcast (0xFE)" (ReadCycle has setters for them).
struct ReadInputs {
    bool useSndNke = false; // scan and single reads reset the link first and read after its acknowledgement
    bool broadcast = false; // single-meter reads go to 0xFE instead of the selected meter
};

// Everything the meter operations share with the main window. The window builds one and hands it to every
// step machine; nothing in it is copied, so the machines always see the values in force (the settings
// dialog edits `settings` live, the run state is the window's own).
struct BusContext {
    Settings& settings;
    RunState& state;
    LogSink& log;
    const MessageLanguage& language;
    links::Channel& channel;
    StringGridModel& meterTable;
    ProgressSink& progress;
    // The system's decimal separator, for the values of decoded rows.
    std::function<QChar()> decimalSeparator;
    // The system's long time format and short date format, for the time and date columns of a decoded row.
    std::function<QString()> timeText;
    std::function<QString()> dateText;
    // Waits while the window keeps running (the pause after a global link reset). Empty: a real wait of the
    // event loop. Tests put a function here that only records the wait.
    std::function<void(int milliseconds)> waitProcessingEvents;
    ReadInputs inputs;
    // The reply timer's period under way asks nothing (a row without an address is passed over): with
    // "End the wait when the answer is complete" its tick comes at once. Empty: the period runs out.
    std::function<void(TimerId)> endIdlePeriod;
};

} // namespace holvex
