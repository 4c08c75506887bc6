#include "codec/frame_codec.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace holvex::codec {
namespace {

using test::hex;

struct ShortFrameCase {
    std::uint8_t c;
    std::uint8_t a;
    const char* expected;
};

class ShortFrameTest : public ::testing::TestWithParam<ShortFrameCase> {};

TEST_P(ShortFrameTest, BuildsTheFiveBytes) {
    EXPECT_EQ(shortFrame(GetParam().c, GetParam().a), hex(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ShortFrameTest,
    ::testing::Values(ShortFrameCase{control::kSndNke, 5, "10 40 05 45 16"},
                      ShortFrameCase{control::kReqUd2, 5, "10 7B 05 80 16"},
                      ShortFrameCase{control::kReqUd2NoFcb, 5, "10 5B 05 60 16"},
                      ShortFrameCase{control::kReqUd2, 1, "10 7B 01 7C 16"},
                      // The checksum wraps modulo 256.
                      ShortFrameCase{control::kReqUd2, address::kBroadcast, "10 7B FF 7A 16"},
                      ShortFrameCase{control::kSndNke, address::kKeepAlive, "10 40 F9 39 16"}));

TEST(LongFrameTest, ControlFrameHasLengthThree) {
    EXPECT_EQ(controlFrame(control::kSndUd, 0x01, 0xB8), hex("68 03 03 68 53 01 B8 0C 16"));
}

TEST(LongFrameTest, CarriesDataAndChecksum) {
    // Selection by secondary address 12345678, wildcards elsewhere.
    EXPECT_EQ(longFrame(control::kSndUd, address::kSelected, ci::kSelect, hex("78 56 34 12 FF FF FF FF")),
              hex("68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16"));
}

TEST(LongFrameTest, RefusesMoreDataThanOneLengthByteHolds) {
    EXPECT_EQ(longFrame(control::kSndUd, 1, ci::kDataSend, QByteArray(252, 'x')).size(), 261);
    EXPECT_TRUE(longFrame(control::kSndUd, 1, ci::kDataSend, QByteArray(253, 'x')).isEmpty());
}

TEST(ChecksumTest, ClipsTheRangeToTheBytes) {
    EXPECT_EQ(checksum(hex("01 02 03"), -5, 10), 6);
    EXPECT_EQ(checksum(QByteArray(), 0, 3), 0);
}

TEST(ClassifyReplyTest, OnlyASingleE5IsAnAcknowledgement) {
    EXPECT_EQ(classifyReply(QByteArray()), ReplyKind::Empty);
    EXPECT_EQ(classifyReply(hex("E5")), ReplyKind::Acknowledge);
    EXPECT_EQ(classifyReply(hex("E5 E5")), ReplyKind::Telegram);
    EXPECT_EQ(classifyReply(hex("E5 68 03 03 68 08 01 72 7B 16")), ReplyKind::Telegram);
    EXPECT_EQ(classifyReply(hex("00")), ReplyKind::Telegram);
}

struct FrameCheckCase {
    const char* name;
    const char* reply;
    bool tooShort;
    bool passed;
    QStringList failures;
};

// Test names already say which row failed; print the same instead of raw bytes.
void PrintTo(const FrameCheckCase& row, std::ostream* out) {
    *out << row.name;
}

class FrameCheckTest : public ::testing::TestWithParam<FrameCheckCase> {};

TEST_P(FrameCheckTest, LogsTheTraceAndEachFailedCheck) {
    const FrameCheckCase& c = GetParam();
    const QByteArray reply = hex(c.reply);
    const FrameCheckResult result = checkLongFrame(reply);
    EXPECT_EQ(result.tooShort, c.tooShort);
    EXPECT_EQ(result.passed, c.passed);
    QStringList expected{QStringLiteral("Respond: ") + test::spacedHex(reply)};
    expected += c.failures;
    EXPECT_EQ(result.log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, FrameCheckTest,
    ::testing::Values(
        FrameCheckCase{"Good", "68 03 03 68 08 01 72 7B 16", false, true, {}},
        FrameCheckCase{"SevenBytes", "68 02 02 68 08 01 16", true, false, {}},
        FrameCheckCase{"WrongCrc", "68 03 03 68 08 01 72 7C 16", false, false, {"Wrong CRC"}},
        FrameCheckCase{"WrongStop", "68 03 03 68 08 01 72 7B 17", false, false, {"Wrong STOP byte"}},
        FrameCheckCase{
            "WrongCrcAndStop", "68 03 03 68 08 01 72 00 00", false, false, {"Wrong CRC", "Wrong STOP byte"}},
        FrameCheckCase{
            "WrongLength", "68 04 04 68 08 01 72 7B 16", false, false, {"Wrong length in the header"}},
        FrameCheckCase{"AllThree",
                       "68 09 03 68 08 01 72 00 00",
                       false,
                       false,
                       {"Wrong CRC", "Wrong STOP byte", "Wrong length in the header"}},
        // An acknowledgement and a frame in one reply period go to the decoder and fail the length check.
        FrameCheckCase{"AckThenFrame",
                       "E5 68 03 03 68 08 01 72 7B 16",
                       false,
                       false,
                       {"Wrong CRC", "Wrong length in the header"}},
        // The start bytes and the repeated L are not examined.
        FrameCheckCase{"StartNotChecked", "00 03 09 00 08 01 72 7B 16", false, true, {}}),
    [](const ::testing::TestParamInfo<FrameCheckCase>& p) { return std::string(p.param.name); });

TEST(FrameCheckTest, TraceOfAnEmptyReplyIsTheWordAlone) {
    const FrameCheckResult result = checkLongFrame(QByteArray());
    EXPECT_TRUE(result.tooShort);
    EXPECT_EQ(result.log, QStringList{QStringLiteral("Respond: ")});
}

TEST(FrameCheckTest, TraceKeepsZeroBytes) {
    EXPECT_EQ(respondTrace(hex("00 E5 0a")), QStringLiteral("Respond: 00 E5 0A "));
}

} // namespace
} // namespace holvex::codec
