#include "codec/frame_codec.h"
#include "demo_path.h"
#include "sim/installation_config.h"
#include "sim/sim_installation.h"
#include "test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

using test::demoPath;

TEST(InstallationConfigTest, DemoInstallationLoadsAndEveryMeterAnswers) {
    QString error;
    const auto config = loadInstallation(demoPath(), &error);
    ASSERT_TRUE(config.has_value()) << error.toStdString();
    ASSERT_GE(config->meters.size(), 12);
    SimInstallation bus(*config);
    QSet<std::uint8_t> media;
    QSet<QString> makers;
    for (int i = 0; i < bus.meterCount(); ++i) {
        SimMeter& meter = bus.meterAt(i);
        EXPECT_EQ(meter.config().id.size(), 8) << i;
        media.insert(meter.config().medium);
        makers.insert(meter.config().manufacturer);
        for (const QByteArray& t : meter.config().telegrams) {
            EXPECT_TRUE(codec::checkLongFrame(t).passed) << meter.label().toStdString();
        }
    }
    EXPECT_GE(media.size(), 6);
    EXPECT_GE(makers.size(), 10);
    for (int a = 1; a <= 12; ++a) {
        ASSERT_NE(bus.meterByAddress(a), nullptr) << a;
        bus.meterByAddress(a)->setFaults({});
        const QByteArray answer = bus.handleFrame(codec::shortFrame(codec::control::kReqUd2, a)).bytes();
        EXPECT_TRUE(codec::checkLongFrame(answer).passed) << a;
    }
}

// The demo gives "Find all" and "Auto address" something to do: meters only a search by ID finds, meters
// sharing an address, IDs that agree in their leading digits.
TEST(InstallationConfigTest, DemoInstallationNeedsTheSecondarySearch) {
    QString error;
    const auto config = loadInstallation(demoPath(), &error);
    ASSERT_TRUE(config.has_value()) << error.toStdString();
    SimInstallation bus(*config);
    QMap<int, int> perAddress;
    int unaddressed = 0;
    for (const SimMeterState& m : bus.meterStates()) {
        if (m.address) {
            ++perAddress[*m.address];
        } else {
            ++unaddressed;
        }
    }
    int shared = 0;
    for (int count : perAddress) {
        shared += count > 1 ? count : 0;
    }
    EXPECT_GE(unaddressed + shared, 2);

    const auto frame = [](std::uint8_t c, std::uint8_t a, std::uint8_t ci, const char* data) {
        return codec::longFrame(c, a, ci, hex(data));
    };
    // 9900FFFF names several meters: their acknowledgements collide.
    EXPECT_GE(bus.handleFrame(frame(0x53, 0xFD, 0x52, "FF FF 00 99 FF FF FF FF")).answering, 2);
    // The full ID names one, which answers at 0xFD and takes an address there.
    EXPECT_EQ(bus.handleFrame(frame(0x53, 0xFD, 0x52, "45 20 00 99 FF FF FF FF")).bytes(), hex("E5"));
    EXPECT_EQ(bus.handleFrame(frame(0x73, 0xFD, 0x51, "01 7A 14")).bytes(), hex("E5"));
    const QByteArray readBack = bus.handleFrame(codec::shortFrame(0x7B, 0xFD)).bytes();
    ASSERT_TRUE(codec::checkLongFrame(readBack).passed);
    EXPECT_EQ(static_cast<std::uint8_t>(readBack.at(5)), 20);
    EXPECT_EQ(bus.handleFrame(codec::shortFrame(0x40, 0xFD)).bytes(), hex("E5"));
    EXPECT_EQ(bus.handleFrame(codec::shortFrame(0x7B, 20)).bytes(), readBack);
}

TEST(InstallationConfigTest, SettingsAndFaultsAreRead) {
    const QByteArray json = R"({
        "turnaroundMs": 3, "collision": "or",
        "gateway": {"network": "1.2.3.4", "timeoutMs": 90, "answerTimeout": false, "ackAsData": true},
        "meters": [{"address": 9, "id": "00000009", "manufacturer": "abc", "medium": "gas",
                    "telegram": "68 03 03 68 08 09 72 83 16",
                    "faults": {"silent": true, "lateMs": 7, "badChecksum": true, "badStop": true,
                               "pieces": 3, "gapMs": 4, "answerAfter": 2}}]})";
    QString error;
    const auto c = parseInstallation(json, &error);
    ASSERT_TRUE(c.has_value()) << error.toStdString();
    EXPECT_EQ(c->turnaroundMs, 3);
    EXPECT_EQ(c->collision, CollisionMode::Or);
    EXPECT_EQ(c->gateway.network, (codec::NetworkNumber{1, 2, 3, 4}));
    EXPECT_EQ(c->gateway.timeoutMs, 90);
    EXPECT_FALSE(c->gateway.answerTimeout);
    EXPECT_TRUE(c->gateway.ackAsData);
    const SimMeterConfig& m = c->meters.at(0);
    EXPECT_EQ(m.address, 9);
    EXPECT_EQ(m.manufacturer, QStringLiteral("ABC"));
    EXPECT_EQ(m.medium, 3);
    EXPECT_EQ(m.telegrams, QList<QByteArray>{hex("68 03 03 68 08 09 72 83 16")});
    EXPECT_TRUE(m.faults.silent && m.faults.badChecksum && m.faults.badStop);
    EXPECT_EQ(m.faults.lateMs, 7);
    EXPECT_EQ(m.faults.pieces, 3);
    EXPECT_EQ(m.faults.gapMs, 4);
    EXPECT_EQ(m.faults.answerAfter, 2);
}

TEST(InstallationConfigTest, DisplayAndServicePortAreRead) {
    const QByteArray json = R"({
        "serialTextDevice": "gateway",
        "gateway": {"network": "0.0.0.5",
                    "service": {"product": "Galdor", "clock": "2026-03-04 05:06",
                                "settings": {"APNM": "\"web.it\"", "COM2": "4,1"},
                                "faults": {"answerAfter": 1}}},
        "display": {"addressList": "lines", "monthNames": "bg", "blankDecember": true, "clock": "2026-12-08 09:30",
                    "refreshSeconds": 9, "sortBy": "userNumber", "locked": true, "serial": "R7-9", "firmware": "3.0",
                    "faults": {"silent": true, "lateMs": 40, "pieces": 2, "gapMs": 5},
                    "entries": [
                        {"address": 7, "unit": "kWh", "mult": 10, "div": 3, "initial": 1.5, "pulses": 1000,
                         "stepPulses": 4, "tariffPulses": [1, 2, 3, 4], "userNumber": "0012", "text": "Flat \u00e8",
                         "text2": "B", "userMultDiv": false, "historyForm": "tariffs",
                         "history": {"start": "2025-11", "values": [5, [6, 1, 2, 3]]}},
                        {"address": 250, "active": false}
                    ]}})";
    QString error;
    const auto c = parseInstallation(json, &error);
    ASSERT_TRUE(c.has_value()) << error.toStdString();
    EXPECT_EQ(c->serialTextDevice, TextDevice::GatewayService);
    EXPECT_EQ(c->gatewayService.product, GatewayProduct::Galdor);
    EXPECT_EQ(c->gatewayService.clock, QDateTime(QDate(2026, 3, 4), QTime(5, 6)));
    EXPECT_EQ(c->gatewayService.faults.answerAfter, 1);
    ASSERT_TRUE(c->display.has_value());
    const DisplayConfig& d = *c->display;
    EXPECT_EQ(d.addressList, AddressListForm::Lines);
    EXPECT_EQ(d.monthNames, MonthNames::Bulgarian);
    EXPECT_TRUE(d.blankDecember && d.locked && d.sortByUserNumber && d.faults.silent);
    EXPECT_EQ(d.refreshSeconds, 9);
    EXPECT_EQ(d.serial, QByteArray("R7-9"));
    EXPECT_EQ(d.faults.lateMs, 40);
    ASSERT_EQ(d.entries.keys(), (QList<int>{7, 250}));
    const DisplayEntry& e = d.entries[7];
    EXPECT_TRUE(e.active);
    EXPECT_FALSE(d.entries[250].active);
    EXPECT_EQ(e.unitCode, 1);
    EXPECT_EQ(e.multiplier, 10);
    EXPECT_EQ(e.divider, 3);
    EXPECT_DOUBLE_EQ(e.initial, 1.5);
    EXPECT_EQ(e.pulses, 1000);
    EXPECT_EQ(e.stepPulses, 4);
    EXPECT_EQ(e.tariffPulses, (std::array<qint64, 4>{1, 2, 3, 4}));
    EXPECT_EQ(e.userNumber, QByteArray("0012"));
    EXPECT_EQ(e.text, QByteArray("Flat \xE8")); // Latin-1 on the line
    EXPECT_FALSE(e.userMultDiv);
    EXPECT_EQ(e.historyForm, HistoryForm::Tariffs);
    ASSERT_EQ(e.history.size(), 2);
    EXPECT_EQ(e.history[1].month, QDate(2025, 12, 1));
    EXPECT_DOUBLE_EQ(e.history[1].value, 6);
    EXPECT_DOUBLE_EQ(e.history[1].tariffs[2], 3);

    // The installation gives the devices their settings; the service port starts at the gateway's network.
    SimInstallation bus(*c);
    ASSERT_NE(bus.display(), nullptr);
    EXPECT_EQ(bus.gatewayService().setting("APNM"), QByteArray("web.it"));
    EXPECT_EQ(bus.gatewayService().setting("NETN"), QByteArray("0.0.0.5"));
    EXPECT_EQ(SimInstallation(InstallationConfig{}).display(), nullptr);
}

TEST(InstallationConfigTest, DemoDisplayMatchesItsMeters) {
    QString error;
    const auto config = loadInstallation(demoPath(), &error);
    ASSERT_TRUE(config.has_value()) << error.toStdString();
    SimInstallation bus(*config);
    ASSERT_NE(bus.display(), nullptr);
    const DisplayUnit& unit = *bus.display();
    EXPECT_GE(unit.activeAddresses().size(), 4);
    bool someHistory = false;
    for (int a : unit.state().entries.keys()) {
        EXPECT_NE(bus.meterByAddress(a), nullptr) << a; // every entry has its meter on the bus
        someHistory = someHistory || !unit.entry(a).history.isEmpty();
    }
    EXPECT_TRUE(someHistory);
    // Through a gateway an answer must fit one packet.
    for (int a : unit.activeAddresses()) {
        for (const QByteArray& line :
             {"GET ENTR=" + QByteArray::number(a) + ",1", "GET ENTR=" + QByteArray::number(a) + ",2",
              "GET HIST=" + QByteArray::number(a) + ",1", "GET TARR=" + QByteArray::number(a) + ",0"}) {
            const QByteArray answer = bus.handleLine(line, TextRoad::Gateway).bytes();
            EXPECT_FALSE(answer.isEmpty()) << line.constData();
            EXPECT_LE(answer.size(), 255) << line.constData();
        }
    }
    for (const char* line : {"GET ADDR", "GET MAIN", "GET SERV"}) {
        EXPECT_LE(bus.handleLine(line, TextRoad::Gateway).bytes().size(), 255) << line;
    }
}

TEST(InstallationConfigTest, IdentityComesFromAHexTelegramWhenNotGiven) {
    const QByteArray json = R"({"meters": [{"address": 8, "telegram":
        "68 0F 0F 68 08 08 72 26 59 41 31 A5 11 12 07 2A 00 00 00 6C 16"}]})";
    QString error;
    const auto c = parseInstallation(json, &error);
    ASSERT_TRUE(c.has_value()) << error.toStdString();
    EXPECT_EQ(c->meters.at(0).id, QStringLiteral("31415926"));
    EXPECT_EQ(c->meters.at(0).manufacturer, QStringLiteral("DME"));
    EXPECT_FALSE(c->meters.at(0).address != 8);
}

TEST(InstallationConfigTest, SequenceOfBuiltTelegramsAnnouncesTheFollowingOnes) {
    const QByteArray json =
        R"({"meters": [{"address": 7, "id": "40260007", "manufacturer": "LUG", "medium": "heat",
        "telegrams": [{"records": [{"type": "energy", "value": 1}]},
                      {"records": [{"type": "energy", "value": 2}]},
                      {"records": [{"type": "energy", "value": 3}]}]}]})";
    QString error;
    const auto c = parseInstallation(json, &error);
    ASSERT_TRUE(c.has_value()) << error.toStdString();
    const auto& t = c->meters.at(0).telegrams;
    ASSERT_EQ(t.size(), 3);
    EXPECT_EQ(static_cast<std::uint8_t>(t[0].at(t[0].size() - 3)), 0x1F);
    EXPECT_EQ(static_cast<std::uint8_t>(t[1].at(t[1].size() - 3)), 0x1F);
    EXPECT_EQ(static_cast<std::uint8_t>(t[2].at(t[2].size() - 3)), 0x0F);
}

TEST(InstallationConfigTest, MistakesAreRefusedWithTheirPlace) {
    struct Row {
        const char* json;
        const char* mention;
    } rows[] = {
        {"[1, 2]", "not a JSON object"},
        {"{\"meters\": [{\"address\": 251, \"id\": \"12345678\"}]}", "meter 1"},
        {"{\"meters\": [{\"address\": 2.5}]}", "address"},
        {"{\"meters\": [{\"adress\": 2}]}", "adress"},
        {"{\"meters\": [{\"address\": 2, \"telegram\": \"68 0\"}]}", "bad hex"},
        {"{\"meters\": [{\"address\": 2, \"faults\": {\"slient\": true}}]}", "slient"},
        {"{\"meters\": [{\"address\": 2, \"medium\": \"lava\"}]}", "medium"},
        {"{\"meters\": [{\"address\": 2, \"records\": [{\"type\": \"volume\", \"value\": 1}]}]}", "ID"},
        {"{\"meters\": [{}, {\"id\": \"12345678\", \"manufacturer\": \"ABC\", \"records\": [{\"type\": "
         "\"x\", "
         "\"value\": 1}]}]}",
         "meter 2, telegram 1: unknown record type"},
        {"{\"collision\": \"and\"}", "collision"},
        {"{\"gateway\": {\"network\": \"1.2.3\"}}", "network"},
        {"{\"display\": {\"entires\": []}}", "entires"},
        {"{\"display\": {\"faults\": {\"slient\": true}}}", "slient"},
        {"{\"display\": {\"addressList\": \"list\"}}", "addressList"},
        {"{\"display\": {\"entries\": [{\"unit\": \"m3\"}]}}", "display entry 1"},
        {"{\"display\": {\"entries\": [{\"address\": 2}, {\"address\": 2}]}}", "display entry 2"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"unit\": \"l\"}]}}", "unit"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"div\": 0}]}}", "div"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"userNumber\": \"12a\"}]}}", "userNumber"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"text\": \"a\\nb\"}]}}", "text"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"tariffPulses\": [1, -1]}]}}", "tariff 1"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"history\": {\"start\": \"2026-13\"}}]}}", "start"},
        {"{\"display\": {\"entries\": [{\"address\": 2, \"history\": {\"start\": \"2026-01\", "
         "\"values\": [1,2,3,4,5,6,7,8,9,10,11,12,13]}}]}}",
         "at most 12"},
        {"{\"display\": {\"clock\": \"08.12.2026\"}}", "clock"},
        {"{\"serialTextDevice\": \"receiver\"}", "serialTextDevice"},
        {"{\"gateway\": {\"service\": {\"settings\": {\"PITO\": \"5\"}}}}", "PITO"},
        {"{\"gateway\": {\"service\": {\"settings\": {\"APNM\": \"\\\"web\\\"\"}}}}",
         "not available on Ferrin-2"},
        {"{\"gateway\": {\"service\": {\"settings\": {\"NETN\": \"1.2.3.4\"}}}}", "network"},
        {"{\"gateway\": {\"service\": {\"prodcut\": \"Ferrin\"}}}", "prodcut"},
    };
    for (const Row& row : rows) {
        QString error;
        EXPECT_FALSE(parseInstallation(row.json, &error).has_value()) << row.json;
        EXPECT_TRUE(error.contains(QLatin1String(row.mention))) << row.json << " -> " << error.toStdString();
    }
    QString error;
    EXPECT_FALSE(loadInstallation(QStringLiteral("/nonexistent/installation.json"), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace holvex::sim
