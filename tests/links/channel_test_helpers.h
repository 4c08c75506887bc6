#pragma once

#include "bus/bus.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "fake_sinks.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "links/road_links.h"
#include "log/log_sink.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

namespace holvex::test {

// Collects the event-log lines.
class CollectingLog : public LogSink {
public:
    void logLine(const QString& text) override { lines.append(text); }
    bool has(const QString& line) const { return lines.contains(line); }
    bool hasPrefix(const QString& prefix) const {
        for (const QString& line : lines) {
            if (line.startsWith(prefix)) {
                return true;
            }
        }
        return false;
    }
    QStringList lines;
};

// The bus over the real roads, for the tests of the links: `channel` is what the operations use, `roads`
// what the windows use (port button, server socket, connect buttons).
struct RoadsBench {
    Settings settings;
    RunState state;
    CollectingLog log;
    MessageLanguage language;
    StringGridModel table{12};
    FakeProgress progress;
    Bus bus{BusParts{settings, state, log, progress, language, table}};
    links::Channel& channel = bus.channel();
    links::RoadLinks& roads = *bus.roads();
    QTimer& idleTimer = *bus.timers().timer(TimerId::CloseSocket);
    QTimer& keepAliveTimer = *bus.timers().timer(TimerId::KeepAlive);
};

// Runs the event loop until the condition holds or the time is up.
inline bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// An answer packet as a gateway sends it: start, network, header checksum at 19, byte 21, L at 22, payload
// from 25, result code at L + 28, packet checksum at 298, stop.
inline QByteArray answerPacket(const QByteArray& payload, std::uint8_t resultCode = 0,
                               std::array<std::uint8_t, 4> network = {0, 0, 0, 1}) {
    QByteArray packet(300, '\0');
    packet[0] = 0x01;
    for (int i = 0; i < 4; ++i) {
        packet[1 + i] = static_cast<char>(network[static_cast<std::size_t>(i)]);
    }
    unsigned sum = 0;
    for (int i = 0; i <= 18; ++i) {
        sum += static_cast<std::uint8_t>(packet[i]);
    }
    packet[19] = static_cast<char>(sum & 0xFF);
    packet[21] = 0x01;
    const int length = static_cast<int>(payload.size()) + 4;
    packet[22] = static_cast<char>(length);
    for (int i = 0; i < payload.size(); ++i) {
        packet[25 + i] = payload[i];
    }
    packet[length + 28] = static_cast<char>(resultCode);
    sum = 0;
    for (int i = 0; i <= 297; ++i) {
        sum += static_cast<std::uint8_t>(packet[i]);
    }
    packet[298] = static_cast<char>(sum & 0xFF);
    packet[299] = 0x04;
    return packet;
}

} // namespace holvex::test
