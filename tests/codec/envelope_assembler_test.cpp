#include "codec/envelope_assembler.h"

#include <gtest/gtest.h>

#include <algorithm>

using holvex::codec::EnvelopeAssembler;
using Outcome = EnvelopeAssembler::Outcome;

namespace {

QByteArray numbered(int size, int first = 0) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((first + i) & 0xFF);
    }
    return bytes;
}

class EnvelopeAssemblerTest : public ::testing::Test {
protected:
    EnvelopeAssembler::Buffer buffer{};
    int count = 0;
    EnvelopeAssembler assembler{buffer, count};
};

TEST_F(EnvelopeAssemblerTest, PacketInThreePiecesIsCompleteOnlyAfterTheThird) {
    const QByteArray whole = numbered(300);
    auto first = assembler.append(whole.mid(0, 100));
    EXPECT_EQ(first.outcome, Outcome::Waiting);
    EXPECT_EQ(count, 100);
    auto second = assembler.append(whole.mid(100, 100));
    EXPECT_EQ(second.outcome, Outcome::Waiting);
    EXPECT_EQ(count, 200);
    auto third = assembler.append(whole.mid(200, 100));
    ASSERT_EQ(third.outcome, Outcome::Packet);
    EXPECT_EQ(third.packet, whole);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(EnvelopeAssemblerTest, ThreeHundredAndOneBytesAreReportedAndDiscarded) {
    EXPECT_EQ(assembler.append(numbered(300).left(200)).outcome, Outcome::Waiting);
    auto result = assembler.append(numbered(101));
    EXPECT_EQ(result.outcome, Outcome::WrongCount);
    EXPECT_EQ(result.count, 301);
    EXPECT_EQ(count, 0);
    // The next packet starts clean.
    const QByteArray whole = numbered(300, 7);
    EXPECT_EQ(assembler.append(whole).packet, whole);
}

TEST_F(EnvelopeAssemblerTest, FullReadOnTopOfAlmostFullBufferNeverWritesPastIt) {
    // 299 bytes waiting, then a whole read of 300: the count reached is 599 and nothing is copied.
    ASSERT_EQ(assembler.append(numbered(299)).outcome, Outcome::Waiting);
    auto result = assembler.append(QByteArray(300, '\x55'));
    EXPECT_EQ(result.outcome, Outcome::WrongCount);
    EXPECT_EQ(result.count, 599);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(std::none_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0x55; }));
}

TEST_F(EnvelopeAssemblerTest, NegativeCountIsReportedAndReset) {
    count = -5;
    auto result = assembler.append(numbered(10));
    EXPECT_EQ(result.outcome, Outcome::WrongCount);
    EXPECT_EQ(result.count, 5);
    EXPECT_EQ(count, 0);
}

TEST_F(EnvelopeAssemblerTest, PieceSizesThatAddUpExactly) {
    struct Case {
        std::vector<int> pieces;
        Outcome last;
    };
    const Case cases[] = {
        {{300}, Outcome::Packet},       {{1, 299}, Outcome::Packet},       {{299, 1}, Outcome::Packet},
        {{150, 149}, Outcome::Waiting}, {{150, 151}, Outcome::WrongCount}, {{0, 0, 300}, Outcome::Packet},
    };
    for (const Case& c : cases) {
        assembler.clear();
        EnvelopeAssembler::Result result;
        int offset = 0;
        for (int size : c.pieces) {
            result = assembler.append(numbered(size, offset));
            offset += size;
        }
        EXPECT_EQ(result.outcome, c.last) << "pieces of " << c.pieces.size();
        if (result.outcome == Outcome::Packet) {
            EXPECT_EQ(result.packet, numbered(300));
        }
    }
}

} // namespace
