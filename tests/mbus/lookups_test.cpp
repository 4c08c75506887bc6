#include "mbus/hex_text.h"
#include "mbus/lookups.h"
#include "test_support.h"

#include "qstring_print.h"

#include <gtest/gtest.h>

using namespace holvex::mbus;
using holvex::test::hex;

TEST(Manufacturer, LettersBothWays) {
    struct Case {
        quint16 field;
        const char* letters;
    };
    const Case cases[] = {
        {0x0601, "APA"}, {0x1C2D, "GAM"}, {0x2C2D, "KAM"}, {0x0442, "ABB"},
        {0x6A50, "ZRP"}, {0x0000, "@@@"}, {0x5B1A, "VXZ"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(manufacturerLetters(c.field), QString::fromLatin1(c.letters)) << c.letters;
        EXPECT_EQ(manufacturerCode(QString::fromLatin1(c.letters)), c.field) << c.letters;
    }
    // Bit 15 is not masked off: the first character lies past "Z".
    EXPECT_EQ(manufacturerLetters(0x8601), QStringLiteral("aPA"));
    EXPECT_EQ(manufacturerCode(QStringLiteral("AB")), 0);
    EXPECT_EQ(manufacturerCode(QStringLiteral("ABCD")), 0);
    EXPECT_EQ(manufacturerCode(QString()), 0);
}

TEST(MediumName, EveryCode) {
    struct Case {
        quint8 code;
        const char* name;
        const char* a;
        const char* b;
        const char* c;
    };
    const Case cases[] = {
        {0x00, "Other", "N/A", "Other", "Unknown"},      {0x01, "Oil", "m3", "m3", "m3"},
        {0x02, "Electricity", "kWh", "kJ", "MJ"},        {0x03, "Gas", "m3", "m3", "m3"},
        {0x04, "Heat (rt)", "kWh", "kJ", "MJ"},          {0x05, "Steam", "N/A", "Other", "Unknown"},
        {0x06, "Hot water", "m3", "m3", "m3"},           {0x07, "Water", "m3", "m3", "m3"},
        {0x08, "Heat C.A.", "N/A", "Other", "Unknown"},  {0x09, "Compr. Air", "N/A", "Other", "Unknown"},
        {0x0A, "Cooling, rt", "kWh", "kJ", "MJ"},        {0x0B, "Cooling, ft", "kWh", "kJ", "MJ"},
        {0x0C, "Heat (ft)", "kWh", "kJ", "MJ"},          {0x0D, "H/C load meter", "kWh", "kJ", "MJ"},
        {0x0E, "Bus/System", "N/A", "Other", "Unknown"}, {0x0F, "Unknown", "N/A", "Other", "Unknown"},
        {0x10, "Unknown", "N/A", "Other", "Unknown"},    {0x15, "Unknown", "N/A", "Other", "Unknown"},
        {0x16, "Cold water", "m3", "m3", "m3"},          {0x17, "Dual water", "m3", "m3", "m3"},
        {0x18, "Pressure", "mbar", "mbar", "mbar"},      {0x19, "A/D converter", "N/A", "Other", "Unknown"},
        {0x1A, "Unknown", "N/A", "Other", "Unknown"},    {0xFF, "Unknown", "N/A", "Other", "Unknown"},
    };
    for (const Case& c : cases) {
        const MediumInfo m = mediumName(c.code);
        EXPECT_EQ(m.name, QString::fromLatin1(c.name)) << int(c.code);
        EXPECT_EQ(m.unitA, QString::fromLatin1(c.a)) << int(c.code);
        EXPECT_EQ(m.unitB, QString::fromLatin1(c.b)) << int(c.code);
        EXPECT_EQ(m.unitC, QString::fromLatin1(c.c)) << int(c.code);
    }
}

TEST(RadioMediumName, EveryCode) {
    const char* names[16] = {"Other",     "Oil",       "Electricity", "Gas",        "Heat",       "Steam",
                             "Hot water", "Water",     "H.C.A",       "Compr. air", "Cool (out)", "Cool (in)",
                             "Heat",      "Heat/Cool", "Bus",         "Unknown"};
    for (int code = 0; code < 16; ++code) {
        EXPECT_EQ(radioMediumName(static_cast<quint8>(code)), QString::fromLatin1(names[code])) << code;
    }
    EXPECT_EQ(radioMediumName(0x16), QStringLiteral("Cold water"));
    EXPECT_TRUE(radioMediumName(0x10).isEmpty());
    EXPECT_TRUE(radioMediumName(0x17).isEmpty());
    EXPECT_TRUE(radioMediumName(0xFF).isEmpty());
}

TEST(MediumCode, NamesToCodes) {
    struct Case {
        const char* name;
        int code;
    };
    const Case cases[] = {
        {"Other", 0x00},      {"Oil", 0x01},         {"Electricity", 0x02},
        {"Gas", 0x03},        {"Heat meter", 0x04},  {"Heat (rt)", 0x04},
        {"Steam", 0x05},      {"Hot water", 0x06},   {"Water", 0x07},
        {"H.C.A", 0x08},      {"Heat C.A.", 0x08},   {"Cooling, rt", 0x0A},
        {"Cold meter", 0x0B}, {"Cooling, ft", 0x0B}, {"Cold water", 0x16},
        {"Dual water", 0x17}, {"Pressure", 0x18},    {"water", 0x0F},
        {"", 0x0F},           {"Heat (ft)", 0x0F},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mediumCode(QString::fromLatin1(c.name)), c.code) << c.name;
    }
}

TEST(UnitCode, UnitAndMultiplier) {
    struct Case {
        const char* unit;
        const char* multiplier;
        int code;
    };
    const Case cases[] = {
        {"l", "1", 0x13},      {"Wh", "1000", 0x06},  {"kJ", "5", 0},       {"Wh", "0.001", 0x00},
        {"kJ", "0.001", 0x08}, {"kJ", "10000", 0x0F}, {"l", "10000", 0x17}, {"l", "0.01", 0x11},
        {"N/A", "1", 0x6E},    {"N/A", "xyz", 0x6E},  {"m3", "1", 0},       {"", "1", 0},
        {"Wh", "", 0},         {"Wh", "1.0", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unitCode(QString::fromLatin1(c.unit), QString::fromLatin1(c.multiplier)), c.code)
            << c.unit << " " << c.multiplier;
    }
}

TEST(ModelName, VersionByte) {
    struct Case {
        quint8 version;
        const char* model;
    };
    const Case cases[] = {
        {0x10, "QSA-0"},   {0x19, "QSA-9"},   {0x23, "QSB-3"},   {0x30, "QSC-0"},   {0x1A, "Unknown"},
        {0x3F, "Unknown"}, {0x45, "Unknown"}, {0x00, "Unknown"}, {0x05, "Unknown"}, {0xF1, "Unknown"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(modelName(c.version), QString::fromLatin1(c.model)) << int(c.version);
    }
}

TEST(PulseWidthName, StatusHighNibble) {
    const char* names[16] = {"Not supported", "Unknown", "5ms",          "Unknown", "10ms",  "Unknown",
                             "20ms",          "Unknown", "50ms",         "Unknown", "100ms", "Unknown",
                             "Unknown",       "Unknown", "default 50ms", "Unknown"};
    for (int nibble = 0; nibble < 16; ++nibble) {
        EXPECT_EQ(pulseWidthName(static_cast<quint8>(nibble << 4 | 0x0E)), QString::fromLatin1(names[nibble]))
            << nibble;
    }
    EXPECT_EQ(pulseWidthName(0x8E), QStringLiteral("50ms"));
    EXPECT_EQ(pulseWidthName(0xE0), QStringLiteral("default 50ms"));
}

namespace {

// 25 filler bytes, then the given bytes: the battery search starts at byte 25.
QString frameHex(const char* tail) {
    return hexText(QByteArray(25, '\x11') + hex(tail));
}

} // namespace

TEST(BatteryText, Voltages) {
    struct Case {
        const char* tail;
        const char* text;
    };
    const Case cases[] = {
        {"0F 11 11 11 B8 00 16", "3.61V"},
        {"0F 11 11 11 FF 00 16", "5.00V"},
        {"0F 11 11 11 33 00 16", "0"},
        {"0F 11 11 11 34 00 16", "1.02V"},
        {"0F 11 11 11 B8 B8 16", "3.61V3.61V"},
        {"0F 11 11 11 00 B8 16", "03.61V"},
        {"22 0F 11 11 11 B8 00", "3.61V"},
        // The marker found across a byte boundary ("10 F1").
        {"10 F1 11 11 1B 80 00", "3.61V"},
    };
    for (const Case& c : cases) {
        QString log;
        EXPECT_EQ(batteryText(frameHex(c.tail), QLatin1Char('.'), &log), QString::fromLatin1(c.text))
            << c.tail;
        EXPECT_TRUE(log.isEmpty()) << c.tail;
    }
    EXPECT_EQ(batteryText(frameHex("0F 11 11 11 B8 00 16"), QLatin1Char(',')), QStringLiteral("3,61V"));
}

TEST(BatteryText, ShortFramesAndFailures) {
    QString log;
    // Fewer than 26 bytes: "0", nothing logged.
    EXPECT_EQ(batteryText(hexText(QByteArray(25, '\x0F')), QLatin1Char('.'), &log), QStringLiteral("0"));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(batteryText(QString(), QLatin1Char('.'), &log), QStringLiteral("0"));
    EXPECT_EQ(batteryText(QStringLiteral("0F"), QLatin1Char('.'), &log), QStringLiteral("0"));
    EXPECT_TRUE(log.isEmpty());

    // No marker, or too few digits after it.
    for (const char* tail : {"11 22 33", "11 0F 11 11 11 B8", "0F", "11 11 11 11 0F 11 11 11 B8"}) {
        log.clear();
        EXPECT_EQ(batteryText(frameHex(tail), QLatin1Char('.'), &log), QStringLiteral("0")) << tail;
        EXPECT_TRUE(log.startsWith(QStringLiteral("Unknown Exception decoding battery - "))) << tail;
    }
    // Characters that are not hex digits where the voltage bytes should be.
    log.clear();
    EXPECT_EQ(batteryText(frameHex("0F 11 11 11") + QStringLiteral("ZZ00"), QLatin1Char('.'), &log),
              QStringLiteral("0"));
    EXPECT_TRUE(log.startsWith(QStringLiteral("Unknown Exception decoding battery - ")));
    // No log sink given: still no crash.
    EXPECT_EQ(batteryText(frameHex("11")), QStringLiteral("0"));
}
