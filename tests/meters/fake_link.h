#pragma once

// A link that answers at once from a script, and the bus built over it, so the step machines run with
// ticks called by hand and no real wait.

#include "bus/bus.h"
#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "codec/frame_codec.h"
#include "fake_sinks.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "links/link_set.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <deque>
#include <map>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace holvex::test {

// Records every frame sent (as spaced hex without the last blank) and answers short frames from a script per
// primary address. An address without a scripted answer stays silent. One fake serves every road.
class FakeLink : public links::Link {
public:
    links::LinkKind kind() const override { return road; }
    bool open() override {
        ++opens;
        return ready;
    }
    bool sendFrame(const QByteArray& frame, codec::PacketKind packetKind,
                   const links::OperationWords& operationWords) override {
        if (!roadUp) {
            return false;
        }
        sent.append(spacedHex(frame).trimmed());
        words.push_back(operationWords);
        kinds.push_back(packetKind);
        if (frame.size() == 5 && static_cast<unsigned char>(frame[0]) == codec::kShortStart) {
            const int address = static_cast<unsigned char>(frame[2]);
            const bool read = static_cast<unsigned char>(frame[1]) != codec::control::kSndNke;
            pending = next(read ? reads : resets, address);
        } else if (!otherAnswers.empty()) {
            pending = otherAnswers.front();
            otherAnswers.pop_front();
        }
        return true;
    }
    bool sendLine(const QByteArray& line, const links::OperationWords&) override {
        if (!roadUp) {
            return false;
        }
        lines.append(QString::fromLatin1(line));
        if (!lineAnswers.empty()) {
            pending = lineAnswers.front();
            lineAnswers.pop_front();
        }
        return true;
    }
    links::ReplyRead takeReply(links::ReplyTimer timer) override {
        timers.push_back(timer);
        links::ReplyRead reply;
        if (awaitingPacket) {
            reply.waitAnotherPeriod = true;
            return reply;
        }
        reply.bytes = pending;
        pending.clear();
        return reply;
    }
    links::SearchReply takeSearchReply() override {
        links::SearchReply reply;
        reply.bytes = pending;
        reply.noConnection = !searchConnected;
        pending.clear();
        return reply;
    }
    QByteArray peekReply() override { return showsArrivals ? pending : QByteArray(); }
    void close() override { ++closes; }
    void discardInput() override { ++inputDiscards; }
    void discardAll() override { ++bothDiscards; }

    // Answers of the address to reads (REQ_UD2) and to link resets (SND_NKE), used in order; the last one
    // repeats when `repeatLast` is set for that address.
    void answerRead(int address, const QByteArray& reply) { reads[address].answers.push_back(reply); }
    void answerReset(int address, const QByteArray& reply) { resets[address].answers.push_back(reply); }
    void alwaysRead(int address, const QByteArray& reply) { reads[address] = {{reply}, true}; }
    void alwaysReset(int address, const QByteArray& reply) { resets[address] = {{reply}, true}; }

    links::LinkKind road = links::LinkKind::Serial;
    bool ready = true;
    bool searchConnected = true; // false: takeSearchReply reports a closed port
    bool roadUp = true;          // false: the road's connection is down, nothing goes out
    bool awaitingPacket = false; // true: every takeReply waits another period, as for a late gateway
    bool showsArrivals = false;  // true: the answer can be looked at before the reply timer takes it
    int opens = 0;
    int closes = 0;
    int inputDiscards = 0;
    int bothDiscards = 0;
    QStringList sent;
    std::vector<codec::PacketKind> kinds;
    std::vector<links::OperationWords> words; // the failure-line words each frame was sent with
    QStringList lines;                        // text lines sent
    std::vector<links::ReplyTimer> timers;
    QByteArray pending;                  // what the next takeReply returns
    std::deque<QByteArray> otherAnswers; // answers to frames that are not short frames
    std::deque<QByteArray> lineAnswers;  // answers to text lines

private:
    struct Script {
        std::deque<QByteArray> answers;
        bool repeatLast = false;
    };
    static QByteArray next(std::map<int, Script>& scripts, int address) {
        auto found = scripts.find(address);
        if (found == scripts.end() || found->second.answers.empty()) {
            return {};
        }
        Script& script = found->second;
        QByteArray answer = script.answers.front();
        if (!script.repeatLast || script.answers.size() > 1) {
            script.answers.pop_front();
        }
        return answer;
    }
    std::map<int, Script> reads;
    std::map<int, Script> resets;
};

// Every road is the one link given.
class SingleLinkSet : public links::LinkSet {
public:
    explicit SingleLinkSet(links::Link& link) : m_link(link) {}
    links::Link& link(links::LinkKind) override { return m_link; }
    void stopKeepAlive() override { ++keepAliveStops; }
    int keepAliveStops = 0;

private:
    links::Link& m_link;
};

// A water meter's answer: ID, address, volume 0.001 m3 steps; `more` ends it with DIF 1F (more telegrams
// follow).
inline QByteArray meterTelegram(int address, const char* id = "78 56 34 12",
                                const char* volume = "45 23 01 00", bool more = false) {
    QByteArray data = hex(id);
    data += hex("B4 09 01 07 05 00 00 00"); // manufacturer, version, water, access, status, signature
    data += hex("0C 13");
    data += hex(volume);
    if (more) {
        data += hex("1F");
    }
    return codec::longFrame(0x08, static_cast<std::uint8_t>(address), 0x72, data);
}

inline QByteArray ack() {
    return QByteArray(1, static_cast<char>(0xE5));
}

// The bus over a fake link: every operation of it runs with ticks called by hand and no real wait.
struct Bench {
    Bench() {
        state.PortOpen = true; // as opening the serial road leaves it
        progress.startProgress(250);
        progress.endProgress();
        // Timers that fire only when a test fires them (or at once, when a test runs the event loop).
        for (int id = 0; id < TimerSet::kCount; ++id) {
            bus.timers().timer(static_cast<TimerId>(id))->setInterval(0);
        }
    }
    Settings settings;
    RunState state;
    FakeLog log;
    MessageLanguage language;
    FakeLink link;
    SingleLinkSet links{link};
    StringGridModel table{12};
    FakeProgress progress;
    QList<int> waits;
    Bus bus{BusParts{settings, state, log, progress, language, table},
            BusHooks{&links, [] { return QLatin1Char('.'); }, [] { return QStringLiteral("10:00:00"); },
                     [] { return QStringLiteral("08/12/2026"); },
                     [this](int ms) {
                         waits.append(ms);
                     }}};
    BusContext& context = bus.context();
    MeterOperations& ops = bus.operations();
    DecodeApplication& decoder = ops.decoder();
    QTimer& respond = *bus.timers().timer(TimerId::Respond);
    QTimer& readAll = *bus.timers().timer(TimerId::ReadAll);
    QTimer& secondary = *bus.timers().timer(TimerId::Secondary);
    QTimer& set = *bus.timers().timer(TimerId::Set);
    QTimer& freeCommand = *bus.timers().timer(TimerId::FreeCommand);
    QTimer& autoAddress = *bus.timers().timer(TimerId::AutoAddress);

    // Table rows with the given addresses in column 1 (an empty text leaves the cell empty).
    void fillAddresses(const QStringList& addresses) {
        table.setRowCount(static_cast<int>(addresses.size()) + 1);
        for (int i = 0; i < addresses.size(); ++i) {
            table.setCell(i + 1, 1, addresses[i]);
        }
    }
};

} // namespace holvex::test
