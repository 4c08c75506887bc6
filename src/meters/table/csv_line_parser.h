#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace holvex {

// Fields are cut to this many characters when a table file is read.
inline constexpr int kCsvFieldLength = 50;

// The fields of one line of a table file.
struct CsvLineFields {
    QStringList fields;   // completed fields in order, each cut to kCsvFieldLength characters
    bool tooMany = false; // the line completes more than the allowed number of fields
};

// Splits one line character by character. Only a separator of exactly one character ever matches; every
// separator ends a field, so text after the last separator belongs to no field (the files written by the
// program end every field, the last one included, with the separator). Parsing stops as soon as the line
// completes more than fieldLimit fields. Fields are cut to fieldLength characters.
CsvLineFields parseCsvLine(QStringView line, QStringView separator, int fieldLimit,
                           int fieldLength = kCsvFieldLength);

// The lines of a text file.
struct CsvTextLines {
    QStringList lines;
    bool more = false; // further lines followed the last one returned
};

// Cuts text into lines the way a text file is read: CR LF, LF and a lone CR each end a line, and a line
// break at the very end does not start another line. At most maxLines lines are returned (all when
// maxLines < 0).
CsvTextLines splitCsvLines(QStringView text, int maxLines = -1);

} // namespace holvex
