#include "devices/gateway/gateway_commands.h"

#include "../meters/fake_link.h"
#include "meters/ops/free_command_console.h"

#include <gtest/gtest.h>

namespace holvex::gateway {
namespace {

using Outcome = GatewayOutcome;

const QString kRs232Only = QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!");

class GatewayCommandsTest : public ::testing::Test {
protected:
    GatewayCommandsTest() {
        commands.setClock([] { return QDateTime(QDate(2026, 3, 7), QTime(9, 5, 41)); });
    }
    void reset() {
        b.log.lines.clear();
        b.link.lines.clear();
        b.freeCommand.stop();
    }
    test::Bench b;
    GatewayCommands& commands = b.bus.gatewayCommands();
};

// The RS-232 rule on every road: the IP group and the requests only on the serial road, the other settings
// also with the gateway of the server version chosen (still on the serial port).
TEST_F(GatewayCommandsTest, TheRoadDecidesWhatGoesOutOnTheServicePort) {
    struct Road {
        const char* name;
        bool ethernet, lan, ferrinServ, nerit;
        Outcome network, other;
    };
    const Road roads[] = {
        {"serial", false, false, false, false, Outcome::Sent, Outcome::Sent},
        {"LAN adapter", false, true, false, false, Outcome::RoadRefused, Outcome::RoadRefused},
        {"server version", false, false, true, false, Outcome::RoadRefused, Outcome::Sent},
        {"calling in", true, false, false, false, Outcome::RoadRefused, Outcome::RoadRefused},
        {"wireless adapter", true, false, false, true, Outcome::RoadRefused, Outcome::RoadRefused},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        b.settings.UseEthernet = road.ethernet;
        b.settings.UseLanXp = road.lan;
        b.settings.UseFerrinServ = road.ferrinServ;
        b.settings.UseNerit1 = road.nerit;

        reset();
        EXPECT_EQ(commands.setIp(IpSetting::OwnIp, QStringLiteral("192.168.1.70")), road.network);
        EXPECT_EQ(commands.request(GatewayRequest::MainInfo), road.network);
        EXPECT_EQ(commands.testIp(), road.network);
        if (road.network == Outcome::Sent) {
            EXPECT_EQ(b.link.lines, (QStringList{"SET IPV4=192.168.1.70", "GET MAIN", "SET TEST"}));
            EXPECT_EQ(b.log.lines, QStringList{"Changing own IP of Ferrin2..."});
        } else {
            EXPECT_TRUE(b.link.lines.isEmpty());
            EXPECT_EQ(b.log.lines, QStringList(3, kRs232Only));
            EXPECT_FALSE(b.freeCommand.isActive());
        }

        reset();
        EXPECT_EQ(commands.setPingTimeout(QStringLiteral("5")), road.other);
        EXPECT_EQ(commands.setPhone(QStringLiteral("0")), road.other);
        if (road.other == Outcome::Sent) {
            EXPECT_EQ(b.link.lines, (QStringList{"SET PITO=05", "SET PHON=0"}));
            EXPECT_EQ(b.log.lines, (QStringList{"Changing ping server timeout...",
                                                "Setting phone number for GPRS connection..."}));
            EXPECT_TRUE(b.freeCommand.isActive());
        } else {
            EXPECT_TRUE(b.link.lines.isEmpty());
            EXPECT_EQ(b.log.lines, QStringList(2, kRs232Only));
            EXPECT_FALSE(b.freeCommand.isActive());
        }
    }
}

// Every control through the page's dispatch, with what it holds; the APN and the phone number leave
// Timer_free_command alone.
TEST_F(GatewayCommandsTest, EveryControlSendsItsLineAndStartsTheAnswerTimerUnlessApnOrPhone) {
    GatewayInputs in;
    in.ownIp = QStringLiteral("192.168.1.70");
    in.netmask = QStringLiteral("255.255.0.0");
    in.gatewayIp = QStringLiteral("192.168.1.254");
    in.networkNumber = QStringLiteral("0.0.0.9");
    in.manufacturerIp = QStringLiteral("10.0.0.1");
    in.controlIp = QStringLiteral("10.0.0.2");
    in.operatorIp = QStringLiteral("10.0.0.3");
    in.operatorBoxes = {false, true, false, false};
    in.apn = QStringLiteral("web.it");
    in.phone = QStringLiteral("+3902");
    in.pin = QStringLiteral("1234");
    in.gprsUser = QStringLiteral("0");
    in.gprsPassword = QStringLiteral("pw");
    in.speed = QStringLiteral("19200");
    in.parity = QStringLiteral("Odd");
    in.dueDay = QStringLiteral("3");
    in.dueHour = QStringLiteral("14");
    in.dueMinute = QStringLiteral("0");
    in.connectRetries = QStringLiteral("16");
    in.retryTimeout = QStringLiteral("2");
    in.pingTimeout = QStringLiteral("48");
    in.mbusTimeout = QStringLiteral("25");
    struct Case {
        GatewayControl control;
        const char* line;
        bool timer;
    };
    const Case cases[] = {
        {GatewayControl::OwnIp, "SET IPV4=192.168.1.70", true},
        {GatewayControl::Netmask, "SET MASK=255.255.0.0", true},
        {GatewayControl::GatewayIp, "SET GATE=192.168.1.254", true},
        {GatewayControl::NetworkNumber, "SET NETN=0.0.0.9", true},
        {GatewayControl::ManufacturerIp, "SET IPMA=10.0.0.1", true},
        {GatewayControl::ControlIp, "SET IPCO=10.0.0.2", true},
        {GatewayControl::OperatorIp, "SET IPO2=10.0.0.3", true},
        {GatewayControl::TestIp, "SET TEST", true},
        {GatewayControl::Apn, "SET APNM=\"web.it\"", false},
        {GatewayControl::Phone, "SET PHON=\"+3902\"", false},
        {GatewayControl::Pin, "SET PINC=1234", true},
        {GatewayControl::GprsUser, "SET USER=0", true},
        {GatewayControl::GprsPassword, "SET PASS=\"pw\"", true},
        {GatewayControl::SerialPort, "SET COM2=5,1", true},
        {GatewayControl::DueDate, "SET DUED=03/14/00", true},
        {GatewayControl::ConnectRetries, "SET RETN=16", true},
        {GatewayControl::RetryTimeout, "SET RETI=02", true},
        {GatewayControl::PingTimeout, "SET PITO=48", true},
        {GatewayControl::MbusTimeout, "SET NETO=25", true},
        {GatewayControl::Date, "SET DATE=07,03,26", true},
        {GatewayControl::Time, "SET TIME=09,05", true},
        {GatewayControl::AsServer, "SET SERV=1", true},
        {GatewayControl::AsClient, "SET SERV=0", true},
        {GatewayControl::MainInfo, "GET MAIN", true},
        {GatewayControl::ServiceInfo, "GET SERV", true},
        {GatewayControl::Connection, "GET CONN", true},
        {GatewayControl::OperatorInfo, "GET OPER", true},
        {GatewayControl::GprsInfo, "GET GPRS", true},
        {GatewayControl::GprsStatus, "GET STAT", true},
    };
    ASSERT_EQ(std::size(cases), static_cast<size_t>(kGatewayControlCount));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        reset();
        EXPECT_EQ(commands.run(c.control, in), Outcome::Sent);
        EXPECT_EQ(b.link.lines, QStringList{QString::fromLatin1(c.line)});
        EXPECT_EQ(b.freeCommand.isActive(), c.timer);
    }
}

TEST_F(GatewayCommandsTest, RefusalsPressesThatDoNothingAndAClosedPort) {
    // A refused value logs its check's line; nothing goes out and no timer runs.
    EXPECT_EQ(commands.setPin(QStringLiteral("123")), Outcome::Refused);
    EXPECT_EQ(commands.setIp(IpSetting::Netmask, QStringLiteral("10.0.0")), Outcome::Refused);
    EXPECT_EQ(commands.setDueDate(QStringLiteral("32"), QStringLiteral("0"), QStringLiteral("0")),
              Outcome::Refused);
    EXPECT_EQ(b.log.lines,
              (QStringList{"PIN must be 4 digits, skipping...", "Wrong IP value, please correct...",
                           "Wrong readout time, skipping..."}));
    // Empty fields, a spin value beyond its box, no operator box: the press does nothing at all.
    reset();
    EXPECT_EQ(commands.setPingTimeout(QStringLiteral("49")), Outcome::NothingSent);
    EXPECT_EQ(commands.setApn(QString()), Outcome::NothingSent);
    EXPECT_EQ(commands.setIp(IpSetting::OwnIp, QString()), Outcome::NothingSent);
    EXPECT_EQ(commands.setOperatorIp(QStringLiteral("1.2.3.4"), {}), Outcome::NothingSent);
    EXPECT_TRUE(b.log.lines.isEmpty());
    EXPECT_TRUE(b.link.lines.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
    // The serial port does not open: not even the log text is written.
    b.link.ready = false;
    EXPECT_EQ(commands.setIp(IpSetting::OwnIp, QStringLiteral("1.2.3.4")), Outcome::PortClosed);
    EXPECT_EQ(commands.setServerMode(true), Outcome::PortClosed);
    EXPECT_TRUE(b.log.lines.isEmpty());
    EXPECT_TRUE(b.link.lines.isEmpty());
    EXPECT_FALSE(b.freeCommand.isActive());
}

TEST_F(GatewayCommandsTest, TheAnswerTimerShowsTheGatewaysAnswerAndClosesTheChannel) {
    b.ops.console().setAsciiTicked(true);
    b.link.lineAnswers.push_back("Operator IP #3: 10.1.1.3");
    EXPECT_EQ(commands.setOperatorIp(QStringLiteral("10.1.1.3"), {false, false, true, false}), Outcome::Sent);
    EXPECT_EQ(b.link.lines, QStringList{"SET IPO3=10.1.1.3"});
    ASSERT_TRUE(b.freeCommand.isActive());
    b.ops.console().tick();
    EXPECT_EQ(b.log.lines, (QStringList{"Setting IP Op #3...", "Operator IP #3: 10.1.1.3"}));
    EXPECT_FALSE(b.freeCommand.isActive());
    EXPECT_GE(b.link.closes, 1);
}

TEST(GatewayControls, TheProductSelectorBindsOnlyItsOwnControls) {
    EXPECT_FALSE(controlEnabledFor(GatewayControl::OwnIp, GatewayProduct::Galdor));
    EXPECT_FALSE(controlEnabledFor(GatewayControl::RetryTimeout, GatewayProduct::Galdor));
    EXPECT_FALSE(controlEnabledFor(GatewayControl::Pin, GatewayProduct::Ferrin));
    EXPECT_FALSE(controlEnabledFor(GatewayControl::GprsStatus, GatewayProduct::Ferrin));
    int bound = 0;
    for (int i = 0; i < kGatewayControlCount; ++i) {
        const auto control = static_cast<GatewayControl>(i);
        const bool ferrin = controlEnabledFor(control, GatewayProduct::Ferrin);
        const bool galdor = controlEnabledFor(control, GatewayProduct::Galdor);
        EXPECT_TRUE(ferrin || galdor) << i; // nothing is out of reach of both products
        bound += ferrin != galdor ? 1 : 0;
        EXPECT_EQ(ferrin != galdor, productControlOf(control).has_value()) << i;
    }
    EXPECT_EQ(bound, 11);
}

} // namespace
} // namespace holvex::gateway
