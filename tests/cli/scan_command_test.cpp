#include "bus_command_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>

namespace holvex::cli::test {
namespace {

TEST_F(BusCommandTest, ScanFindsTheThreeMetersAsCsvLines) {
    const RunResult result = runCli({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("1"),
                                     QStringLiteral("--to"), QStringLiteral("5")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = outputLines(result.out);
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString();
    for (const QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith(";\r")) << line.toStdString(); // every field ends with the separator
        EXPECT_EQ(line.count(';'), 12);
    }
    EXPECT_TRUE(lines[0].startsWith("21034501;1;")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("21034502;2;")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("21034504;4;")) << lines[2].toStdString();
    // The file's decimal separator in the value column.
    EXPECT_EQ(lines[0].split(';').at(3), QByteArray("123,456"));
    // The event log went to standard error as it was written.
    EXPECT_TRUE(result.err.contains("Reading device 5")) << result.err.toStdString();
}

TEST_F(BusCommandTest, ScanAsJson) {
    const RunResult result = runCli({QStringLiteral("scan"), QStringLiteral("--from=5"),
                                     QStringLiteral("--to=1"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(result.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    const QJsonArray rows = object.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 3);
    QStringList addresses;
    for (const QJsonValue& row : rows) {
        addresses.append(row.toObject().value(QStringLiteral("address")).toString());
    }
    EXPECT_EQ(addresses, (QStringList{"1", "2", "4"}));
    const QJsonObject first = rows.at(0).toObject();
    EXPECT_EQ(first.value(QStringLiteral("id")).toString(), QStringLiteral("21034501"));
    // JSON keeps the value as the table shows it.
    EXPECT_EQ(first.value(QStringLiteral("value")).toString(), QStringLiteral("123.456"));
    EXPECT_TRUE(first.value(QStringLiteral("extra")).isArray());
    EXPECT_EQ(first.keys().size(), 13);
}

TEST_F(BusCommandTest, TheSettingsFileChoosesTheGatewayOfTheServerVersion) {
    const std::optional<quint16> port = sim().addGatewayServer(0);
    ASSERT_TRUE(port.has_value());
    writeSettings(
        QStringLiteral("[Misc]\r\nUseFerrinServ=1\r\nRetry=0\r\n[LANXP]\r\nIP=127.0.0.1\r\nPort=%1\r\n"
                       "NetNumber=0.0.0.1\r\n[Mbus]\r\nTimeout=600\r\n")
            .arg(*port)
            .toLatin1());
    const RunResult result =
        runRaw({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"),
                QStringLiteral("2"), QStringLiteral("--home"), homePath()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = outputLines(result.out);
    ASSERT_EQ(lines.size(), 2) << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(lines[0].startsWith("21034501;1;")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("21034502;2;")) << lines[1].toStdString();
}

TEST_F(BusCommandTest, ReadThroughAGatewayCallingIn) {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    writeSettings(QStringLiteral("[Misc]\r\nUseEthernet=1\r\nRetry=0\r\n[Ethernet]\r\nPort=%1\r\n"
                                 "[Mbus]\r\nTimeout=600\r\n")
                      .arg(port)
                      .toLatin1());
    sim().addGatewayCall(QStringLiteral("127.0.0.1"), port, 50);
    const RunResult result = runRaw({QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("4"),
                                     QStringLiteral("--home"), homePath()});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("21034504;4;")) << result.out.toStdString() << result.err.toStdString();
}

TEST_F(BusCommandTest, ScanOnTheSerialPortNamedByPort) {
    QTemporaryDir links;
    ASSERT_TRUE(links.isValid());
    const QString link = links.filePath(QStringLiteral("ttyMBUS"));
    QString error;
    ASSERT_TRUE(sim().addPty(link, &error)) << error.toStdString();
    // --port wins over the LAN adapter of the settings file.
    writeSettings("[Misc]\r\nUseLanXp=1\r\nRetry=0\r\n");
    const RunResult result =
        runRaw({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"),
                QStringLiteral("2"), QStringLiteral("--home"), homePath(), QStringLiteral("--port"), link,
                QStringLiteral("--timeout"), QStringLiteral("300")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = outputLines(result.out);
    ASSERT_EQ(lines.size(), 2) << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(lines[1].startsWith("21034502;2;")) << lines[1].toStdString();
}

TEST_F(BusCommandTest, ReadOneAddress) {
    const RunResult result = runCli({QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("2"),
                                     QStringLiteral("--whole-timeout")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = outputLines(result.out);
    ASSERT_EQ(lines.size(), 1) << result.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("21034502;2;SEN;7,5")) << lines[0].toStdString();
}

TEST_F(BusCommandTest, ReadOfASilentAddressKeepsTheRow) {
    const RunResult result =
        runCli({QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("3")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("No response from address 3")) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray(";3;;;;;;;;;;;\r\n"));
}

struct BadArguments {
    const char* name;
    QStringList arguments;
};

class BadArgumentsTest : public BusCommandTest, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(BadArgumentsTest, ExitTwoWithOneLine) {
    const RunResult result = runRaw(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadArgumentsTest,
    ::testing::Values(
        BadArguments{"ScanWithoutTo", {"scan", "--from", "1"}},
        BadArguments{"AddressAbove255", {"read", "--address", "256"}},
        BadArguments{"AddressNotANumber", {"read", "--address", "x1"}},
        BadArguments{"TimeoutTooShort", {"scan", "--from", "1", "--to", "2", "--timeout", "299"}},
        BadArguments{"RetryTooHigh", {"read", "--address", "1", "--retry", "10"}},
        BadArguments{"LanWithoutPort", {"read", "--address", "1", "--lan", "127.0.0.1"}},
        BadArguments{"LanBadHost", {"read", "--address", "1", "--lan", "host:10001"}},
        BadArguments{"PortAndLan", {"read", "--address", "1", "--port", "x", "--lan", "127.0.0.1:1"}},
        BadArguments{"MissingValue", {"read", "--address"}},
        BadArguments{"UnknownOption", {"scan", "--from", "1", "--to", "2", "--fast"}},
        BadArguments{"OptionOfAnotherCommand", {"read", "--address", "1", "--from", "1"}},
        BadArguments{"HomeMissing", {"read", "--address", "1", "--home", "/nonexistent/holvex"}},
        BadArguments{"SendBoth", {"send", "--hex", "10", "--ascii", "x"}},
        BadArguments{"SendNeither", {"send"}}, BadArguments{"SendLowerCaseHex", {"send", "--hex", "10 7b"}},
        BadArguments{"SendOneDigit", {"send", "--hex", "1"}}),
    [](const ::testing::TestParamInfo<BadArguments>& test) { return std::string(test.param.name); });

TEST_F(BusCommandTest, UnknownCommandShowsTheUsage) {
    const RunResult result = runRaw({QStringLiteral("sweep")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.err.contains("holvex-cli scan --from A --to B")) << result.err.toStdString();
}

TEST_F(BusCommandTest, LanPortNobodyListensOnExitsOne) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    server.close(); // the port is free again and nobody accepts on it
    const RunResult result =
        runRaw({QStringLiteral("scan"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"),
                QStringLiteral("2"), QStringLiteral("--home"), homePath(), QStringLiteral("--lan"),
                QStringLiteral("127.0.0.1:%1").arg(port)});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(BusCommandTest, MissingSerialPortExitsOne) {
    const RunResult result = runRaw({QStringLiteral("read"), QStringLiteral("--address"), QStringLiteral("1"),
                                     QStringLiteral("--home"), homePath(), QStringLiteral("--port"),
                                     QStringLiteral("/nonexistent/ttyHOLVEX")});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

} // namespace
} // namespace holvex::cli::test
