#pragma once

// A channel that answers at once from a script, and a bench holding everything the meter operations need,
// so the step machines run with ticks called by hand and no real wait.

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "fake_sinks.h"
#include "lang/message_language.h"
#include "links/channel_interface.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/decode_application.h"
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
// primary address. An address without a scripted answer stays silent.
class FakeChannel : public links::ChannelInterface {
public:
    bool openChannel() override {
        ++opens;
        return ready;
    }
    void sendFrame(const QByteArray& frame, codec::PacketKind kind,
                   const links::OperationWords& operationWords) override {
        sent.append(spacedHex(frame).trimmed());
        words.push_back(operationWords);
        kinds.push_back(kind);
        if (frame.size() == 5 && static_cast<unsigned char>(frame[0]) == codec::kShortStart) {
            const int address = static_cast<unsigned char>(frame[2]);
            const bool read = static_cast<unsigned char>(frame[1]) != codec::control::kSndNke;
            pending = next(read ? reads : resets, address);
        } else if (!otherAnswers.empty()) {
            pending = otherAnswers.front();
            otherAnswers.pop_front();
        }
    }
    void sendDeviceCommand(const QByteArray& text) override {
        deviceCommands.append(QString::fromLatin1(text));
    }
    links::ReplyRead readReply(links::ReplyTimer timer) override {
        timers.push_back(timer);
        links::ReplyRead reply;
        reply.bytes = pending;
        pending.clear();
        return reply;
    }
    void closeChannel() override { ++closes; }
    links::SearchReply takeSearchReply() override {
        links::SearchReply reply;
        reply.bytes = pending;
        reply.noConnection = !searchConnected;
        pending.clear();
        return reply;
    }
    bool sendGatewayLine(const QByteArray&, links::GatewayLineScope, const QString&) override {
        return false;
    }
    void discardSerialInput() override { ++inputDiscards; }
    void discardSerialBuffers() override { ++bothDiscards; }
    void stopKeepAlive() override { ++keepAliveStops; }

    // Answers of the address to reads (REQ_UD2) and to link resets (SND_NKE), used in order; the last one
    // repeats when `repeatLast` is set for that address.
    void answerRead(int address, const QByteArray& reply) { reads[address].answers.push_back(reply); }
    void answerReset(int address, const QByteArray& reply) { resets[address].answers.push_back(reply); }
    void alwaysRead(int address, const QByteArray& reply) { reads[address] = {{reply}, true}; }
    void alwaysReset(int address, const QByteArray& reply) { resets[address] = {{reply}, true}; }

    bool ready = true;
    bool searchConnected = true; // false: TakeSearchReply reports a closed port
    int opens = 0;
    int closes = 0;
    int inputDiscards = 0;
    int bothDiscards = 0;
    int keepAliveStops = 0;
    QStringList sent;
    std::vector<codec::PacketKind> kinds;
    std::vector<links::OperationWords> words; // the failure-line words each frame was sent with
    QStringList deviceCommands;
    std::vector<links::ReplyTimer> timers;
    QByteArray pending;                  // what the next ReadReply returns
    std::deque<QByteArray> otherAnswers; // answers to frames that are not short frames

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

// Everything an operation is built with.
struct Bench {
    Bench() {
        state.PortOpen = true; // as OpenChannel leaves the serial port
        progress.startProgress(250);
        progress.endProgress();
    }
    Settings settings;
    RunState state;
    FakeLog log;
    MessageLanguage language;
    FakeChannel channel;
    StringGridModel table{12};
    FakeProgress progress;
    QList<int> waits;
    BusContext context{settings,
                       state,
                       log,
                       language,
                       channel,
                       table,
                       progress,
                       [] { return QLatin1Char('.'); },
                       [] { return QStringLiteral("10:00:00"); },
                       [] { return QStringLiteral("08/12/2026"); },
                       [this](int ms) { waits.append(ms); },
                       {}};
    DecodeApplication decoder{context};
    QTimer respond;
    QTimer readAll;
    QTimer secondary;
    QTimer set;
    QTimer freeCommand;
    QTimer autoAddress;

    // Table rows with the given addresses in column 1 (an empty text leaves the cell empty).
    void fillAddresses(const QStringList& addresses) {
        table.setRowCount(static_cast<int>(addresses.size()) + 1);
        for (int i = 0; i < addresses.size(); ++i) {
            table.setCell(i + 1, 1, addresses[i]);
        }
    }
};

} // namespace holvex::test
