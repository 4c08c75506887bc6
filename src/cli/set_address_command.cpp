#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "meters/ops/direct_selection.h"
#include "meters/ops/meter_configuration.h"
#include "meters/table/grid_csv.h"
#include "meters/table/meter_table.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace holvex::cli {

namespace {

constexpr int kHighestNewAddress = 249;
constexpr int kIdDigits = 8;
// Selection, address write, read-back and SND_NKE, each waiting up to its reload periods, and some slack.
constexpr int kExchangePeriods = 4;
constexpr int kSlackMs = 2000;

const QString kName = QStringLiteral("set-address");

struct SetAddressArguments {
    BusArguments bus;
    QString id;
    int newAddress = 0;
};

bool isId(const QString& text) {
    return text.size() == kIdDigits && std::all_of(text.begin(), text.end(), [](QChar ch) {
               return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
           });
}

// "--name VALUE" or "--name=VALUE" at `index` (advanced past the value); nothing when it is another option.
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

// --id and --to here, the options common to the bus commands by the shared parser.
std::optional<SetAddressArguments> parse(const QStringList& arguments, QString* error) {
    SetAddressArguments parsed;
    std::optional<QString> id;
    std::optional<QString> to;
    QStringList common;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--address") || argument.startsWith(QLatin1String("--address="))) {
            *error = QStringLiteral("unknown argument \"%1\"").arg(argument);
            return std::nullopt;
        }
        if (std::optional<QString> value = optionValue(arguments, i, QStringLiteral("--id"), error)) {
            id = *value;
        } else if (std::optional<QString> target = optionValue(arguments, i, QStringLiteral("--to"), error)) {
            to = *target;
        } else {
            common.append(argument);
        }
        if (!error->isEmpty()) {
            return std::nullopt;
        }
    }
    if (!id || !to) {
        *error = QStringLiteral("--id and --to are required");
        return std::nullopt;
    }
    if (!isId(*id)) {
        *error = QStringLiteral("--id takes an ID of 8 decimal digits, not \"%1\"").arg(*id);
        return std::nullopt;
    }
    bool ok = false;
    const int newAddress = to->toInt(&ok, 10);
    if (!ok || newAddress < 0 || newAddress > kHighestNewAddress) {
        *error =
            QStringLiteral("--to takes a number from 0 to %1, not \"%2\"").arg(kHighestNewAddress).arg(*to);
        return std::nullopt;
    }
    // The shared parser checks the read command's --address; the target here is the ID instead.
    common.append(QStringLiteral("--address=0"));
    const std::optional<BusArguments> bus = parseBusArguments(BusCommand::Read, common, error);
    if (!bus) {
        return std::nullopt;
    }
    parsed.bus = *bus;
    parsed.id = *id;
    parsed.newAddress = newAddress;
    return parsed;
}

} // namespace

int runSetAddressCommand(const QStringList& arguments) {
    QString error;
    const std::optional<SetAddressArguments> parsed = parse(arguments, &error);
    if (!parsed) {
        return fail(kName, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(parsed->bus));
    MeterConfiguration& configuration = bus.operations().configuration();
    DirectSelection& selection = bus.operations().directSelection();

    // The meter's row, marked and selected as a click leaves it: the read-back fills it by ID.
    StringGridModel& table = bus.table();
    table.setCell(1, 0, parsed->id);
    table.setMarked(1, true);
    selectCell(table, 1, bus.state());
    const int newAddress = parsed->newAddress;
    configuration.setInputs([newAddress] {
        ConfigurationInputs inputs;
        inputs.newPrimaryAddress = newAddress;
        return inputs;
    });

    QObject::connect(&selection, &DirectSelection::exchangeEnded, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    QTimer limit;
    limit.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&limit, &QTimer::timeout, QCoreApplication::instance(), [&timedOut] {
        timedOut = true;
        QCoreApplication::quit();
    });
    const Settings& settings = bus.settings();
    const int limitMs = kExchangePeriods * (1 + std::max(0, settings.TReload)) * settings.Timeout + kSlackMs;

    bool opened = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        bus.prepareChannel();
        if (!configuration.setPrimaryAddress()) {
            opened = false;
            QCoreApplication::quit();
            return;
        }
        limit.start(limitMs);
    });
    QCoreApplication::exec();

    if (!opened) {
        return fail(kName, QStringLiteral("the channel could not be opened"), kChannelFailed);
    }
    printTable(bus, parsed->bus.json);
    if (timedOut) {
        return fail(kName, QStringLiteral("the exchange did not end within %1 ms").arg(limitMs),
                    kChannelFailed);
    }
    if (!selection.lastReadDecoded()) {
        return fail(kName, QStringLiteral("the meter %1 did not answer").arg(parsed->id), kChannelFailed);
    }
    return 0;
}

} // namespace holvex::cli
