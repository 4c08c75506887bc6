#pragma once

#include <QChar>
#include <QString>

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

// "Get data from m-bus devices": the display table is rebuilt from the meter table.
struct DisplayFillResult {
    int rowsCopied = 0;  // data rows the display table holds afterwards
    int rowsLeftOut = 0; // meters beyond the display table's 250 rows
};

// Clears the display table (cells and boxes), then copies every meter-table row into the same display row:
// ID, address and unit. A row with an address also gets
// - "Start ": the meter's value read as a number (with "." or `decimalSeparator` as its separator) in fixed
//   notation with one decimal and `decimalSeparator`; "0" for an empty or unreadable value;
// - "Mult/Div ": "1/1" for a "Pulse " cell "MB1", "10/1" for "MB2", otherwise "0/0";
// - "User numb. ": a running number from 1, counting only the rows with an address.
// The empty row a scan leaves at the end of the meter table is not copied, but a meter in the last row (as
// after loading a file) is. At most kDisplayMaxDataRows rows are copied. No box is ticked.
DisplayFillResult fillDisplayTable(StringGridModel& display, const StringGridModel& meters,
                                   QChar decimalSeparator);

// The "Start " text of a meter value, as the fill writes it.
QString displayStartValue(const QString& meterValue, QChar decimalSeparator);

// The "Mult/Div " text for a meter's "Pulse " cell, as the fill writes it.
QString displayMultDivForPulse(const QString& pulse);

} // namespace holvex::display
