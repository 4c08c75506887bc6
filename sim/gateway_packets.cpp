#include "sim/gateway_packets.h"

namespace holvex::sim {

namespace {

constexpr std::uint8_t kStart = 0x01;
constexpr std::uint8_t kStop = 0x04;
constexpr std::uint8_t kPayloadEnd = 0xAA;
constexpr int kHeaderChecksumAt = 19;
constexpr int kMarkerAt = 21;
constexpr int kLengthAt = 22;
constexpr int kPayloadAt = 25;
constexpr int kPacketChecksumAt = 298;

std::uint8_t at(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

std::uint8_t sum(const QByteArray& bytes, int from, int to) {
    unsigned sum = 0;
    for (int i = from; i <= to; ++i) {
        sum += at(bytes, i);
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

// Start, network number and the request's sequence number; the checksums are set by Seal.
QByteArray answerFrame(const codec::NetworkNumber& network, std::uint16_t sequence) {
    QByteArray packet(codec::kPacketSize, '\0');
    packet[0] = static_cast<char>(kStart);
    for (int i = 0; i < 4; ++i) {
        packet[1 + i] = static_cast<char>(network[static_cast<std::size_t>(i)]);
    }
    packet[6] = static_cast<char>(sequence >> 8);
    packet[7] = static_cast<char>(sequence & 0xFF);
    packet[9] = 0x01;
    return packet;
}

QByteArray seal(QByteArray packet) {
    packet[kHeaderChecksumAt] = static_cast<char>(sum(packet, 0, kHeaderChecksumAt - 1));
    packet[kPacketChecksumAt] = static_cast<char>(sum(packet, 0, kPacketChecksumAt - 1));
    packet[codec::kPacketSize - 1] = static_cast<char>(kStop);
    return packet;
}

} // namespace

RequestPacket parseRequestPacket(const QByteArray& packet, const codec::NetworkNumber& ownNetwork) {
    RequestPacket request;
    if (packet.size() != codec::kPacketSize) {
        request.statusBits = status_bit::kLength;
        return request;
    }
    for (int i = 0; i < 4; ++i) {
        request.network[static_cast<std::size_t>(i)] = at(packet, 1 + i);
    }
    request.sequence = static_cast<std::uint16_t>((at(packet, 6) << 8) | at(packet, 7));
    request.kind = at(packet, 12);
    if (at(packet, 0) != kStart || at(packet, codec::kPacketSize - 1) != kStop) {
        request.statusBits |= status_bit::kStartStop;
    }
    if (sum(packet, 0, 9) != at(packet, 10)) {
        request.statusBits |= status_bit::kHeaderChecksum;
    }
    if (sum(packet, 0, kPacketChecksumAt - 1) != at(packet, kPacketChecksumAt)) {
        request.statusBits |= status_bit::kTelegramChecksum;
    }
    if (request.network != ownNetwork) {
        request.statusBits |= status_bit::kNetwork;
    }
    if (request.kind != static_cast<std::uint8_t>(codec::PacketKind::Read) &&
        request.kind != static_cast<std::uint8_t>(codec::PacketKind::Command)) {
        request.statusBits |= status_bit::kUnknownTelegram;
    }
    const int n = at(packet, 13) - 2;
    if (n < 0 || n > codec::kMaxPacketPayload) {
        request.statusBits |= status_bit::kLength;
        return request;
    }
    if (sum(packet, 13, 15 + n) != at(packet, 16 + n)) {
        request.statusBits |= status_bit::kTelegramChecksum;
    }
    if (at(packet, 17 + n) != kPayloadEnd) {
        request.statusBits |= status_bit::kStartStop;
    }
    if (request.statusBits == 0) {
        request.payload = packet.mid(16, n);
    }
    return request;
}

QByteArray dataAnswerPacket(const codec::NetworkNumber& network, std::uint16_t sequence,
                            const QByteArray& payload, std::uint8_t resultCode, std::uint8_t secondStatus,
                            std::uint8_t statusBits) {
    const int n = static_cast<int>(payload.size());
    if (n > kMaxAnswerPayload) {
        return {};
    }
    QByteArray packet = answerFrame(network, sequence);
    packet[kMarkerAt] = static_cast<char>(codec::PacketKind::Read);
    const int l = (n + 4) & 0xFF; // 256..259 are stored as 0..3
    packet[kLengthAt] = static_cast<char>(l);
    packet.replace(kPayloadAt, n, payload);
    // The result trio sits at L + 28 with L as stored. For payloads of 252..255 bytes that position falls
    // inside the payload, which then stays as the meter sent it.
    if (l + 28 > kPayloadAt + n - 1) {
        packet[l + 28] = static_cast<char>(resultCode);
        packet[l + 29] = static_cast<char>(secondStatus);
        packet[l + 30] = static_cast<char>(statusBits);
    }
    return seal(packet);
}

QByteArray statusAnswerPacket(const codec::NetworkNumber& network, std::uint16_t sequence,
                              std::uint8_t resultCode, std::uint8_t secondStatus, std::uint8_t statusBits) {
    QByteArray packet = answerFrame(network, sequence);
    packet[kMarkerAt] = static_cast<char>(kStatusOnlyMarker);
    packet[kLengthAt] = 0x04;
    packet[24] = static_cast<char>(resultCode);
    packet[25] = static_cast<char>(secondStatus);
    packet[26] = static_cast<char>(statusBits);
    return seal(packet);
}

QByteArray identificationPacket(const codec::NetworkNumber& network) {
    return statusAnswerPacket(network, 0, 0, 0, 0);
}

} // namespace holvex::sim
