#include "bus_command_fixture.h"

#include "sim/gateway_service_port.h"

namespace holvex::cli::test {
namespace {

// The gateway's service port is on the serial line: the simulator's pseudo-terminal.
class GatewayCommandTest : public BusCommandTest {
protected:
    void SetUp() override {
        BusCommandTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        m_tty = homePath() + QStringLiteral("/ttyGW");
        QString error;
        ASSERT_TRUE(sim().addPty(m_tty, &error)) << error.toStdString();
    }

    RunResult gateway(const QStringList& arguments) {
        return runRaw(QStringList{QStringLiteral("gateway")} + arguments +
                      QStringList{QStringLiteral("--home"), homePath(), QStringLiteral("--port"), m_tty,
                                  QStringLiteral("--timeout"), QStringLiteral("300")});
    }

    QString m_tty;
};

TEST_F(GatewayCommandTest, ASettingAndARequestPrintTheGatewaysAnswer) {
    RunResult result = gateway({QStringLiteral("ping-timeout"), QStringLiteral("5")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("Ping server timeout: 05\n"));
    EXPECT_TRUE(result.err.contains("Changing ping server timeout...\n")) << result.err.toStdString();
    EXPECT_EQ(sim().gatewayService()->setting("PITO"), QByteArray("05"));

    // Two operator slots: one line each, each answered before the next goes out.
    result = gateway({QStringLiteral("operator-ip"), QStringLiteral("10.1.1.3"), QStringLiteral("--slot"),
                      QStringLiteral("3"), QStringLiteral("--slot=1")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QByteArray("Operator IP #1: 10.1.1.3\nOperator IP #3: 10.1.1.3\n"));
    EXPECT_EQ(sim().gatewayService()->setting("IPO3"), QByteArray("10.1.1.3"));

    result = gateway({QStringLiteral("info"), QStringLiteral("operators"), QStringLiteral("--json")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith("{\"answer\":\"Operator IP #1: 10.1.1.3\\r\\nOperator IP #2: 0.0.0.0"))
        << result.out.toStdString();
}

TEST_F(GatewayCommandTest, RefusedValuesAndArgumentsExitWithTwo) {
    struct Case {
        QStringList arguments;
        const char* message; // on standard error
    };
    const Case cases[] = {
        {{"pin", "123", "--galdor"}, "PIN must be 4 digits, skipping..."},
        {{"pin", "1234"}, "pin is a setting of the Galdor-5 only (add --galdor)"},
        {{"netmask", "255.255.255.0", "--galdor"}, "netmask is a setting of the Ferrin-2 only"},
        {{"own-ip", "10.0.0"}, "Wrong IP value, please correct..."},
        {{"serial", "57600", "None"}, "Wrong speed, skipping..."},
        {{"due-date", "32/00/00"}, "Wrong readout time, skipping..."},
        {{"ping-timeout", "49"}, "ping-timeout takes a number from 1 to 48"},
        {{"operator-ip", "10.1.1.3"}, "operator-ip needs --slot N"},
        {{"info", "everything"}, "info takes main, service"},
        {{"reboot"}, "unknown setting \"reboot\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const RunResult result = gateway(c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_TRUE(result.out.isEmpty());
    }
    // A network road takes no gateway settings.
    const RunResult lan = runCli({QStringLiteral("gateway"), QStringLiteral("test")});
    EXPECT_EQ(lan.exitCode, 2);
    EXPECT_TRUE(lan.err.contains("Setting of Ferrin-2 or Galdor-5 is only RS-232!")) << lan.err.toStdString();
    EXPECT_EQ(sim().gatewayService()->linesSeen(), 0);

    const RunResult help = runRaw({QStringLiteral("gateway"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("usage: holvex-cli gateway own-ip|")) << help.out.toStdString();
}

} // namespace
} // namespace holvex::cli::test
