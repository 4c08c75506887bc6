#include "codec/frame_codec.h"
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

QString demoPath() {
    return QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../sim/demo.json"));
}

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
