#include "devices/gateway/command_line_text.h"

#include "codec/packet_codec.h"

namespace holvex::gateway {

namespace {
constexpr int kMaxFieldDigits = 9; // keeps every field's number inside an int
}

QString twoDigits(int value) {
    const QString digits = QString::number(value);
    return value >= 0 && value < 10 ? QStringLiteral("0") + digits : digits;
}

QString yearDigits(int year) {
    return twoDigits(year >= 100 ? year - 2000 : year);
}

QByteArray commandBytes(const QString& line) {
    return line.toLatin1();
}

bool isDottedQuad(const QString& text) {
    return codec::parseNetworkNumber(text).has_value();
}

bool isDecimalText(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

bool parseFieldNumber(const QString& text, int& value) {
    if (!isDecimalText(text) || text.size() > kMaxFieldDigits) {
        return false;
    }
    value = text.toInt();
    return true;
}

} // namespace holvex::gateway
