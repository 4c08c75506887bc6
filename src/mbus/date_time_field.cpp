#include "mbus/date_time_field.h"

namespace holvex::mbus {

namespace {

// A small text built in place: dates are short and decoded for many records.
struct TextBuffer {
    QChar chars[32];
    int length = 0;

    void add(char c) { chars[length++] = QLatin1Char(c); }
    void addNumber(int value) {
        if (value >= 100) {
            add(static_cast<char>('0' + value / 100));
        }
        if (value >= 10) {
            add(static_cast<char>('0' + value / 10 % 10));
        }
        add(static_cast<char>('0' + value % 10));
    }
    void addDate(int day, int month, int year) {
        addNumber(day);
        add('.');
        addNumber(month);
        add('.');
        addNumber(year);
    }
    QString text() const { return QString(chars, length); }
};

} // namespace

QString decodeDateTime(const QByteArray& frame, const QString& vifHex, int dataStart) {
    static const QString kFailure = QStringLiteral("Exception decoding DateTime");
    const bool dateOnly = vifHex == QLatin1String("6C") || vifHex == QLatin1String("EC");
    const bool dateTime = vifHex == QLatin1String("6D") || vifHex == QLatin1String("ED");
    const int length = dateOnly ? 2 : 4;
    // The bytes must exist and lie before the checksum.
    if ((!dateOnly && !dateTime) || dataStart < 0 ||
        static_cast<qsizetype>(dataStart) + length > frame.size() - 2) {
        return kFailure;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(frame.constData() + dataStart);
    TextBuffer text;
    if (dateOnly) {
        text.addDate(b[0] & 0x1F, b[1] & 0x0F, ((b[0] & 0xE0) >> 5) + (b[1] >> 4) * 8);
        return text.text();
    }
    // The invalid, summer-time and century bits are not shown.
    const int minute = b[0] & 0x3F;
    text.addNumber(b[1] & 0x1F);
    text.add(':');
    if (minute < 10) {
        text.add('0');
    }
    text.addNumber(minute);
    text.add(',');
    text.add(' ');
    text.addDate(b[2] & 0x1F, b[3] & 0x0F, ((b[2] & 0xE0) >> 5) + (b[3] >> 4) * 8);
    return text.text();
}

} // namespace holvex::mbus
