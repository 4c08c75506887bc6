#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace holvex::codec {

// The maker's gateways carry every frame and every text line in a fixed 300-byte envelope.
inline constexpr int kPacketSize = 300;
inline constexpr int kMaxPacketPayload = 280;

enum class PacketKind : std::uint8_t {
    Read = 0xA1,    // read requests, selection frames of the search worker, console frames, display lines
    Command = 0xA8, // SND_NKE, configuration SND_UD frames, the main window's selection frame
};

using NetworkNumber = std::array<std::uint8_t, 4>;

// The 300-byte request packet around payload; empty when the payload exceeds 280 bytes (nothing is sent).
// The sequence number is not advanced here: the sender does that after sending.
QByteArray wrapPacket(const QByteArray& payload, PacketKind kind, const NetworkNumber& network,
                      std::int32_t packetSequence);

// "a.b.c.d": exactly three dots and four decimal numbers none above 255; nothing else.
std::optional<NetworkNumber> parseNetworkNumber(const QString& text);

// "a.b.c.d" of a network number.
QString networkText(const NetworkNumber& network);

// What the connection needs to know about a received packet.
struct PacketCheckInput {
    std::int32_t packetSequence = 1; // 1 while no request was sent on this connection
    bool acceptOnlyNetwork = false;  // "Accept only this network"
    QString acceptedNetwork;         // the text of its network number field
};

struct PacketCheckResult {
    bool wellFormed = false;              // start, both checksums and stop byte good
    std::optional<NetworkNumber> network; // bytes 1..4, stored into NetworkNumber when set
    QString networkText;                  // the same as "a.b.c.d"
    bool foreignNetwork = false;          // another network while only one is accepted: the caller
                                          // closes the server socket, sets PacketSequence to 1, clears
                                          // GatewayCalledIn and the envelope buffer, reopens the socket
    bool identification = false;          // first packet of the connection: it names the gateway
    QByteArray gatewayReply;              // payload of a good data answer; empty otherwise
    QStringList log;                      // event-log lines, in order
};

// Checks and unpacks a gateway's answer. Only the first 300 bytes are examined; a shorter packet fails the
// first check that needs a byte it does not have.
PacketCheckResult checkPacket(const QByteArray& packet, const PacketCheckInput& input);

// The result report of an answer: "Done!" for result code 0, else one line per set bit in table order.
QStringList resultReport(std::uint8_t resultCode, std::uint8_t secondStatus, std::uint8_t statusBits);

} // namespace holvex::codec
