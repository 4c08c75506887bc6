#include "cli/bus_output.h"

#include "cli/bus_arguments.h"
#include "cli/cli_bus.h"
#include "cli/json_text.h"
#include "meters/table/grid_csv.h"
#include "meters/table/meter_table.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace holvex::cli {

int fail(const QString& command, const QString& message, int status) {
    QTextStream(stderr) << "holvex-cli " << command << ": " << message << '\n';
    return status;
}

void writeOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

Settings loadBusSettings(const BusArguments& arguments) {
    if (arguments.home.isEmpty()) {
        ProgramHome::resolve({});
    } else {
        ProgramHome::set(arguments.home);
    }
    Settings settings = loadSettingsFile(ProgramHome::settingsFilePath());
    applyOverrides(arguments, settings);
    return settings;
}

namespace {

bool rowIsEmpty(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const QString& cell) { return cell.isEmpty(); });
}

} // namespace

QByteArray tableCsv(const StringGridModel& table, const Settings& settings) {
    QByteArray out;
    for (int r = 1; r < table.gridRowCount(); ++r) {
        QStringList cells = table.row(r);
        if (rowIsEmpty(cells)) {
            continue;
        }
        cells[kMeterValueColumn] = localisedValueText(cells[kMeterValueColumn], settings.DecSeparator);
        out += gridCsvLine(cells, settings.ExportSeparator).toUtf8();
        out += "\r\n";
    }
    return out;
}

QByteArray tableJson(const StringGridModel& table) {
    static constexpr const char* kFixedNames[kMeterFixedColumns] = {
        "id",   "address", "manufacturer", "value", "unit",  "medium",
        "time", "date",    "status",       "pulse", "model", "battery"};
    QByteArray out("{\"rows\":[");
    bool first = true;
    for (int r = 1; r < table.gridRowCount(); ++r) {
        const QStringList cells = table.row(r);
        if (rowIsEmpty(cells)) {
            continue;
        }
        if (!first) {
            out.append(',');
        }
        first = false;
        out.append('{');
        for (int c = 0; c < kMeterFixedColumns; ++c) {
            appendJsonField(out, kFixedNames[c], table.cell(r, c));
        }
        out.append("\"extra\":[");
        for (int c = kMeterFixedColumns; c < table.gridColumnCount(); ++c) {
            if (c > kMeterFixedColumns) {
                out.append(',');
            }
            appendJsonString(out, table.cell(r, c));
        }
        out.append("]}");
    }
    out.append("]}\n");
    return out;
}

void printTable(CliBus& bus, bool json) {
    writeOut(json ? tableJson(bus.table()) : tableCsv(bus.table(), bus.settings()));
}

int runOperation(CliBus& bus, const std::function<bool()>& start) {
    int status = 0;
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        bus.prepareChannel();
        if (!start()) {
            status = kChannelFailed;
            QCoreApplication::quit();
        }
    });
    QCoreApplication::exec();
    return status;
}

} // namespace holvex::cli
