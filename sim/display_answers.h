#pragma once

#include "sim/display_config.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace holvex::sim {

// The display unit's read-out answers, as lines of text joined with CR LF. The program reads them by their
// markers and field positions only:
// - "GET ADDR": "Active devices: " with the list on the same line (from character 17), or alone with one
//   address per line after it;
// - "GET ENTR=a,1": a "Total pulses" line, then (or not, per entry) a "User mult/div: m/d" line whose text
//   starts at character 16; without it the "Total pulses" line carries "*m/d" followed by a blank. The next
//   line holds the initial value and the unit, the one after it the total; no label holds a digit, so the
//   value is the first digit's word;
// - "GET ENTR=a,2": "User #: n" and the free text after "Text: " on the next line;
// - "GET TARR=a,k": the same "Total pulses" / "User mult/div" lines, the register two lines after the last;
// - "GET HIST=a,m": "Hist values: v", then the date line dd/Mon/yy, or three tariff lines "T1: ..." first.

QByteArray unitText(int unitCode); // "kWh", "m3", "kJ", "MJ"; "?" for another code
std::optional<int> unitCodeOf(const QByteArray& text);
QByteArray valueText(double value); // at most three decimals, no trailing zeros: "123.456", "12"
QByteArray multDivText(const DisplayEntry& entry);              // "1/1000"
double registerValue(const DisplayEntry& entry, qint64 pulses); // pulses * multiplier / divider
double entryTotal(const DisplayEntry& entry);                   // initial + the value of the pulses

// "Jan".."Dec" (three bytes), Bulgarian in Windows-1251, or three blanks for December when asked to.
QByteArray monthText(int month, MonthNames names, bool blankDecember);

QByteArray addressListAnswer(const QList<int>& active, AddressListForm form);
QByteArray entryAnswer(int address, const DisplayEntry& entry, int part); // part 0, 1 or 2
QByteArray tariffAnswer(int address, const DisplayEntry& entry, int tariff);
// Record 1..12; a record not saved yet gives the value 0 and the date 00/---/00 (year 00).
QByteArray historyAnswer(int address, const DisplayEntry& entry, int record, MonthNames names,
                         bool blankDecember);

} // namespace holvex::sim
