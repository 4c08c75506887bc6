#include "codec/frame_codec.h"

#include <algorithm>

namespace holvex::codec {

namespace {

constexpr int kMinimumReply = 8;
constexpr char kHexDigits[] = "0123456789ABCDEF";

} // namespace

std::uint8_t checksum(const QByteArray& bytes, int from, int to) {
    const int first = std::max(from, 0);
    const int last = std::min(to, static_cast<int>(bytes.size()) - 1);
    unsigned sum = 0;
    for (int i = first; i <= last; ++i) {
        sum += static_cast<std::uint8_t>(bytes[i]);
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

QByteArray shortFrame(std::uint8_t c, std::uint8_t a) {
    QByteArray frame(5, '\0');
    frame[0] = static_cast<char>(kShortStart);
    frame[1] = static_cast<char>(c);
    frame[2] = static_cast<char>(a);
    frame[3] = static_cast<char>((c + a) & 0xFF);
    frame[4] = static_cast<char>(kStop);
    return frame;
}

QByteArray controlFrame(std::uint8_t c, std::uint8_t a, std::uint8_t ci) {
    return longFrame(c, a, ci, QByteArray());
}

QByteArray longFrame(std::uint8_t c, std::uint8_t a, std::uint8_t ci, const QByteArray& data) {
    if (data.size() > kMaxLongFrameData) {
        return {};
    }
    const auto length = static_cast<char>(3 + data.size());
    QByteArray frame;
    frame.reserve(static_cast<int>(data.size()) + 9);
    frame.append(static_cast<char>(kLongStart));
    frame.append(length);
    frame.append(length);
    frame.append(static_cast<char>(kLongStart));
    frame.append(static_cast<char>(c));
    frame.append(static_cast<char>(a));
    frame.append(static_cast<char>(ci));
    frame.append(data);
    frame.append(static_cast<char>(checksum(frame, 4, static_cast<int>(frame.size()) - 1)));
    frame.append(static_cast<char>(kStop));
    return frame;
}

ReplyKind classifyReply(const QByteArray& reply) {
    if (reply.isEmpty()) {
        return ReplyKind::Empty;
    }
    if (reply.size() == 1 && static_cast<std::uint8_t>(reply[0]) == kAcknowledge) {
        return ReplyKind::Acknowledge;
    }
    return ReplyKind::Telegram;
}

namespace {

// Writes each byte as two hex digits and a blank at dst.
void writeSpacedHex(QChar* dst, const QByteArray& bytes) {
    for (char ch : bytes) {
        const auto byte = static_cast<std::uint8_t>(ch);
        *dst++ = QLatin1Char(kHexDigits[byte >> 4]);
        *dst++ = QLatin1Char(kHexDigits[byte & 0x0F]);
        *dst++ = QLatin1Char(' ');
    }
}

} // namespace

QString spacedHex(const QByteArray& bytes) {
    QString out(bytes.size() * 3, Qt::Uninitialized);
    writeSpacedHex(out.data(), bytes);
    return out;
}

QString respondTrace(const QByteArray& reply) {
    // Built in place: every decoded telegram logs one.
    static constexpr QLatin1StringView kPrefix("Respond: ");
    QString out(kPrefix.size() + reply.size() * 3, Qt::Uninitialized);
    QChar* const dst = out.data();
    for (qsizetype i = 0; i < kPrefix.size(); ++i) {
        dst[i] = kPrefix[i];
    }
    writeSpacedHex(dst + kPrefix.size(), reply);
    return out;
}

FrameCheckResult checkLongFrame(const QByteArray& reply) {
    FrameCheckResult result;
    result.log.append(respondTrace(reply));
    const int n = static_cast<int>(reply.size());
    if (n < kMinimumReply) {
        result.tooShort = true;
        return result;
    }
    bool good = true;
    if (checksum(reply, 4, n - 3) != static_cast<std::uint8_t>(reply[n - 2])) {
        result.log.append(QStringLiteral("Wrong CRC"));
        good = false;
    }
    if (static_cast<std::uint8_t>(reply[n - 1]) != kStop) {
        result.log.append(QStringLiteral("Wrong STOP byte"));
        good = false;
    }
    if (n != static_cast<std::uint8_t>(reply[1]) + 6) {
        result.log.append(QStringLiteral("Wrong length in the header"));
        good = false;
    }
    result.passed = good;
    return result;
}

} // namespace holvex::codec
