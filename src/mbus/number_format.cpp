#include "mbus/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace holvex::mbus {

namespace {

// Exponent form for numbers whose integer part is longer than the allowed digits: the significant digits
// without trailing zeros, then "E" and the decimal exponent ("1.2345679E8", "-2E15").
QString exponentForm(bool negative, const char* digits, int digitCount, int exponent,
                     QChar decimalSeparator) {
    while (digitCount > 1 && digits[digitCount - 1] == '0') {
        --digitCount;
    }
    QString out;
    out.reserve(digitCount + 8);
    if (negative) {
        out.append(QLatin1Char('-'));
    }
    out.append(QLatin1Char(digits[0]));
    if (digitCount > 1) {
        out.append(decimalSeparator);
        for (int i = 1; i < digitCount; ++i) {
            out.append(QLatin1Char(digits[i]));
        }
    }
    out.append(QLatin1Char('E'));
    out.append(QString::number(exponent));
    return out;
}

// The common case without printf: the value rounded to the decimals as a whole number, when that rounding is
// clear-cut (not near a half) and keeps no more significant digits than allowed. Returns false otherwise.
bool fastFixed(double value, int precision, int decimals, QChar decimalSeparator, QString& out) {
    static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (decimals > 9) {
        return false;
    }
    const double scaled = value * kScale[decimals];
    if (!(std::fabs(scaled) < 1e15)) {
        return false;
    }
    const double rounded = std::nearbyint(scaled);
    if (std::fabs(std::fabs(scaled - rounded) - 0.5) < 1e-6) {
        return false;
    }
    auto whole = static_cast<long long>(std::fabs(rounded));
    char digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    const bool zero = count == 1 && digits[0] == '0';
    if (!zero && count > precision) {
        return false;
    }
    // Leading zeros up to one integer digit ("0.012").
    while (count < decimals + 1) {
        digits[count++] = '0';
    }
    QChar text[32];
    int length = 0;
    if (!zero && rounded < 0) {
        text[length++] = QLatin1Char('-');
    }
    for (int i = count - 1; i >= 0; --i) {
        if (i == decimals - 1) {
            text[length++] = decimalSeparator;
        }
        text[length++] = QLatin1Char(digits[i]);
    }
    out = QString(text, length);
    return true;
}

} // namespace

QString formatFixed(double value, int maxSignificantDigits, QChar decimalSeparator) {
    return formatFixedDecimals(value, maxSignificantDigits, 3, decimalSeparator);
}

QString formatFixedDecimals(double value, int maxSignificantDigits, int decimals, QChar decimalSeparator) {
    if (std::isnan(value)) {
        return QStringLiteral("NAN");
    }
    if (std::isinf(value)) {
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    }
    const int precision = std::clamp(maxSignificantDigits, 1, 17);
    decimals = std::clamp(decimals, 0, 17);
    QString fast;
    if (fastFixed(value, precision, decimals, decimalSeparator, fast)) {
        return fast;
    }
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);

    // The significant digits after rounding to the allowed precision, and the decimal exponent of the first
    // one.
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.*e", precision - 1, magnitude);
    char digits[32];
    int digitCount = 0;
    const char* p = sci;
    for (; *p != '\0' && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits[digitCount++] = *p;
        }
    }
    const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    const bool isZero = magnitude == 0.0;
    if (!isZero && exponent + 1 > precision) {
        return exponentForm(negative, digits, digitCount, exponent, decimalSeparator);
    }

    // Rounded to the decimals; when that keeps more significant digits than allowed, the digits past the
    // precision become zeros (taken from the rounding to the precision above).
    char fixed[400];
    std::snprintf(fixed, sizeof fixed, "%.*f", decimals, magnitude);
    int significant = 0;
    bool seenNonZero = false;
    for (const char* q = fixed; *q != '\0'; ++q) {
        if (*q >= '0' && *q <= '9') {
            seenNonZero = seenNonZero || *q != '0';
            if (seenNonZero) {
                ++significant;
            }
        }
    }
    if (significant > precision) {
        // Integer part from the precision digits, padded with zeros, then the decimals.
        std::string text;
        const int integerDigits = exponent + 1; // >= 1 here, since more digits than the precision remain
        for (int i = 0; i < integerDigits; ++i) {
            text.push_back(i < digitCount ? digits[i] : '0');
        }
        if (integerDigits <= 0) {
            text.push_back('0');
        }
        if (decimals > 0) {
            text.push_back('.');
            for (int i = 0; i < decimals; ++i) {
                const int digitIndex = integerDigits + i;
                text.push_back(digitIndex >= 0 && digitIndex < digitCount ? digits[digitIndex] : '0');
            }
        }
        std::snprintf(fixed, sizeof fixed, "%s", text.c_str());
    }

    bool allZero = true;
    for (const char* q = fixed; *q != '\0'; ++q) {
        if (*q >= '1' && *q <= '9') {
            allZero = false;
            break;
        }
    }
    QString out;
    out.reserve(static_cast<qsizetype>(std::strlen(fixed)) + 1);
    if (negative && !allZero) {
        out.append(QLatin1Char('-'));
    }
    for (const char* q = fixed; *q != '\0'; ++q) {
        out.append(*q == '.' ? decimalSeparator : QChar(QLatin1Char(*q)));
    }
    return out;
}

} // namespace holvex::mbus
