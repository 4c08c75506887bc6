#include "links/channel.h"

#include "bus/run_state.h"
#include "channel_test_helpers.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace holvex;
using namespace holvex::codec;
using namespace holvex::links;
using test::spinUntil;

namespace {

// Two pseudo-terminals joined by socat: the program's end and the meter's end.
class SerialChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        programEnd = dir.filePath(QStringLiteral("program"));
        meterEnd = dir.filePath(QStringLiteral("meter"));
        socat.start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"),
                                              QStringLiteral("pty,raw,echo=0,link=") + programEnd,
                                              QStringLiteral("pty,raw,echo=0,link=") + meterEnd});
        ASSERT_TRUE(socat.waitForStarted(3000)) << "socat is needed for this test";
        ASSERT_TRUE(spinUntil([&] { return QFileInfo::exists(programEnd) && QFileInfo::exists(meterEnd); }));
        meter.setPortName(meterEnd);
        ASSERT_TRUE(meter.open(QIODevice::ReadWrite));
        settings.PortName = programEnd;
        settings.Speed = QStringLiteral("2400");
        settings.Parity = QStringLiteral("Even");
    }

    void TearDown() override {
        meter.close();
        if (socat.state() != QProcess::NotRunning) {
            socat.kill();
            socat.waitForFinished(3000);
        }
    }

    QByteArray meterReceives(int count) {
        spinUntil([&] { return meter.bytesAvailable() >= count; });
        return meter.readAll();
    }

    QTemporaryDir dir;
    QString programEnd;
    QString meterEnd;
    QProcess socat;
    QSerialPort meter;
    test::RoadsBench bench;
    Settings& settings = bench.settings;
    RunState& state = bench.state;
    test::CollectingLog& log = bench.log;
    MessageLanguage& language = bench.language;
    Channel& channel = bench.channel;
    RoadLinks& roads = bench.roads;
};

TEST_F(SerialChannelTest, ReadRequestAndReplyOverThePort) {
    QSignalSpy status(&roads, &RoadLinks::statusTextChanged);
    QSignalSpy fields(&roads, &RoadLinks::serialFieldsEnabled);
    QSignalSpy caption(&roads, &RoadLinks::portCaptionChanged);
    ASSERT_TRUE(channel.openChannel());
    EXPECT_TRUE(state.PortOpen);
    const QString openText = programEnd + QStringLiteral(" - 2400,8,Even");
    EXPECT_EQ(status.value(0).value(0).toString(), openText);
    EXPECT_TRUE(log.has(openText));
    EXPECT_EQ(fields.value(0).value(0).toBool(), false);
    EXPECT_EQ(caption.value(0).value(0).toString(), QStringLiteral("Disconnect"));

    const QByteArray request = shortFrame(control::kReqUd2, 5);
    channel.sendFrame(request, PacketKind::Read, OperationWords::read(5));
    EXPECT_EQ(meterReceives(request.size()), request);

    // Bytes including 0x00 come back unchanged, in two writes within one reply period.
    const QByteArray answer = test::hex("68 04 04 68 08 05 72 00 7F 16");
    meter.write(answer.left(3));
    meter.waitForBytesWritten(1000);
    meter.write(answer.mid(3));
    meter.waitForBytesWritten(1000);
    QByteArray taken;
    spinUntil([&] {
        taken += channel.readReply(ReplyTimer::Set).bytes;
        return taken.size() >= answer.size();
    });
    EXPECT_EQ(taken, answer);

    channel.closeChannel();
    EXPECT_FALSE(state.PortOpen);
    EXPECT_EQ(status.last().value(0).toString(), programEnd + QStringLiteral(" is closed"));
    EXPECT_EQ(caption.last().value(0).toString(), QStringLiteral("Connect to port"));
    EXPECT_EQ(fields.last().value(0).toBool(), true);
}

TEST_F(SerialChannelTest, PortHeldByAnotherProgramIsReportedInUse) {
    QSerialPort other;
    other.setPortName(programEnd);
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    EXPECT_FALSE(channel.openChannel());
    EXPECT_FALSE(state.PortOpen);
    // The line for a port that is really busy, and no second reason.
    EXPECT_TRUE(log.has(QStringLiteral("The selected serial port (") + programEnd +
                        QStringLiteral(") is in use by another program!")));
    EXPECT_FALSE(log.hasPrefix(QStringLiteral("The serial port ")));
    other.close();
    EXPECT_TRUE(channel.openChannel());
}

TEST_F(SerialChannelTest, GatewayLineIsWrittenWithoutTerminator) {
    settings.UseFerrinServ = true; // other settings still go over the serial port
    ASSERT_TRUE(channel.sendGatewayLine(QByteArrayLiteral("SET PITO=10"), GatewayLineScope::OtherSetting,
                                        QStringLiteral("Changing ping time-out...")));
    EXPECT_TRUE(state.PortOpen);
    EXPECT_TRUE(log.has(QStringLiteral("Changing ping time-out...")));
    EXPECT_EQ(meterReceives(11), QByteArrayLiteral("SET PITO=10"));
}

TEST_F(SerialChannelTest, ToggleOpensAndCloses) {
    settings.Speed = QStringLiteral("57600");
    settings.Parity = QStringLiteral("Mark");
    roads.toggleSerialPort();
    ASSERT_TRUE(state.PortOpen);
    EXPECT_TRUE(log.has(programEnd + QStringLiteral(" - 2400,8,Mark")));
    roads.toggleSerialPort();
    EXPECT_FALSE(state.PortOpen);
}

} // namespace
