#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "meters/ops/direct_selection.h"
#include "meters/ops/secondary_search.h"
#include "meters/table/grid_csv.h"
#include "meters/table/meter_table.h"
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

const QString kName = QStringLiteral("search");

// The options of this command; everything else is left for the options every bus command shares.
struct SearchOptions {
    QString id; // empty: the whole bus
    bool lsb = false;
    QStringList common;
};

bool isOption(const QString& argument, const char* name) {
    const QLatin1String option(name);
    return argument == option || argument.startsWith(option + QLatin1Char('='));
}

// Eight characters, each a decimal digit or the wildcard F, as the ID field takes them.
bool validIdText(const QString& id) {
    return id.size() == SecondarySearch::kIdLength && std::all_of(id.begin(), id.end(), [](QChar ch) {
               return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) || ch == QLatin1Char('F');
           });
}

std::optional<SearchOptions> splitOptions(const QStringList& arguments, QString* error) {
    SearchOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--lsb")) {
            options.lsb = true;
        } else if (isOption(argument, "--id")) {
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
            if (!validIdText(value)) {
                *error = QStringLiteral("--id takes 8 characters, digits or F, not \"%1\"").arg(value);
                return std::nullopt;
            }
            options.id = value;
        } else if (isOption(argument, "--from") || isOption(argument, "--to")) {
            // The scan's own options; the shared parser below would take them.
            *error = QStringLiteral("unknown argument \"%1\"").arg(argument);
            return std::nullopt;
        } else {
            options.common.append(argument);
        }
    }
    return options;
}

} // namespace

int runSearchCommand(const QStringList& arguments) {
    QString error;
    const std::optional<SearchOptions> options = splitOptions(arguments, &error);
    if (!options) {
        return fail(kName, error, kBadArguments);
    }
    // The shared parser wants a command; the scan's range is filled in and not used.
    const std::optional<BusArguments> parsed = parseBusArguments(
        BusCommand::Scan, options->common + QStringList{QStringLiteral("--from=0"), QStringLiteral("--to=0")},
        &error);
    if (!parsed) {
        return fail(kName, error, kBadArguments);
    }
    Settings settings = loadBusSettings(*parsed);
    if (options->lsb) {
        settings.LsbSearch = true;
        settings.MsbSearch = false;
    }
    CliBus bus(settings);
    MeterOperations& operations = bus.operations();

    SecondarySearch& search = bus.secondarySearch();
    // A fresh table: the operator's "Yes" to the clear question.
    search.setClearQuestion([](const QString&, const QString&) { return ClearAnswer::Yes; });
    QObject::connect(&search, &SecondarySearch::searchFinished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);

    DirectSelection& selection = operations.directSelection();
    QObject::connect(&selection, &DirectSelection::exchangeEnded, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);

    const QString id = options->id.isEmpty() ? SecondarySearch::allMetersId() : options->id;
    const int status = runOperation(bus, [&] {
        if (id == SecondarySearch::allMetersId()) {
            return search.startSearch();
        }
        selection.beginDirectRead(id);
        // The exchange runs on Timer_secondary unless the channel could not be opened.
        return selection.running();
    });
    if (status != 0) {
        return fail(kName, QStringLiteral("the channel could not be opened"), status);
    }
    printTable(bus, parsed->json);
    return 0;
}

} // namespace holvex::cli
