#pragma once

#include "meters/table/csv_line_parser.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace holvex {

class StringGridModel;

// Fields per line that each table accepts from a file.
inline constexpr int kMeterTableFieldLimit = 21;
inline constexpr int kDisplayTableFieldLimit = 14;
inline constexpr int kReceiverTableFieldLimit = 7;

// Largest file taken for an import; nothing the tables can hold comes near it.
inline constexpr qint64 kMaxCsvFileBytes = 64 * 1024 * 1024;

inline const QString kMeterTableCsvName = QStringLiteral("meters_data.csv");
inline const QString kCsvSaveErrorTitle = QStringLiteral("Error saving file");
inline const QString kCsvSaveDialogMessage =
    QStringLiteral("File cannot be written or open!\nContact administrator.");
inline const QString kCsvNoRightsMessage =
    QStringLiteral("File cannot be written, no rights!\nContact administrator.");
inline const QString kCsvLoadErrorTitle = QStringLiteral("File Error");
inline const QString kCsvWrongFileMessage =
    QStringLiteral("You chose wrong file for import!\nContact administrator!");
inline const QString kCsvTooManyDataMessage =
    QStringLiteral("You are trying to import too many data!!!\nCorrect csv file and try again!");

struct CsvSaveResult {
    bool ok = true;
    QString title;   // box title when !ok
    QString message; // box text when !ok
};

struct CsvLoadResult {
    enum class Outcome {
        Loaded,        // every line imported
        Unreadable,    // the file could not be read; the table is unchanged
        TooManyFields, // a line had more fields than allowed; the lines before it stay imported
        TableFull,     // the table ran out of rows; the lines that fitted stay imported
    };
    Outcome outcome = Outcome::Loaded;
    bool rowsChanged = false;
    int linesImported = 0;
    QString title;   // box title when message is not empty
    QString message; // text for the operator, empty when every line was imported
};

// One line of a table file: every cell followed by the separator.
QString gridCsvLine(const QStringList& cells, const QString& separator);

// The value column as written to a meter-table file: every character other than a decimal digit becomes the
// first character of the decimal-separator setting ("." when the setting is empty).
QString localisedValueText(const QString& value, const QString& decSeparator);

// File contents: the data rows (or, with the heading, one empty line and then every row) as CSV lines, each
// ended by CR LF. valueColumn >= 0 localises that column as LocalisedValueText does.
QByteArray gridCsvBytes(const StringGridModel& grid, const QString& separator, bool withHeading,
                        int valueColumn = -1, const QString& decSeparator = QString());

// Writes the data rows to path.
CsvSaveResult saveGridCsv(const StringGridModel& grid, const QString& path, const QString& separator);
// Writes the meter table's data rows to path with the value column localised; the cells keep their text.
CsvSaveResult saveMeterTableCsv(const StringGridModel& table, const QString& path,
                                const QString& exportSeparator, const QString& decSeparator);
// Writes one empty line, then every row including the heading.
CsvSaveResult saveGridCsvWithHeading(const StringGridModel& grid, const QString& path,
                                     const QString& separator);

struct GridCsvLoadOptions {
    int fieldLimit = kMeterTableFieldLimit;
    QString separator = QStringLiteral(";");
    // Row count (heading included) the import may grow the table to; 0 or anything above the table's own
    // maximum means the table's maximum.
    int rowLimit = 0;
    // A second table that receives every imported row as well and grows with the first.
    StringGridModel* mirror = nullptr;
    // Columns copied into the mirror (<0: as many as the first table has).
    int mirrorColumns = -1;
    bool italian = false; // language of the table-full message
    // Characters a field keeps; the receiver table's telegrams are longer than other tables' cells.
    int fieldLength = kCsvFieldLength;
};

// Text of a table file as read from disk: UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is
// dropped), otherwise Latin-1, which covers files written with a Western 8-bit code page.
QString decodeCsvFileBytes(const QByteArray& bytes);

// Imports the lines of a table file into the grid: line k goes into row k+1, fields into columns 0.. and
// columns past the line's fields are emptied; the table ends with the last imported row.
CsvLoadResult loadGridCsvText(const QString& text, StringGridModel& grid, const GridCsvLoadOptions& options);
CsvLoadResult loadGridCsv(const QString& path, StringGridModel& grid, const GridCsvLoadOptions& options);
CsvLoadResult loadGridCsv(const QString& path, StringGridModel& grid, int fieldLimit,
                          const QString& separator);

// The operator's message when only the first `lines` lines fitted into the table.
QString csvTableFullMessage(int lines, bool italian);

} // namespace holvex
