#pragma once

#include <QString>

namespace holvex {

// The first panel of the status bar: the serial port's state ("COM1 is closed", or name, speed, ",8,"
// and parity of the open port).
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void showPortState(const QString& text) = 0;
};

// The closed-port text for a port name.
inline QString closedPortText(const QString& portName) {
    return portName + QStringLiteral(" is closed");
}

} // namespace holvex
