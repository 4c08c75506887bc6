// holvex-cli display read | values | history | read-meters | info: reading the display unit back with the
// program's own read-out, on the channel of the settings file.
#include "cli/display_read_command.h"

#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/json_text.h"
#include "cli/option_words.h"

#include "devices/display/display_import.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_readout.h"
#include "devices/display/display_table.h"
#include "devices/display/display_tables.h"
#include "meters/ops/free_command_console.h"
#include "meters/table/grid_csv.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <optional>

namespace holvex::cli {

namespace {

using display::DisplayInfo;
using display::DisplayReadout;
using display::DisplaySendOutcome;

const QString kName = QStringLiteral("display");

const char kUsage[] =
    "usage: holvex-cli display read [--out FILE.csv] [OPTIONS]\n"
    "       holvex-cli display values --main|--tariffs --table FILE.csv [--out FILE.csv] [OPTIONS]\n"
    "       holvex-cli display history --table FILE.csv --month ALL|Jan|...|Dec [--out FILE.csv] [OPTIONS]\n"
    "       holvex-cli display read-meters [OPTIONS]\n"
    "       holvex-cli display info main|service|addresses|entry1|entry2|entry3 [--address N] [OPTIONS]\n"
    "  read         \"Read data \": the unit's active entries into the display table, written as its\n"
    "               \"Export\" writes it\n"
    "  values       \"Read values\": the main values or the four tariffs of every entry of a display table\n"
    "               file (as \"Export\" writes it) read again; the table is written back\n"
    "  history      \"Get historical values\" for the entries of a display table file: every month, or one;\n"
    "               the readings table is written with its heading, as its \"Export\" writes it\n"
    "  read-meters  asks the unit to refresh its readings (serial port only)\n"
    "  info         one \"   General info   \" request; entry1..entry3 need --address\n"
    "Without --out the table goes to standard output. The event log goes to standard error.\n"
    "Exit status: 0 ran, 1 the channel could not be opened or nothing went out, 2 bad arguments.\n"
    "OPTIONS: [--home DIR] [--port NAME | --lan HOST:PORT] [--timeout MS] [--retry N] [--whole-timeout] "
    "[--json]\n";

const QStringList kMonthNames{QStringLiteral("ALL"), QStringLiteral("Jan"), QStringLiteral("Feb"),
                              QStringLiteral("Mar"), QStringLiteral("Apr"), QStringLiteral("May"),
                              QStringLiteral("Jun"), QStringLiteral("Jul"), QStringLiteral("Aug"),
                              QStringLiteral("Sep"), QStringLiteral("Oct"), QStringLiteral("Nov"),
                              QStringLiteral("Dec")};

struct ReadArguments {
    QString action;
    QString choice; // info: what to ask
    QString table;
    QString out;
    QString month;
    QString address;
    bool main = false;
    bool tariffs = false;
    QStringList common;
};

std::optional<ReadArguments> splitArguments(QStringList arguments, QString* error) {
    ReadArguments parsed;
    parsed.action = arguments.takeFirst();
    if (parsed.action == QLatin1String("info")) {
        if (arguments.isEmpty() || arguments.first().startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("info needs main, service, addresses, entry1, entry2 or entry3");
            return std::nullopt;
        }
        parsed.choice = arguments.takeFirst();
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        bool ok = true;
        if (isOption(argument, QStringLiteral("--table"))) {
            ok = takeValue(arguments, i, QStringLiteral("--table"), parsed.table, error);
        } else if (isOption(argument, QStringLiteral("--out"))) {
            ok = takeValue(arguments, i, QStringLiteral("--out"), parsed.out, error);
        } else if (isOption(argument, QStringLiteral("--month"))) {
            ok = takeValue(arguments, i, QStringLiteral("--month"), parsed.month, error);
        } else if (isOption(argument, QStringLiteral("--address"))) {
            ok = takeValue(arguments, i, QStringLiteral("--address"), parsed.address, error);
        } else if (argument == QLatin1String("--main")) {
            parsed.main = true;
        } else if (argument == QLatin1String("--tariffs")) {
            parsed.tariffs = true;
        } else {
            parsed.common.append(argument);
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    const bool needsTable =
        parsed.action == QLatin1String("values") || parsed.action == QLatin1String("history");
    if (needsTable && parsed.table.isEmpty()) {
        *error = parsed.action + QStringLiteral(" needs --table");
        return std::nullopt;
    }
    if (parsed.action == QLatin1String("values") && parsed.main == parsed.tariffs) {
        *error = QStringLiteral("values needs one of --main and --tariffs");
        return std::nullopt;
    }
    if (parsed.action == QLatin1String("history") && !kMonthNames.contains(parsed.month)) {
        *error = QStringLiteral("history needs --month ALL, Jan, ... or Dec");
        return std::nullopt;
    }
    return parsed;
}

std::optional<DisplayInfo> infoChoice(const QString& name) {
    static const QStringList kChoices{QStringLiteral("main"),      QStringLiteral("service"),
                                      QStringLiteral("addresses"), QStringLiteral("entry1"),
                                      QStringLiteral("entry2"),    QStringLiteral("entry3")};
    const qsizetype index = kChoices.indexOf(name);
    if (index < 0) {
        return std::nullopt;
    }
    return static_cast<DisplayInfo>(index);
}

// Writes the table to the file, or to standard output without one.
int writeTable(const StringGridModel& table, const QString& out, const QString& separator, bool heading) {
    if (out.isEmpty()) {
        writeOut(gridCsvBytes(table, separator, heading));
        return 0;
    }
    const CsvSaveResult saved =
        heading ? saveGridCsvWithHeading(table, out, separator) : saveGridCsv(table, out, separator);
    if (!saved.ok) {
        return fail(kName, out + QStringLiteral(": ") + saved.message, kBadArguments);
    }
    return 0;
}

// Runs one read to its end with the bus held, as the window's button does.
int runRead(CliBus& bus, const std::function<bool()>& read) {
    return runOperation(bus, [&] {
        const bool ran = bus.bus().start(read);
        if (ran) {
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return ran;
    });
}

int runTableRead(const ReadArguments& arguments, const BusArguments& common) {
    CliBus bus(loadBusSettings(common));
    display::DisplayTables& tables = bus.bus().display().tables();
    const QString separator = bus.settings().ExportSeparator;
    if (!arguments.table.isEmpty()) {
        const CsvLoadResult loaded = display::importDisplayTable(
            arguments.table, tables.display(), tables.readings(), separator, bus.state().LanguageCode == 2);
        if (loaded.outcome != CsvLoadResult::Outcome::Loaded) {
            QString message = loaded.message;
            message.replace(QLatin1Char('\n'), QLatin1Char(' '));
            return fail(kName, arguments.table + QStringLiteral(": ") + message, kBadArguments);
        }
    }
    DisplayReadout& readout = bus.bus().display().readout();
    std::function<bool()> read;
    bool readings = false;
    if (arguments.action == QLatin1String("read")) {
        read = [&readout] {
            return readout.readData();
        };
    } else if (arguments.action == QLatin1String("values")) {
        const display::DisplayValues values =
            arguments.main ? display::DisplayValues::Main : display::DisplayValues::Tariffs;
        read = [&readout, values] {
            return readout.readValues(values);
        };
    } else {
        const int month = static_cast<int>(kMonthNames.indexOf(arguments.month));
        read = [&readout, month] {
            return readout.readHistory(month);
        };
        readings = true;
    }
    if (runRead(bus, read) != 0) {
        return fail(kName, QStringLiteral("the channel could not be opened"), kChannelFailed);
    }
    return writeTable(readings ? tables.readings() : tables.display(), arguments.out, separator, readings);
}

// "Read meters" and "Get info": one line whose answer Timer_free_command shows.
int runRequest(const ReadArguments& arguments, const BusArguments& common) {
    std::optional<DisplayInfo> info;
    int address = 0;
    if (arguments.action == QLatin1String("info")) {
        info = infoChoice(arguments.choice);
        if (!info) {
            return fail(kName,
                        QStringLiteral("info takes main, service, addresses, entry1, entry2 or entry3"),
                        kBadArguments);
        }
        bool ok = true;
        address = arguments.address.isEmpty() ? 0 : arguments.address.toInt(&ok);
        if (!ok || DisplayReadout::infoLine(*info, address).isEmpty()) {
            return fail(kName, QStringLiteral("Not valid address selected..."), kBadArguments);
        }
    }
    CliBus bus(loadBusSettings(common));
    const QList<QByteArray>& answers = bus.collectDeviceAnswers();
    DisplayReadout& readout = bus.bus().display().readout();
    const int status = runOperation(bus, [&] {
        return bus.bus().start([&] {
            const DisplaySendOutcome outcome =
                info ? readout.requestInfo(*info, address) : readout.readMeters();
            return outcome == DisplaySendOutcome::Sent;
        });
    });
    if (status != 0) {
        return fail(kName, QStringLiteral("nothing was sent: the channel could not be opened"), status);
    }
    if (common.json) {
        QByteArray out("{\"answers\":[");
        for (int i = 0; i < answers.size(); ++i) {
            if (i > 0) {
                out.append(',');
            }
            appendJsonString(out, QString::fromLatin1(answers[i]));
        }
        out.append("]}\n");
        writeOut(out);
        return 0;
    }
    for (QByteArray answer : answers) {
        writeOut(answer.replace("\r\n", "\n") + '\n');
    }
    return 0;
}

} // namespace

bool isDisplayReadAction(const QString& action) {
    return action == QLatin1String("read") || action == QLatin1String("values") ||
           action == QLatin1String("history") || action == QLatin1String("read-meters") ||
           action == QLatin1String("info");
}

int runDisplayReadCommand(const QStringList& arguments) {
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        writeOut(QByteArray(kUsage));
        return 0;
    }
    QString error;
    const std::optional<ReadArguments> split = splitArguments(arguments, &error);
    if (!split) {
        return fail(kName, error, kBadArguments);
    }
    const std::optional<BusArguments> common = parseBusArguments(BusCommand::Common, split->common, &error);
    if (!common) {
        return fail(kName, error, kBadArguments);
    }
    if (split->action == QLatin1String("read-meters") || split->action == QLatin1String("info")) {
        return runRequest(*split, *common);
    }
    return runTableRead(*split, *common);
}

} // namespace holvex::cli
