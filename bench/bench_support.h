#pragma once

// What the whole-bus benchmarks share: a program without windows, quiet log and progress sinks, the LAN
// adapter settings towards the simulator, the bus context of the operations, and the stand-in for the window
// that measures how long the event loop went without running.

#include "bus/bus.h"
#include "bus/bus_context.h"
#include "bus/timer_set.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

namespace holvex::bench {

inline void ensureApplication() {
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "holvex_bench";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }
}

// Counts the "Collision" lines; nothing is printed.
class QuietLog : public LogSink {
public:
    void logLine(const QString& text) override {
        ++lines;
        if (text == QLatin1String("Collision")) {
            ++collisions;
        }
    }
    int lines = 0;
    int collisions = 0;
};

class QuietProgress : public ProgressSink {
public:
    void startProgress(int steps) override { startProgressRange(0, steps, 0); }
    void startProgressRange(int, int high, int at) override {
        m_maximum = high;
        m_position = at;
    }
    void stepProgress() override { m_position = std::min(m_position + 1, m_maximum); }
    void setProgressPosition(int value) override { m_position = value; }
    int progressPosition() const override { return m_position; }
    int progressMaximum() const override { return m_maximum; }
    void endProgress() override { m_position = 0; }

private:
    int m_maximum = 0;
    int m_position = 0;
};

// The LAN adapter at the simulator's port, the given response timeout, no retries, no keep-alive.
inline Settings lanAdapterSettings(quint16 port, int periodMs) {
    Settings settings;
    settings.UseLanXp = true;
    settings.RemoteIp = QStringLiteral("127.0.0.1");
    settings.RemotePort = QString::number(port);
    settings.EthTimeout = 20;
    settings.Retry = 0;
    settings.KeepAlive = false;
    settings.Timeout = periodMs;
    return settings;
}

// The hooks of a benchmark's bus: fixed time and date texts and a '.' decimal point, so that decoding costs
// the same on every machine.
inline BusHooks fixedTextHooks(links::LinkSet* links = nullptr) {
    return BusHooks{links,
                    [] { return QLatin1Char('.'); },
                    [] { return QStringLiteral("10:00:00"); },
                    [] { return QStringLiteral("08/12/2026"); },
                    {}};
}

// The window's stand-in: a zero-interval timer that notes the longest time the loop left it waiting.
class LoopGapProbe {
public:
    LoopGapProbe() {
        m_stamp.setInterval(0);
        QObject::connect(&m_stamp, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start() {
        m_clock.start();
        m_last = 0;
        m_stamp.start();
    }
    void stop() { m_stamp.stop(); }
    double longestGapMs() const { return static_cast<double>(m_longest) / 1e6; }

private:
    QElapsedTimer m_clock;
    QTimer m_stamp;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace holvex::bench
