#include "meters/ops/free_command_console.h"

#include "fake_channel.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::hex;

class FreeCommandTest : public ::testing::Test {
protected:
    test::Bench b;
    FreeCommandConsole console{b.context, b.freeCommand};
};

TEST_F(FreeCommandTest, HexOnSerialWritesEachByteAndLogsTheAnswer) {
    ASSERT_TRUE(console.send(QStringLiteral("10 7B 01 7C 16"), true));
    EXPECT_EQ(b.channel.sent, (QStringList{"10", "7B", "01", "7C", "16"}));
    for (const codec::PacketKind kind : b.channel.kinds) {
        EXPECT_EQ(kind, codec::PacketKind::Read);
    }
    EXPECT_TRUE(b.freeCommand.isActive());
    b.channel.pending = hex("68 03");
    b.state.RawReply = "left";
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"68 03 "});
    EXPECT_TRUE(b.state.RawReply.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_EQ(b.channel.closes, 1);
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
        FreeCommandConsole c{bench.context, bench.freeCommand};
        EXPECT_FALSE(c.send(command, true));
        EXPECT_TRUE(bench.channel.sent.isEmpty());
        EXPECT_FALSE(bench.freeCommand.isActive());
        EXPECT_EQ(bench.log.lines.size(), 1);
    }
}

TEST_F(FreeCommandTest, AcknowledgeLoggedInHex) {
    console.send(QStringLiteral("10 40 01 41 16"), true);
    b.channel.pending = test::ack();
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"E5 "});
}

TEST_F(FreeCommandTest, SilenceLogsNothing) {
    console.send(QStringLiteral("10 7B 01 7C 16"), true);
    console.tick();
    EXPECT_TRUE(b.log.lines.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_EQ(b.channel.closes, 1);
}

TEST_F(FreeCommandTest, AsciiOnSerialWritesTheTextAndLogsTextAnswer) {
    ASSERT_TRUE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_EQ(b.channel.sent, QStringList{"47 45 54 20 4D 41 49 4E"}); // no line end added
    b.channel.pending = "MAIN=1";
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"MAIN=1"});
}

TEST_F(FreeCommandTest, AsciiWithLanAdapterDown) {
    b.settings.UseLanXp = true;
    b.state.XPortConnected = false;
    b.state.RawReply = "stale";
    EXPECT_FALSE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_TRUE(b.channel.sent.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_TRUE(b.state.RawReply.isEmpty());

    b.state.XPortConnected = true;
    EXPECT_TRUE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_EQ(b.channel.sent.size(), 1);
    EXPECT_TRUE(b.freeCommand.isActive());
}

TEST_F(FreeCommandTest, AsciiThroughGateways) {
    b.settings.UseEthernet = true;
    ASSERT_TRUE(console.send(QStringLiteral("GET MAIN"), false));
    EXPECT_EQ(b.channel.deviceCommands, QStringList{"GET MAIN"});

    test::Bench bench;
    FreeCommandConsole server{bench.context, bench.freeCommand};
    bench.settings.UseFerrinServ = true;
    bench.settings.NetNumber = QStringLiteral("10.0.0.7");
    ASSERT_TRUE(server.send(QStringLiteral("GET MAIN"), false));
    EXPECT_EQ(bench.state.NetworkNumber, (std::array<std::uint8_t, 4>{10, 0, 0, 7}));
    EXPECT_EQ(bench.channel.deviceCommands, QStringList{"GET MAIN"});
    EXPECT_TRUE(bench.freeCommand.isActive());
}

TEST_F(FreeCommandTest, HexThroughAGatewayGoesAsOneFrame) {
    b.settings.UseEthernet = true;
    ASSERT_TRUE(console.send(QStringLiteral("10 7B 01 7C 16"), true));
    EXPECT_EQ(b.channel.sent, QStringList{"10 7B 01 7C 16"});
    EXPECT_EQ(b.channel.kinds.front(), codec::PacketKind::Read);
    EXPECT_TRUE(b.freeCommand.isActive());
}

TEST_F(FreeCommandTest, EmptyFieldOrChannelNotReady) {
    EXPECT_FALSE(console.send(QString(), true));
    EXPECT_EQ(b.channel.opens, 0);
    b.channel.ready = false;
    EXPECT_FALSE(console.send(QStringLiteral("10"), true));
    EXPECT_TRUE(b.channel.sent.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
}

TEST_F(FreeCommandTest, SerialPortThatDidNotOpenGetsNothing) {
    b.state.PortOpen = false;
    EXPECT_FALSE(console.send(QStringLiteral("10 7B"), true));
    EXPECT_TRUE(b.channel.sent.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_TRUE(b.log.lines.isEmpty());
}

TEST_F(FreeCommandTest, AnswerOfAnotherCommandFollowsTheAsciiBox) {
    console.setAsciiTicked(true);
    console.startAnswerTimer();
    b.channel.pending = "OK";
    console.tick();
    EXPECT_EQ(b.log.lines, QStringList{"OK"});
}

} // namespace
} // namespace holvex
