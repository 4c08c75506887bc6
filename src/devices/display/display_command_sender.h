#pragma once

#include "devices/display/display_commands.h"

#include <QString>

#include <functional>

namespace holvex {
struct BusContext;
class FreeCommandConsole;
} // namespace holvex

namespace holvex::display {

enum class DisplaySendOutcome {
    Sent,    // the line went out (its answer, when awaited, is shown by Timer_free_command)
    Refused, // the input was refused before anything touched the bus
    NotSent, // the channel was not ready, its connection was down, or the operator said No
};

// The display unit's one-shot commands ("Date", "Time", "Lock", "Refresh time", "Sort", "Create sort
// table") on the active channel. Each line is logged with its text, and Timer_free_command shows the unit's
// answer in the log one response timeout later and closes the channel; "Sort" on the serial port goes out
// without it.
class DisplayCommandSender {
public:
    // Asks the operator a Yes/No question with the warning icon; true for Yes.
    using Confirmation = std::function<bool(const QString& title, const QString& question)>;

    DisplayCommandSender(BusContext& context, FreeCommandConsole& console);

    // "Create sort table" asks before it goes over the serial port while a gateway is the channel; without a
    // confirmation the answer is No.
    void setConfirmation(Confirmation confirmation) { m_confirmation = std::move(confirmation); }

    // "Date", "Time", "Refresh time" and "Sort": the channel is opened first. A refused input logs its
    // refusal line.
    DisplaySendOutcome send(const DisplayCommand& command);
    // "Lock": the serial port is opened when it is the channel; through either gateway the line goes out on
    // the connection as it is; with the LAN adapter nothing is sent.
    DisplaySendOutcome sendLock();
    // "Create sort table": only the serial port and the LAN adapter take it. With a gateway as the channel
    // the operator is asked "Sorting is available only through RS-232, continue?" and, on Yes, the line goes
    // out on the serial port. On Sent the page ticks "by user numb.".
    DisplaySendOutcome createSortTable();

private:
    // Sends on the channel's road and logs; false when nothing went out.
    DisplaySendOutcome deliver(const DisplayCommand& command, bool answerTimer);

    BusContext& m_context;
    FreeCommandConsole& m_console;
    Confirmation m_confirmation;
};

} // namespace holvex::display
