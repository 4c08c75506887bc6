#include "bus_command_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace holvex::cli::test {
namespace {

TEST_F(BusCommandTest, SendHexLogsTheAnswer) {
    const RunResult result =
        runCli({QStringLiteral("send"), QStringLiteral("--hex"), QStringLiteral("10 40 04 44 16")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty()); // no table
    EXPECT_TRUE(result.err.contains("E5 \n")) << result.err.toStdString();
}

TEST_F(BusCommandTest, SendHexAsJson) {
    const RunResult result = runCli({QStringLiteral("send"), QStringLiteral("--hex"),
                                     QStringLiteral("10 7B 01 7C 16"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(result.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    const QString answer = object.value(QStringLiteral("answer")).toString();
    // The long frame of meter 1: 68 L L 68 08 01 72 and its ID 21034501 least significant byte first.
    EXPECT_TRUE(answer.startsWith(QStringLiteral("68 "))) << answer.toStdString() << result.err.toStdString();
    EXPECT_TRUE(answer.contains(QStringLiteral(" 68 08 01 72 01 45 03 21 "))) << answer.toStdString();
    EXPECT_TRUE(answer.endsWith(QStringLiteral(" 16"))) << answer.toStdString();
}

TEST_F(BusCommandTest, SendToASilentAddressAnswersNothing) {
    const RunResult result = runCli({QStringLiteral("send"), QStringLiteral("--hex"),
                                     QStringLiteral("10 7B 03 7E 16"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("{\"answer\":\"\"}\n"));
}

TEST_F(BusCommandTest, SendTextWhichTheMetersIgnore) {
    const RunResult result = runCli({QStringLiteral("send"), QStringLiteral("--ascii"),
                                     QStringLiteral("GET MAIN"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("{\"answer\":\"\"}\n"));
}

} // namespace
} // namespace holvex::cli::test
