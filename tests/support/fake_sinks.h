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
    void LogLine(const QString& text) override { lines.append(text); }
    bool Has(const QString& line) const { return lines.contains(line); }
    int Count(const QString& line) const { return static_cast<int>(lines.count(line)); }
    bool HasPrefix(const QString& prefix) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.startsWith(prefix); });
    }
    // The lines without the decoder's "Respond: " traces.
    QStringList Plain() const {
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
    void StartProgress(int steps) override { StartProgressRange(0, steps, 0); }
    void StartProgressRange(int low, int high, int at) override {
        minimum = low;
        maximum = high;
        position = at;
        shown = true;
    }
    void StepProgress() override { position = std::min(position + 1, maximum); }
    void SetProgressPosition(int value) override { position = value; }
    int ProgressPosition() const override { return position; }
    int ProgressMaximum() const override { return maximum; }
    void EndProgress() override {
        position = 0;
        shown = false;
    }
    int minimum = 0;
    int maximum = 250;
    int position = 0;
    bool shown = false;
};

} // namespace holvex::test
