// holvex-cli display read | values | history | info against the simulated display unit behind
// a LAN adapter port.
#include "bus_command_fixture.h"

#include "sim/display_unit.h"

namespace holvex::cli::test {
namespace {

const QByteArray kInstallation = R"({
  "turnaroundMs": 5,
  "display": {"entries": [
    {"address": 2, "unit": "kWh", "pulses": 40, "tariffPulses": [30, 10, 0, 0], "userNumber": "7", "text": "Shop",
     "stepPulses": 5, "history": {"start": "2026-01", "values": [1, 2, 3]}},
    {"address": 4, "unit": "m3", "mult": 1, "div": 10, "pulses": 125, "userNumber": "3", "text": "Flat 3"}]},
  "meters": [{"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 1, "medium": "water",
              "records": [{"type": "volume", "value": 1.5}]}]
})";

class DisplayReadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(cliPath())) {
            GTEST_SKIP() << "holvex-cli is not built next to the tests";
        }
        QString error;
        ASSERT_TRUE(m_sim.start(kInstallation, &error)) << error.toStdString();
        const std::optional<quint16> port = m_sim.addLan(0);
        ASSERT_TRUE(port.has_value());
        m_lan = QStringLiteral("127.0.0.1:%1").arg(*port);
        ASSERT_TRUE(m_home.isValid());
        QFile settings(m_home.filePath(QStringLiteral("holvex.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Misc]\r\nExportSeparator=;\r\nRetry=0\r\n");
    }

    RunResult run(const QStringList& arguments) {
        QProcess process;
        process.start(cliPath(),
                      QStringList{QStringLiteral("display")} + arguments +
                          QStringList{QStringLiteral("--home"), m_home.path(), QStringLiteral("--lan"), m_lan,
                                      QStringLiteral("--timeout"), QStringLiteral("300")});
        RunResult result;
        if (!process.waitForStarted(10000)) {
            return result;
        }
        process.closeWriteChannel();
        process.waitForFinished(60000);
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    QByteArray fileText(const QString& name) {
        QFile file(m_home.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    sim::SimThread m_sim;
    QTemporaryDir m_home;
    QString m_lan;
};

TEST_F(DisplayReadCommandTest, ReadTariffsAndHistoryGoThroughTheTablesFiles) {
    const QString data = m_home.filePath(QStringLiteral("lumetR7_data.csv"));
    RunResult result = run({QStringLiteral("read"), QStringLiteral("--out"), data});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(fileText(QStringLiteral("lumetR7_data.csv")),
              QByteArray(";2;kWh;0;1/1;7;Shop;40;;;;;;\r\n;4;m3;0;1/10;3;Flat 3;12.5;;;;;;\r\n"));
    EXPECT_TRUE(result.err.contains("Active devices: 2,4")) << result.err.toStdString();

    result = run({QStringLiteral("values"), QStringLiteral("--tariffs"), QStringLiteral("--table"), data});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith(";2;kWh;0;1/1;7;Shop;40;30;10;0;0;;\r\n")) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("Reading tarriffs of device 4..."));

    const QString readings = m_home.filePath(QStringLiteral("lumetR7_readings.csv"));
    result = run({QStringLiteral("history"), QStringLiteral("--table"), data, QStringLiteral("--month"),
                  QStringLiteral("Feb"), QStringLiteral("--out"), readings});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = fileText(QStringLiteral("lumetR7_readings.csv")).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.at(0), QByteArray("\r"));
    EXPECT_TRUE(lines.at(1).startsWith("ID ;Addr. ;")) << lines.at(1).toStdString();
    EXPECT_EQ(lines.at(2), QByteArray(";2;kWh;0;1/1;7;Shop;40;;;;;;2;;;;;;;;;;;\r"));
    EXPECT_TRUE(result.err.contains("No history values saved yet for address 4"));
}

TEST_F(DisplayReadCommandTest, InfoAndBadArguments) {
    RunResult result = run(
        {QStringLiteral("info"), QStringLiteral("entry3"), QStringLiteral("--address"), QStringLiteral("4")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains("Flat 3")) << result.out.toStdString();

    const std::vector<std::pair<QStringList, const char*>> cases{
        {{"info", "entry1"}, "Not valid address selected..."},
        {{"info", "colour"}, "info takes"},
        {{"values", "--table", "x.csv"}, "one of --main and --tariffs"},
        {{"history", "--table", "x.csv", "--month", "March"}, "--month ALL"},
        {{"history", "--month", "ALL"}, "needs --table"},
    };
    for (const auto& [arguments, message] : cases) {
        result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(message)) << result.err.toStdString();
    }
}

} // namespace
} // namespace holvex::cli::test
