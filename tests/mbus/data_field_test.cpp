#include "mbus/data_field.h"
#include "mbus/date_time_field.h"
#include "test_support.h"

#include "qstring_print.h"

#include <gtest/gtest.h>

using namespace holvex::mbus;
using holvex::test::hex;

namespace {

constexpr int kDifPos = 19;

// A long frame whose only record is the given bytes, DIF at byte 19, checksum and stop byte after it.
QByteArray telegram(const char* record) {
    return QByteArray(19, '\0') + hex(record) + hex("00 16");
}

struct FieldCase {
    const char* record; // DIF, (DIFE,) VIF, data
    int dataStart;      // byte offset of the first data byte
    const char* vif;
    double multiplier;
    const char* value;
};

DataFieldResult decode(const FieldCase& c) {
    const QByteArray frame = telegram(c.record);
    const auto dif = static_cast<quint8>(frame[kDifPos]);
    return decodeDataField(frame, kDifPos, c.dataStart, QString::fromLatin1(c.vif), c.multiplier,
                           dataFieldLength(dif), QLatin1Char('.'));
}

} // namespace

TEST(DataFieldLength, ByCode) {
    const int lengths[16] = {0, 1, 2, 3, 4, 4, 6, 8, 0, 1, 2, 3, 4, 1, 6, 0};
    for (int code = 0; code < 16; ++code) {
        EXPECT_EQ(dataFieldLength(static_cast<quint8>(0x40 | code)), lengths[code]) << code;
    }
}

TEST(DecodeDataField, EveryCode) {
    const FieldCase cases[] = {
        {"00 13", 21, "13", 0.001, "No data "},
        {"01 13 FF", 21, "13", 0.001, "0.255"},
        {"02 13 FF FF", 21, "13", 0.001, "65.535"},
        {"02 15 FF FF", 21, "15", 0.1, "6553.500"},
        {"03 16 01 02 03", 21, "16", 1.0, "197121.000"},
        {"03 78 01 02 03", 21, "78", 1.0, "00030201"},
        {"04 13 39 30 00 00", 21, "13", 0.001, "12.345"},
        {"04 13 FF FF FF FF", 21, "13", 0.001, "-0.001"},
        {"04 16 00 00 00 80", 21, "16", 1.0, "-2147483648.000"},
        {"04 78 39 30 00 00", 21, "78", 1.0, "00003039"},
        {"05 13 00 00 80 3F", 21, "13", 0.001, "1.00000"},
        {"05 13 00 00 80 7F", 21, "13", 0.001, "NaN or Infinite"},
        {"05 13 00 00 C0 BF", 21, "13", 0.001, "-1.50000"},
        {"06 16 01 00 00 00 00 01", 21, "16", 1.0, "1099511627777.000"},
        {"06 16 FF FF FF FF FF FF", 21, "16", 1.0, "281474976710655.000"},
        {"06 17 FF FF FF FF FF FF", 21, "17", 10.0, "2.81474976710655E15"},
        {"06 78 06 05 04 03 02 01", 21, "78", 1.0, "010203040506"},
        {"07 13 01 02 03 04 05 06 07 08", 21, "13", 0.001,
         "64-bit integer not supported, but hex is: 0x0807060504030201"},
        {"08 13", 21, "13", 0.001, "Unrecognizable DIF, not decoded "},
        {"09 16 42", 21, "16", 1.0, "42.000"},
        {"0A 14 34 12", 21, "14", 0.01, "12.340"},
        {"0B 06 56 34 12", 21, "06", 1.0, "123456.000"},
        {"0B 78 56 34 12", 21, "78", 1.0, "123456"},
        {"0C 13 78 56 34 12", 21, "13", 0.001, "12345.678"},
        {"0C 78 78 56 34 12", 21, "78", 1.0, "12345678"},
        {"0E 16 01 00 00 00 00 00", 21, "16", 1.0, "1.000"},
        {"0E 16 47 36 48 47 21 00", 21, "16", 1.0, "2147483647.000"},
        {"0E 78 01 00 00 00 00 00", 21, "78", 1.0, "000000000001"},
        {"0F 13 01 02", 21, "13", 0.001, "Unrecognizable DIF, not decoded "},
        // BCD with error or sign nibbles, and beyond the 32-bit range.
        {"0C 13 78 56 34 1F", 21, "13", 0.001, "Exception "},
        {"0C 13 0A 00 00 00", 21, "13", 0.001, "Exception "},
        {"09 13 F0", 21, "13", 0.001, "Exception "},
        {"0E 16 48 36 48 47 21 00", 21, "16", 1.0, "Exception "},
        {"0E 16 99 99 99 99 99 00", 21, "16", 1.0, "Exception "},
        // Multiplier scaling from the extension tables.
        {"02 FB 01 FF FF", 22, "FB", 1000.0, "65535000.000"},
        {"04 FB 01 FF FF FF 7F", 22, "FB", 1000.0, "2147483647000.000"},
    };
    for (const FieldCase& c : cases) {
        EXPECT_EQ(decode(c).valueText, QString::fromLatin1(c.value)) << c.record;
    }
}

TEST(DecodeDataField, VariableLength) {
    struct Case {
        const char* record;
        const char* value;
        int length;
    };
    const Case cases[] = {
        {"0D 13 03 41 42 43", "ABC", 4},
        {"0D 13 00", "", 1},
        {"0D 13 C2 12 34", "1234", 3},
        {"0D 13 D2 12 34", "-1234", 3},
        {"0D 13 E2 12 34", "0x1234", 3},
        {"0D 13 F1 AB", "Floating point, to be defined in the future, but hex is: 0xAB", 2},
        {"0D 13 FB", "Reserved for future use? ", 1},
        {"0D 13 FF", "Reserved for future use? ", 1},
        // The announced text is longer than what is left before the checksum.
        {"0D 13 10 41 42 43", "Exception ", 17},
        {"0D 13 C4 12", "Exception ", 5},
    };
    for (const Case& c : cases) {
        const DataFieldResult r = decode({c.record, 21, "13", 1.0, ""});
        EXPECT_EQ(r.valueText, QString::fromLatin1(c.value)) << c.record;
        EXPECT_EQ(r.dataLength, c.length) << c.record;
    }
}

TEST(DecodeDataField, DataPastTheChecksumIsNotRead) {
    const FieldCase cases[] = {
        {"01 13", 21, "13", 1.0, "Exception "},
        {"04 13 39 30", 21, "13", 1.0, "Exception "},
        {"05 13 00 00 80", 21, "13", 1.0, "Exception on floating point value "},
        {"06 13 00 00 80", 21, "13", 1.0, "Exception on 6-byte integer "},
        {"07 13 00", 21, "13", 1.0, "Exception "},
        {"0C 13 11 22 33", 21, "13", 1.0, "Exception "},
        {"0D 13", 21, "13", 1.0, "Exception "},
        {"04 6D 05 0E", 21, "6D", 1.0, "Exception decoding DateTime"},
        {"02 13 01 02", 40, "13", 1.0, "Exception "},
        {"02 13 01 02", -3, "13", 1.0, "Exception "},
    };
    for (const FieldCase& c : cases) {
        EXPECT_EQ(decode(c).valueText, QString::fromLatin1(c.value)) << c.record;
    }
    // The length keeps the caller's value.
    EXPECT_EQ(decode(cases[1]).dataLength, 4);
}

TEST(DecodeDataField, FieldText) {
    struct Case {
        const char* record;
        const char* text;
    };
    const Case cases[] = {
        {"04 13 00 00 00 00", "Instantenous value "},
        {"14 13 00 00 00 00", "Maximum value "},
        {"24 13 00 00 00 00", "Minimum value "},
        {"34 13 00 00 00 00", "Value during Error state "},
        {"44 13 00 00 00 00", "Storage number, Instantenous value "},
        {"74 13 00 00 00 00", "Storage number, Value during Error state "},
        {"84 10 13 00 00 00 00", "Instantenous value, Extension Storage is: 0, Tariff is: 1 "},
        {"B4 0C 13 00 00 00 00", "Value during error state, Extension Storage is: , Tariff is: 0 "},
        {"E4 7A 13 00 00 00 00", "Storage number, Minimum value, Extension Storage is: , Tariff is: 3 "},
        {"C4 39 13 00 00 00 00",
         "Storage number, Instantenous value, Extension Storage is: 9, Tariff is: 3 "},
        {"F4 80 00 13 00 00 00 00",
         "Storage number, Value during Error state, Extension Storage is: 0, Tariff is: 0 "},
    };
    for (const Case& c : cases) {
        const QByteArray frame = telegram(c.record);
        EXPECT_EQ(
            decodeDataField(frame, kDifPos, 21, QStringLiteral("13"), 1.0, 4, QLatin1Char('.')).fieldText,
            QString::fromLatin1(c.text))
            << c.record;
    }
}

TEST(DecodeDataField, DecimalSeparator) {
    const QByteArray frame = telegram("04 13 39 30 00 00");
    EXPECT_EQ(decodeDataField(frame, kDifPos, 21, QStringLiteral("13"), 0.001, 4, QLatin1Char(',')).valueText,
              QStringLiteral("12,345"));
}

TEST(DecodeDateTime, DatesAndDateTimes) {
    struct Case {
        const char* record;
        const char* vif;
        const char* text;
    };
    const Case cases[] = {
        {"02 6C E1 34", "6C", "1.4.31"},
        {"02 EC 00 E1 34", "EC", "1.4.31"},
        {"02 6C 07 03", "6C", "7.3.0"},
        {"02 6C 87 13", "6C", "7.3.12"},
        {"02 6C FF FF", "6C", "31.15.127"},
        {"02 6C 00 00", "6C", "0.0.0"},
        {"04 6D 05 0E 87 13", "6D", "14:05, 7.3.12"},
        {"04 6D 08 08 87 13", "6D", "8:08, 7.3.12"},
        {"04 6D 3B 17 1F 0C", "6D", "23:59, 31.12.0"},
        // Invalid, summer-time and century bits are not shown; out-of-range fields are shown as sent.
        {"04 6D FF FF FF FF", "6D", "31:63, 31.15.127"},
        // Any data code: the date VIF decides.
        {"0D 6C E1 34", "6C", "1.4.31"},
    };
    for (const Case& c : cases) {
        const QByteArray frame = telegram(c.record);
        const int dataStart = static_cast<quint8>(frame[20]) == 0xEC ? 22 : 21;
        const auto r =
            decodeDataField(frame, kDifPos, dataStart, QString::fromLatin1(c.vif), 1.0, 2, QLatin1Char('.'));
        EXPECT_EQ(r.valueText, QString::fromLatin1(c.text)) << c.record;
        EXPECT_EQ(r.dataLength, 2) << c.record;
    }
    // Only the VIF's upper-case hex names a date; any other text is a plain number.
    EXPECT_EQ(
        decodeDataField(telegram("02 6C E1 34"), kDifPos, 21, QStringLiteral("6c"), 1.0, 2, QLatin1Char('.'))
            .valueText,
        QStringLiteral("13537.000"));
}

TEST(DecodeDateTime, Failures) {
    const QByteArray frame = telegram("04 6D 05 0E 87 13");
    EXPECT_EQ(decodeDateTime(frame, QStringLiteral("6D"), 22), QStringLiteral("Exception decoding DateTime"));
    EXPECT_EQ(decodeDateTime(frame, QStringLiteral("6C"), 24), QStringLiteral("Exception decoding DateTime"));
    EXPECT_EQ(decodeDateTime(frame, QStringLiteral("6C"), 23), QStringLiteral("7.3.12"));
    EXPECT_EQ(decodeDateTime(frame, QStringLiteral("13"), 21), QStringLiteral("Exception decoding DateTime"));
    EXPECT_EQ(decodeDateTime(frame, QStringLiteral("6D"), -1), QStringLiteral("Exception decoding DateTime"));
    EXPECT_EQ(decodeDateTime(QByteArray(), QStringLiteral("6D"), 0),
              QStringLiteral("Exception decoding DateTime"));
}
