// Feeds arbitrary bytes to the gateway packet check and the network number parser. The first byte chooses
// the connection state: bit 0 the first packet of a connection, bit 1 "Accept only this network".
#include "codec/packet_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    holvex::codec::PacketCheckInput input;
    input.packetSequence = (data[0] & 0x01) ? 1 : 2;
    input.acceptOnlyNetwork = (data[0] & 0x02) != 0;
    input.acceptedNetwork = QStringLiteral("0.0.0.1");
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const holvex::codec::PacketCheckResult result = holvex::codec::checkPacket(bytes, input);
    if (result.gatewayReply.size() > 259) {
        __builtin_trap();
    }
    const auto network = holvex::codec::parseNetworkNumber(QString::fromLatin1(bytes));
    if (network && holvex::codec::networkText(*network).size() > 15) {
        __builtin_trap();
    }
    // A payload that fits must wrap into exactly one packet that passes the check.
    if (bytes.size() <= holvex::codec::kMaxPacketPayload) {
        const QByteArray packet =
            holvex::codec::wrapPacket(bytes, holvex::codec::PacketKind::Read, {1, 2, 3, 4}, 7);
        if (packet.size() != holvex::codec::kPacketSize) {
            __builtin_trap();
        }
    }
    return 0;
}
