#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace holvex::display {

// The unit's read-out answers are lines of text meant for a person; these decoders cut them into fields by
// their marker texts and field positions only. Each takes the lines of one answer as the log shows them
// (one character per received byte, split at CR LF pairs) and searches only those, so a short or failed
// answer never picks up the lines of the entry read before it.

// An answer as the log's lines: one character per byte (the unit sends Windows-1251), split at CR LF.
QStringList answerLines(const QByteArray& answer);

// The characters from the first decimal digit of the line up to, not including, the next blank or the end
// of the line; empty when the line has no digit.
QString valueFromFirstDigit(const QString& line);

// "GET ADDR": the line holding "Active devices: " (the newest one). When the line is longer than the marker
// the list follows on it: tokens separated by "," or CR, a token x-y of two numbers with y not below x
// stands for every address x..y, any other range for nothing, a plain token is taken as it is. Otherwise
// every later line is one address. `found` is false without the marker line; at most `maxAddresses`
// addresses are taken.
struct AddressList {
    bool found = false;
    QStringList addresses;
};
AddressList decodeAddressList(const QStringList& lines, int maxAddresses);

// "GET ENTR=a,1": unit, start value, multiplier/divider and total. A field whose line is missing or too
// short is absent and leaves its cell as it is. Nothing without a "Total pulses" line among the last five.
struct EntryValues {
    std::optional<QString> unit;
    std::optional<QString> start;
    QString multDiv;
    std::optional<QString> total;
};
std::optional<EntryValues> decodeEntryValues(const QStringList& lines);

// "GET ENTR=a,2": the user number on the "User #:" line (among the last three) and the free text on the
// next one, each the text from the second character after the line's first ":". Nothing without the marker.
struct UserData {
    QString userNumber;
    QString freeText;
};
std::optional<UserData> decodeUserData(const QStringList& lines);
inline const QString kUserDataMissingLine = QStringLiteral("Unexpected error decodingUser info");

// "GET TARR=a,k": the register two lines after "User mult/div" (among the last seven), or after "Total
// pulses" (among the last six) without it. Nothing without "Total pulses" or with a register line too short.
std::optional<QString> decodeTariff(const QStringList& lines);

// "GET HIST=a,m": the value after the first ":" of the "Hist values" line (among the last six) without its
// blanks, and the month of the date dd/Mon/yy on the next line (the fourth next one when the next holds
// "T1"). Three blanks for the month are December; a year "00" is a record not saved yet and gives no month.
// English and Bulgarian (Windows-1251) month abbreviations are known.
struct HistoryValue {
    bool found = false; // the "Hist values" line was there
    QString logLine;    // "Unrecognizable month value, returned by Lumet..." for a date line too short
    QString monthText;  // the three characters of the month, when the year is set and not "00"
    int month = 0;      // 1..12 for a known month text, else 0 (nothing is filed)
    QString value;
};
HistoryValue decodeHistory(const QStringList& lines);
inline const QString kUnrecognizableMonthLine =
    QStringLiteral("Unrecognizable month value, returned by Lumet...");

// The month 1..12 of a three-character month text, 0 for any other.
int historyMonthNumber(const QString& monthText);

} // namespace holvex::display
