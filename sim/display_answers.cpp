#include "sim/display_answers.h"

#include "sim/text_line.h"

#include <QString>

namespace holvex::sim {

namespace {

constexpr const char* kUnitTexts[] = {"kWh", "m3", "kJ", "MJ"}; // codes 1..4
constexpr const char* kEnglishMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// Written with the unit's own Bulgarian abbreviations; sent in Windows-1251.
constexpr const char16_t* kBulgarianMonths[] = {u"Яну", u"Фев", u"Мар", u"Апр", u"Май", u"Юни",
                                                u"Юли", u"Авг", u"Сеп", u"Окт", u"Ное", u"Дек"};

// Windows-1251 for ASCII and the basic Cyrillic letters (А..я are 0xC0..0xFF there).
QByteArray windows1251(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x0410 && u <= 0x044F) {
            out += static_cast<char>(0xC0 + (u - 0x0410));
        } else {
            out += static_cast<char>(u < 0x80 ? u : '?');
        }
    }
    return out;
}

QByteArray number(qint64 n) {
    return QByteArray::number(n);
}

QByteArray entryHeading(int address) {
    return "Entry " + number(address);
}

// The two lines that open an entry or tariff answer: the pulse count, with the factor on the same line or
// on a "User mult/div" line of its own.
QList<QByteArray> pulseLines(const DisplayEntry& entry, qint64 pulses) {
    if (entry.userMultDiv) {
        return {"Total pulses: " + number(pulses), "User mult/div: " + multDivText(entry)};
    }
    return {"Total pulses: " + number(pulses) + " *" + multDivText(entry) + " imp"};
}

} // namespace

QByteArray unitText(int unitCode) {
    return unitCode >= 1 && unitCode <= 4 ? QByteArray(kUnitTexts[unitCode - 1]) : QByteArray("?");
}

std::optional<int> unitCodeOf(const QByteArray& text) {
    for (int code = 1; code <= 4; ++code) {
        if (text == kUnitTexts[code - 1]) {
            return code;
        }
    }
    return std::nullopt;
}

QByteArray valueText(double value) {
    QByteArray text = QByteArray::number(value, 'f', 3);
    if (text.contains('.')) {
        while (text.endsWith('0')) {
            text.chop(1);
        }
        if (text.endsWith('.')) {
            text.chop(1);
        }
    }
    return text == "-0" ? QByteArray("0") : text;
}

QByteArray multDivText(const DisplayEntry& entry) {
    return number(entry.multiplier) + '/' + number(entry.divider);
}

double registerValue(const DisplayEntry& entry, qint64 pulses) {
    return static_cast<double>(pulses) * entry.multiplier / (entry.divider > 0 ? entry.divider : 1);
}

double entryTotal(const DisplayEntry& entry) {
    return entry.initial + registerValue(entry, entry.pulses);
}

QByteArray monthText(int month, MonthNames names, bool blankDecember) {
    if (month < 1 || month > 12) {
        return "00";
    }
    if (month == 12 && blankDecember) {
        return "   ";
    }
    if (names == MonthNames::Bulgarian) {
        return windows1251(QString::fromUtf16(kBulgarianMonths[month - 1]));
    }
    return kEnglishMonths[month - 1];
}

QByteArray addressListAnswer(const QList<int>& active, AddressListForm form) {
    if (active.isEmpty()) {
        return "No active devices";
    }
    if (form == AddressListForm::Lines) {
        QList<QByteArray> lines{"Active devices: "};
        for (int a : active) {
            lines.append(number(a));
        }
        return answerLines(lines);
    }
    // Runs of three or more consecutive addresses are written as a range.
    QList<QByteArray> items;
    for (qsizetype i = 0; i < active.size();) {
        qsizetype j = i;
        while (j + 1 < active.size() && active.at(j + 1) == active.at(j) + 1) {
            ++j;
        }
        if (j - i >= 2) {
            items.append(number(active.at(i)) + '-' + number(active.at(j)));
        } else {
            for (qsizetype k = i; k <= j; ++k) {
                items.append(number(active.at(k)));
            }
        }
        i = j + 1;
    }
    return "Active devices: " + items.join(',');
}

QByteArray entryAnswer(int address, const DisplayEntry& entry, int part) {
    QList<QByteArray> lines{entryHeading(address)};
    if (part == 0) {
        lines.append("State: " + QByteArray(entry.active ? "active" : "inactive"));
        lines.append("Unit: " + unitText(entry.unitCode));
        lines.append("Mult/div: " + multDivText(entry));
        lines.append("Sort position: " +
                     (entry.sortPosition > 0 ? number(entry.sortPosition) : QByteArray("none")));
    } else if (part == 1) {
        lines += pulseLines(entry, entry.pulses);
        lines.append("Initial: " + valueText(entry.initial) + ' ' + unitText(entry.unitCode));
        lines.append("Total: " + valueText(entryTotal(entry)) + ' ' + unitText(entry.unitCode));
    } else {
        lines.append("User #: " + entry.userNumber);
        lines.append("Text: " + entry.text);
        lines.append("Text 2: " + entry.text2);
    }
    return answerLines(lines);
}

QByteArray tariffAnswer(int address, const DisplayEntry& entry, int tariff) {
    const qint64 pulses = entry.tariffPulses.at(static_cast<std::size_t>(tariff));
    QList<QByteArray> lines{entryHeading(address) + " tariff " + number(tariff)};
    lines += pulseLines(entry, pulses);
    lines.append("Unit: " + unitText(entry.unitCode));
    lines.append("Value: " + valueText(registerValue(entry, pulses)) + ' ' + unitText(entry.unitCode));
    return answerLines(lines);
}

QByteArray historyAnswer(int address, const DisplayEntry& entry, int record, MonthNames names,
                         bool blankDecember) {
    const DisplayHistoryRecord* saved = nullptr;
    if (record >= 1 && record <= entry.history.size() && entry.history.at(record - 1).month.isValid()) {
        saved = &entry.history.at(record - 1);
    }
    QList<QByteArray> lines{entryHeading(address) + " record " + number(record)};
    lines.append("Hist values: " + valueText(saved ? saved->value : 0));
    if (entry.historyForm == HistoryForm::Tariffs) {
        for (int t = 0; t < 3; ++t) {
            lines.append("T" + number(t + 1) + ": " +
                         valueText(saved ? saved->tariffs.at(static_cast<std::size_t>(t)) : 0));
        }
    }
    if (!saved) {
        lines.append("Date: 00/---/00"); // the year 00 marks a record not saved yet
    } else {
        // Each month's value is taken on its last day.
        const QDate& m = saved->month;
        lines.append("Date: " + QByteArray::number(m.daysInMonth()).rightJustified(2, '0') + '/' +
                     monthText(m.month(), names, blankDecember) + '/' +
                     QByteArray::number(m.year() % 100).rightJustified(2, '0'));
    }
    return answerLines(lines);
}

} // namespace holvex::sim
