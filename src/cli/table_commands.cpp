#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"

#include "bus/timer_set.h"
#include "meters/ops/auto_addressing.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/read_all_cycle.h"
#include "meters/table/grid_csv.h"
#include "meters/table/meter_table.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace holvex::cli {

namespace {

constexpr int kLowestAutoAddress = 1;
constexpr int kHighestAutoAddress = 249;

// --table FILE and --out FILE (and --from N for automatic addressing) here, the shared options by the shared
// parser.
struct TableArguments {
    BusArguments bus;
    QString table;
    QString out;
    std::optional<int> from;
};

std::optional<QString> optionValue(const QStringList& arguments, qsizetype& index, const QString& name,
                                   QString* error) {
    const QString& argument = arguments.at(index);
    if (argument.startsWith(name + QLatin1Char('='))) {
        return argument.mid(name.size() + 1);
    }
    if (argument != name) {
        return std::nullopt;
    }
    if (index + 1 >= arguments.size()) {
        *error = name + QStringLiteral(" needs a value");
        return QString();
    }
    ++index;
    return arguments.at(index);
}

std::optional<TableArguments> parse(const QStringList& arguments, bool withStart, QString* error) {
    TableArguments parsed;
    std::optional<QString> from;
    QStringList common;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        std::optional<QString> value;
        if ((value = optionValue(arguments, i, QStringLiteral("--table"), error))) {
            parsed.table = *value;
        } else if ((value = optionValue(arguments, i, QStringLiteral("--out"), error))) {
            parsed.out = *value;
        } else if (withStart && (value = optionValue(arguments, i, QStringLiteral("--from"), error))) {
            from = value;
        } else {
            common.append(arguments.at(i));
        }
        if (!error->isEmpty()) {
            return std::nullopt;
        }
    }
    if (parsed.table.isEmpty()) {
        *error = QStringLiteral("--table FILE.csv is required");
        return std::nullopt;
    }
    if (withStart) {
        bool ok = false;
        const int start = from ? from->toInt(&ok, 10) : 0;
        if (!ok || start < kLowestAutoAddress || start > kHighestAutoAddress) {
            *error = QStringLiteral("--from takes the first new address, %1 to %2")
                         .arg(kLowestAutoAddress)
                         .arg(kHighestAutoAddress);
            return std::nullopt;
        }
        parsed.from = start;
    }
    const std::optional<BusArguments> bus = parseBusArguments(BusCommand::Common, common, error);
    if (!bus) {
        return std::nullopt;
    }
    parsed.bus = *bus;
    return parsed;
}

// Loads the table file as "Load" does (the export separator of the settings, the table's field limit).
// An error text when the file could not be read or did not fit.
QString loadTable(CliBus& bus, const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return QStringLiteral("cannot read \"%1\"").arg(path);
    }
    clearMeterTable(bus.table());
    GridCsvLoadOptions options;
    options.fieldLimit = kMeterTableFieldLimit;
    options.separator = bus.settings().ExportSeparator;
    const CsvLoadResult result = loadGridCsv(path, bus.table(), options);
    if (result.outcome != CsvLoadResult::Outcome::Loaded) {
        return QStringLiteral("\"%1\": %2").arg(path, result.message.simplified());
    }
    return {};
}

// The table on standard output and, with --out, into that file as "Save / Export" writes it.
int finishTable(const QString& name, CliBus& bus, const TableArguments& arguments) {
    printTable(bus, arguments.bus.json);
    if (arguments.out.isEmpty()) {
        return 0;
    }
    const Settings& settings = bus.settings();
    const CsvSaveResult saved =
        saveMeterTableCsv(bus.table(), arguments.out, settings.ExportSeparator, settings.DecSeparator);
    if (!saved.ok) {
        return fail(name, QStringLiteral("\"%1\": %2").arg(arguments.out, saved.message.simplified()),
                    kBadArguments);
    }
    return 0;
}

} // namespace

int runReadAllCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("read-all");
    QString error;
    const std::optional<TableArguments> parsed = parse(arguments, false, &error);
    if (!parsed) {
        return fail(name, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(parsed->bus));
    error = loadTable(bus, parsed->table);
    if (!error.isEmpty()) {
        return fail(name, error, kBadArguments);
    }
    if (bus.table().gridRowCount() <= 2 && bus.table().cell(1, 1).isEmpty()) {
        return fail(name, QStringLiteral("the table holds no meter address"), kBadArguments);
    }
    ReadAllCycle& readAll = bus.operations().readAll();
    QObject::connect(&readAll, &ReadAllCycle::readAllFinished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    const int status = runOperation(bus, [&] { return bus.bus().start([&] { return readAll.start(); }); });
    if (status != 0) {
        return fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    return finishTable(name, bus, *parsed);
}

int runAutoAddressCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("auto-address");
    QString error;
    const std::optional<TableArguments> parsed = parse(arguments, true, &error);
    if (!parsed) {
        return fail(name, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(parsed->bus));
    StringGridModel& table = bus.table();
    error = loadTable(bus, parsed->table);
    if (!error.isEmpty()) {
        return fail(name, error, kBadArguments);
    }
    // The run leaves the table's last row alone: after a scan that is the empty row kept for the next meter.
    // A file ends with its last meter, which must be addressed too.
    const QStringList last = table.row(table.gridRowCount() - 1);
    if (!std::all_of(last.begin(), last.end(), [](const QString& cell) { return cell.isEmpty(); })) {
        table.appendRow();
    }
    if (table.gridRowCount() <= 2) {
        return fail(name, QStringLiteral("the table holds no meter"), kBadArguments);
    }
    // The set-primary-address command wants exactly one marked row; the run selects each row itself.
    table.clearMarks();
    table.setMarked(1, true);

    AutoAddressing& addressing = bus.operations().autoAddressing();
    MeterConfiguration& configuration = bus.operations().configuration();
    // The operator's "Yes" to the confirmation; each new address goes where the spin box would hold it.
    addressing.setConfirm([] { return true; });
    int newAddress = *parsed->from;
    QObject::connect(&addressing, &AutoAddressing::newAddressChosen, QCoreApplication::instance(),
                     [&newAddress](int address) { newAddress = address; });
    configuration.setInputs([&newAddress] {
        ConfigurationInputs inputs;
        inputs.newPrimaryAddress = newAddress;
        return inputs;
    });
    QObject::connect(&addressing, &AutoAddressing::runFinished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    TimerSet& timers = bus.bus().timers();
    const int status = runOperation(bus, [&] {
        return bus.bus().start([&] {
            addressing.press(*parsed->from);
            // A row that could not be reached leaves neither its selection nor the pause running: the channel
            // did not open, and the run is stopped rather than left waiting.
            if (addressing.running() && !timers.timer(TimerId::Secondary)->isActive() &&
                !timers.timer(TimerId::AutoAddress)->isActive()) {
                addressing.press(*parsed->from);
                return false;
            }
            return true;
        });
    });
    if (status != 0) {
        return fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    return finishTable(name, bus, *parsed);
}

} // namespace holvex::cli
