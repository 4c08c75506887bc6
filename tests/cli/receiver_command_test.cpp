// holvex-cli receiver against the simulated receiver: settings over the LAN adapter, acquisition, binding
// and a programming run on the serial port, and the decoding of an encrypted telegram.
#include "bus_command_fixture.h"

#include "sim/radio_telegram.h"
#include "sim/receiver_config.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace holvex::cli::test {
namespace {

const QByteArray kReceiverInstallation = R"({
  "turnaroundMs": 5,
  "receiver": {
    "paceMs": 40,
    "meters": [
      {"id": "21034601", "manufacturer": "SEN", "version": 104, "device": "water",
       "records": [{"type": "volume", "value": 48.271}]},
      {"id": "31415926", "manufacturer": "ELS", "version": 51, "device": "gas",
       "key": "000102030405060708090A0B0C0D0E0F", "records": [{"type": "volume", "value": 2718.281}]}
    ]
  },
  "meters": []
})";

class ReceiverCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(cliPath())) {
            GTEST_SKIP() << "holvex-cli is not built next to the tests";
        }
        QString error;
        ASSERT_TRUE(m_sim.start(kReceiverInstallation, &error)) << error.toStdString();
        const std::optional<quint16> port = m_sim.addLan(0);
        ASSERT_TRUE(port.has_value());
        m_lan = QStringLiteral("127.0.0.1:%1").arg(*port);
        ASSERT_TRUE(m_home.isValid());
        m_pty = m_home.filePath(QStringLiteral("mbus"));
        ASSERT_TRUE(m_sim.addPty(m_pty, &error)) << error.toStdString();
        QFile settings(m_home.filePath(QStringLiteral("holvex.ini")));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Misc]\r\nExportSeparator=;\r\nRetry=1\r\n");
    }

    RunResult run(const QStringList& arguments, const QStringList& road) {
        QProcess process;
        process.start(cliPath(), QStringList{QStringLiteral("receiver")} + arguments +
                                     QStringList{QStringLiteral("--home"), m_home.path(),
                                                 QStringLiteral("--timeout"), QStringLiteral("300")} +
                                     road);
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
    RunResult onLan(const QStringList& arguments) { return run(arguments, {QStringLiteral("--lan"), m_lan}); }
    RunResult onPort(const QStringList& arguments) {
        return run(arguments, {QStringLiteral("--port"), m_pty});
    }

    sim::SimThread m_sim;
    QTemporaryDir m_home;
    QString m_lan;
    QString m_pty;
};

TEST_F(ReceiverCommandTest, SettingsAcquisitionBindingAndProgramming) {
    RunResult result = onLan({QStringLiteral("mode"), QStringLiteral("S1")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Setting wireless working mode of Ravik-Q..."))
        << result.err.toStdString();
    EXPECT_FALSE(result.out.isEmpty()) << "the receiver's answer";
    EXPECT_EQ(m_sim.receiver()->state().radioMode, 3);

    const QString out = m_home.filePath(QStringLiteral("ravik_data.csv"));
    result = onPort({QStringLiteral("acquire"), QStringLiteral("--seconds"), QStringLiteral("1"),
                     QStringLiteral("--exclude-identical"), QStringLiteral("--out"), out});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("21034601;;SEN;104;7;Water;")) << result.out.toStdString();
    EXPECT_TRUE(result.out.contains("\r\n31415926;;ELS;51;3;Gas;")) << result.out.toStdString();
    EXPECT_FALSE(m_sim.receiver()->transparent());

    // Addresses into the acquired file, as an installer would type them.
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray rows = file.readAll();
    file.close();
    rows.replace("21034601;;", "21034601;3;").replace("31415926;;", "31415926;4;");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(rows);
    file.close();

    result = onPort({QStringLiteral("bind"), QStringLiteral("--table"), out, QStringLiteral("--row"),
                     QStringLiteral("1")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Binding device with Address 3"));
    EXPECT_EQ(m_sim.receiver()->state().bindings.value(3).toHex(), QByteArray("01460321ae4c6807"));

    result = onPort({QStringLiteral("program"), QStringLiteral("--table"), out, QStringLiteral("--options"),
                     QStringLiteral("activate,unit"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("Activating device 4/31415926...")) << result.err.toStdString();
    EXPECT_EQ(m_sim.receiver()->state().entries.value(3).id, QByteArray("21034601"));
    EXPECT_EQ(m_sim.receiver()->state().entries.value(4).unitCode, 3);
    EXPECT_TRUE(QJsonDocument::fromJson(result.out).isObject()) << result.out.toStdString();
}

TEST_F(ReceiverCommandTest, RefusalsSendNothing) {
    const QString table = m_home.filePath(QStringLiteral("table.csv"));
    QFile file(table);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1234567;3;SEN;1;7;Water;;;;;\r\n12345678;65;SEN;1;7;Water;;;;;\r\n");
    file.close();
    struct Case {
        QStringList arguments;
        const char* said;
    };
    const QList<Case> cases{
        {{"mode", "X1"}, "mode does not take \"X1\""},
        {{"interval", "0"}, "interval does not take \"0\""},
        {{"option", "rssi", "2"}, "option does not take \"rssi 2\""},
        {{"bind", "--table", table, "--row", "1"}, "Wrong ID, must be 8-digits..."},
        {{"bind", "--table", table, "--row", "2"}, "Max primary address for de-binding is 64..."},
        {{"key", "--table", table, "--row", "2", "--key", "000102030405060708090a0b0c0d0e0f"},
         "Wrong HEX key, 0..F uppercase allowed only"},
        {{"program", "--table", table, "--options", "delete,unit"}, "delete goes alone"},
        {{"acquire", "--seconds", "1"}, "acquire needs --seconds and --out"},
    };
    for (const Case& c : cases) {
        const RunResult result = onLan(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(result.err.contains(c.said)) << result.err.toStdString();
    }
    EXPECT_EQ(m_sim.receiver()->linesSeen(), 0);
    EXPECT_EQ(run({QStringLiteral("--help")}, {}).exitCode, 0);
}

TEST_F(ReceiverCommandTest, DecodeWithTheKeyTheKeysFileOrNone) {
    sim::RadioMeterConfig meter;
    meter.link = {"31415926", 0x1593, 51, 3};
    meter.records = QByteArray::fromHex("0C13 81 82 71 02");
    meter.key = QByteArray::fromHex("000102030405060708090A0B0C0D0E0F");
    QString error;
    const std::optional<QByteArray> telegram = sim::relayedTelegram(meter, 7, false, &error);
    ASSERT_TRUE(telegram.has_value()) << error.toStdString();
    const QString hex = QString::fromLatin1(telegram->toHex(' '));

    QDir(m_home.path()).mkpath(QStringLiteral("files"));
    QFile keys(m_home.filePath(QStringLiteral("files/keys.csv")));
    ASSERT_TRUE(keys.open(QIODevice::WriteOnly));
    keys.write("31415926;000102030405060708090A0B0C0D0E0F\n");
    keys.close();

    struct Case {
        QStringList arguments;
        bool ok;
        const char* said;
    };
    const QList<Case> cases{
        {{"decode", "--key", "000102030405060708090A0B0C0D0E0F", hex}, true, ""},
        {{"decode", hex}, true, ""},
        {{"decode", "--keys", m_home.filePath(QStringLiteral("none.csv")), hex},
         false,
         "decryption failed: no key for the meter 31415926"},
        {{"decode", "--key", "000102030405060708090A0B0C0D0EFF", hex},
         false,
         "decryption failed: the first two bytes are not 2F 2F"},
    };
    for (const Case& c : cases) {
        const RunResult result = run(c.arguments, {});
        const QJsonObject json = QJsonDocument::fromJson(result.out).object();
        EXPECT_EQ(json.value("ok").toBool(), c.ok) << result.out.toStdString() << result.err.toStdString();
        EXPECT_EQ(result.exitCode, c.ok ? 0 : 2);
        if (c.ok) {
            EXPECT_EQ(json.value("security_mode").toInt(), 5);
            EXPECT_EQ(json.value("records").toArray().first().toObject().value("value").toString(),
                      QStringLiteral("2718.281"));
        } else {
            EXPECT_TRUE(json.value("log").toArray().contains(QString::fromLatin1(c.said)))
                << result.out.toStdString();
        }
    }
}

} // namespace
} // namespace holvex::cli::test
