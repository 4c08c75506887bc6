// Feeds arbitrary bytes to the table-file reader: the line splitter, the field parser and the import into a
// grid, with the separator, the field limit and the table size taken from the first bytes.
#include "meters/table/csv_line_parser.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    static const char* const kSeparators[] = {";", ",", "\t", "", ";;", "|"};
    const QString separator = QString::fromLatin1(kSeparators[data[0] % 6]);
    const int fieldLimit = data[1] % 24;
    const int maxRows = 2 + data[2] % 40;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 3), static_cast<qsizetype>(size - 3));
    const QString text = holvex::decodeCsvFileBytes(bytes);

    const holvex::CsvTextLines lines = holvex::splitCsvLines(text, data[2] % 8);
    for (const QString& line : lines.lines) {
        const holvex::CsvLineFields fields = holvex::parseCsvLine(line, separator, fieldLimit);
        if (fields.fields.size() > fieldLimit) {
            __builtin_trap();
        }
        for (const QString& field : fields.fields) {
            if (field.size() > holvex::kCsvFieldLength) {
                __builtin_trap();
            }
        }
    }

    holvex::StringGridModel grid(1 + data[1] % 13, maxRows);
    holvex::StringGridModel mirror(1 + data[0] % 5, 2 + data[1] % 7);
    grid.setMarked(1, true);
    holvex::GridCsvLoadOptions options;
    options.fieldLimit = fieldLimit;
    options.separator = separator;
    options.mirror = (data[0] & 0x80) != 0 ? &mirror : nullptr;
    const holvex::CsvLoadResult result = holvex::loadGridCsvText(text, grid, options);
    if (grid.gridRowCount() < 2 || grid.gridRowCount() > maxRows || result.linesImported > maxRows - 1) {
        __builtin_trap();
    }
    // With ";" no cell can hold the separator, so whatever was loaded saves and loads back to the same cells.
    if (separator == QStringLiteral(";")) {
        const QByteArray saved = holvex::gridCsvBytes(grid, separator, false);
        holvex::StringGridModel again(grid.gridColumnCount(), maxRows);
        holvex::GridCsvLoadOptions reload;
        reload.fieldLimit = holvex::kMeterTableFieldLimit;
        reload.separator = separator;
        holvex::loadGridCsvText(holvex::decodeCsvFileBytes(saved), again, reload);
        if (again.gridRowCount() != grid.gridRowCount()) {
            __builtin_trap();
        }
        for (int r = 0; r < grid.gridRowCount(); ++r) {
            if (r > 0 && again.row(r) != grid.row(r)) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
