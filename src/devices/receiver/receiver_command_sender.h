#pragma once

#include "devices/receiver/receiver_command.h"

namespace holvex {
struct BusContext;
class FreeCommandConsole;
} // namespace holvex

namespace holvex::receiver {

enum class ReceiverSendOutcome {
    Sent,    // every line went out (the answer is shown by Timer_free_command)
    Refused, // the operation refused (its line logged) or had nothing to send
    NotSent, // the channel was not ready or its connection was down
};

// The two ways a line reaches the receiver.
class ReceiverCommandSender {
public:
    // The receiver tells its lines apart by the pause after each (they carry no terminator): the lines of
    // one operation go out this far apart.
    static constexpr int kLineGapMs = 100;

    ReceiverCommandSender(BusContext& context, FreeCommandConsole& console);

    // The device command dispatch: the channel is opened first; on the serial port the log text goes out
    // before the line, on a network road after it, and nothing at all when its connection is down.
    // Timer_free_command then shows the answer and closes the channel.
    ReceiverSendOutcome dispatch(const ReceiverCommand& command);
    // Every line of an operation in order, or its refusal logged.
    ReceiverSendOutcome dispatch(const ReceiverCommands& commands);

    // The plain device send of the programming run: the line goes on the channel as it is (neither opened
    // nor checked), then the text is logged. No answer display is started.
    void sendPlain(const ReceiverCommand& command);
    // The pause between two lines of one operation; the window keeps painting meanwhile.
    void pauseBetweenLines();

private:
    // Sends one line on the open channel and starts the answer display.
    ReceiverSendOutcome deliver(const ReceiverCommand& command);

    BusContext& m_context;
    FreeCommandConsole& m_console;
};

} // namespace holvex::receiver
