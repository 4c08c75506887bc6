#include "meters/ops/free_command_console.h"

#include "fake_link.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::hex;

class FreeCommandTest : public ::testing::Test {
protected:
    test::Bench b;
    FreeCommandConsole& console = b.ops.console();
};

TEST_F(FreeCommandTest, HexOnSerialWritesEachByteAndLogsTheAnswer) {
    ASSERT_TRUE(console.send(QStringLiteral("10 7B 01 7C 16"), true));
    EXPECT_EQ(b.link.sent, (QStringList{"10", "7B", "01", "7C", "16"}));
    for (const codec::PacketKind kind : b.link.kinds) {
        EXPECT_EQ(kind, codec::PacketKind::Read);
    }
    EXPECT_TRUE(b.freeCommand.isActive());
    b.link.pending = hex("68 03");
    b.state.RawReply = "left";
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"68 03 "});
    EXPECT_TRUE(b.state.RawReply.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_EQ(b.link.closes, 1);
}

TEST_F(FreeCommandTest, HexParsing) {
    struct Case {
        const char* command;
        const char* bytes; // nullptr: rejected
        const char* message;
    };
    const Case cases[] = {
        {"123 4", "12 04", ""},
        {"10  7B", "10 7B", ""}, // two blanks send no extra byte
        {"A", nullptr, "Wrong custom hex command, 2 symbols at least..."},
        {"5 7b", nullptr, "Wrong custom hex command, 0..F uppercase allowed"},
        {"1G", nullptr, "Wrong custom hex command, 0..F uppercase allowed"},
        {"FF", "FF", ""},
        {"  ", "", ""},
    };
    for (const Case& c : cases) {
        QString error;
        const std::optional<QByteArray> bytes =
            FreeCommandConsole::parseHexCommand(QString::fromLatin1(c.command), &error);
        if (c.bytes == nullptr) {
            EXPECT_FALSE(bytes.has_value()) << c.command;
            EXPECT_EQ(error, QString::fromLatin1(c.message)) << c.command;
        } else {
            ASSERT_TRUE(bytes.has_value()) << c.command;
            EXPECT_EQ(*bytes, hex(c.bytes)) << c.command;
        }
    }
}

TEST_F(FreeCommandTest, RejectedHexSendsNothing) {
    for (const QString& command : {QStringLiteral("5 7b"), QStringLiteral("7")}) {
        test::Bench bench;
        FreeCommandConsole& c = bench.ops.console();
        EXPECT_FALSE(c.send(command, true));
        EXPECT_TRUE(bench.link.sent.isEmpty());
        EXPECT_FALSE(bench.freeCommand.isActive());
        EXPECT_EQ(bench.log.lines.size(), 1);
    }
}

TEST_F(FreeCommandTest, AcknowledgeLoggedInHex) {
    console.send(QStringLiteral("10 40 01 41 16"), true);
    b.link.pending = test::ack();
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"E5 "});
}

TEST_F(FreeCommandTest, SilenceLogsNothing) {
    console.send(QStringLiteral("10 7B 01 7C 16"), true);
    console.tick();
    EXPECT_TRUE(b.log.lines.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_EQ(b.link.closes, 1);
}

TEST_F(FreeCommandTest, AsciiOnSerialWritesTheTextAndLogsTextAnswer) {
    ASSERT_TRUE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_EQ(b.link.lines, QStringList{"GET MAIN"}); // a device line: no line end added
    b.link.pending = "MAIN=1";
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"MAIN=1"});
}

// The road's connection down (a LAN adapter that dropped): nothing is awaited.
TEST_F(FreeCommandTest, AsciiWithTheRoadDown) {
    b.link.roadUp = false;
    EXPECT_FALSE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_FALSE(b.freeCommand.isActive());

    b.link.roadUp = true;
    EXPECT_TRUE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_EQ(b.link.lines, QStringList{"GET MAIN"});
    EXPECT_TRUE(b.freeCommand.isActive());
}

TEST_F(FreeCommandTest, HexThroughAGatewayGoesAsOneFrame) {
    b.link.road = links::LinkKind::CallingGateway;
    ASSERT_TRUE(console.send(QStringLiteral("10 7B 01 7C 16"), true));
    EXPECT_EQ(b.link.sent, QStringList{"10 7B 01 7C 16"});
    EXPECT_EQ(b.link.kinds.front(), codec::PacketKind::Read);
    EXPECT_TRUE(b.freeCommand.isActive());
}

TEST_F(FreeCommandTest, EmptyFieldOrChannelNotReady) {
    EXPECT_FALSE(console.send(QString(), true));
    EXPECT_EQ(b.link.opens, 0);
    b.link.ready = false;
    EXPECT_FALSE(console.send(QStringLiteral("10"), true));
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
}

TEST_F(FreeCommandTest, SerialPortThatDidNotOpenGetsNothing) {
    b.link.roadUp = false;
    EXPECT_FALSE(console.send(QStringLiteral("10 7B"), true));
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_TRUE(b.log.lines.isEmpty());
}

// Until its answer has been taken (and the channel closed by the tick), nothing else may start on the bus.
TEST_F(FreeCommandTest, AnAwaitedAnswerHoldsTheBus) {
    ASSERT_TRUE(b.bus.start([this] { return console.send(QStringLiteral("10 7B 01 7C 16"), true); }));
    EXPECT_TRUE(b.bus.busy());
    EXPECT_FALSE(b.bus.start([] { return true; }));
    console.tick();
    EXPECT_FALSE(b.bus.busy());
}

TEST_F(FreeCommandTest, AnswerOfAnotherCommandFollowsTheAsciiBox) {
    console.setAsciiTicked(true);
    console.startAnswerTimer();
    b.link.pending = "OK";
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"OK"});
}

} // namespace
} // namespace holvex
