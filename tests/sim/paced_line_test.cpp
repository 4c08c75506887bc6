// The simulated line at a real speed: bytes leave one slot of 11 bit times after another, talkers that
// overlap are laid over each other with a bitwise AND, and the installation file's line keys are checked.

#include "sim/installation_config.h"
#include "sim/paced_line.h"
#include "sim/sim_installation.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

TEST(PacedLineTest, ByteTimeIsElevenBits) {
    EXPECT_NEAR(PacedLine::byteMsAt(2400), 4.5833, 0.001);
    EXPECT_NEAR(PacedLine::byteMsAt(300), 36.667, 0.001);
}

TEST(PacedLineTest, BytesLeaveWhenTheirSlotEnds) {
    PacedLine line(2400); // 4.583 ms a byte
    EXPECT_NEAR(line.place(0, hex("68AABB")), 3 * line.byteMs(), 1e-9);
    EXPECT_EQ(line.takeDue(4.5), QByteArray());
    EXPECT_EQ(line.takeDue(4.6), hex("68"));
    EXPECT_NEAR(line.nextDueMs(), 2 * line.byteMs(), 1e-9);
    EXPECT_EQ(line.takeDue(100), hex("AABB"));
    EXPECT_TRUE(line.isEmpty());
    EXPECT_LT(line.nextDueMs(), 0);
}

TEST(PacedLineTest, OverlappingTalkersAreLaidOverEachOtherWithAnAnd) {
    struct Case {
        const char* name;
        double secondAtSlots; // where the second talker starts, in byte times
        const char* expected;
    };
    const Case cases[] = {
        {"after the first: both pass", 3, "F00F55E5E5"},
        {"one byte over the last", 2, "F00F45E5"},
        {"exactly over each other", 0, "A00545"},
        {"identical acknowledgements look like one", -1, ""},
    };
    for (const Case& c : cases) {
        PacedLine line(2400);
        if (c.secondAtSlots < 0) {
            line.place(0, hex("E5"));
            line.place(0, hex("E5"));
            EXPECT_EQ(line.takeAll(), hex("E5")) << c.name;
            continue;
        }
        line.place(0, hex("F00F55"));
        line.place(c.secondAtSlots * line.byteMs(), hex(c.secondAtSlots == 0 ? "AF05C5" : "E5E5"));
        EXPECT_EQ(line.takeDue(1000).toHex().toUpper(), QByteArray(c.expected)) << c.name;
    }
}

TEST(PacedLineTest, BytesNeverGoIntoSlotsAlreadyBegun) {
    PacedLine line(2400);
    line.place(0, hex("01"));
    EXPECT_EQ(line.takeDue(10), hex("01")); // slots 0 and 1 (begun at 10 ms) are gone
    line.place(0, hex("02"));
    EXPECT_NEAR(line.nextDueMs(), 4 * line.byteMs(), 1e-9);
    EXPECT_EQ(line.takeAll(), hex("02"));
}

TEST(PacedLineTest, ATalkersPiecesFollowEachOtherAndOtherTalkersOverlap) {
    PacedLine line(2400);
    const double slot = line.byteMs();
    SimResponse response;
    // Talker 0 in two pieces, the second due while the first is still going; talker 1 over its end.
    response.chunks = {
        {0, hex("111111"), 0}, {1, hex("2222"), 0}, {static_cast<int>(4 * slot), hex("F0"), 1}};
    EXPECT_NEAR(placeResponse(line, 0, response), 5 * slot, 1e-9);
    EXPECT_EQ(line.takeAll(), hex("1111112220"));
}

TEST(PacedLineTest, TheInstallationFileTakesTheLineKeys) {
    QString error;
    const auto config = parseInstallation(
        R"({"lineBaud": 2400, "echo": true, "lanDropsConnections": true, "gateway": {"dropAfterPackets": 3}})",
        &error);
    ASSERT_TRUE(config) << error.toStdString();
    EXPECT_EQ(config->lineBaud, 2400);
    EXPECT_TRUE(config->echo);
    EXPECT_TRUE(config->lanDropsConnections);
    EXPECT_EQ(config->gateway.dropAfterPackets, 3);
    for (const char* bad : {R"({"lineBaud": 100})", R"({"lineBaud": -1})", R"({"lineBaudRate": 2400})",
                            R"({"gateway": {"dropAfterPacket": 1}})"}) {
        EXPECT_FALSE(parseInstallation(bad, &error)) << bad;
    }
}

} // namespace
} // namespace holvex::sim
