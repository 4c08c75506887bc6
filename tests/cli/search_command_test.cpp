#include "bus_command_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace holvex::cli::test {
namespace {

// The three meters end in 1, 2 and 4: in LSB order each answers alone at the top level, which keeps the run
// to a few seconds at the shortest timeout.
TEST_F(BusCommandTest, SearchInLsbOrderFindsEveryMeter) {
    const RunResult result = runCli({QStringLiteral("search"), QStringLiteral("--lsb")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QByteArray> lines = outputLines(result.out);
    ASSERT_EQ(lines.size(), 3) << result.out.toStdString() << result.err.toStdString();
    EXPECT_TRUE(lines[0].startsWith("21034501;1;")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("21034502;2;")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("21034504;4;")) << lines[2].toStdString();
    EXPECT_EQ(lines[0].split(';').at(3), QByteArray("123,456"));
    EXPECT_TRUE(result.err.contains("Checking FFFFFFF0...")) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Checking FFFFFFF9..."));
    EXPECT_FALSE(result.err.contains("Collision"));
    EXPECT_TRUE(result.err.contains("Secondary search thread terminated normally."));
}

TEST_F(BusCommandTest, SearchWithAnIdReadsThatMeterAsJson) {
    const RunResult result = runCli({QStringLiteral("search"), QStringLiteral("--id"),
                                     QStringLiteral("21034502"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(result.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    const QJsonArray rows = object.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), 1) << result.err.toStdString();
    EXPECT_EQ(rows.at(0).toObject().value(QStringLiteral("id")).toString(), QStringLiteral("21034502"));
    EXPECT_TRUE(result.err.contains("0xE5 (Acknowledge)")) << result.err.toStdString();
}

TEST_F(BusCommandTest, SearchWithAWildcardIdSendsNothingAndSaysSo) {
    const RunResult result = runCli({QStringLiteral("search"), QStringLiteral("--id=1234FFFF")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_TRUE(result.err.contains("No response from device 1234FFFF")) << result.err.toStdString();
}

TEST_F(BusCommandTest, SearchOnAMissingSerialPortExitsOne) {
    const RunResult result = runRaw({QStringLiteral("search"), QStringLiteral("--home"), homePath(),
                                     QStringLiteral("--port"), QStringLiteral("/nonexistent/ttyHOLVEX")});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
}

struct BadSearch {
    const char* name;
    QStringList arguments;
};

class BadSearchTest : public BusCommandTest, public ::testing::WithParamInterface<BadSearch> {};

TEST_P(BadSearchTest, ExitTwoWithOneLine) {
    const RunResult result = runRaw(GetParam().arguments);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Cli, BadSearchTest,
                         ::testing::Values(BadSearch{"IdTooShort", {"search", "--id", "1234567"}},
                                           BadSearch{"IdTooLong", {"search", "--id=123456789"}},
                                           BadSearch{"IdWithALetter", {"search", "--id", "1234A678"}},
                                           BadSearch{"IdWithoutValue", {"search", "--id"}},
                                           BadSearch{"RangeOfTheScan", {"search", "--from", "1"}},
                                           BadSearch{"AddressOfTheRead", {"search", "--address", "1"}},
                                           BadSearch{"UnknownOption", {"search", "--msb"}},
                                           BadSearch{"TimeoutTooShort", {"search", "--timeout", "299"}}),
                         [](const ::testing::TestParamInfo<BadSearch>& test) {
                             return std::string(test.param.name);
                         });

} // namespace
} // namespace holvex::cli::test
