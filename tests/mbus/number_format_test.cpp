#include "mbus/number_format.h"

#include "qstring_print.h"

#include <gtest/gtest.h>

#include <limits>

using namespace holvex::mbus;

TEST(FormatFixed, ThreeDecimalsLimitedSignificantDigits) {
    struct Case {
        double value;
        int digits;
        const char* text;
    };
    const Case cases[] = {
        {12345 * 0.001, 8, "12.345"},
        {0.0, 8, "0.000"},
        {-0.001, 8, "-0.001"},
        {-1e-7, 8, "0.000"},
        {65535.0, 8, "65535.000"},
        {12345678.0, 8, "12345678.000"},
        // Digits past the precision become zeros.
        {1234567.891, 8, "1234567.900"},
        {4294967.295, 8, "4294967.300"},
        {2147483.647, 13, "2147483.647"},
        {281474976710655.0, 15, "281474976710655.000"},
        // More integer digits than the precision: exponent form.
        {123456789.0, 8, "1.2345679E8"},
        {-123456789.0, 8, "-1.2345679E8"},
        {100000000.0, 8, "1E8"},
        {99999999.9999, 8, "1E8"},
        {2814749767106550.0, 15, "2.81474976710655E15"},
        {0.0004, 8, "0.000"},
        {0.0006, 8, "0.001"},
        // Near a half: the binary value decides the rounding.
        {0.0125, 8, "0.013"},
        {1.0005, 8, "1.000"},
        {-2.0005, 8, "-2.001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatFixed(c.value, c.digits, QLatin1Char('.')), QString::fromLatin1(c.text)) << c.text;
    }
}

TEST(FormatFixed, DecimalSeparator) {
    EXPECT_EQ(formatFixed(12.345, 8, QLatin1Char(',')), QStringLiteral("12,345"));
    EXPECT_EQ(formatFixed(123456789.0, 8, QLatin1Char(',')), QStringLiteral("1,2345679E8"));
}

TEST(FormatFixed, OtherDecimals) {
    EXPECT_EQ(formatFixedDecimals(184 / 51.0, 4, 2, QLatin1Char('.')), QStringLiteral("3.61"));
    EXPECT_EQ(formatFixedDecimals(255 / 51.0, 4, 2, QLatin1Char('.')), QStringLiteral("5.00"));
    EXPECT_EQ(formatFixedDecimals(1.0, 9, 5, QLatin1Char('.')), QStringLiteral("1.00000"));
    EXPECT_EQ(formatFixedDecimals(12345.678, 9, 5, QLatin1Char('.')), QStringLiteral("12345.67800"));
}

TEST(FormatFixed, NotFinite) {
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 8, QLatin1Char('.')),
              QStringLiteral("INF"));
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::quiet_NaN(), 8, QLatin1Char('.')),
              QStringLiteral("NAN"));
}
