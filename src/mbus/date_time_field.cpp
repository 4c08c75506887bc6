#include "mbus/date_time_field.h"

namespace holvex::mbus {

namespace {

// A small text built in place: dates are short and decoded for many records.
struct TextBuffer {
    QChar chars[32];
    int length = 0;

    void Add(char c) { chars[length++] = QLatin1Char(c); }
    void AddNumber(int value) {
        if (value >= 100) {
            Add(static_cast<char>('0' + value / 100));
        }
        if (value >= 10) {
            Add(static_cast<char>('0' + value / 10 % 10));
        }
        Add(static_cast<char>('0' + value % 10));
    }
    void AddDate(int day, int month, int year) {
        AddNumber(day);
        Add('.');
        AddNumber(month);
        Add('.');
        AddNumber(year);
    }
    QString Text() const { return QString(chars, length); }
};

} // namespace

QString DecodeDateTime(const QByteArray& frame, const QString& vifHex, int dataStart) {
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
        text.AddDate(b[0] & 0x1F, b[1] & 0x0F, ((b[0] & 0xE0) >> 5) + (b[1] >> 4) * 8);
        return text.Text();
    }
    // The invalid, summer-time and century bits are not shown.
    const int minute = b[0] & 0x3F;
    text.AddNumber(b[1] & 0x1F);
    text.Add(':');
    if (minute < 10) {
        text.Add('0');
    }
    text.AddNumber(minute);
    text.Add(',');
    text.Add(' ');
    text.AddDate(b[2] & 0x1F, b[3] & 0x0F, ((b[2] & 0xE0) >> 5) + (b[3] >> 4) * 8);
    return text.Text();
}

} // namespace holvex::mbus
