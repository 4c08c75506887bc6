#pragma once

// A log that keeps its lines and a progress bar that keeps its range, for operations under test.

#include "log/log_sink.h"
#include "log/progress_sink.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace holvex::test {

class FakeLog : public LogSink {
public:
    void logLine(const QString& text) override { lines.append(text); }
    bool has(const QString& line) const { return lines.contains(line); }
    int count(const QString& line) const { return static_cast<int>(lines.count(line)); }
    bool hasPrefix(const QString& prefix) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.startsWith(prefix); });
    }
    // The lines without the decoder's "Respond: " traces.
    QStringList plain() const {
        QStringList out;
        for (const QString& line : lines) {
            if (!line.startsWith(QStringLiteral("Respond: "))) {
                out.append(line);
            }
        }
        return out;
    }
    QStringList lines;
};

class FakeProgress : public ProgressSink {
public:
    void startProgress(int steps) override { startProgressRange(0, steps, 0); }
    void startProgressRange(int low, int high, int at) override {
        minimum = low;
        maximum = high;
        position = at;
        shown = true;
    }
    void stepProgress() override { position = std::min(position + 1, maximum); }
    void setProgressPosition(int value) override { position = value; }
    int progressPosition() const override { return position; }
    int progressMaximum() const override { return maximum; }
    void endProgress() override {
        position = 0;
        shown = false;
    }
    int minimum = 0;
    int maximum = 250;
    int position = 0;
    bool shown = false;
};

} // namespace holvex::test
