#include "test_support.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace holvex::cli {
namespace {

// Heat meter, address 1, ID 12345678, manufacturer ABC: volume 12.345 m3, energy 10000 kWh, flow 72.2 deg. C.
constexpr const char* kHeatMeter = "68 21 21 68 08 01 72 78 56 34 12 43 04 01 04 05 00 00 00 "
                                   "04 13 39 30 00 00 04 06 10 27 00 00 02 5A D2 02 1F 01 F1 16";

struct RunResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString cliPath() {
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../holvex-cli"))
        .absoluteFilePath();
}

RunResult runCli(const QStringList& arguments, const QByteArray& input = QByteArray()) {
    QProcess process;
    process.start(cliPath(), QStringList{QStringLiteral("decode")} + arguments);
    RunResult result;
    if (!process.waitForStarted(10000)) {
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QJsonObject parseObject(const QByteArray& line) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    return document.object();
}

class DecodeCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(cliPath())) {
            GTEST_SKIP() << "holvex-cli is not built next to the tests";
        }
    }
};

TEST_F(DecodeCommandTest, DecodesTheHexArgument) {
    const RunResult run =
        runCli({QStringLiteral("--extra"), QStringLiteral("2"), QString::fromLatin1(kHeatMeter)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QJsonObject object = parseObject(run.out);
    EXPECT_TRUE(object.value(QStringLiteral("ok")).toBool());
    const QJsonArray log = object.value(QStringLiteral("log")).toArray();
    ASSERT_EQ(log.size(), 1);
    EXPECT_EQ(log[0].toString(),
              QStringLiteral("Respond: ") + QString::fromLatin1(kHeatMeter) + QLatin1Char(' '));
    const QJsonObject row = object.value(QStringLiteral("row")).toObject();
    EXPECT_EQ(row.value(QStringLiteral("id")).toString(), QStringLiteral("12345678"));
    EXPECT_EQ(row.value(QStringLiteral("address")).toString(), QStringLiteral("1"));
    EXPECT_EQ(row.value(QStringLiteral("manufacturer")).toString(), QStringLiteral("ABC"));
    EXPECT_EQ(row.value(QStringLiteral("value")).toString(), QStringLiteral("10000.000"));
    EXPECT_EQ(row.value(QStringLiteral("unit")).toString(), QStringLiteral("kWh"));
    EXPECT_EQ(row.value(QStringLiteral("medium")).toString(), QStringLiteral("Heat (rt)"));
    EXPECT_EQ(row.value(QStringLiteral("status")).toString(), QStringLiteral("00"));
    EXPECT_EQ(row.value(QStringLiteral("pulse")).toString(), QString());
    EXPECT_EQ(row.value(QStringLiteral("model")).toString(), QStringLiteral("Unknown"));
    EXPECT_EQ(row.value(QStringLiteral("battery")).toString(), QString());
    EXPECT_EQ(row.value(QStringLiteral("extra")).toArray(),
              (QJsonArray{QStringLiteral("12.345 m3"), QStringLiteral("72.200 deg. C")}));
    EXPECT_FALSE(row.contains(QStringLiteral("time")));
    const QJsonArray records = object.value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 4);
    EXPECT_EQ(records[0].toObject(), (QJsonObject{{QStringLiteral("number"), QStringLiteral("1")},
                                                  {QStringLiteral("value"), QStringLiteral("12.345")},
                                                  {QStringLiteral("unit"), QStringLiteral("m3")},
                                                  {QStringLiteral("qualifier"), QString()},
                                                  {QStringLiteral("dif"), QStringLiteral("04 ")},
                                                  {QStringLiteral("vif"), QStringLiteral("13")},
                                                  {QStringLiteral("vife"), QString()}}));
    EXPECT_EQ(records[3].toObject().value(QStringLiteral("qualifier")).toString(),
              QStringLiteral("Manf. secific"));
    EXPECT_TRUE(object.value(QStringLiteral("more_records")).toBool());
}

TEST_F(DecodeCommandTest, ReadsStandardInputWithDashOrNothing) {
    for (const QStringList& arguments : {QStringList{QStringLiteral("-")}, QStringList{}}) {
        const RunResult run = runCli(arguments, QByteArray(kHeatMeter) + "\n");
        ASSERT_EQ(run.exitCode, 0);
        EXPECT_EQ(parseObject(run.out)
                      .value(QStringLiteral("row"))
                      .toObject()
                      .value(QStringLiteral("extra"))
                      .toArray(),
                  QJsonArray());
    }
}

TEST_F(DecodeCommandTest, FailedDecodeStillExitsZeroWithNullRow) {
    const RunResult run = runCli({QStringLiteral("68 01 01 68 08 09 16")});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonObject object = parseObject(run.out);
    EXPECT_FALSE(object.value(QStringLiteral("ok")).toBool());
    EXPECT_TRUE(object.value(QStringLiteral("row")).isNull());
    EXPECT_EQ(object.value(QStringLiteral("log")).toArray(),
              QJsonArray{QStringLiteral("Respond: 68 01 01 68 08 09 16 ")});
    EXPECT_EQ(object.value(QStringLiteral("records")).toArray(), QJsonArray());
    EXPECT_FALSE(object.value(QStringLiteral("more_records")).toBool());
}

TEST_F(DecodeCommandTest, BadArgumentsExitTwoWithOneLine) {
    const QList<QStringList> cases = {
        {QStringLiteral("--extra"), QStringLiteral("16"), QStringLiteral("E5")},
        {QStringLiteral("--extra"), QStringLiteral("-1"), QStringLiteral("E5")},
        {QStringLiteral("--extra")},
        {QStringLiteral("--bogus"), QStringLiteral("E5")},
        {QStringLiteral("0G")},
        {QStringLiteral("E5 0")},
        {QStringLiteral("--batch")},
        {QStringLiteral("--batch"), QStringLiteral("/nonexistent/frames.txt")},
    };
    for (const QStringList& arguments : cases) {
        const RunResult run = runCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}

TEST_F(DecodeCommandTest, ApatorOptionAddsTheRelayedValue) {
    // Manufacturer APA, water; manufacturer data from byte 19; selector 0x40 at byte 38: value in
    // bytes 23..26.
    const char* frame = "68 26 26 68 08 01 72 78 56 34 12 01 06 01 07 05 00 00 00 "
                        "0F 00 00 00 39 30 00 00 00 00 00 00 00 00 00 00 00 00 00 40 00 00 00 5B 16";
    const RunResult plain = runCli({QString::fromLatin1(frame)});
    const RunResult apator = runCli({QStringLiteral("--apator"), QString::fromLatin1(frame)});
    ASSERT_EQ(plain.exitCode, 0);
    ASSERT_EQ(apator.exitCode, 0);
    EXPECT_EQ(parseObject(plain.out).value(QStringLiteral("records")).toArray().size(), 1);
    const QJsonArray records = parseObject(apator.out).value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[1].toObject().value(QStringLiteral("qualifier")).toString(), QStringLiteral("Apator"));
    EXPECT_EQ(records[1].toObject().value(QStringLiteral("value")).toString(), QStringLiteral("12.345"));
}

TEST_F(DecodeCommandTest, BatchPrintsOneCompactObjectPerFrame) {
    QTemporaryDir dir;
    const QByteArray content = QByteArray(kHeatMeter) + "\r\n\n   \n68 01 01 68 08 09 16\nE5\n";
    const QString path = test::writeFile(dir, QStringLiteral("frames.txt"), content);
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("--extra"), QStringLiteral("1"), QStringLiteral("--batch"), path},
          QStringList{QStringLiteral("--batch"), QStringLiteral("-"), QStringLiteral("--extra"),
                      QStringLiteral("1")}}) {
        const RunResult run = runCli(arguments, content);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 3);
        const QJsonObject first = parseObject(lines[0]);
        EXPECT_TRUE(first.value(QStringLiteral("ok")).toBool());
        EXPECT_EQ(
            first.value(QStringLiteral("row")).toObject().value(QStringLiteral("extra")).toArray().size(), 1);
        EXPECT_FALSE(parseObject(lines[1]).value(QStringLiteral("ok")).toBool());
        EXPECT_EQ(parseObject(lines[2]).value(QStringLiteral("log")).toArray(),
                  QJsonArray{QStringLiteral("Respond: E5 ")});
    }
}

struct BatchCase {
    const char* name;
    QByteArray content;
    // What each printed line holds, in order: a frame's hex text (its line is what a single decode of it
    // prints) or, for a bad line, "#" and its line number.
    QList<QByteArray> expected;
    int exitCode;
};

TEST_F(DecodeCommandTest, BatchGoesOnAfterABadLine) {
    const QByteArray heat(kHeatMeter);
    const QByteArray shortReply("68 01 01 68 08 09 16");
    const QList<BatchCase> cases = {
        {"BadLineAfterAFrame", heat + "\nXY\n", {heat, "#2"}, 1},
        {"BadLinesAroundFrames",
         "XY\r\n\n   \n" + heat + "\r\n0\n" + shortReply + "\n6G\nE5",
         {"#1", heat, "#5", shortReply, "#7", "E5"},
         1},
        {"OnlyBadLines", "hello\nE5 0\n", {"#1", "#2"}, 1},
        {"AllGood", heat + "\n\nE5\n", {heat, "E5"}, 0},
        {"Empty", "", {}, 0},
        {"BlankLinesOnly", "\n \r\n\t\n", {}, 0},
        // Blanks may also sit between the two digits of a byte; a digit left over is a bad line.
        {"BlanksInsideBytes", "E 5\n\tE\t5 \r\nE5 0 \n 0\n", {"E5", "E5", "#3", "#4"}, 1},
    };
    QTemporaryDir dir;
    for (const BatchCase& c : cases) {
        QByteArray expected;
        for (const QByteArray& item : c.expected) {
            if (item.startsWith('#')) {
                expected += "{\"ok\":false,\"line\":" + item.mid(1) + ",\"error\":\"bad hex text\"}\n";
            } else {
                const RunResult single =
                    runCli({QStringLiteral("--extra"), QStringLiteral("1"), QString::fromLatin1(item)});
                ASSERT_EQ(single.exitCode, 0) << c.name;
                expected += single.out;
            }
        }
        const QString path = test::writeFile(dir, QString::fromLatin1(c.name), c.content);
        const RunResult fromFile =
            runCli({QStringLiteral("--extra"), QStringLiteral("1"), QStringLiteral("--batch"), path});
        const RunResult fromInput = runCli(
            {QStringLiteral("--batch"), QStringLiteral("-"), QStringLiteral("--extra"), QStringLiteral("1")},
            c.content);
        for (const RunResult& run : {fromFile, fromInput}) {
            EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
            EXPECT_EQ(run.out, expected) << c.name;
            EXPECT_TRUE(run.err.isEmpty()) << c.name << ": " << run.err.toStdString();
        }
    }
}

TEST_F(DecodeCommandTest, TextUnitsAreEscapedAsJson) {
    // A plain-text unit holding a quote, a backslash and a control character.
    const char* frame = "68 16 16 68 08 01 72 78 56 34 12 43 04 01 07 05 00 00 00 "
                        "01 7C 03 22 5C 01 05 E7 16";
    const RunResult run = runCli({QString::fromLatin1(frame)});
    ASSERT_EQ(run.exitCode, 0);
    const QJsonArray records = parseObject(run.out).value(QStringLiteral("records")).toArray();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].toObject().value(QStringLiteral("unit")).toString(), QStringLiteral("\"\\\x01"));
}

} // namespace
} // namespace holvex::cli
