#include "mbus/decode_error.h"
#include "mbus/hex_text.h"
#include "test_support.h"

#include "qstring_print.h"

#include <gtest/gtest.h>

using namespace holvex::mbus;
using holvex::test::hex;

TEST(HexText, TwoUpperCaseDigitsPerByte) {
    EXPECT_EQ(hexText(hex("00 AB ff 7c")), QStringLiteral("00ABFF7C"));
    EXPECT_EQ(hexText(QByteArray()), QString());
}

// The shared texts at the edges of their tables, and numbers past them.
TEST(HexText, SharedByteAndNumberTexts) {
    const struct {
        quint8 byte;
        const char* hex;
    } bytes[] = {{0x00, "00"}, {0x0F, "0F"}, {0xA0, "A0"}, {0xFF, "FF"}};
    for (const auto& c : bytes) {
        EXPECT_EQ(byteHexText(c.byte), QLatin1String(c.hex));
        EXPECT_EQ(spacedByteHexText(c.byte), QLatin1String(c.hex) + QLatin1Char(' '));
    }
    for (const int number : {0, 9, 10, 255, 256, 1000, -1, -300}) {
        EXPECT_EQ(smallNumberText(number), QString::number(number));
    }
}

TEST(HexText, AppendHexClipsToTheBytes) {
    QString out = QStringLiteral("x");
    appendHex(out, hex("01 02 03"), 1, 10);
    EXPECT_EQ(out, QStringLiteral("x0203"));
    appendHex(out, hex("01 02 03"), 5, 2);
    appendHex(out, hex("01 02 03"), -1, 2);
    EXPECT_EQ(out, QStringLiteral("x020301"));
}

TEST(HexToInt, ReadsTheFirstEightDigits) {
    struct Case {
        const char* text;
        quint32 value;
    };
    const Case cases[] = {
        {"00000000", 0},          {"0000000a", 10},           {"0000FFFF", 65535},
        {"FFFFFFFF", 0xFFFFFFFF}, {"12345678AB", 0x12345678}, {"7fffffff", 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hexToInt(QString::fromLatin1(c.text)), c.value) << c.text;
    }
    EXPECT_EQ(static_cast<qint32>(hexToInt(QStringLiteral("FFFFFFFF"))), -1);
}

TEST(HexToInt, ShortOrNonHexTextIsRaised) {
    for (const char* text : {"", "1234", "1234567", "1234567G", " 1234567", "-0000001"}) {
        EXPECT_THROW(hexToInt(QString::fromLatin1(text)), DecodeError) << text;
    }
}

TEST(HexToBinaryText, FourBitsPerDigitOthersSkipped) {
    EXPECT_EQ(hexToBinaryText(QStringLiteral("A5")), QStringLiteral("10100101"));
    EXPECT_EQ(hexToBinaryText(QStringLiteral("a-5 ")), QStringLiteral("10100101"));
    EXPECT_EQ(hexToBinaryText(QStringLiteral("F")), QStringLiteral("1111"));
    EXPECT_EQ(hexToBinaryText(QString()), QString());
    EXPECT_EQ(hexToBinaryText(QStringLiteral("xyz")), QString());
}

TEST(BinaryTextToReal, Formats) {
    struct Case {
        const char* hex; // most significant byte first
        const char* text;
    };
    const Case cases[] = {
        {"3F800000", "1.00000"},         {"BF800000", "-1.00000"},        {"3FC00000", "1.50000"},
        {"7F800000", "NaN or Infinite"}, {"FFC00000", "NaN or Infinite"}, {"41460000", "12.37500"},
        {"00000000", "0.00000"},         {"3DCCCCCD", "0.10000"},         {"4B3C614E", "12345678.00000"},
        {"4E932C06", "1.23456794E9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(binaryTextToReal(hexToBinaryText(QString::fromLatin1(c.hex))), QString::fromLatin1(c.text))
            << c.hex;
    }
}

TEST(BinaryTextToReal, BadInput) {
    EXPECT_EQ(binaryTextToReal(QString(31, QLatin1Char('0'))), QStringLiteral("NaN"));
    EXPECT_EQ(binaryTextToReal(QString(33, QLatin1Char('0'))), QStringLiteral("NaN"));
    EXPECT_EQ(binaryTextToReal(QString()), QStringLiteral("NaN"));
    EXPECT_EQ(binaryTextToReal(QString(31, QLatin1Char('0')) + QLatin1Char('2')),
              QStringLiteral("Exception on float conversion"));
}

TEST(BinaryTextToReal, SystemDecimalSeparator) {
    EXPECT_EQ(binaryTextToReal(hexToBinaryText(QStringLiteral("3FC00000")), QLatin1Char(',')),
              QStringLiteral("1,50000"));
}
