#pragma once

#include <QString>
#include <QStringList>

namespace holvex {

// One meter-table row as the response decoder produces it (columns 0..11, then the extra columns).
struct MeterRow {
    QString id;           // column 0
    QString address;      // column 1, decimal
    QString manufacturer; // column 2
    QString value;        // column 3
    QString unit;         // column 4
    QString medium;       // column 5
    QString time;         // column 6
    QString date;         // column 7
    QString status;       // column 8
    QString pulse;        // column 9
    QString model;        // column 10
    QString battery;      // column 11; "0" leaves the table cell as it was
    QStringList extra;    // columns 12.., exactly ExtraTitleCount entries
};

} // namespace holvex
