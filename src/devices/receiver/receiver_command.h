#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace holvex::receiver {

// One text command line for the receiver, split the way the device command dispatch takes it: the prefix
// ("set wmod="), the argument ("3") and the text logged when the line goes out. The argument may hold raw
// bytes of any value (the secondary address of "set bind=", the key of "set encr="); the line is sent as
// its bytes alone, with no terminator.
struct ReceiverCommand {
    QByteArray prefix;
    QByteArray argument;
    QString logText; // empty: nothing is logged when the line is sent

    QByteArray line() const { return prefix + argument; }
};

// What an operation on the receiver table produced: the lines to send in order, or the one event-log line
// that refused it. Both empty: the operation does nothing and says nothing.
struct ReceiverCommands {
    QVector<ReceiverCommand> commands;
    QString refusal;
};

} // namespace holvex::receiver
