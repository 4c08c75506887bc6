#pragma once

#include "mbus/meter_row.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace holvex::mbus {

// What a decode needs from the run state and the settings at the moment of the call.
struct DecodeOptions {
    QChar decimalSeparator = QLatin1Char('.');
    int extraTitleCount = 0; // 0..15
    bool apator = false;     // "Decode Apator wMbus from Ravik"
    bool fullRead = false;   // FullReadRequested: write the detailed report instead of a table row
    QString timeText;        // the meter row's time (the system's long time format)
    QString dateText;        // the meter row's date (the system's short date format)
    QString reportStamp;     // text after "Decoded at "; built from time and date when empty
    // A table-row decode also fills gridDataRows, the report's hidden grid of every record the window
    // decoded; a caller that shows no report (the command line's decode) leaves it off. A full read always
    // fills the grid.
    bool reportGrid = true;
};

// One row of the record table: number, value, unit, qualifier, DIF/DIFE hex, VIF hex, VIFE hex.
struct RecordRow {
    QString number;
    QString value;
    QString unit;
    QString qualifier;
    QString difHex;
    QString vifHex;
    QString vifeHex;
};

struct DecodeResult {
    bool ok = false;
    QStringList log;             // event-log lines in order, the "Respond: " trace first
    std::optional<MeterRow> row; // the meter-table row to write; none when the table is not touched
    QVector<RecordRow> records;  // record-table rows holding data, in row order
    // The frame passed its checks, so MoreRecordsPending takes moreRecordsPending; otherwise the flag keeps
    // its previous value.
    bool frameChecked = false;
    bool moreRecordsPending = false;
    QStringList reportLines;           // lines for the report pane
    QVector<QStringList> gridDataRows; // rows appended to the report's hidden grid (5 columns)
    bool showReport = false;           // a detailed report was written: show the report window
};

} // namespace holvex::mbus
