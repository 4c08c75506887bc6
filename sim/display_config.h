#pragma once

#include "sim/text_device_faults.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>

#include <array>
#include <cstdint>

namespace holvex::sim {

// "GET ADDR": the active addresses on the marker line ("Active devices: 1,3,7-9") or the marker line alone
// followed by one address per line.
enum class AddressListForm { Ranges, Lines };
// The month names of the history dates: English, or Bulgarian in the Windows-1251 character set.
enum class MonthNames { English, Bulgarian };
// A history answer: the value and the date line, or the value, three tariff lines ("T1: ...") and the date.
enum class HistoryForm { Plain, Tariffs };

// One month of an entry's history. A record with an invalid month is not saved yet.
struct DisplayHistoryRecord {
    QDate month; // the first day of the month
    double value = 0;
    std::array<double, 3> tariffs{}; // T1..T3, shown in the tariff form
};

// One meter entry of the unit, at one primary address. The readings are pulse counts; values are
// initial + pulses * multiplier / divider, in the entry's unit.
struct DisplayEntry {
    bool active = false;
    int unitCode = 2; // 1 kWh, 2 m3, 3 kJ, 4 MJ
    int multiplier = 1;
    int divider = 1; // never 0
    double initial = 0;
    QByteArray userNumber; // up to 4 digits, empty when not set
    QByteArray text;       // first free-text line, up to 50 characters
    QByteArray text2;      // second free-text line
    int sortPosition = 0;  // place in the sort table once "SET SORT" has built it; 0 before
    qint64 pulses = 0;
    std::array<qint64, 4> tariffPulses{};
    qint64 stepPulses = 0;   // what "SET READ" adds to the pulses and to tariff register 0
    bool userMultDiv = true; // the entry answers carry a "User mult/div" line after "Total pulses"
    HistoryForm historyForm = HistoryForm::Plain;
    QList<DisplayHistoryRecord> history; // record 1 first; at most 12
};

// The display / data-logger unit: its options and its entry table.
struct DisplayConfig {
    AddressListForm addressList = AddressListForm::Ranges;
    MonthNames monthNames = MonthNames::English;
    bool blankDecember = false; // history dates of December show three blanks for the month
    QDateTime clock;            // invalid: the installation sets the time it starts
    int refreshSeconds = 4;
    bool sortByUserNumber = false;
    bool locked = false;
    QByteArray serial = "R7-000001";
    QByteArray firmware = "2.14";
    TextDeviceFaults faults;
    QMap<int, DisplayEntry> entries; // by primary address 1..250; an address not here is an inactive entry
};

inline constexpr int kDisplayEntries = 250;
inline constexpr int kHistoryRecords = 12;
inline constexpr int kFreeTextLength = 50;

} // namespace holvex::sim
