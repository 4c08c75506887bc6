#include "codec/reply_frames.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace holvex::codec {
namespace {

using test::hex;

// A long answer of the meter at 2 and one of the meter at 3 (C 08, CI 72, no records).
constexpr const char* kFrom2 = "68 03 03 68 08 02 72 7C 16";
constexpr const char* kFrom3 = "68 03 03 68 08 03 72 7D 16";

TEST(AwaitedAddressTest, OnlyShortFramesToOnePrimaryAddress) {
    EXPECT_EQ(awaitedAddressOf(hex("10 7B 03 7E 16")), 3);
    EXPECT_EQ(awaitedAddressOf(hex("10 40 00 40 16")), 0);
    EXPECT_EQ(awaitedAddressOf(hex("10 7B FA 75 16")), 250);
    EXPECT_EQ(awaitedAddressOf(hex("10 7B FD 78 16")), std::nullopt); // the selected meter
    EXPECT_EQ(awaitedAddressOf(hex("10 7B FE 79 16")), std::nullopt); // any meter
    EXPECT_EQ(awaitedAddressOf(hex("68 03 03 68 53 01 B8 0C 16")), std::nullopt);
    EXPECT_EQ(awaitedAddressOf(hex("10 7B 03")), std::nullopt);
}

struct Case {
    const char* name;
    QByteArray bytes;
    std::optional<int> awaited;
    QByteArray answer;
    QList<int> ignored;
    bool incomplete;
    bool complete; // whole frames holding an answer: the wait may end
};

class TakeAwaitedReplyTest : public ::testing::TestWithParam<Case> {};

TEST_P(TakeAwaitedReplyTest, TakesTheAskedMetersFrame) {
    const Case& c = GetParam();
    const AwaitedReply reply = takeAwaitedReply(c.bytes, c.awaited);
    EXPECT_EQ(reply.bytes, c.answer);
    EXPECT_EQ(reply.ignored, c.ignored);
    EXPECT_EQ(reply.incomplete, c.incomplete);
    EXPECT_EQ(reply.complete, c.complete);
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, TakeAwaitedReplyTest,
    ::testing::Values(
        Case{"Alone", hex(kFrom3), 3, hex(kFrom3), {}, false, true},
        Case{"LateAnswerFirst", hex(kFrom2) + hex(kFrom3), 3, hex(kFrom3), {2}, false, true},
        Case{"LateAnswerAfter", hex(kFrom3) + hex(kFrom2), 3, hex(kFrom3), {2}, false, true},
        // Two meters at one address: still the collision it was.
        Case{"TwoAnswersFromTheAskedAddress",
             hex(kFrom3) + hex(kFrom3),
             3,
             hex(kFrom3) + hex(kFrom3),
             {},
             false,
             true},
        // The asked meter's answer and the start of another: the rest is waited for before judging.
        Case{"AnswerAndAStartedFrame",
             hex(kFrom3) + hex("68 03 03"),
             3,
             hex(kFrom3) + hex("68 03 03"),
             {},
             true,
             false},
        Case{"OnlyAnotherMeter", hex(kFrom2), 3, {}, {2}, false, false},
        Case{"Acknowledgement", hex("E5"), 3, hex("E5"), {}, false, true},
        Case{"AcknowledgementAfterALateAnswer", hex(kFrom2) + hex("E5"), 3, hex("E5"), {2}, false, true},
        // The rest of the asked meter's answer has not arrived yet.
        Case{"CutByTheTick", hex("68 03 03 68 08 03"), 3, hex("68 03 03 68 08 03"), {}, true, false},
        Case{"CutAfterALateAnswer", hex(kFrom2) + hex("68 03"), 3, hex("68 03"), {2}, true, false},
        Case{"OnlyTheStartByte", hex("68"), 3, hex("68"), {}, true, false},
        // Bytes that form no frame are handed on for the checks to log.
        Case{"Garbled",
             hex("68 05 03 68 08 03 72 7D 16"),
             3,
             hex("68 05 03 68 08 03 72 7D 16"),
             {},
             false,
             false},
        Case{"WrongStopByte",
             hex("68 03 03 68 08 03 72 7D 17"),
             3,
             hex("68 03 03 68 08 03 72 7D 17"),
             {},
             false,
             false},
        Case{"GarbageAfterALateAnswer", hex(kFrom2) + hex("00 FF"), 3, hex("00 FF"), {2}, false, false},
        Case{"AnswerThenGarbage", hex(kFrom3) + hex("00"), 3, hex(kFrom3) + hex("00"), {}, false, false},
        // Without an awaited meter nothing is left out.
        Case{
            "Broadcast", hex(kFrom2) + hex(kFrom3), std::nullopt, hex(kFrom2) + hex(kFrom3), {}, false, true},
        Case{"BroadcastCut", hex("68 03 03 68"), std::nullopt, hex("68 03 03 68"), {}, true, false},
        Case{"Nothing", {}, 3, {}, {}, false, false}),
    [](const ::testing::TestParamInfo<Case>& param) { return param.param.name; });

} // namespace
} // namespace holvex::codec
