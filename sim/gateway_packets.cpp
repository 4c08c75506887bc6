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

std::uint8_t At(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

std::uint8_t Sum(const QByteArray& bytes, int from, int to) {
    unsigned sum = 0;
    for (int i = from; i <= to; ++i) {
        sum += At(bytes, i);
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

// Start, network number and the request's sequence number; the checksums are set by Seal.
QByteArray AnswerFrame(const codec::NetworkNumber& network, std::uint16_t sequence) {
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

QByteArray Seal(QByteArray packet) {
    packet[kHeaderChecksumAt] = static_cast<char>(Sum(packet, 0, kHeaderChecksumAt - 1));
    packet[kPacketChecksumAt] = static_cast<char>(Sum(packet, 0, kPacketChecksumAt - 1));
    packet[codec::kPacketSize - 1] = static_cast<char>(kStop);
    return packet;
}

} // namespace

RequestPacket ParseRequestPacket(const QByteArray& packet, const codec::NetworkNumber& ownNetwork) {
    RequestPacket request;
    if (packet.size() != codec::kPacketSize) {
        request.statusBits = status_bit::kLength;
        return request;
    }
    for (int i = 0; i < 4; ++i) {
        request.network[static_cast<std::size_t>(i)] = At(packet, 1 + i);
    }
    request.sequence = static_cast<std::uint16_t>((At(packet, 6) << 8) | At(packet, 7));
    request.kind = At(packet, 12);
    if (At(packet, 0) != kStart || At(packet, codec::kPacketSize - 1) != kStop) {
        request.statusBits |= status_bit::kStartStop;
    }
    if (Sum(packet, 0, 9) != At(packet, 10)) {
        request.statusBits |= status_bit::kHeaderChecksum;
    }
    if (Sum(packet, 0, kPacketChecksumAt - 1) != At(packet, kPacketChecksumAt)) {
        request.statusBits |= status_bit::kTelegramChecksum;
    }
    if (request.network != ownNetwork) {
        request.statusBits |= status_bit::kNetwork;
    }
    if (request.kind != static_cast<std::uint8_t>(codec::PacketKind::Read) &&
        request.kind != static_cast<std::uint8_t>(codec::PacketKind::Command)) {
        request.statusBits |= status_bit::kUnknownTelegram;
    }
    const int n = At(packet, 13) - 2;
    if (n < 0 || n > codec::kMaxPacketPayload) {
        request.statusBits |= status_bit::kLength;
        return request;
    }
    if (Sum(packet, 13, 15 + n) != At(packet, 16 + n)) {
        request.statusBits |= status_bit::kTelegramChecksum;
    }
    if (At(packet, 17 + n) != kPayloadEnd) {
        request.statusBits |= status_bit::kStartStop;
    }
    if (request.statusBits == 0) {
        request.payload = packet.mid(16, n);
    }
    return request;
}

QByteArray DataAnswerPacket(const codec::NetworkNumber& network, std::uint16_t sequence,
                            const QByteArray& payload, std::uint8_t resultCode, std::uint8_t secondStatus,
                            std::uint8_t statusBits) {
    const int n = static_cast<int>(payload.size());
    if (n > kMaxAnswerPayload) {
        return {};
    }
    QByteArray packet = AnswerFrame(network, sequence);
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
    return Seal(packet);
}

QByteArray StatusAnswerPacket(const codec::NetworkNumber& network, std::uint16_t sequence,
                              std::uint8_t resultCode, std::uint8_t secondStatus, std::uint8_t statusBits) {
    QByteArray packet = AnswerFrame(network, sequence);
    packet[kMarkerAt] = static_cast<char>(kStatusOnlyMarker);
    packet[kLengthAt] = 0x04;
    packet[24] = static_cast<char>(resultCode);
    packet[25] = static_cast<char>(secondStatus);
    packet[26] = static_cast<char>(statusBits);
    return Seal(packet);
}

QByteArray IdentificationPacket(const codec::NetworkNumber& network) {
    return StatusAnswerPacket(network, 0, 0, 0, 0);
}

} // namespace holvex::sim
