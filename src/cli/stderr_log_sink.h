#pragma once

#include "log/log_sink.h"

#include <QString>

#include <cstdio>

namespace holvex::cli {

// The event log of a command-line run: every line goes to standard error at once, so a caller watching the
// stream sees the bus work as it happens.
class StderrLogSink : public LogSink {
public:
    void logLine(const QString& text) override {
        QString lines = text;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QByteArray bytes = lines.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
        std::fflush(stderr);
    }
};

} // namespace holvex::cli
