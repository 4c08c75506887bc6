#include "codec/packet_codec.h"

#include <algorithm>

namespace holvex::codec {

namespace {

constexpr std::uint8_t kPacketStart = 0x01;
constexpr std::uint8_t kPacketStop = 0x04;
constexpr std::uint8_t kStatusOnly = 0xA5;

std::uint8_t at(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

std::uint8_t sumRange(const QByteArray& bytes, int from, int to) {
    unsigned sum = 0;
    for (int i = from; i <= to; ++i) {
        sum += at(bytes, i);
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

struct BitMessage {
    std::uint8_t bit;
    const char* text;
};

constexpr BitMessage kStatusBitMessages[] = {
    {0x01, "Error in header checksum..."},
    {0x02, "Error in telegram checksum..."},
    {0x04, "Wrong telegram length..."},
    {0x08, "Bad telegram, unknow Start charachter..."},
    {0x10, "Action denied, no rights to perform it..."},
    {0x20, "Unknown telegram..."},
    {0x40, "Start/Stop charachter not recognized..."},
    {0x80, "Bad network number..."},
};

constexpr BitMessage kSecondStatusMessages[] = {
    {0x02, "Timeout expired..."},
    {0x40, "Bad m-bus command..."},
    {0x80, "Bad packet, general communication error..."},
};

} // namespace

QByteArray wrapPacket(const QByteArray& payload, PacketKind kind, const NetworkNumber& network,
                      std::int32_t packetSequence) {
    const int n = static_cast<int>(payload.size());
    if (n > kMaxPacketPayload) {
        return {};
    }
    QByteArray packet(kPacketSize, '\0');
    packet[0] = static_cast<char>(kPacketStart);
    for (int i = 0; i < 4; ++i) {
        packet[1 + i] = static_cast<char>(network[static_cast<std::size_t>(i)]);
    }
    const auto sequence = static_cast<std::uint32_t>(packetSequence);
    packet[6] = static_cast<char>((sequence >> 8) & 0xFF);
    packet[7] = static_cast<char>(sequence & 0xFF);
    packet[9] = 0x01;
    packet[10] = static_cast<char>(sumRange(packet, 0, 9));
    packet[11] = 0x04;
    packet[12] = static_cast<char>(kind);
    packet[13] = static_cast<char>(n + 2);
    packet[14] = static_cast<char>(kind == PacketKind::Command ? 0x10 : 0x00);
    std::copy(payload.cbegin(), payload.cend(), packet.begin() + 16);
    packet[16 + n] = static_cast<char>(sumRange(packet, 13, 15 + n));
    packet[17 + n] = static_cast<char>(0xAA);
    packet[298] = static_cast<char>(sumRange(packet, 0, 297));
    packet[299] = static_cast<char>(kPacketStop);
    return packet;
}

std::optional<NetworkNumber> parseNetworkNumber(const QString& text) {
    NetworkNumber result{};
    int part = 0;
    int value = 0;
    int digits = 0;
    for (const QChar ch : text) {
        if (ch == QLatin1Char('.')) {
            if (digits == 0 || part == 3) {
                return std::nullopt;
            }
            result[static_cast<std::size_t>(part++)] = static_cast<std::uint8_t>(value);
            value = 0;
            digits = 0;
            continue;
        }
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (ch.unicode() - '0');
        ++digits;
        if (value > 255) {
            return std::nullopt;
        }
    }
    if (part != 3 || digits == 0) {
        return std::nullopt;
    }
    result[3] = static_cast<std::uint8_t>(value);
    return result;
}

QString networkText(const NetworkNumber& network) {
    return QStringLiteral("%1.%2.%3.%4").arg(network[0]).arg(network[1]).arg(network[2]).arg(network[3]);
}

QStringList resultReport(std::uint8_t resultCode, std::uint8_t secondStatus, std::uint8_t statusBits) {
    QStringList lines;
    if (resultCode == 0) {
        lines.append(QStringLiteral("Done!"));
        return lines;
    }
    for (const BitMessage& entry : kStatusBitMessages) {
        if (statusBits & entry.bit) {
            lines.append(QString::fromLatin1(entry.text));
        }
    }
    for (const BitMessage& entry : kSecondStatusMessages) {
        if (secondStatus & entry.bit) {
            lines.append(QString::fromLatin1(entry.text));
        }
    }
    return lines;
}

PacketCheckResult checkPacket(const QByteArray& packet, const PacketCheckInput& input) {
    PacketCheckResult result;
    const int n = static_cast<int>(std::min<qsizetype>(packet.size(), kPacketSize));
    if (n < 1 || at(packet, 0) != kPacketStart) {
        result.log.append(QStringLiteral("Error in START byte of Ferrin-2 response..."));
        return result;
    }
    if (n < 20 || sumRange(packet, 0, 18) != at(packet, 19)) {
        result.log.append(QStringLiteral("Error in header CRC of Ferrin-2 response..."));
        return result;
    }
    if (n < 299 || sumRange(packet, 0, 297) != at(packet, 298)) {
        result.log.append(QStringLiteral("Error in packet CRC of Ferrin-2 response..."));
        return result;
    }
    if (n < kPacketSize || at(packet, 299) != kPacketStop) {
        result.log.append(QStringLiteral("Error in STOP byte of Ferrin-2 response..."));
        return result;
    }
    result.wellFormed = true;

    const NetworkNumber network{at(packet, 1), at(packet, 2), at(packet, 3), at(packet, 4)};
    result.network = network;
    result.networkText = networkText(network);

    if (input.acceptOnlyNetwork && result.networkText != input.acceptedNetwork) {
        // A gateway of another installation: it is dropped and the socket waits for the right one. Its
        // packet neither identifies a connection nor carries an answer.
        result.foreignNetwork = true;
        result.log.append(QStringLiteral("Disconnected ") + result.networkText);
        result.log.append(QStringLiteral("Listening..."));
        return result;
    }

    if (input.packetSequence == 1) {
        result.identification = true;
        result.log.append(QStringLiteral("Connected Ferrin Network number: ") + result.networkText);
        return result;
    }

    if (at(packet, 21) == kStatusOnly) {
        result.log.append(resultReport(at(packet, 24), at(packet, 25), at(packet, 26)));
        return result;
    }

    // Lengths 0..3 stand for 256..259; the status bytes are found from the length as stored.
    const int stored = at(packet, 22);
    const int length = stored < 4 ? stored + 256 : stored;
    result.gatewayReply = packet.mid(25, length - 4);
    result.log.append(
        resultReport(at(packet, stored + 28), at(packet, stored + 29), at(packet, stored + 30)));
    return result;
}

} // namespace holvex::codec
