#pragma once

#include <QChar>
#include <QString>

namespace holvex::mbus {

// Fixed-point with 3 decimals and at most maxSignificantDigits significant digits; when the integer part
// needs more digits than that, exponent form. The program passes the system's decimal separator; tests use
// '.'.
QString formatFixed(double value, int maxSignificantDigits, QChar decimalSeparator);

// The same with a chosen number of decimals (the real and battery texts use 5 and 2).
QString formatFixedDecimals(double value, int maxSignificantDigits, int decimals, QChar decimalSeparator);

} // namespace holvex::mbus
