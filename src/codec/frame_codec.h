#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace holvex::codec {

// Link-layer control codes the program sends. Each kind of request always carries the same C: the frame
// count bit is not alternated.
namespace control {
inline constexpr std::uint8_t kSndNke = 0x40;
inline constexpr std::uint8_t kReqUd2 = 0x7B;
inline constexpr std::uint8_t kReqUd2NoFcb = 0x5B;
inline constexpr std::uint8_t kSndUd = 0x53;
inline constexpr std::uint8_t kSndUdFcb = 0x73;
} // namespace control

// Primary addresses with a fixed role.
namespace address {
inline constexpr std::uint8_t kKeepAlive = 0xF9;
inline constexpr std::uint8_t kSelected = 0xFD;
inline constexpr std::uint8_t kBroadcastReply = 0xFE;
inline constexpr std::uint8_t kBroadcast = 0xFF;
} // namespace address

// Control information codes of the application layer.
namespace ci {
inline constexpr std::uint8_t kDataSend = 0x51;
inline constexpr std::uint8_t kSelect = 0x52;
} // namespace ci

inline constexpr std::uint8_t kAcknowledge = 0xE5;
inline constexpr std::uint8_t kShortStart = 0x10;
inline constexpr std::uint8_t kLongStart = 0x68;
inline constexpr std::uint8_t kStop = 0x16;
inline constexpr int kMaxLongFrameData = 252;

// 8-bit arithmetic sum of bytes[from, to] (inclusive); positions outside the array are not read.
std::uint8_t checksum(const QByteArray& bytes, int from, int to);

// 10 C A CS 16.
QByteArray shortFrame(std::uint8_t c, std::uint8_t a);
// 68 03 03 68 C A CI CS 16.
QByteArray controlFrame(std::uint8_t c, std::uint8_t a, std::uint8_t ci);
// 68 L L 68 C A CI data CS 16; empty when the data exceed 252 bytes (L is one byte).
QByteArray longFrame(std::uint8_t c, std::uint8_t a, std::uint8_t ci, const QByteArray& data);

enum class ReplyKind {
    Empty,       // the meter did not answer
    Acknowledge, // exactly one byte 0xE5
    Telegram,    // anything else: goes to the response decoder
};
ReplyKind classifyReply(const QByteArray& reply);

// Upper-case hex with a blank after every byte ("68 03 03 ").
QString spacedHex(const QByteArray& bytes);

// The event-log trace of a received reply: "Respond: " followed by the spaced hex.
QString respondTrace(const QByteArray& reply);

struct FrameCheckResult {
    bool tooShort = false; // fewer than 8 bytes: rejected without a further message
    bool passed = false;   // checksum, stop byte and length all good
    QStringList log;       // the trace first, then one line per failed check, in check order
};

// The checks a received long frame passes before it is decoded. The start bytes and the repeated L are not
// examined.
FrameCheckResult checkLongFrame(const QByteArray& reply);

} // namespace holvex::codec
