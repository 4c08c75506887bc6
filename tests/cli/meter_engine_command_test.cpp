#include "bus_command_fixture.h"

#include <QDir>

namespace holvex::cli::test {
namespace {

class MeterEngineTest : public BusCommandTest {
protected:
    void SetUp() override {
        BusCommandTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_record = homePath() + QStringLiteral("/frames.txt");
        ASSERT_TRUE(sim().record(m_record));
    }

    // The frames the simulator received since the last call, one "XX XX ..." text each.
    QList<QByteArray> takeFrames() {
        QFile file(m_record);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        QList<QByteArray> lines = outputLines(file.readAll());
        const QList<QByteArray> fresh = lines.mid(m_seen);
        m_seen = static_cast<int>(lines.size());
        return fresh;
    }

    std::optional<sim::SimMeterState> meter(const QString& id) {
        for (const sim::SimMeterState& state : sim().meterStates()) {
            if (state.id == id) {
                return state;
            }
        }
        return std::nullopt;
    }

    QString tablePath(const QByteArray& csv) {
        const QString path = homePath() + QStringLiteral("/table.csv");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(csv);
        return path;
    }

private:
    QString m_record;
    int m_seen = 0;
};

QStringList args(std::initializer_list<const char*> words) {
    QStringList list;
    for (const char* word : words) {
        list.append(QString::fromUtf8(word));
    }
    return list;
}

// Every configuration command through the window's own operation: the frame the meter receives, byte for
// byte, and what the simulated meter took from it.
TEST_F(MeterEngineTest, ConfigurationCommandsSendTheirFramesAndTheMetersTakeThem) {
    RunResult r = runCli(args({"set-baud", "--address", "1", "2400"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(takeFrames(), QList<QByteArray>{"68 03 03 68 53 01 BB 0F 16"});
    EXPECT_EQ(meter("21034501")->codes.baudCode, 0xBB);

    r = runCli(args({"set-id", "--address", "1", "--to", "00000042"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QList<QByteArray> frames = takeFrames();
    ASSERT_FALSE(frames.isEmpty());
    EXPECT_EQ(frames.first(), "68 09 09 68 73 01 51 0C 79 42 00 00 00 8C 16");
    EXPECT_TRUE(r.out.startsWith("00000042;1;SEN")) << r.out.toStdString(); // the read-back row
    EXPECT_TRUE(meter("00000042").has_value());

    // Through the ID: the meter is read by its selection first, then reached at its primary address.
    r = runCli(args({"set-pulse-value", "--id", "21034502", "99999999"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    frames = takeFrames();
    EXPECT_TRUE(frames.contains("68 09 09 68 53 02 51 04 13 FF E0 F5 00 91 16")) << frames.join('|').data();
    EXPECT_EQ(meter("21034502")->codes.pulseValue, 0x00F5E0FFu);

    r = runCli(args({"set-unit", "--address", "2", "l", "0.01"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The meter's own medium (water) goes with the new unit.
    EXPECT_TRUE(takeFrames().contains("68 09 09 68 53 02 51 0F 11 03 07 01 01 D2 16"));
    EXPECT_EQ(meter("21034502")->codes.unitCode, 0x11);

    r = runCli(args({"set-pulse-width", "--address", "4", "20ms"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(meter("21034504")->codes.pulseWidthCode, 3);

    r = runCli(args({"set-counter", "--address", "4", "independent"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "E5\n");
    EXPECT_EQ(meter("21034504")->codes.counterType, 0xC301);

    r = runCli(args({"set-medium", "--address", "4", "gas"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(meter("21034504")->medium, 0x03);
    takeFrames();

    r = runCli(args({"reset", "--broadcast"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(takeFrames(), QList<QByteArray>{"10 40 FE 3E 16"});
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(MeterEngineTest, AMeterThatIsNotThereChangesNothing) {
    RunResult r = runCli(args({"set-id", "--id", "99999999", "--to", "12345678"}));
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("nothing was changed")) << r.err.toStdString();
    // Only the selection went out: no configuration frame after a silent selection.
    for (const QByteArray& frame : takeFrames()) {
        EXPECT_FALSE(frame.startsWith("68 09 09 68 73")) << frame.data();
    }
    r = runCli(args({"set-unit", "--address", "3", "Wh", "1"}));
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("No response from address 3")) << r.err.toStdString();
}

TEST_F(MeterEngineTest, ReadAllReadsEverySavedRowAndSavesTheTable) {
    const QString table =
        tablePath("21034501;1;;;;;;;;;;;\r\n99999999;3;;;;;;;;;;;\r\n21034504;4;;;;;;;;;;;\r\n");
    const QString out = homePath() + QStringLiteral("/out.csv");
    const RunResult r =
        runCli({QStringLiteral("read-all"), QStringLiteral("--table"), table, QStringLiteral("--out"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QList<QByteArray> rows = outputLines(r.out);
    ASSERT_EQ(rows.size(), 3) << r.out.toStdString();
    EXPECT_TRUE(rows[0].startsWith("21034501;1;SEN;123,456")) << rows[0].data();
    EXPECT_TRUE(rows[1].startsWith("99999999;3;;")) << rows[1].data();
    EXPECT_TRUE(rows[2].startsWith("21034504;4;SEN;4321")) << rows[2].data();
    QFile saved(out);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().startsWith(rows[0]));
}

TEST_F(MeterEngineTest, AutoAddressGivesEveryMeterOfTheFileItsAddress) {
    const QString table =
        tablePath("21034501;1;SEN;;;;;;;;;;\r\n21034502;2;SEN;;;;;;;;;;\r\n21034504;4;SEN;;;;;;;;;;\r\n");
    const RunResult r = runCli({QStringLiteral("auto-address"), QStringLiteral("--table"), table,
                                QStringLiteral("--from"), QStringLiteral("10")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("Auto addressing has finished...")) << r.err.toStdString();
    EXPECT_EQ(meter("21034501")->address, 10);
    EXPECT_EQ(meter("21034502")->address, 11);
    // The file's last meter is addressed too.
    EXPECT_EQ(meter("21034504")->address, 12);
    EXPECT_TRUE(r.out.contains("21034504;12;SEN")) << r.out.toStdString();
}

TEST_F(MeterEngineTest, ReportOfAMeterAndOfAReplyText) {
    const RunResult r = runCli(args({"report", "--address", "1"}));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("{\"lines\":[")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Decoded at ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\"ID:21034501\"")) << r.out.toStdString();
    const QByteArray frame = takeFrames().value(0);
    EXPECT_TRUE(frame.endsWith(" 01 7C 16") || frame.endsWith(" 01 5C 16")) << frame.data();

    const RunResult bad = runRaw(args({"report", "68 0G"}));
    EXPECT_EQ(bad.exitCode, 2);
}

// Every command answers --help on standard output, and the program's own help lists them all.
TEST_F(MeterEngineTest, EveryCommandHasHelp) {
    const RunResult all = runRaw({QStringLiteral("--help")});
    ASSERT_EQ(all.exitCode, 0);
    const QStringList commands = {
        "decode",          "init-home",       "scan",        "read",       "send",         "search",
        "set-address",     "read-all",        "set-id",      "set-medium", "set-unit",     "set-baud",
        "set-pulse-width", "set-pulse-value", "set-counter", "reset",      "auto-address", "report",
        "gateway",         "display"};
    for (const QString& command : commands) {
        EXPECT_TRUE(all.out.contains("holvex-cli " + command.toUtf8() + ' ')) << command.toStdString();
        const RunResult one = runRaw({command, QStringLiteral("--help")});
        EXPECT_EQ(one.exitCode, 0) << command.toStdString();
        EXPECT_TRUE(one.out.startsWith("usage: holvex-cli " + command.toUtf8())) << one.out.toStdString();
        EXPECT_TRUE(one.err.isEmpty()) << command.toStdString();
    }
}

struct BadMeterCommand {
    const char* name;
    QStringList arguments;
};

class BadMeterCommandTest : public BusCommandTest, public ::testing::WithParamInterface<BadMeterCommand> {};

TEST_P(BadMeterCommandTest, ExitTwoWithOneLineAndNothingSent) {
    const RunResult result = runCli(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadMeterCommandTest,
    ::testing::Values(BadMeterCommand{"NoTarget", {"set-baud", "2400"}},
                      BadMeterCommand{"TwoTargets", {"set-baud", "--address", "1", "--broadcast", "2400"}},
                      BadMeterCommand{"Baud9600", {"set-baud", "--address", "1", "9600"}},
                      BadMeterCommand{"NoValue", {"set-medium", "--address", "1"}},
                      BadMeterCommand{"UnknownMedium", {"set-medium", "--address", "1", "Steam"}},
                      BadMeterCommand{"UnknownUnit", {"set-unit", "--address", "1", "m3", "1"}},
                      BadMeterCommand{"BroadcastUnitWithoutMedium", {"set-unit", "--broadcast", "l", "1"}},
                      BadMeterCommand{"CounterBroadcast", {"set-counter", "--broadcast", "single"}},
                      BadMeterCommand{"IdBroadcast", {"set-id", "--broadcast", "--to", "12345678"}},
                      BadMeterCommand{"NewIdShort", {"set-id", "--address", "1", "--to", "1234"}},
                      BadMeterCommand{"PulseValueNine", {"set-pulse-value", "--address", "1", "123456789"}},
                      BadMeterCommand{"Address256", {"reset", "--address", "256"}},
                      BadMeterCommand{"ReadAllNoTable", {"read-all"}},
                      BadMeterCommand{"ReadAllMissingFile", {"read-all", "--table", "/nonexistent/t.csv"}},
                      BadMeterCommand{"AutoFrom250", {"auto-address", "--table", "t.csv", "--from", "250"}},
                      BadMeterCommand{"ReportBoth", {"report", "68", "--address", "1"}}),
    [](const ::testing::TestParamInfo<BadMeterCommand>& test) { return std::string(test.param.name); });

} // namespace
} // namespace holvex::cli::test
