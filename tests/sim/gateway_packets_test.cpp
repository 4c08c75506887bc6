#include "codec/packet_codec.h"
#include "sim/gateway_packets.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using codec::NetworkNumber;
using test::hex;

const NetworkNumber kNetwork{0, 0, 0, 1};

// What the program makes of an answer, once a request has gone out on the connection.
codec::PacketCheckResult check(const QByteArray& packet) {
    codec::PacketCheckInput input;
    input.packetSequence = 2;
    return codec::checkPacket(packet, input);
}

TEST(GatewayPacketsTest, DataAnswerCarriesThePayloadAndDone) {
    const QByteArray telegram = hex("68 03 03 68 08 05 72 7F 16");
    const QByteArray packet = dataAnswerPacket(kNetwork, 2, telegram);
    ASSERT_EQ(packet.size(), 300);
    EXPECT_EQ(static_cast<std::uint8_t>(packet[22]), telegram.size() + 4);
    EXPECT_EQ(packet.mid(25, telegram.size()), telegram);
    const auto result = check(packet);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(result.gatewayReply, telegram);
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Done!")});
    EXPECT_EQ(result.networkText, QStringLiteral("0.0.0.1"));
}

TEST(GatewayPacketsTest, AnswerLengthsUpToTheLimit) {
    for (int n : {0, 1, 200, 251}) {
        const QByteArray payload(n, '\x5A');
        const auto result = check(dataAnswerPacket(kNetwork, 7, payload));
        EXPECT_TRUE(result.wellFormed) << n;
        EXPECT_EQ(result.gatewayReply, payload) << n;
        EXPECT_EQ(result.log, QStringList{QStringLiteral("Done!")}) << n;
    }
    // 252..255 bytes: the length byte wraps to 0..3, the payload still arrives whole.
    for (int n : {252, 255}) {
        const QByteArray packet = dataAnswerPacket(kNetwork, 7, QByteArray(n, '\x5A'));
        ASSERT_EQ(packet.size(), 300) << n;
        EXPECT_EQ(static_cast<std::uint8_t>(packet[22]), n - 252) << n;
        EXPECT_EQ(packet.mid(25, n), QByteArray(n, '\x5A')) << n;
        EXPECT_TRUE(check(packet).wellFormed) << n;
    }
    EXPECT_TRUE(dataAnswerPacket(kNetwork, 7, QByteArray(256, '\x5A')).isEmpty());
}

TEST(GatewayPacketsTest, StatusAnswersReportTheirBits) {
    struct Row {
        std::uint8_t result;
        std::uint8_t second;
        std::uint8_t bits;
        QStringList log;
    } rows[] = {
        {0, 0, 0, {QStringLiteral("Done!")}},
        {1, second_status::kTimeout, 0, {QStringLiteral("Timeout expired...")}},
        {1,
         0,
         status_bit::kNetwork | status_bit::kHeaderChecksum,
         {QStringLiteral("Error in header checksum..."), QStringLiteral("Bad network number...")}},
    };
    for (const Row& row : rows) {
        const QByteArray packet = statusAnswerPacket(kNetwork, 3, row.result, row.second, row.bits);
        EXPECT_EQ(static_cast<std::uint8_t>(packet[21]), kStatusOnlyMarker);
        const auto result = check(packet);
        EXPECT_TRUE(result.wellFormed);
        EXPECT_TRUE(result.gatewayReply.isEmpty());
        EXPECT_EQ(result.log, row.log);
    }
}

TEST(GatewayPacketsTest, IdentificationNamesTheGateway) {
    codec::PacketCheckInput first; // sequence 1: nothing sent yet
    const auto result = codec::checkPacket(identificationPacket({10, 20, 30, 40}), first);
    EXPECT_TRUE(result.wellFormed);
    EXPECT_TRUE(result.identification);
    EXPECT_EQ(result.networkText, QStringLiteral("10.20.30.40"));
}

TEST(GatewayPacketsTest, RequestFromTheProgramIsRead) {
    const QByteArray frame = hex("10 7B 05 80 16");
    const QByteArray packet = codec::wrapPacket(frame, codec::PacketKind::Read, kNetwork, 0x1234);
    const RequestPacket r = parseRequestPacket(packet, kNetwork);
    EXPECT_EQ(r.statusBits, 0);
    EXPECT_EQ(r.payload, frame);
    EXPECT_EQ(r.sequence, 0x1234);
    EXPECT_EQ(r.kind, 0xA1);
}

TEST(GatewayPacketsTest, BrokenRequestsGiveTheirStatusBits) {
    const QByteArray good = codec::wrapPacket(hex("10 40 05 45 16"), codec::PacketKind::Command, kNetwork, 2);
    struct Row {
        const char* name;
        int offset;
        int delta;
        std::uint8_t bits;
    } rows[] = {
        {"start byte", 0, 1,
         status_bit::kStartStop | status_bit::kHeaderChecksum | status_bit::kTelegramChecksum},
        {"header checksum", 10, 1, status_bit::kHeaderChecksum | status_bit::kTelegramChecksum},
        {"kind", 12, 1, status_bit::kUnknownTelegram | status_bit::kTelegramChecksum},
        {"payload byte", 17, 1, status_bit::kTelegramChecksum},
        {"end marker", 22, 1, status_bit::kStartStop | status_bit::kTelegramChecksum},
        {"packet checksum", 298, 1, status_bit::kTelegramChecksum},
        {"stop byte", 299, 1, status_bit::kStartStop},
        {"length byte below 2", 13, -6, status_bit::kLength | status_bit::kTelegramChecksum},
    };
    for (const Row& row : rows) {
        QByteArray packet = good;
        packet[row.offset] = static_cast<char>(packet[row.offset] + row.delta);
        EXPECT_EQ(parseRequestPacket(packet, kNetwork).statusBits, row.bits) << row.name;
        EXPECT_TRUE(parseRequestPacket(packet, kNetwork).payload.isEmpty()) << row.name;
    }
    EXPECT_EQ(parseRequestPacket(good, {0, 0, 0, 2}).statusBits, status_bit::kNetwork);
    EXPECT_EQ(parseRequestPacket(good.left(299), kNetwork).statusBits, status_bit::kLength);
}

} // namespace
} // namespace holvex::sim
