#include "codec/frame_codec.h"
#include "sim/telegram_builder.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

RecordPlan record(const char* type, double value, int decimals = -1, const char* coding = "") {
    RecordPlan r;
    r.type = QLatin1String(type);
    r.value = value;
    r.decimals = decimals;
    r.coding = QLatin1String(coding);
    return r;
}

RecordPlan text(const char* type, const char* text) {
    RecordPlan r;
    r.type = QLatin1String(type);
    r.text = QLatin1String(text);
    return r;
}

TEST(TelegramBuilderTest, RecordsEncodeAsExpected) {
    RecordPlan storage1 = record("volume", 118.902);
    storage1.storage = 1;
    RecordPlan tariff2 = record("energy", 4222.27, 2);
    tariff2.tariff = 2;
    RecordPlan storage5 = record("energy", 93377);
    storage5.storage = 5;
    RecordPlan maximum = record("power", 12.8);
    maximum.function = QStringLiteral("max");
    struct Row {
        const char* name;
        RecordPlan plan;
        const char* bytes;
    } rows[] = {
        {"volume in litres, 8 BCD digits", record("volume", 123.456), "0C 13 56 34 12 00"},
        {"volume to 10 litres", record("volume", 234.56, 2), "0C 14 56 34 02 00"},
        {"energy kWh", record("energy", 4567), "0C 06 67 45 00 00"},
        {"energy Wh resolution, 32-bit", record("energy", 1520.125, 3, "int32"), "04 03 FD 31 17 00"},
        {"power 100 W, 24-bit", record("power", 3.4), "03 2D 22 00 00"},
        {"flow", record("flow", 0.123), "03 3B 7B 00 00"},
        {"flow temperature", record("flowTemperature", 65.3), "02 5A 8D 02"},
        {"negative temperature difference", record("temperatureDifference", -5.2), "02 61 F8 FD"},
        {"external temperature", record("externalTemperature", 21.5, 2), "02 65 66 08"},
        {"heat cost units", record("hca", 345), "03 6E 59 01 00"},
        {"operating hours", record("operatingTime", 20411), "04 26 BB 4F 00 00"},
        {"fabrication number", record("fabrication", 14200004), "0C 78 04 00 20 14"},
        {"error flags", record("errorFlags", 0), "02 FD 17 00 00"},
        {"12 BCD digits", record("volume", 5551.2, 2, "bcd12"), "0E 14 20 51 55 00 00 00"},
        {"real", record("power", 0.75, 2, "real"), "05 2C 00 00 96 42"},
        {"storage 1 in the DIF", storage1, "4C 13 02 89 11 00"},
        {"tariff in a DIFE", tariff2, "8C 20 04 27 22 42 00"},
        {"storage 5 in DIF and DIFE", storage5, "CC 02 06 77 33 09 00"},
        {"maximum", maximum, "13 2D 80 00 00"},
        {"date and time, type F", text("datetime", "2026-12-08 09:30"), "04 6D 1E 09 48 3C"},
        {"date, type G", text("date", "2013-12-31"), "02 6C BF 1C"},
        {"raw", text("raw", "01 FD 17 04"), "01 FD 17 04"},
    };
    for (const Row& row : rows) {
        QString error;
        const auto bytes = buildRecord(row.plan, &error);
        ASSERT_TRUE(bytes.has_value()) << row.name << ": " << error.toStdString();
        EXPECT_EQ(test::spacedHex(*bytes).trimmed().toStdString(), row.bytes) << row.name;
    }
}

TEST(TelegramBuilderTest, BadRecordsAreRefusedWithAReason) {
    RecordPlan badFunction = record("volume", 1);
    badFunction.function = QStringLiteral("average");
    RecordPlan badStorage = record("volume", 1);
    badStorage.storage = 32;
    const RecordPlan rows[] = {
        record("volume", 100000.0),        // 10^8 litres do not fit 8 BCD digits
        record("volume", -1.0),            // BCD has no sign here
        record("flowTemperature", 3276.8), // beyond 16 bits
        record("flowTemperature", 1, 4),   // 4 decimals are below the VIF's range
        record("volume", 1, -1, "bcd7"),   // no such coding
        record("pressure", 1),             // no such type
        text("date", "2026-13-01"),
        text("datetime", "1999-12-31 23:59"), // the year counts from 2000
        text("raw", "0C 1"),
        badFunction,
        badStorage,
    };
    for (const RecordPlan& r : rows) {
        QString error;
        EXPECT_FALSE(buildRecord(r, &error).has_value()) << r.type.toStdString();
        EXPECT_FALSE(error.isEmpty()) << r.type.toStdString();
    }
}

TEST(TelegramBuilderTest, TelegramHasTheHeaderAndPassesTheFrameChecks) {
    TelegramPlan plan;
    plan.address = 5;
    plan.id = QStringLiteral("30770105");
    plan.manufacturer = QStringLiteral("qds");
    plan.version = 53;
    plan.medium = 8;
    plan.accessNumber = 0x11;
    plan.status = 0x04;
    plan.records = {record("hca", 345)};
    plan.trailer = 0x1F;
    QString error;
    const auto t = buildTelegram(plan, &error);
    ASSERT_TRUE(t.has_value()) << error.toStdString();
    EXPECT_EQ(*t, hex("68 15 15 68 08 05 72 05 01 77 30 93 44 35 08 11 04 00 00 03 6E 59 01 00 1F 3F 16"));
    EXPECT_TRUE(codec::checkLongFrame(*t).passed);
}

TEST(TelegramBuilderTest, TelegramRefusesBadIdentityAndOverlongData) {
    TelegramPlan plan;
    plan.id = QStringLiteral("1234567");
    plan.manufacturer = QStringLiteral("ABC");
    EXPECT_FALSE(buildTelegram(plan, nullptr).has_value());
    plan.id = QStringLiteral("1234567A");
    EXPECT_FALSE(buildTelegram(plan, nullptr).has_value());
    plan.id = QStringLiteral("12345678");
    plan.manufacturer = QStringLiteral("AB1");
    EXPECT_FALSE(buildTelegram(plan, nullptr).has_value());
    plan.manufacturer = QStringLiteral("ABC");
    EXPECT_TRUE(buildTelegram(plan, nullptr).has_value());
    for (int i = 0; i < 41; ++i) { // 12 header bytes + 41 * 6 = 258 > 252
        plan.records.append(record("volume", i));
    }
    QString error;
    EXPECT_FALSE(buildTelegram(plan, &error).has_value());
    EXPECT_FALSE(error.isEmpty());
}

TEST(TelegramBuilderTest, LookupsOfMakerAndMedium) {
    EXPECT_EQ(manufacturerCode(QStringLiteral("ABC")), 0x0443);
    EXPECT_EQ(manufacturerCode(QStringLiteral("ZZZ")), 0x6B5A);
    EXPECT_FALSE(manufacturerCode(QStringLiteral("AB")).has_value());
    EXPECT_FALSE(manufacturerCode(QStringLiteral("A@C")).has_value());
    EXPECT_EQ(mediumCode(QStringLiteral("Water")), 0x07);
    EXPECT_EQ(mediumCode(QStringLiteral("hca")), 0x08);
    EXPECT_EQ(mediumCode(QStringLiteral("0x16")), 0x16);
    EXPECT_EQ(mediumCode(QStringLiteral("21")), 21);
    EXPECT_FALSE(mediumCode(QStringLiteral("256")).has_value());
    EXPECT_FALSE(mediumCode(QStringLiteral("lava")).has_value());
}

} // namespace
} // namespace holvex::sim
