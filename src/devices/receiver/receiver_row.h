#pragma once

#include <QString>
#include <QStringList>

namespace holvex::receiver {

// One row of the receiver table, column by column.
struct ReceiverRow {
    QString id;           // 0 "ID ": identification number, 8 characters
    QString address;      // 1 "Addr. ": primary address in the receiver
    QString manufacturer; // 2 "MFR ": three letters
    QString version;      // 3 "Version ": decimal
    QString device;       // 4 "Device ": device type, decimal
    QString medium;       // 5 "Medium"
    QString note;         // 6 "Note ": "L=0x2E, C=0x44"
    QString auxiliaryId;  // 7 "Auxiliary ID ": identification number of the long header
    QString telegram;     // 8 "Telegram ": bytes from the CI-field on, two hex digits and a blank each
    QString timeDate;     // 9 "Time and Date "

    // The ten cells in column order; fromCells takes missing cells as empty.
    QStringList cells() const;
    static ReceiverRow fromCells(const QStringList& cells);
};

inline constexpr int kReceiverColumns = 10;

// The table's column titles ("ID ", "Addr. ", ..., "Time and Date ").
const QStringList& receiverTableTitles();

// The key box's labels for the current row: "Address " + the address, or "Address unknown" when the cell is
// empty or not a number; "ID: " + the ID.
QString addressLabel(const QString& address);
QString idLabel(const QString& id);

// The address cell as a number, when it holds only decimal digits (at most 9 of them).
bool addressNumber(const QString& address, int* value);

} // namespace holvex::receiver
