#pragma once

#include "codec/packet_codec.h"

#include <QByteArray>

#include <cstdint>

namespace holvex::sim {

// Status bits of an answer packet: what the gateway found wrong with a request.
namespace status_bit {
inline constexpr std::uint8_t kHeaderChecksum = 0x01;
inline constexpr std::uint8_t kTelegramChecksum = 0x02;
inline constexpr std::uint8_t kLength = 0x04;
inline constexpr std::uint8_t kUnknownTelegram = 0x20;
inline constexpr std::uint8_t kStartStop = 0x40;
inline constexpr std::uint8_t kNetwork = 0x80;
} // namespace status_bit

// Second status byte of an answer packet.
namespace second_status {
inline constexpr std::uint8_t kTimeout = 0x02;
} // namespace second_status

inline constexpr std::uint8_t kStatusOnlyMarker = 0xA5;
inline constexpr int kMaxAnswerPayload = 255; // byte 22 holds the payload length + 4, 256..259 as 0..3

// A request packet as the gateway reads it.
struct RequestPacket {
    codec::NetworkNumber network{};
    std::uint16_t sequence = 0;
    std::uint8_t kind = 0; // 0xA1 or 0xA8
    QByteArray payload;
    std::uint8_t statusBits = 0; // what is wrong with it; 0 when it can be carried out
};

// Checks the 300 bytes of a request against the gateway's own network number.
RequestPacket parseRequestPacket(const QByteArray& packet, const codec::NetworkNumber& ownNetwork);

// An answer carrying the meter's bytes (at most 255; longer payloads give an empty result).
QByteArray dataAnswerPacket(const codec::NetworkNumber& network, std::uint16_t sequence,
                            const QByteArray& payload, std::uint8_t resultCode = 0,
                            std::uint8_t secondStatus = 0, std::uint8_t statusBits = 0);

// A status-only answer (byte 21 = 0xA5, result code, second status byte and status bits at 24, 25, 26).
QByteArray statusAnswerPacket(const codec::NetworkNumber& network, std::uint16_t sequence,
                              std::uint8_t resultCode, std::uint8_t secondStatus, std::uint8_t statusBits);

// The first packet of a calling-in gateway: a status-only "done" answer that carries its network number.
QByteArray identificationPacket(const codec::NetworkNumber& network);

} // namespace holvex::sim
