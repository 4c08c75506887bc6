#include "devices/display/display_import.h"

#include "devices/display/display_columns.h"
#include "devices/display/display_table.h"
#include "meters/table/string_grid_model.h"

#include <QFile>

namespace holvex::display {

GridCsvLoadOptions displayImportOptions(StringGridModel& readings, const QString& separator, bool italian) {
    GridCsvLoadOptions options;
    options.fieldLimit = kDisplayTableFieldLimit;
    options.separator = separator;
    options.rowLimit = kDisplayTableMaxRows;
    options.mirror = &readings;
    // The readings table's columns from 12 on are months, not the display table's second free text.
    options.mirrorColumns = kReadingsSharedColumns;
    options.italian = italian;
    return options;
}

CsvLoadResult importDisplayTable(const QString& path, StringGridModel& display, StringGridModel& readings,
                                 const QString& separator, bool italian) {
    // Checked before the tables are cleared, so that a wrong choice does not cost the tables on screen.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCsvFileBytes) {
        CsvLoadResult result;
        result.outcome = CsvLoadResult::Outcome::Unreadable;
        result.title = kCsvLoadErrorTitle;
        result.message = kCsvWrongFileMessage;
        return result;
    }
    file.close();
    clearDisplayTable(display);
    readings.clearDataRows();
    return loadGridCsv(path, display, displayImportOptions(readings, separator, italian));
}

} // namespace holvex::display
