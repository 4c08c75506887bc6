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

int Fail(const QString& command, const QString& message, int status) {
    QTextStream(stderr) << "holvex-cli " << command << ": " << message << '\n';
    return status;
}

void WriteOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

Settings LoadBusSettings(const BusArguments& arguments) {
    if (arguments.home.isEmpty()) {
        ProgramHome::Resolve({});
    } else {
        ProgramHome::Set(arguments.home);
    }
    Settings settings = LoadSettingsFile(ProgramHome::SettingsFilePath());
    ApplyOverrides(arguments, settings);
    return settings;
}

namespace {

bool RowIsEmpty(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const QString& cell) { return cell.isEmpty(); });
}

} // namespace

QByteArray TableCsv(const StringGridModel& table, const Settings& settings) {
    QByteArray out;
    for (int r = 1; r < table.RowCount(); ++r) {
        QStringList cells = table.Row(r);
        if (RowIsEmpty(cells)) {
            continue;
        }
        cells[kMeterValueColumn] = LocalisedValueText(cells[kMeterValueColumn], settings.DecSeparator);
        out += GridCsvLine(cells, settings.ExportSeparator).toUtf8();
        out += "\r\n";
    }
    return out;
}

QByteArray TableJson(const StringGridModel& table) {
    static constexpr const char* kFixedNames[kMeterFixedColumns] = {
        "id",   "address", "manufacturer", "value", "unit",  "medium",
        "time", "date",    "status",       "pulse", "model", "battery"};
    QByteArray out("{\"rows\":[");
    bool first = true;
    for (int r = 1; r < table.RowCount(); ++r) {
        const QStringList cells = table.Row(r);
        if (RowIsEmpty(cells)) {
            continue;
        }
        if (!first) {
            out.append(',');
        }
        first = false;
        out.append('{');
        for (int c = 0; c < kMeterFixedColumns; ++c) {
            AppendJsonField(out, kFixedNames[c], table.Cell(r, c));
        }
        out.append("\"extra\":[");
        for (int c = kMeterFixedColumns; c < table.ColumnCount(); ++c) {
            if (c > kMeterFixedColumns) {
                out.append(',');
            }
            AppendJsonString(out, table.Cell(r, c));
        }
        out.append("]}");
    }
    out.append("]}\n");
    return out;
}

void PrintTable(CliBus& bus, bool json) {
    WriteOut(json ? TableJson(bus.table()) : TableCsv(bus.table(), bus.settings()));
}

int RunOperation(CliBus& bus, const std::function<bool()>& start) {
    int status = 0;
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        bus.PrepareChannel();
        if (!start()) {
            status = kChannelFailed;
            QCoreApplication::quit();
        }
    });
    QCoreApplication::exec();
    return status;
}

} // namespace holvex::cli
