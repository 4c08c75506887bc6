#include "codec/packet_codec.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace holvex::codec {
namespace {

using test::hex;

// An answer packet with correct checksums and stop byte; the caller fills the middle first.
QByteArray seal(QByteArray packet) {
    packet.resize(kPacketSize, '\0');
    packet[0] = 0x01;
    unsigned header = 0;
    for (int i = 0; i <= 18; ++i) {
        header += static_cast<std::uint8_t>(packet[i]);
    }
    packet[19] = static_cast<char>(header & 0xFF);
    unsigned all = 0;
    for (int i = 0; i <= 297; ++i) {
        all += static_cast<std::uint8_t>(packet[i]);
    }
    packet[298] = static_cast<char>(all & 0xFF);
    packet[299] = 0x04;
    return packet;
}

QByteArray statusAnswer(std::uint8_t code, std::uint8_t second, std::uint8_t bits) {
    QByteArray packet(kPacketSize, '\0');
    packet[4] = 0x01;
    packet[21] = static_cast<char>(0xA5);
    packet[24] = static_cast<char>(code);
    packet[25] = static_cast<char>(second);
    packet[26] = static_cast<char>(bits);
    return seal(packet);
}

QByteArray dataAnswer(const QByteArray& payload, std::uint8_t code, std::uint8_t second, std::uint8_t bits) {
    QByteArray packet(kPacketSize, '\0');
    packet[4] = 0x01;
    const int stored = (payload.size() + 4) & 0xFF;
    packet[22] = static_cast<char>(stored);
    for (int i = 0; i < payload.size(); ++i) {
        packet[25 + i] = payload[i];
    }
    packet[stored + 28] = static_cast<char>(code);
    packet[stored + 29] = static_cast<char>(second);
    packet[stored + 30] = static_cast<char>(bits);
    return seal(packet);
}

PacketCheckInput answering() {
    PacketCheckInput input;
    input.packetSequence = 5;
    return input;
}

TEST(WrapPacketTest, ReadRequestToAddressFive) {
    const QByteArray packet = wrapPacket(hex("10 7B 05 80 16"), PacketKind::Read, {0, 0, 0, 1}, 2);
    QByteArray expected = hex("01 00 00 00 01 00 00 02 00 01 05 04 A1 07 00 00 10 7B 05 80 16 2D AA");
    expected.append(QByteArray(275, '\0'));
    expected.append(hex("B3 04"));
    EXPECT_EQ(packet, expected);
}

TEST(WrapPacketTest, CommandKindMarksByteFourteenAndSequenceIsHighByteFirst) {
    const QByteArray packet =
        wrapPacket(hex("10 40 05 45 16"), PacketKind::Command, {10, 20, 30, 40}, 0x12345);
    ASSERT_EQ(packet.size(), kPacketSize);
    EXPECT_EQ(packet.mid(0, 16), hex("01 0A 14 1E 28 00 23 45 00 01 CE 04 A8 07 10 00"));
}

TEST(WrapPacketTest, PayloadLimitIs280Bytes) {
    const QByteArray full = wrapPacket(QByteArray(280, '\x01'), PacketKind::Read, {1, 2, 3, 4}, 1);
    ASSERT_EQ(full.size(), kPacketSize);
    EXPECT_EQ(static_cast<std::uint8_t>(full[297]), 0xAA);
    EXPECT_TRUE(wrapPacket(QByteArray(281, '\x01'), PacketKind::Read, {1, 2, 3, 4}, 1).isEmpty());
}

struct NetworkCase {
    const char* text;
    std::optional<NetworkNumber> expected;
};

class ParseNetworkNumberTest : public ::testing::TestWithParam<NetworkCase> {};

TEST_P(ParseNetworkNumberTest, AcceptsOnlyFourNumbersUpTo255) {
    EXPECT_EQ(parseNetworkNumber(QString::fromLatin1(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNetworkNumberTest,
    ::testing::Values(NetworkCase{"0.0.0.1", NetworkNumber{0, 0, 0, 1}},
                      NetworkCase{"192.168.001.255", NetworkNumber{192, 168, 1, 255}},
                      NetworkCase{"1.2.3.256", std::nullopt}, NetworkCase{"1.2.3", std::nullopt},
                      NetworkCase{"1.2.3.4.5", std::nullopt}, NetworkCase{"1..3.4", std::nullopt},
                      NetworkCase{"1.2.3.", std::nullopt}, NetworkCase{"", std::nullopt},
                      NetworkCase{" 1.2.3.4", std::nullopt}, NetworkCase{"1.2.3.-4", std::nullopt},
                      NetworkCase{"1.2.3.99999999999999999999", std::nullopt}));

struct CheckFailureCase {
    const char* name;
    int corruptAt; // byte changed after sealing; -1 for none
    int size;
    QStringList expected;
};

// Test names already say which row failed; print the same instead of raw bytes.
void PrintTo(const CheckFailureCase& row, std::ostream* out) {
    *out << row.name;
}

class CheckPacketFailureTest : public ::testing::TestWithParam<CheckFailureCase> {};

TEST_P(CheckPacketFailureTest, ReportsOnlyTheFirstFailingCheck) {
    QByteArray packet = statusAnswer(0, 0, 0);
    if (GetParam().corruptAt >= 0) {
        packet[GetParam().corruptAt] = static_cast<char>(packet[GetParam().corruptAt] ^ 0x55);
    }
    packet.truncate(GetParam().size);
    const PacketCheckResult result = checkPacket(packet, answering());
    EXPECT_FALSE(result.wellFormed);
    EXPECT_TRUE(result.gatewayReply.isEmpty());
    EXPECT_FALSE(result.network.has_value());
    EXPECT_EQ(result.log, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Packets, CheckPacketFailureTest,
    ::testing::Values(
        CheckFailureCase{"Start", 0, 300, {"Error in START byte of Ferrin-2 response..."}},
        CheckFailureCase{"HeaderCrc", 19, 300, {"Error in header CRC of Ferrin-2 response..."}},
        CheckFailureCase{"PacketCrc", 200, 300, {"Error in packet CRC of Ferrin-2 response..."}},
        CheckFailureCase{"Stop", 299, 300, {"Error in STOP byte of Ferrin-2 response..."}},
        // Header checksum and stop byte both wrong: only the header checksum is reported.
        CheckFailureCase{"HeaderBeforeStop", 3, 300, {"Error in header CRC of Ferrin-2 response..."}},
        CheckFailureCase{"Empty", -1, 0, {"Error in START byte of Ferrin-2 response..."}},
        CheckFailureCase{"CutInHeader", -1, 10, {"Error in header CRC of Ferrin-2 response..."}},
        CheckFailureCase{"CutInBody", -1, 150, {"Error in packet CRC of Ferrin-2 response..."}},
        CheckFailureCase{"NoStopByte", -1, 299, {"Error in STOP byte of Ferrin-2 response..."}}),
    [](const ::testing::TestParamInfo<CheckFailureCase>& p) { return std::string(p.param.name); });

TEST(CheckPacketTest, HeaderAndStopBothWrongReportsTheHeader) {
    QByteArray packet = statusAnswer(0, 0, 0);
    packet[19] = static_cast<char>(packet[19] + 1);
    packet[299] = 0x05;
    EXPECT_EQ(checkPacket(packet, answering()).log,
              QStringList{QStringLiteral("Error in header CRC of Ferrin-2 response...")});
}

struct StatusCase {
    const char* name;
    std::uint8_t code;
    std::uint8_t second;
    std::uint8_t bits;
    QStringList expected;
};

// Test names already say which row failed; print the same instead of raw bytes.
void PrintTo(const StatusCase& row, std::ostream* out) {
    *out << row.name;
}

class ResultReportTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ResultReportTest, StatusOnlyAnswer) {
    const StatusCase& c = GetParam();
    const PacketCheckResult result = checkPacket(statusAnswer(c.code, c.second, c.bits), answering());
    EXPECT_TRUE(result.wellFormed);
    EXPECT_TRUE(result.gatewayReply.isEmpty());
    EXPECT_EQ(result.log, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ResultReportTest,
    ::testing::Values(
        StatusCase{"DoneWhateverTheBits", 0, 0xFF, 0xFF, {"Done!"}},
        StatusCase{"HeaderAndNetwork", 1, 0, 0x81, {"Error in header checksum...", "Bad network number..."}},
        StatusCase{"AllBits",
                   7,
                   0xFF,
                   0xFF,
                   {"Error in header checksum...", "Error in telegram checksum...",
                    "Wrong telegram length...", "Bad telegram, unknow Start charachter...",
                    "Action denied, no rights to perform it...", "Unknown telegram...",
                    "Start/Stop charachter not recognized...", "Bad network number...", "Timeout expired...",
                    "Bad m-bus command...", "Bad packet, general communication error..."}},
        StatusCase{"OtherSecondBitsIgnored", 2, 0x3D, 0, {}},
        StatusCase{"TimeoutOnly", 2, 0x02, 0, {"Timeout expired..."}}),
    [](const ::testing::TestParamInfo<StatusCase>& p) { return std::string(p.param.name); });

TEST(CheckPacketTest, DataAnswerYieldsThePayload) {
    const QByteArray frame = hex("68 03 03 68 08 01 72 7B 16");
    const PacketCheckResult result = checkPacket(dataAnswer(frame, 0, 0, 0), answering());
    EXPECT_TRUE(result.wellFormed);
    EXPECT_EQ(result.gatewayReply, frame);
    EXPECT_EQ(result.network, (NetworkNumber{0, 0, 0, 1}));
    EXPECT_EQ(result.networkText, QStringLiteral("0.0.0.1"));
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Done!")});
}

TEST(CheckPacketTest, DataAnswerStatusFollowsThePayload) {
    const PacketCheckResult result = checkPacket(dataAnswer(hex("E5"), 3, 0x80, 0x04), answering());
    EXPECT_EQ(result.gatewayReply, hex("E5"));
    EXPECT_EQ(result.log, (QStringList{QStringLiteral("Wrong telegram length..."),
                                       QStringLiteral("Bad packet, general communication error...")}));
}

TEST(CheckPacketTest, LengthBelowFourStandsFor256AndMore) {
    const QByteArray payload(253, '\x68'); // L = 257 is stored as 1
    const PacketCheckResult result = checkPacket(dataAnswer(payload, 0, 0, 0), answering());
    EXPECT_EQ(result.gatewayReply.size(), 253);
}

TEST(CheckPacketTest, FirstPacketOfAConnectionIdentifiesTheGateway) {
    QByteArray packet = statusAnswer(1, 0xFF, 0xFF);
    packet[1] = static_cast<char>(192);
    packet = seal(packet);
    PacketCheckInput input;
    input.packetSequence = 1;
    const PacketCheckResult result = checkPacket(packet, input);
    EXPECT_TRUE(result.identification);
    EXPECT_EQ(result.network, (NetworkNumber{192, 0, 0, 1}));
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Connected Ferrin Network number: 192.0.0.1")});
}

TEST(CheckPacketTest, ForeignNetworkIsDroppedWhenOnlyOneIsAccepted) {
    PacketCheckInput input;
    input.packetSequence = 4;
    input.acceptOnlyNetwork = true;
    input.acceptedNetwork = QStringLiteral("0.0.0.2");
    const PacketCheckResult result = checkPacket(dataAnswer(hex("E5"), 0, 0, 0), input);
    EXPECT_TRUE(result.foreignNetwork);
    EXPECT_FALSE(result.identification);
    EXPECT_TRUE(result.gatewayReply.isEmpty());
    EXPECT_EQ(result.log,
              (QStringList{QStringLiteral("Disconnected 0.0.0.1"), QStringLiteral("Listening...")}));
}

TEST(CheckPacketTest, AcceptedNetworkPassesThrough) {
    PacketCheckInput input;
    input.packetSequence = 4;
    input.acceptOnlyNetwork = true;
    input.acceptedNetwork = QStringLiteral("0.0.0.1");
    const PacketCheckResult result = checkPacket(dataAnswer(hex("E5"), 0, 0, 0), input);
    EXPECT_FALSE(result.foreignNetwork);
    EXPECT_EQ(result.gatewayReply, hex("E5"));
}

} // namespace
} // namespace holvex::codec
