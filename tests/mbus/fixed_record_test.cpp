#include "mbus/fixed_record.h"
#include "test_support.h"

#include "qstring_print.h"

#include <gtest/gtest.h>

using namespace holvex::mbus;
using holvex::test::hex;

namespace {

// Header, first register (DIF at 19, VIF at 21, data at 23), second register (DIF at 29, VIF at 31, data at
// 33).
QByteArray telegram(const char* first, const char* second) {
    return QByteArray(19, '\0') + hex(first) + hex(second) + hex("00 16");
}

} // namespace

TEST(DecodeFixedRecord, Registers) {
    struct Case {
        const char* first; // DIF x VIF x data (10 bytes)
        const char* value;
        const char* unit;
    };
    const Case cases[] = {
        {"04 00 06 00 39 30 00 00 00 00", "12345.000", "kWh"},
        {"04 00 03 00 39 30 00 00 00 00", "12.345", "kWh"},
        {"04 00 83 00 FF FF FF FF 00 00", "-0.001", "kWh"},
        {"05 00 06 00 39 30 00 00 00 00", "12345.000", "kWh"},
        {"06 00 06 00 39 30 00 00 00 00", "12345.000", "kWh"},
        {"01 00 06 00 FF 30 00 00 00 00", "255.000", "kWh"},
        {"02 00 06 00 FF FF 11 00 00 00", "65535.000", "kWh"},
        {"03 00 0E 00 01 02 03 00 00 00", "197121.000", "MJ"},
        {"09 00 0B 00 42 00 00 00 00 00", "42.000", "kJ"},
        {"0A 00 06 00 34 12 00 00 00 00", "1234.000", "kWh"},
        {"0B 00 06 00 56 34 12 00 00 00", "123456.000", "kWh"},
        {"0C 00 06 00 78 56 34 12 00 00", "12345678.000", "kWh"},
        {"0C 00 07 00 78 56 34 12 00 00", "1.2345678E8", "kWh"},
        {"0E 00 06 00 01 00 00 00 00 00", "1.000", "kWh"},
        // BCD failures: value and unit emptied, nothing logged.
        {"0C 00 06 00 78 56 34 1F 00 00", "", ""},
        {"0E 00 06 00 99 99 99 99 99 00", "", ""},
    };
    for (const Case& c : cases) {
        const auto r =
            decodeFixedRecord(telegram(c.first, "04 00 06 00 01 00 00 00 00 00"), 23, QLatin1Char('.'));
        EXPECT_EQ(r.value, QString::fromLatin1(c.value)) << c.first;
        EXPECT_EQ(r.unit, QString::fromLatin1(c.unit)) << c.first;
        EXPECT_TRUE(r.logLine.isEmpty()) << c.first;
    }
}

TEST(DecodeFixedRecord, SecondRegisterAndSeparator) {
    const auto r = decodeFixedRecord(
        telegram("04 00 06 00 01 00 00 00 00 00", "04 00 03 00 39 30 00 00 00 00"), 33, QLatin1Char(','));
    EXPECT_EQ(r.value, QStringLiteral("12,345"));
    EXPECT_EQ(r.unit, QStringLiteral("kWh"));
}

TEST(DecodeFixedRecord, UnknownCodeIsLogged) {
    for (const char* first :
         {"00 00 06 00 01 00 00 00 00 00", "07 00 06 00 01 00 00 00 00 00", "08 00 06 00 01 00 00 00 00 00",
          "0D 00 06 00 01 00 00 00 00 00", "0F 00 06 00 01 00 00 00 00 00"}) {
        const auto r = decodeFixedRecord(telegram(first, ""), 23, QLatin1Char('.'));
        EXPECT_TRUE(r.value.isEmpty()) << first;
        EXPECT_TRUE(r.unit.isEmpty()) << first;
        EXPECT_EQ(r.logLine, QStringLiteral("Unrecognizable DIF value - not decoded, 1...")) << first;
    }
}

TEST(DecodeFixedRecord, RegistersPastTheChecksumAreNotRead) {
    // The second register would lie in and beyond the checksum and stop byte.
    const QByteArray shortFrame = telegram("04 00 06 00 01 00 00 00 00 00", "04 00 06 00 01");
    const auto second = decodeFixedRecord(shortFrame, 33, QLatin1Char('.'));
    EXPECT_TRUE(second.value.isEmpty());
    EXPECT_TRUE(second.unit.isEmpty());
    EXPECT_TRUE(second.logLine.isEmpty());
    EXPECT_EQ(decodeFixedRecord(shortFrame, 23, QLatin1Char('.')).value, QStringLiteral("1.000"));
    EXPECT_TRUE(decodeFixedRecord(hex("68 04 04 68 00 16"), 23, QLatin1Char('.')).value.isEmpty());
    EXPECT_TRUE(decodeFixedRecord(QByteArray(), 23, QLatin1Char('.')).value.isEmpty());
    EXPECT_TRUE(decodeFixedRecord(shortFrame, 2, QLatin1Char('.')).value.isEmpty());
}
