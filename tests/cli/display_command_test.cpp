// holvex-cli display against the simulated display unit behind a LAN adapter port.
#include "bus_command_fixture.h"

#include "sim/display_unit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace holvex::cli::test {
namespace {

// Entries 5 and 6 wait to be activated; 7 is active and is only touched when its row is chosen.
const QByteArray kDisplayInstallation = R"({
  "turnaroundMs": 5,
  "display": {"entries": [{"address": 5, "active": false}, {"address": 6, "active": false},
                          {"address": 7, "unit": "kJ"}]},
  "meters": [{"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 1, "medium": "water",
              "records": [{"type": "volume", "value": 1.5}]}]
})";

class DisplayCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(cliPath())) {
            GTEST_SKIP() << "holvex-cli is not built next to the tests";
        }
        QString error;
        ASSERT_TRUE(m_sim.start(kDisplayInstallation, &error)) << error.toStdString();
        const std::optional<quint16> port = m_sim.addLan(0);
        ASSERT_TRUE(port.has_value());
        m_lan = QStringLiteral("127.0.0.1:%1").arg(*port);
        ASSERT_TRUE(m_home.isValid());
        QFile settings(m_home.filePath(QStringLiteral("holvex.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Misc]\r\nExportSeparator=;\r\nRetry=0\r\n");
        settings.close();
        // The display table as "Export" writes it: every cell followed by the separator.
        m_table = m_home.filePath(QStringLiteral("lumetR7_data.csv"));
        QFile table(m_table);
        ASSERT_TRUE(table.open(QIODevice::WriteOnly));
        table.write("21034505;5;kWh;0;1/1;11;Flat 5;;;;;;;\r\n"
                    "21034506;6;MJ;0;1/1;12;Flat 6;;;;;;;\r\n"
                    "21034507;7;m3;0;1/1;13;Flat 7;;;;;;;\r\n");
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
        process.waitForFinished(30000);
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    sim::SimThread m_sim;
    QTemporaryDir m_home;
    QString m_lan;
    QString m_table;
};

TEST_F(DisplayCommandTest, WriteProgramsTheChosenRowsAndPrintsTheAnswers) {
    const RunResult result =
        run({QStringLiteral("write"), QStringLiteral("--table"), m_table, QStringLiteral("--options"),
             QStringLiteral("user-number,activate,units"), QStringLiteral("--rows"), QStringLiteral("1-2")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(outputLines(result.out),
              (QList<QByteArray>{"Entry 5: Active", "Entry 6: Active", "Entry 5: unit kWh",
                                 "Entry 6: unit MJ", "Entry 5: user number 11", "Entry 6: user number 12"}));
    for (const char* line :
         {"Activating device 5...", "Setting unit of device 6...", "Setting user number of device 6..."}) {
        EXPECT_TRUE(result.err.contains(line)) << line << '\n' << result.err.toStdString();
    }
    const std::optional<sim::DisplayUnit> unit = m_sim.display();
    ASSERT_TRUE(unit.has_value());
    EXPECT_TRUE(unit->entry(6).active);
    EXPECT_EQ(unit->entry(6).unitCode, 4);
    EXPECT_EQ(unit->entry(6).userNumber, QByteArray("12"));
    EXPECT_EQ(unit->entry(7).unitCode, 3); // row 3 was not chosen
    EXPECT_TRUE(unit->entry(7).userNumber.isEmpty());
}

TEST_F(DisplayCommandTest, OneShotCommandsPrintTheUnitsAnswer) {
    RunResult result = run({QStringLiteral("refresh"), QStringLiteral("7")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("Refresh time 7 s\n"));
    EXPECT_TRUE(result.err.contains("Setting refresh time of Lumet-R7/Pavo..."));
    EXPECT_EQ(m_sim.display()->state().refreshSeconds, 7);

    result = run({QStringLiteral("sort"), QStringLiteral("user-number"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QJsonObject object = QJsonDocument::fromJson(result.out).object();
    EXPECT_EQ(object.value(QStringLiteral("answers")).toArray(),
              QJsonArray{QStringLiteral("Sort by user number")})
        << result.out.toStdString();
    EXPECT_TRUE(m_sim.display()->state().sortByUserNumber);
}

TEST_F(DisplayCommandTest, BadArgumentsAndRefusedValuesSendNothing) {
    struct Case {
        QStringList arguments;
        const char* message;
    };
    const QString table = m_table;
    const std::vector<Case> cases{
        {{"write", "--table", table}, "write needs --table and --options"},
        {{"write", "--table", table, "--options", "units,colour"}, "no property \"colour\""},
        {{"write", "--table", table, "--options", "units,delete"}, "delete goes alone or with zero-initials"},
        {{"write", "--table", table, "--options", "units", "--rows", "0"}, "--rows: \"0\""},
        {{"write", "--table", table, "--options", "units", "--rows", "2-4"}, "rows 1 to 3"},
        {{"write", "--table", m_home.filePath("none.csv"), "--options", "units"}, "wrong file"},
        {{"refresh", "13"}, "refresh takes 4 to 12 seconds"},
        {{"refresh", "x"}, "Wrong value for refresh time of Lumet-R7/Pavo..."},
        {{"sort", "sideways"}, "sort takes address or user-number"},
        {{"lock"}, "lock is not sent through the LAN adapter"},
        {{"blink"}, "unknown action \"blink\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const RunResult result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    EXPECT_EQ(m_sim.display()->linesSeen(), 0);
}

TEST_F(DisplayCommandTest, HelpPrintsTheUsage) {
    for (const QStringList& arguments : {QStringList{"--help"}, QStringList{"write", "--help"}}) {
        const RunResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_TRUE(result.out.startsWith("usage: holvex-cli display write --table FILE.csv --options LIST"))
            << result.out.toStdString();
    }
}

} // namespace
} // namespace holvex::cli::test
