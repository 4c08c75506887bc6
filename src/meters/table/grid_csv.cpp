#include "meters/table/grid_csv.h"

#include "meters/table/csv_line_parser.h"
#include "meters/table/meter_table.h"
#include "meters/table/string_grid_model.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace holvex {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

CsvSaveResult writeCsvFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // A folder without room for the temporary copy still lets an existing, writable file be replaced.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return {false, kCsvSaveErrorTitle, kCsvNoRightsMessage};
    }
    return {};
}

QStringList padded(const QStringList& fields, int columns) {
    QStringList cells = fields.mid(0, columns);
    while (cells.size() < columns) {
        cells.append(QString());
    }
    return cells;
}

} // namespace

QString gridCsvLine(const QStringList& cells, const QString& separator) {
    QString line;
    for (const QString& cell : cells) {
        line += cell;
        line += separator;
    }
    return line;
}

QString localisedValueText(const QString& value, const QString& decSeparator) {
    const QChar replacement = decSeparator.isEmpty() ? QChar(u'.') : decSeparator.front();
    QString out = value;
    for (QChar& c : out) {
        if (c < u'0' || c > u'9') {
            c = replacement;
        }
    }
    return out;
}

QByteArray gridCsvBytes(const StringGridModel& grid, const QString& separator, bool withHeading,
                        int valueColumn, const QString& decSeparator) {
    QByteArray bytes;
    if (withHeading) {
        bytes += kLineEnd;
    }
    for (int r = withHeading ? 0 : 1; r < grid.gridRowCount(); ++r) {
        QStringList cells = grid.row(r);
        if (r > 0 && valueColumn >= 0 && valueColumn < cells.size()) {
            cells[valueColumn] = localisedValueText(cells[valueColumn], decSeparator);
        }
        bytes += gridCsvLine(cells, separator).toUtf8();
        bytes += kLineEnd;
    }
    return bytes;
}

CsvSaveResult saveGridCsv(const StringGridModel& grid, const QString& path, const QString& separator) {
    return writeCsvFile(path, gridCsvBytes(grid, separator, false));
}

CsvSaveResult saveMeterTableCsv(const StringGridModel& table, const QString& path,
                                const QString& exportSeparator, const QString& decSeparator) {
    return writeCsvFile(path, gridCsvBytes(table, exportSeparator, false, kMeterValueColumn, decSeparator));
}

CsvSaveResult saveGridCsvWithHeading(const StringGridModel& grid, const QString& path,
                                     const QString& separator) {
    return writeCsvFile(path, gridCsvBytes(grid, separator, true));
}

QString decodeCsvFileBytes(const QByteArray& bytes) {
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        view = view.sliced(3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(view);
    if (utf8.hasError()) {
        return QString::fromLatin1(view);
    }
    return text;
}

QString csvTableFullMessage(int lines, bool italian) {
    return italian ? QStringLiteral("Tabella piena: importate solo le prime %1 righe del file!").arg(lines)
                   : QStringLiteral("The table is full: only the first %1 lines of the file were imported!")
                         .arg(lines);
}

CsvLoadResult loadGridCsvText(const QString& text, StringGridModel& grid, const GridCsvLoadOptions& options) {
    CsvLoadResult result;
    const int startRows = grid.gridRowCount();
    int rowLimit = grid.maxRowCount();
    if (options.rowLimit > 0) {
        rowLimit = std::min(rowLimit, std::max(2, options.rowLimit));
    }
    // Line k goes into row k+1, so the table has room for rowLimit-1 lines.
    const CsvTextLines lines = splitCsvLines(text, rowLimit - 1);

    QList<QStringList> rows;
    rows.reserve(lines.lines.size());
    for (const QString& line : lines.lines) {
        const CsvLineFields parsed =
            parseCsvLine(line, options.separator, options.fieldLimit, options.fieldLength);
        if (parsed.tooMany) {
            result.outcome = CsvLoadResult::Outcome::TooManyFields;
            result.message = kCsvTooManyDataMessage;
            break;
        }
        rows.append(parsed.fields);
    }
    const int imported = static_cast<int>(rows.size());
    if (result.outcome == CsvLoadResult::Outcome::Loaded && lines.more) {
        result.outcome = CsvLoadResult::Outcome::TableFull;
        result.message = csvTableFullMessage(imported, options.italian);
    }
    result.linesImported = imported;
    if (imported == 0) {
        // Nothing to file: the table keeps its rows, heading and empty row included.
        return result;
    }

    // Each imported line adds a row; a complete import then drops the row added after the last line, so the
    // table ends with the last imported row. A stopped import keeps that empty row.
    const int grown = startRows + imported;
    const int finalRows =
        std::min(result.outcome == CsvLoadResult::Outcome::TooManyFields ? grown : grown - 1,
                 std::max(rowLimit, startRows));

    auto fill = [&](StringGridModel& target, int columns) {
        QList<QStringList> cells;
        cells.reserve(rows.size());
        for (const QStringList& fields : rows) {
            cells.append(padded(fields, columns));
        }
        target.setRows(1, cells);
        target.setRowCount(std::max(finalRows, imported + 1));
    };
    fill(grid, grid.gridColumnCount());
    if (options.mirror != nullptr && options.mirror != &grid) {
        const int columns = options.mirrorColumns < 0
                                ? grid.gridColumnCount()
                                : std::min(options.mirrorColumns, options.mirror->gridColumnCount());
        fill(*options.mirror, columns);
    }
    result.rowsChanged = true;
    return result;
}

CsvLoadResult loadGridCsv(const QString& path, StringGridModel& grid, const GridCsvLoadOptions& options) {
    QFile file(path);
    QByteArray bytes;
    bool readable = file.open(QIODevice::ReadOnly) && file.size() <= kMaxCsvFileBytes;
    if (readable) {
        bytes = file.read(kMaxCsvFileBytes + 1);
        readable = file.error() == QFileDevice::NoError && bytes.size() <= kMaxCsvFileBytes;
    }
    if (!readable) {
        CsvLoadResult result;
        result.outcome = CsvLoadResult::Outcome::Unreadable;
        result.title = kCsvLoadErrorTitle;
        result.message = kCsvWrongFileMessage;
        return result;
    }
    return loadGridCsvText(decodeCsvFileBytes(bytes), grid, options);
}

CsvLoadResult loadGridCsv(const QString& path, StringGridModel& grid, int fieldLimit,
                          const QString& separator) {
    GridCsvLoadOptions options;
    options.fieldLimit = fieldLimit;
    options.separator = separator;
    return loadGridCsv(path, grid, options);
}

} // namespace holvex
