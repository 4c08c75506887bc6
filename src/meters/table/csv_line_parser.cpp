#include "meters/table/csv_line_parser.h"

namespace holvex {

namespace {

// Cuts without leaving half of a surrogate pair at the end.
QString cutField(QString field, int fieldLength) {
    if (field.size() > fieldLength) {
        field.truncate(fieldLength);
    }
    if (!field.isEmpty() && field.back().isHighSurrogate()) {
        field.chop(1);
    }
    return field;
}

} // namespace

CsvLineFields parseCsvLine(QStringView line, QStringView separator, int fieldLimit, int fieldLength) {
    CsvLineFields result;
    if (separator.size() != 1) {
        // A longer (or empty) separator never equals a single character: no field is ever completed.
        return result;
    }
    const QChar sep = separator.front();
    QString field;
    // One character more than kept, so the cut can tell a surrogate pair that straddles the limit.
    field.reserve(fieldLength + 1);
    for (const QChar c : line) {
        if (c == sep) {
            if (result.fields.size() >= fieldLimit) {
                result.tooMany = true;
                return result;
            }
            result.fields.append(cutField(field, fieldLength));
            field.clear();
        } else if (field.size() <= fieldLength) {
            // Characters past the cut are not kept, so a long field never grows the buffer.
            field.append(c);
        }
    }
    return result;
}

CsvTextLines splitCsvLines(QStringView text, int maxLines) {
    CsvTextLines result;
    qsizetype start = 0;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        if (maxLines >= 0 && result.lines.size() >= maxLines) {
            result.more = true;
            return result;
        }
        result.lines.append(text.mid(start, i - start).toString());
        i += (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < size) {
        if (maxLines >= 0 && result.lines.size() >= maxLines) {
            result.more = true;
        } else {
            result.lines.append(text.mid(start).toString());
        }
    }
    return result;
}

} // namespace holvex
