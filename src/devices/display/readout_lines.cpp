#include "devices/display/readout_lines.h"

#include <algorithm>
#include <array>

namespace holvex::display {

namespace {

const QString kAddressMarker = QStringLiteral("Active devices: ");
const QString kTotalPulsesMarker = QStringLiteral("Total pulses");
const QString kUserMultDivMarker = QStringLiteral("User mult/div");
const QString kUserNumberMarker = QStringLiteral("User #:");
const QString kHistoryMarker = QStringLiteral("Hist values");

// Where the factor starts on a "User mult/div" line, and the list on an "Active devices: " line.
constexpr int kUserMultDivTextFrom = 15;
constexpr int kAddressListFrom = 16;

// A line shorter than this holds no value.
constexpr int kShortestValueLine = 3;

// The newest line among the last `depth` that contains the marker; -1 when none does.
qsizetype newestWith(const QStringList& lines, const QString& marker, qsizetype depth) {
    const qsizetype oldest = std::max<qsizetype>(0, lines.size() - depth);
    for (qsizetype i = lines.size() - 1; i >= oldest; --i) {
        if (lines.at(i).contains(marker)) {
            return i;
        }
    }
    return -1;
}

// The line at i when it is there and long enough to hold a value.
const QString* valueLine(const QStringList& lines, qsizetype i) {
    if (i < 0 || i >= lines.size() || lines.at(i).size() < kShortestValueLine) {
        return nullptr;
    }
    return &lines.at(i);
}

// The text from the second character after the line's first ":" (the blank after the colon is dropped).
QString afterColon(const QString& line) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : line.mid(colon + 2);
}

qsizetype firstDigit(const QString& line) {
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i).isDigit() && line.at(i).unicode() < 0x80) {
            return i;
        }
    }
    return -1;
}

// The Bulgarian abbreviations as the log shows them: one character per Windows-1251 byte, where the
// Cyrillic letters А..я are 0xC0..0xFF.
QString windows1251Text(const char16_t* cyrillic) {
    QString text;
    for (const char16_t* c = cyrillic; *c != 0; ++c) {
        text += QChar(static_cast<char16_t>(*c >= 0x0410 && *c <= 0x044F ? 0xC0 + (*c - 0x0410) : *c));
    }
    return text;
}

struct MonthName {
    const char* english;
    const char16_t* bulgarian;
};
constexpr std::array<MonthName, 12> kMonthNames{{{"Jan", u"Яну"},
                                                 {"Feb", u"Фев"},
                                                 {"Mar", u"Мар"},
                                                 {"Apr", u"Апр"},
                                                 {"May", u"Май"},
                                                 {"Jun", u"Юни"},
                                                 {"Jul", u"Юли"},
                                                 {"Aug", u"Авг"},
                                                 {"Sep", u"Сеп"},
                                                 {"Oct", u"Окт"},
                                                 {"Nov", u"Ное"},
                                                 {"Dec", u"Дек"}}};

// Appends a token of the address list: a range x-y of two numbers with y not below x gives every address,
// another range nothing, a plain token itself.
void takeAddressToken(const QString& token, const QString& rangeEnd, bool range, int maxAddresses,
                      QStringList* addresses) {
    if (!range) {
        if (!token.isEmpty() && addresses->size() < maxAddresses) {
            addresses->append(token);
        }
        return;
    }
    bool firstOk = false;
    bool lastOk = false;
    const int first = token.trimmed().toInt(&firstOk);
    const int last = rangeEnd.trimmed().toInt(&lastOk);
    if (!firstOk || !lastOk || last < first) {
        return;
    }
    for (qint64 a = first; a <= last && addresses->size() < maxAddresses; ++a) {
        addresses->append(QString::number(a));
    }
}

} // namespace

QStringList answerLines(const QByteArray& answer) {
    return QString::fromLatin1(answer).split(QStringLiteral("\r\n"));
}

QString valueFromFirstDigit(const QString& line) {
    const qsizetype from = firstDigit(line);
    if (from < 0) {
        return {};
    }
    const qsizetype blank = line.indexOf(QLatin1Char(' '), from);
    return blank < 0 ? line.mid(from) : line.mid(from, blank - from);
}

AddressList decodeAddressList(const QStringList& lines, int maxAddresses) {
    AddressList list;
    const qsizetype marker = newestWith(lines, kAddressMarker, lines.size());
    if (marker < 0) {
        return list;
    }
    list.found = true;
    const QString& line = lines.at(marker);
    if (line.size() > kAddressListFrom) {
        QString token;
        QString rangeEnd;
        bool range = false;
        const QString text = line.mid(kAddressListFrom);
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const QChar c = i < text.size() ? text.at(i) : QChar(u'\0');
            if (i == text.size() || c == QLatin1Char(',') || c == QLatin1Char('\r')) {
                takeAddressToken(token, rangeEnd, range, maxAddresses, &list.addresses);
                token.clear();
                rangeEnd.clear();
                range = false;
            } else if (c == QLatin1Char('-')) {
                range = true;
            } else if (range) {
                rangeEnd += c;
            } else {
                token += c;
            }
        }
        return list;
    }
    // The marker alone: one address per later line.
    for (qsizetype i = marker + 1; i < lines.size() && list.addresses.size() < maxAddresses; ++i) {
        if (!lines.at(i).isEmpty()) {
            list.addresses.append(lines.at(i));
        }
    }
    return list;
}

std::optional<EntryValues> decodeEntryValues(const QStringList& lines) {
    const qsizetype total = newestWith(lines, kTotalPulsesMarker, 5);
    if (total < 0) {
        return std::nullopt;
    }
    EntryValues values;
    const qsizetype userMultDiv = newestWith(lines, kUserMultDivMarker, 6);
    qsizetype anchor = total;
    if (userMultDiv == total + 1) {
        anchor = userMultDiv;
        values.multDiv = lines.at(userMultDiv).mid(kUserMultDivTextFrom);
    } else {
        // The factor follows a "*" on the pulse line, up to the next blank.
        const QString& pulses = lines.at(total);
        const qsizetype star = pulses.indexOf(QLatin1Char('*'));
        if (star >= 0) {
            const qsizetype blank = pulses.indexOf(QLatin1Char(' '), star + 1);
            values.multDiv = blank < 0 ? pulses.mid(star + 1) : pulses.mid(star + 1, blank - star - 1);
        }
    }
    if (const QString* start = valueLine(lines, anchor + 1)) {
        values.start = valueFromFirstDigit(*start);
        const qsizetype from = firstDigit(*start);
        const qsizetype blank = from < 0 ? -1 : start->indexOf(QLatin1Char(' '), from);
        values.unit = blank < 0 ? QString() : start->mid(blank + 1);
    }
    if (const QString* totalLine = valueLine(lines, anchor + 2)) {
        values.total = valueFromFirstDigit(*totalLine);
    }
    return values;
}

std::optional<UserData> decodeUserData(const QStringList& lines) {
    const qsizetype marker = newestWith(lines, kUserNumberMarker, 3);
    if (marker < 0) {
        return std::nullopt;
    }
    UserData data;
    data.userNumber = afterColon(lines.at(marker));
    if (marker + 1 < lines.size()) {
        data.freeText = afterColon(lines.at(marker + 1));
    }
    return data;
}

std::optional<QString> decodeTariff(const QStringList& lines) {
    const qsizetype total = newestWith(lines, kTotalPulsesMarker, 6);
    if (total < 0) {
        return std::nullopt;
    }
    const qsizetype userMultDiv = newestWith(lines, kUserMultDivMarker, 7);
    const QString* line = valueLine(lines, (userMultDiv >= 0 ? userMultDiv : total) + 2);
    if (line == nullptr) {
        return std::nullopt;
    }
    return valueFromFirstDigit(*line);
}

HistoryValue decodeHistory(const QStringList& lines) {
    HistoryValue history;
    const qsizetype marker = newestWith(lines, kHistoryMarker, 6);
    if (marker < 0) {
        return history;
    }
    history.found = true;
    const QString& valueLineText = lines.at(marker);
    const qsizetype colon = valueLineText.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        history.value = valueLineText.mid(colon + 1).remove(QLatin1Char(' '));
    }

    // The tariff form puts three "T1".."T3" lines between the value and the date.
    qsizetype dateAt = marker + 1;
    if (dateAt < lines.size() && lines.at(dateAt).contains(QStringLiteral("T1"))) {
        dateAt = marker + 4;
    }
    const QString date = dateAt < lines.size() ? lines.at(dateAt) : QString();
    const qsizetype slash = date.indexOf(QLatin1Char('/'));
    if (slash < 0 || date.size() < slash + 4) {
        history.logLine = kUnrecognizableMonthLine;
        return history;
    }
    QString month = date.mid(slash + 1, 3);
    const QString year = date.mid(slash + 5, 2);
    if (year.isEmpty() || year == QStringLiteral("00")) {
        return history;
    }
    if (month == QStringLiteral("   ")) {
        month = QStringLiteral("Dec");
    }
    history.month = historyMonthNumber(month);
    if (history.month > 0) {
        history.monthText = month;
    }
    return history;
}

int historyMonthNumber(const QString& monthText) {
    if (monthText == QStringLiteral("Noe")) {
        return 11;
    }
    for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
        if (monthText == QLatin1String(kMonthNames[i].english) ||
            monthText == windows1251Text(kMonthNames[i].bulgarian)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

} // namespace holvex::display
