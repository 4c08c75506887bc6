#include "devices/gateway/command_line_text.h"
#include "devices/gateway/gateway_fields.h"
#include "devices/gateway/gateway_settings.h"

#include "../mbus/qstring_print.h"

#include <gtest/gtest.h>

namespace holvex::gateway {
namespace {

constexpr Rs232Rule kNet = Rs232Rule::NetworkOrInformation;
constexpr Rs232Rule kOther = Rs232Rule::OtherSetting;

struct LineCase {
    const char* what;
    GatewaySetting setting;
    const char* line; // "" when nothing is sent
    const char* log;
    const char* refusal;
    Rs232Rule rule;
    bool timer;
};

QString q(const char* text) {
    return QString::fromUtf8(text);
}

const char* const kWrongIp = "Wrong IP value, please correct...";

TEST(GatewaySettings, EveryControlBuildsItsLineByteForByte) {
    const LineCase cases[] = {
        // The IP group.
        {"own", ipSetting(IpSetting::OwnIp, q("192.168.1.10")), "SET IPV4=192.168.1.10",
         "Changing own IP of Ferrin2...", "", kNet, true},
        {"gateway", ipSetting(IpSetting::GatewayIp, q("192.168.1.1")), "SET GATE=192.168.1.1",
         "Changing gateway IP of Ferrin-2...", "", kNet, true},
        {"mask", ipSetting(IpSetting::Netmask, q("255.255.255.0")), "SET MASK=255.255.255.0",
         "Changing netmask of Ferrin-2...", "", kNet, true},
        {"netn", ipSetting(IpSetting::NetworkNumber, q("0.0.0.7")), "SET NETN=0.0.0.7",
         "Changing network ID of Ferrin-2...", "", kNet, true},
        {"ipma", ipSetting(IpSetting::ManufacturerIp, q("10.1.2.3")), "SET IPMA=10.1.2.3",
         "Setting manufacturer IP...", "", kNet, true},
        {"ipco", ipSetting(IpSetting::ControlIp, q("10.1.2.4")), "SET IPCO=10.1.2.4", "Setting control IP...",
         "", kNet, true},
        {"part above 255", ipSetting(IpSetting::OwnIp, q("192.168.1.300")), "", "", kWrongIp, kNet, true},
        {"two dots", ipSetting(IpSetting::GatewayIp, q("10.0.0")), "", "", kWrongIp, kNet, true},
        {"four dots", ipSetting(IpSetting::Netmask, q("1.2.3.4.")), "", "", kWrongIp, kNet, true},
        {"empty part", ipSetting(IpSetting::NetworkNumber, q("1..2.3")), "", "", kWrongIp, kNet, true},
        {"letters", ipSetting(IpSetting::ControlIp, q("a.b.c.d")), "", "", kWrongIp, kNet, true},
        {"blank", ipSetting(IpSetting::ManufacturerIp, q(" 1.2.3.4")), "", "", kWrongIp, kNet, true},
        {"empty ip", ipSetting(IpSetting::OwnIp, QString()), "", "", "", kNet, true},
        {"test", testIpSetting(), "SET TEST", "", "", kNet, true},
        // Serial port of the gateway.
        {"com 9600 none", serialPortSetting(q("9600"), q("None")), "SET COM2=4,2",
         "Changing Ferrin-2 serial port settings...", "", kOther, true},
        {"com 300 even", serialPortSetting(q("300"), q("Even")), "SET COM2=0,0",
         "Changing Ferrin-2 serial port settings...", "", kOther, true},
        {"com 38400 odd", serialPortSetting(q("38400"), q("Odd")), "SET COM2=6,1",
         "Changing Ferrin-2 serial port settings...", "", kOther, true},
        {"com 1200", serialPortSetting(q("1200"), q("Odd")), "SET COM2=1,1",
         "Changing Ferrin-2 serial port settings...", "", kOther, true},
        {"com 19200", serialPortSetting(q("19200"), q("Even")), "SET COM2=5,0",
         "Changing Ferrin-2 serial port settings...", "", kOther, true},
        {"wrong speed", serialPortSetting(q("57600"), q("None")), "", "", "Wrong speed, skipping...", kOther,
         true},
        {"empty speed", serialPortSetting(QString(), q("Mark")), "", "", "Wrong speed, skipping...", kOther,
         true},
        {"wrong parity", serialPortSetting(q("2400"), q("Mark")), "", "", "Wrong parity, skipping...", kOther,
         true},
        // Up-down boxes: two digits.
        {"pito 5", pingTimeoutSetting(q("5")), "SET PITO=05", "Changing ping server timeout...", "", kOther,
         true},
        {"pito 48", pingTimeoutSetting(q("48")), "SET PITO=48", "Changing ping server timeout...", "", kOther,
         true},
        {"pito 49", pingTimeoutSetting(q("49")), "", "", "", kOther, true},
        {"pito empty", pingTimeoutSetting(QString()), "", "", "", kOther, true},
        {"reti 1", retryTimeoutSetting(q("1")), "SET RETI=01", "Changing Ferrin-2 retry timeout...", "",
         kOther, true},
        {"reti 50", retryTimeoutSetting(q("50")), "SET RETI=50", "Changing Ferrin-2 retry timeout...", "",
         kOther, true},
        {"reti empty", retryTimeoutSetting(QString()), "", "", "", kOther, true},
        {"retn 7", connectRetriesSetting(q("7")), "SET RETN=07",
         "Changing retry number for connection to server...", "", kOther, true},
        {"retn 16", connectRetriesSetting(q("16")), "SET RETN=16",
         "Changing retry number for connection to server...", "", kOther, true},
        {"retn empty", connectRetriesSetting(QString()), "", "", "", kOther, true},
        {"neto 3", mbusTimeoutSetting(q("3")), "SET NETO=03", "Changing Ferrin-2 m-bus response timeout...",
         "", kOther, true},
        {"neto 25", mbusTimeoutSetting(q("25")), "SET NETO=25", "Changing Ferrin-2 m-bus response timeout...",
         "", kOther, true},
        {"neto empty", mbusTimeoutSetting(QString()), "", "", "", kOther, true},
        {"neto letters", mbusTimeoutSetting(q("1a")), "", "", "", kOther, true},
        // Due date.
        {"dued", dueDateSetting(q("1"), q("0"), q("5")), "SET DUED=01/00/05",
         "Changing automatic readout time...", "", kOther, true},
        {"dued top", dueDateSetting(q("31"), q("23"), q("59")), "SET DUED=31/23/59",
         "Changing automatic readout time...", "", kOther, true},
        {"dued no day", dueDateSetting(QString(), q("1"), q("1")), "", "", "Wrong readout time, skipping...",
         kOther, true},
        {"dued no hour", dueDateSetting(q("1"), QString(), q("1")), "", "", "Wrong readout time, skipping...",
         kOther, true},
        {"dued no minute", dueDateSetting(q("1"), q("1"), QString()), "", "",
         "Wrong readout time, skipping...", kOther, true},
        // The PC's clock.
        {"date", dateSetting(QDate(2025, 3, 7)), "SET DATE=07,03,25", "Setting date of Ferrin-2...", "",
         kOther, true},
        {"date 2010", dateSetting(QDate(2010, 12, 31)), "SET DATE=31,12,10", "Setting date of Ferrin-2...",
         "", kOther, true},
        {"time", timeSetting(QTime(9, 5, 59)), "SET TIME=09,05", "Setting time of Ferrin-2...", "", kOther,
         true},
        {"time late", timeSetting(QTime(23, 10)), "SET TIME=23,10", "Setting time of Ferrin-2...", "", kOther,
         true},
        // GPRS texts.
        {"apn", apnSetting(q("web.example")), "SET APNM=\"web.example\"",
         "Setting Access point of GPRS connection...", "", kOther, false},
        {"apn zero is a name", apnSetting(q("0")), "SET APNM=\"0\"",
         "Setting Access point of GPRS connection...", "", kOther, false},
        {"apn empty", apnSetting(QString()), "", "", "", kOther, false},
        {"phone", phoneSetting(q("+39021234")), "SET PHON=\"+39021234\"",
         "Setting phone number for GPRS connection...", "", kOther, false},
        {"phone delete", phoneSetting(q("0")), "SET PHON=0", "Setting phone number for GPRS connection...",
         "", kOther, false},
        {"phone 00", phoneSetting(q("00")), "SET PHON=\"00\"", "Setting phone number for GPRS connection...",
         "", kOther, false},
        {"phone empty", phoneSetting(QString()), "", "", "", kOther, false},
        {"user", gprsUserSetting(q("guest")), "SET USER=\"guest\"",
         "Changing username for GPRS connection...", "", kOther, true},
        {"user delete", gprsUserSetting(q("0")), "SET USER=0", "Changing username for GPRS connection...", "",
         kOther, true},
        {"user empty", gprsUserSetting(QString()), "", "", "", kOther, true},
        {"pass", gprsPasswordSetting(q("s3cret")), "SET PASS=\"s3cret\"",
         "Changing password for GPRS connection...", "", kOther, true},
        {"pass delete", gprsPasswordSetting(q("0")), "SET PASS=0", "Changing password for GPRS connection...",
         "", kOther, true},
        {"pass empty", gprsPasswordSetting(QString()), "", "", "", kOther, true},
        {"pin", pinSetting(q("0421")), "SET PINC=0421", "Changing PIN code for GPRS connection...", "",
         kOther, true},
        {"pin three", pinSetting(q("123")), "", "", "PIN must be 4 digits, skipping...", kOther, true},
        {"pin five", pinSetting(q("12345")), "", "", "PIN must be 4 digits, skipping...", kOther, true},
        {"pin empty", pinSetting(QString()), "", "", "PIN must be 4 digits, skipping...", kOther, true},
        {"pin letter", pinSetting(q("12a4")), "", "", "PIN must be 4 digits, skipping...", kOther, true},
        // Server or client.
        {"server", serverModeSetting(true), "SET SERV=1",
         "Changing Ferrin-2 to server, requires RESTART of Ferrin-2", "", kOther, true},
        {"client", serverModeSetting(false), "SET SERV=0",
         "Changing Ferrin-2 to client, requires RESTART of Ferrin-2", "", kOther, true},
        // Information requests.
        {"main", informationRequest(GatewayRequest::MainInfo), "GET MAIN", "", "", kNet, true},
        {"serv", informationRequest(GatewayRequest::ServiceInfo), "GET SERV", "", "", kNet, true},
        {"conn", informationRequest(GatewayRequest::Connection), "GET CONN", "", "", kNet, true},
        {"oper", informationRequest(GatewayRequest::OperatorInfo), "GET OPER", "", "", kNet, true},
        {"gprs", informationRequest(GatewayRequest::GprsInfo), "GET GPRS", "", "", kNet, true},
        {"stat", informationRequest(GatewayRequest::GprsStatus), "GET STAT", "", "", kNet, true},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.setting.line, QByteArray(c.line));
        EXPECT_EQ(c.setting.sends(), *c.line != '\0');
        EXPECT_EQ(c.setting.logText, q(c.log));
        EXPECT_EQ(c.setting.refusal, q(c.refusal));
        EXPECT_EQ(c.setting.rule, c.rule);
        EXPECT_EQ(c.setting.startsAnswerTimer, c.timer);
    }
}

TEST(GatewaySettings, OperatorIpSendsOneLinePerTickedBox) {
    const QString ip = q("172.16.0.9");
    QList<GatewaySetting> lines = operatorIpSettings(ip, {false, false, true, false});
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].line, QByteArray("SET IPO3=172.16.0.9"));
    EXPECT_EQ(lines[0].logText, q("Setting IP Op #3..."));
    EXPECT_EQ(lines[0].rule, kNet);

    lines = operatorIpSettings(ip, {true, false, false, true});
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].line, QByteArray("SET IPO1=172.16.0.9"));
    EXPECT_EQ(lines[0].logText, q("Setting IP Op #1..."));
    EXPECT_EQ(lines[1].line, QByteArray("SET IPO4=172.16.0.9"));
    EXPECT_EQ(lines[1].logText, q("Setting IP Op #4..."));

    EXPECT_TRUE(operatorIpSettings(ip, {false, false, false, false}).isEmpty());

    lines = operatorIpSettings(q("10.0.0"), {false, true, false, false});
    ASSERT_EQ(lines.size(), 1);
    EXPECT_FALSE(lines[0].sends());
    EXPECT_EQ(lines[0].refusal, q(kWrongIp));
    lines = operatorIpSettings(QString(), {false, true, false, false});
    ASSERT_EQ(lines.size(), 1);
    EXPECT_FALSE(lines[0].sends());
    EXPECT_TRUE(lines[0].refusal.isEmpty());
}

TEST(GatewayFields, KeyFiltersAndProductControls) {
    for (const QChar key : q("0123456789.\b\r\n")) {
        EXPECT_TRUE(ipFieldAccepts(key)) << int(key.unicode());
    }
    for (const QChar key : q("a-, :/")) {
        EXPECT_FALSE(ipFieldAccepts(key)) << int(key.unicode());
        EXPECT_FALSE(pinFieldAccepts(key)) << int(key.unicode());
    }
    EXPECT_TRUE(pinFieldAccepts(u'7'));
    EXPECT_FALSE(pinFieldAccepts(u'.'));

    // Every product-bound control belongs to exactly one product.
    for (int i = 0; i <= static_cast<int>(ProductControl::GprsStatus); ++i) {
        const auto control = static_cast<ProductControl>(i);
        EXPECT_NE(productControlEnabled(control, GatewayProduct::Galdor),
                  productControlEnabled(control, GatewayProduct::Ferrin))
            << i;
    }
    EXPECT_TRUE(productControlEnabled(ProductControl::Netmask, GatewayProduct::Ferrin));
    EXPECT_TRUE(productControlEnabled(ProductControl::Phone, GatewayProduct::Galdor));
    EXPECT_FALSE(productControlEnabled(ProductControl::RetryTimeout, GatewayProduct::Galdor));

    EXPECT_EQ(serialSpeedChoices().size(), 7);
    EXPECT_EQ(serialParityChoices().size(), 3);
}

TEST(CommandLineText, NumbersYearsAndBytes) {
    EXPECT_EQ(twoDigits(0), q("00"));
    EXPECT_EQ(twoDigits(9), q("09"));
    EXPECT_EQ(twoDigits(10), q("10"));
    EXPECT_EQ(twoDigits(123), q("123"));
    EXPECT_EQ(yearDigits(2025), q("25"));
    EXPECT_EQ(yearDigits(2004), q("04"));
    EXPECT_EQ(yearDigits(7), q("07"));
    EXPECT_EQ(yearDigits(2100), q("100"));
    EXPECT_EQ(commandBytes(q("SET TEXT=1,Caff\u00e8")), QByteArray("SET TEXT=1,Caff\xe8"));
    EXPECT_EQ(commandBytes(q("\u20ac")), QByteArray("?"));
    int value = -1;
    EXPECT_TRUE(parseFieldNumber(q("0042"), value));
    EXPECT_EQ(value, 42);
    EXPECT_FALSE(parseFieldNumber(q("+42"), value));
    EXPECT_FALSE(parseFieldNumber(q("1234567890"), value));
    EXPECT_FALSE(parseFieldNumber(QString(), value));
}

} // namespace
} // namespace holvex::gateway
