#include "sim/gateway_service_port.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

GatewayServicePort port(GatewayProduct product) {
    GatewayServiceConfig c;
    c.product = product;
    c.clock = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    return GatewayServicePort(c, {0, 0, 0, 1});
}

std::optional<QByteArray> say(GatewayServicePort& p, const char* line) {
    const auto parsed = parseTextLine(line);
    EXPECT_TRUE(parsed && GatewayServicePort::knows(*parsed)) << line;
    return parsed ? p.answer(*parsed) : std::nullopt;
}

TEST(GatewayServicePortTest, SettingsAreCheckedKeptAndAnswered) {
    const struct Row {
        GatewayProduct product;
        const char* line;
        const char* answer;
        const char* key;    // the setting afterwards...
        const char* stored; // ...holds this
    } rows[] = {
        {GatewayProduct::Ferrin, "SET IPV4=192.168.1.70", "Own IP: 192.168.1.70", "IPV4", "192.168.1.70"},
        {GatewayProduct::Ferrin, "SET IPV4=192.168.1.300", "Own IP: wrong value", "IPV4", "192.168.1.50"},
        {GatewayProduct::Ferrin, "SET MASK=10.0.0", "Netmask: wrong value", "MASK", "255.255.255.0"},
        {GatewayProduct::Galdor, "SET IPV4=10.0.0.2", "Own IP: not available on Galdor-5", "IPV4",
         "192.168.1.50"},
        {GatewayProduct::Ferrin, "SET IPO3=10.1.1.3", "Operator IP #3: 10.1.1.3", "IPO3", "10.1.1.3"},
        {GatewayProduct::Ferrin, "SET COM2=4,2", "Serial port: 9600 baud, None", "COM2", "4,2"},
        {GatewayProduct::Ferrin, "SET COM2=7,0", "Serial port: wrong value", "COM2", "2,0"},
        {GatewayProduct::Ferrin, "SET PITO=05", "Ping server timeout: 05", "PITO", "05"},
        {GatewayProduct::Ferrin, "SET PITO=5", "Ping server timeout: wrong value", "PITO", "01"},
        {GatewayProduct::Ferrin, "SET PITO=49", "Ping server timeout: wrong value", "PITO", "01"},
        {GatewayProduct::Ferrin, "SET RETI=50", "Retry timeout: 50", "RETI", "50"},
        {GatewayProduct::Galdor, "SET RETN=02", "Connect retries: not available on Galdor-5", "RETN", "03"},
        {GatewayProduct::Ferrin, "SET NETO=02", "M-bus response timeout: wrong value", "NETO", "03"},
        {GatewayProduct::Ferrin, "SET NETO=25", "M-bus response timeout: 25", "NETO", "25"},
        {GatewayProduct::Ferrin, "SET DUED=31/23/59", "Readout time: 31/23/59", "DUED", "31/23/59"},
        {GatewayProduct::Ferrin, "SET DUED=31/24/00", "Readout time: wrong value", "DUED", "01/00/00"},
        {GatewayProduct::Galdor, "SET APNM=\"internet.it\"", "APN: internet.it", "APNM", "internet.it"},
        {GatewayProduct::Galdor, "SET APNM=internet", "APN: wrong value", "APNM", ""},
        {GatewayProduct::Galdor, "SET APNM=\"web\r\"", "APN: wrong value", "APNM", ""},
        {GatewayProduct::Ferrin, "SET APNM=\"web\"", "APN: not available on Ferrin-2", "APNM", ""},
        {GatewayProduct::Galdor, "SET PHON=0", "Phone number: deleted", "PHON", ""},
        {GatewayProduct::Galdor, "SET PINC=123", "PIN: wrong value", "PINC", ""},
        {GatewayProduct::Galdor, "SET PINC=1234", "PIN: stored", "PINC", "1234"},
        {GatewayProduct::Galdor, "SET PASS=\"s3cret\"", "GPRS password: stored", "PASS", "s3cret"},
        {GatewayProduct::Galdor, "SET USER=\"01234567890123456789\"", "GPRS user: wrong value", "USER", ""},
        {GatewayProduct::Ferrin, "SET SERV=0", "Mode: client, restart to apply", "SERV", "0"},
        {GatewayProduct::Ferrin, "SET SERV=2", "Mode: wrong value", "SERV", "1"},
        {GatewayProduct::Ferrin, "SET NETN=0.0.0.9", "Network number: 0.0.0.9", "NETN", "0.0.0.9"},
        {GatewayProduct::Ferrin, "SET GATE", "Gateway IP: wrong value", "GATE", "192.168.1.1"},
        {GatewayProduct::Ferrin, "SET TEST", "Test: calling 0.0.0.0", "IPMA", "0.0.0.0"},
    };
    for (const Row& row : rows) {
        GatewayServicePort p = port(row.product);
        EXPECT_EQ(say(p, row.line), QByteArray(row.answer)) << row.line;
        EXPECT_EQ(p.setting(row.key), QByteArray(row.stored)) << row.line;
    }
}

TEST(GatewayServicePortTest, InformationReportsWhatWasSet) {
    GatewayServicePort p = port(GatewayProduct::Ferrin);
    for (const char* line : {"SET NETN=1.2.3.4", "SET IPV4=10.0.0.5", "SET SERV=0", "SET DATE=01,02,27",
                             "SET TIME=23,59", "SET NETO=07", "SET IPO2=10.9.9.2"}) {
        ASSERT_TRUE(say(p, line)) << line;
    }
    EXPECT_EQ(p.network(), (codec::NetworkNumber{1, 2, 3, 4}));
    EXPECT_EQ(
        say(p, "GET MAIN"),
        QByteArray("Ferrin-2 Ethernet gateway\r\nNetwork number: 1.2.3.4\r\nOwn IP: 10.0.0.5\r\n"
                   "Netmask: 255.255.255.0\r\nGateway IP: 192.168.1.1\r\nMode: client\r\nDate: 01/02/27\r\n"
                   "Time: 23:59"));
    EXPECT_EQ(
        say(p, "GET SERV"),
        QByteArray("Serial port: 2400 baud, Even\r\nM-bus response timeout: 0.7 s\r\nRetry timeout: 1.0 s\r\n"
                   "Connect retries: 03\r\nPing server timeout: 01\r\nReadout time: 01/00/00"));
    EXPECT_TRUE(say(p, "GET OPER")->contains("Operator IP #2: 10.9.9.2\r\n"));
    EXPECT_EQ(say(p, "GET GPRS"), QByteArray("Not available on Ferrin-2"));
    EXPECT_EQ(say(p, "SET DATE=08/12/26"), QByteArray("Date: wrong value")); // the display's form
    EXPECT_EQ(say(p, "SET TIME=24,00"), QByteArray("Time: wrong value"));
    EXPECT_EQ(p.clock(), QDateTime(QDate(2027, 2, 1), QTime(23, 59)));

    GatewayServicePort g = port(GatewayProduct::Galdor);
    ASSERT_TRUE(say(g, "SET APNM=\"web.it\""));
    ASSERT_TRUE(say(g, "SET PINC=0000"));
    EXPECT_EQ(say(g, "GET GPRS"), QByteArray("APN: web.it\r\nPhone number: \r\nGPRS user: \r\nPIN: set"));
    EXPECT_FALSE(say(g, "GET MAIN")->contains("Own IP"));
}

TEST(GatewayServicePortTest, StartSettingsAreCheckedLikeLines) {
    GatewayServiceConfig c;
    c.settings = {{"COM2", "4,0"}, {"PITO", "12"}};
    GatewayServicePort p(c, {0, 0, 0, 3});
    EXPECT_EQ(p.setting("COM2"), QByteArray("4,0"));
    EXPECT_EQ(p.setting("NETN"), QByteArray("0.0.0.3"));
    EXPECT_EQ(p.apply("PITO", "99"), QStringLiteral("Ping server timeout: wrong value"));
    EXPECT_TRUE(p.apply("TEST", ""));
    EXPECT_FALSE(p.apply("IPCO", "10.0.0.1"));
    EXPECT_EQ(p.linesSeen(), 0);
}

TEST(GatewayServicePortTest, FaultsKeepThePortQuiet) {
    GatewayServiceConfig c;
    c.faults.answerAfter = 1;
    GatewayServicePort p(c, {0, 0, 0, 1});
    EXPECT_FALSE(say(p, "SET PITO=09"));
    EXPECT_EQ(p.setting("PITO"), QByteArray("01"));
    EXPECT_EQ(say(p, "SET PITO=09"), QByteArray("Ping server timeout: 09"));
    p.setFaults({.silent = true});
    EXPECT_FALSE(say(p, "SET TEST"));
    EXPECT_EQ(p.testsStarted(), 0);
}

} // namespace
} // namespace holvex::sim
