#include "cli/bus_arguments.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "meters/direct_selection.h"
#include "meters/grid_csv.h"
#include "meters/meter_table.h"
#include "meters/secondary_search.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

namespace holvex::cli {

namespace {

constexpr int kBadArguments = 2;
constexpr int kChannelFailed = 1;

int Fail(const QString& message, int status) {
    QTextStream(stderr) << "holvex-cli search: " << message << '\n';
    return status;
}

void WriteOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// The options of this command; everything else is left for the options every bus command shares.
struct SearchOptions {
    QString id; // empty: the whole bus
    bool lsb = false;
    QStringList common;
};

bool IsOption(const QString& argument, const char* name) {
    const QLatin1String option(name);
    return argument == option || argument.startsWith(option + QLatin1Char('='));
}

// Eight characters, each a decimal digit or the wildcard F, as the ID field takes them.
bool ValidIdText(const QString& id) {
    return id.size() == SecondarySearch::kIdLength && std::all_of(id.begin(), id.end(), [](QChar ch) {
               return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('F');
           });
}

std::optional<SearchOptions> SplitOptions(const QStringList& arguments, QString* error) {
    SearchOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--lsb")) {
            options.lsb = true;
        } else if (IsOption(argument, "--id")) {
            QString value;
            if (argument.size() > 4) {
                value = argument.mid(5);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                *error = QStringLiteral("--id needs a value");
                return std::nullopt;
            }
            value = value.toUpper();
            if (!ValidIdText(value)) {
                *error = QStringLiteral("--id takes 8 characters, digits or F, not \"%1\"").arg(value);
                return std::nullopt;
            }
            options.id = value;
        } else if (IsOption(argument, "--from") || IsOption(argument, "--to")) {
            // The scan's own options; the shared parser below would take them.
            *error = QStringLiteral("unknown argument \"%1\"").arg(argument);
            return std::nullopt;
        } else {
            options.common.append(argument);
        }
    }
    return options;
}

// The settings the program itself would run with, from the INI file of the program's folder, with the
// command line's overrides on top. The file is only read.
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

// The table always keeps an empty row for the next meter; it is no meter and is not printed.
bool RowIsEmpty(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const QString& cell) { return cell.isEmpty(); });
}

// As "scan" prints the table: the CSV file's data rows (export separator after every field, the file's
// decimal separator in the value column, CR LF), or {"rows":[...]}.
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
        if (RowIsEmpty(table.Row(r))) {
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

// Runs the event loop with the operation started from inside it, as a button press would start it; the
// operation's own ending quits the loop. Returns 0, or kChannelFailed when `start` found no channel.
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

} // namespace

int RunSearchCommand(const QStringList& arguments) {
    QString error;
    const std::optional<SearchOptions> options = SplitOptions(arguments, &error);
    if (!options) {
        return Fail(error, kBadArguments);
    }
    // The shared parser wants a command; the scan's range is filled in and not used.
    const std::optional<BusArguments> parsed = ParseBusArguments(
        BusCommand::Scan, options->common + QStringList{QStringLiteral("--from=0"), QStringLiteral("--to=0")},
        &error);
    if (!parsed) {
        return Fail(error, kBadArguments);
    }
    Settings settings = LoadBusSettings(*parsed);
    if (options->lsb) {
        settings.LsbSearch = true;
        settings.MsbSearch = false;
    }
    CliBus bus(settings);
    MeterOperations& operations = bus.operations();

    // Timer_secondary of the window: the bus search only stops it at its end; the direct read has its own.
    QTimer idleSecondary;
    SecondarySearch search(operations.context(), operations.decoder(), bus.respondTimer(), idleSecondary);
    // A fresh table: the operator's "Yes" to the clear question.
    search.setClearQuestion([](const QString&, const QString&) { return ClearAnswer::Yes; });
    QObject::connect(&search, &SecondarySearch::searchFinished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);

    DirectSelection& selection = operations.directSelection();
    QObject::connect(&selection, &DirectSelection::exchangeEnded, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);

    const QString id = options->id.isEmpty() ? SecondarySearch::AllMetersId() : options->id;
    const int status = RunOperation(bus, [&] {
        if (id == SecondarySearch::AllMetersId()) {
            return search.StartSearch();
        }
        selection.BeginDirectRead(id);
        // The exchange runs on Timer_secondary unless the channel could not be opened.
        return selection.Running();
    });
    if (status != 0) {
        return Fail(QStringLiteral("the channel could not be opened"), status);
    }
    WriteOut(parsed->json ? TableJson(bus.table()) : TableCsv(bus.table(), bus.settings()));
    return 0;
}

} // namespace holvex::cli
