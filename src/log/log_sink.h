#pragma once

#include <QString>

namespace holvex {

// Where operations write the operator's event log. The main window's log pane implements it; tests and the
// command-line tool collect the lines instead.
class LogSink {
public:
    virtual ~LogSink() = default;
    // Appends one line; a text with CR LF pairs becomes several lines, an empty text an empty line.
    virtual void logLine(const QString& text) = 0;
};

} // namespace holvex
