// holvex-cli display: the display unit's table write and one-shot commands, run by the program's own
// operations on the channel of the settings file.
#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/display_read_command.h"
#include "cli/json_text.h"
#include "cli/option_words.h"

#include "bus/timer_set.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_command_sender.h"
#include "devices/display/display_commands.h"
#include "devices/display/display_import.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_table.h"
#include "links/channel.h"
#include "meters/ops/free_command_console.h"
#include "meters/table/grid_csv.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QDate>
#include <QSet>
#include <QTextStream>
#include <QTime>
#include <QTimer>

#include <optional>

namespace holvex::cli {

namespace {

using display::DisplayOption;
using display::DisplaySendOutcome;

const QString kName = QStringLiteral("display");

const char kUsage[] =
    "usage: holvex-cli display write --table FILE.csv --options LIST [--rows LIST] [OPTIONS]\n"
    "       holvex-cli display date | time | lock | sort-table [OPTIONS]\n"
    "       holvex-cli display refresh N [OPTIONS]\n"
    "       holvex-cli display sort address|user-number [OPTIONS]\n"
    "       holvex-cli display read|values|history|read-meters|info ...   (holvex-cli display read --help)\n"
    "  write       programs the display unit's entry table from a display table file (as \"Export\" writes\n"
    "              it), one property of the selected rows after the other\n"
    "  --options   activate,units,multiplier,divider,initial,user-number,text,text2,delete,zero-initials\n"
    "              (delete goes alone or with zero-initials)\n"
    "  --rows      the data rows to write, from 1, e.g. 1,3-5 (default: every row)\n"
    "  date, time  sets the unit's clock to the computer's\n"
    "  lock        locks the unit (not through the LAN adapter)\n"
    "  sort-table  builds the unit's sort table (serial port or LAN adapter only)\n"
    "  refresh N   the display's refresh time, 4 to 12 seconds\n"
    "  sort        sorts the unit's entries by address or by user number\n"
    "The event log goes to standard error, the unit's answers to standard output (--json: one object).\n"
    "Exit status: 0 ran, 1 the channel could not be opened or nothing went out, 2 bad arguments or a\n"
    "refused value.\n"
    "OPTIONS: [--home DIR] [--port NAME | --lan HOST:PORT] [--timeout MS] [--retry N] [--whole-timeout] "
    "[--json]\n";

void printUsage() {
    writeOut(QByteArray(kUsage));
}

std::optional<DisplayOption> optionNamed(const QString& name) {
    static const QMap<QString, DisplayOption> kNames{
        {QStringLiteral("activate"), DisplayOption::Activate},
        {QStringLiteral("units"), DisplayOption::Units},
        {QStringLiteral("multiplier"), DisplayOption::Multiplier},
        {QStringLiteral("divider"), DisplayOption::Divider},
        {QStringLiteral("initial"), DisplayOption::InitialValue},
        {QStringLiteral("user-number"), DisplayOption::UserNumber},
        {QStringLiteral("text"), DisplayOption::FreeText},
        {QStringLiteral("text2"), DisplayOption::FreeText2},
        {QStringLiteral("delete"), DisplayOption::Delete},
        {QStringLiteral("zero-initials"), DisplayOption::ZeroInitials},
    };
    const auto found = kNames.constFind(name);
    if (found == kNames.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

// The boxes a list names. "delete" clears the eight boxes before it, so it may only go with "zero-initials".
std::optional<display::DisplayOptions> parseOptions(const QString& list, QString* error) {
    display::DisplayOptions options;
    for (const QString& name : list.split(QLatin1Char(','))) {
        const std::optional<DisplayOption> option = optionNamed(name.trimmed());
        if (!option) {
            *error = QStringLiteral("--options: no property \"%1\"").arg(name.trimmed());
            return std::nullopt;
        }
        options.setFlag(*option, true);
    }
    if (options.isTicked(DisplayOption::Delete) &&
        options.tickedCount() > 1 + (options.isTicked(DisplayOption::ZeroInitials) ? 1 : 0)) {
        *error = QStringLiteral("--options: delete goes alone or with zero-initials");
        return std::nullopt;
    }
    return options;
}

struct DisplayArguments {
    QString action;
    QString value; // refresh N, sort KEY
    QString table;
    QString options;
    std::optional<QString> rows;
    QStringList common;
};

std::optional<DisplayArguments> splitArguments(QStringList arguments, QString* error) {
    DisplayArguments parsed;
    parsed.action = arguments.takeFirst();
    static const QStringList kActions{QStringLiteral("write"),      QStringLiteral("date"),
                                      QStringLiteral("time"),       QStringLiteral("lock"),
                                      QStringLiteral("sort-table"), QStringLiteral("refresh"),
                                      QStringLiteral("sort")};
    if (!kActions.contains(parsed.action)) {
        *error = QStringLiteral("unknown action \"%1\"").arg(parsed.action);
        return std::nullopt;
    }
    const bool takesValue =
        parsed.action == QLatin1String("refresh") || parsed.action == QLatin1String("sort");
    if (takesValue) {
        if (arguments.isEmpty() || arguments.first().startsWith(QLatin1String("--"))) {
            *error = parsed.action + QStringLiteral(" needs a value");
            return std::nullopt;
        }
        parsed.value = arguments.takeFirst();
    }
    const bool write = parsed.action == QLatin1String("write");
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        bool ok = true;
        if (write && isOption(argument, QStringLiteral("--table"))) {
            ok = takeValue(arguments, i, QStringLiteral("--table"), parsed.table, error);
        } else if (write && isOption(argument, QStringLiteral("--options"))) {
            ok = takeValue(arguments, i, QStringLiteral("--options"), parsed.options, error);
        } else if (write && isOption(argument, QStringLiteral("--rows"))) {
            QString rows;
            ok = takeValue(arguments, i, QStringLiteral("--rows"), rows, error);
            parsed.rows = rows;
        } else {
            parsed.common.append(argument);
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (write && (parsed.table.isEmpty() || parsed.options.isEmpty())) {
        *error = QStringLiteral("write needs --table and --options");
        return std::nullopt;
    }
    return parsed;
}

QByteArray answerText(const QByteArray& answer) {
    QByteArray text = answer;
    text.replace("\r\n", "\n");
    return text;
}

void printAnswers(const QList<QByteArray>& answers, bool json) {
    if (json) {
        QByteArray out("{\"answers\":[");
        for (int i = 0; i < answers.size(); ++i) {
            if (i > 0) {
                out.append(',');
            }
            appendJsonString(out, QString::fromLatin1(answers[i]));
        }
        out.append("]}\n");
        writeOut(out);
        return;
    }
    for (const QByteArray& answer : answers) {
        writeOut(answerText(answer) + '\n');
    }
}

int runWrite(const DisplayArguments& arguments, const BusArguments& common) {
    QString error;
    const std::optional<display::DisplayOptions> options = parseOptions(arguments.options, &error);
    if (!options) {
        return fail(kName, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(common));
    display::DisplayOperations& displayOps = bus.bus().display();
    StringGridModel& table = displayOps.tables().display();
    const CsvLoadResult loaded =
        display::importDisplayTable(arguments.table, table, displayOps.tables().readings(),
                                    bus.settings().ExportSeparator, bus.state().LanguageCode == 2);
    if (loaded.outcome != CsvLoadResult::Outcome::Loaded) {
        QString message = loaded.message;
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return fail(kName, arguments.table + QStringLiteral(": ") + message, kBadArguments);
    }
    if (display::isDisplayTableEmpty(table)) {
        return fail(kName, arguments.table + QStringLiteral(": the table holds no meter"), kBadArguments);
    }
    QSet<int> rows;
    if (arguments.rows) {
        const std::optional<QSet<int>> chosen = parseRows(*arguments.rows, table.dataRowCount(), &error);
        if (!chosen) {
            return fail(kName, error, kBadArguments);
        }
        rows = *chosen;
    }
    for (int row = 1; row < table.gridRowCount(); ++row) {
        table.setMarked(row, !arguments.rows || rows.contains(row));
    }

    display::DisplayTableWriter& writer = displayOps.writer();
    writer.setOptions(*options);
    QList<QByteArray> answers;
    QObject::connect(&writer, &display::DisplayTableWriter::answerReceived,
                     [&answers](const QByteArray& answer) { answers.append(answer); });
    QObject::connect(&writer, &display::DisplayTableWriter::writeFinished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    const int status =
        runOperation(bus, [&] { return bus.bus().start([&writer] { return writer.start(); }); });
    if (status != 0) {
        return fail(kName, QStringLiteral("the channel could not be opened"), status);
    }
    printAnswers(answers, common.json);
    return 0;
}

// The one-shot command of an action, checked before anything touches the bus.
std::optional<display::DisplayCommand> oneShotCommand(const DisplayArguments& arguments, QString* error) {
    if (arguments.action == QLatin1String("date")) {
        return display::displayDateCommand(QDate::currentDate());
    }
    if (arguments.action == QLatin1String("time")) {
        return display::displayTimeCommand(QTime::currentTime());
    }
    if (arguments.action == QLatin1String("refresh")) {
        const display::DisplayCommand command = display::displayRefreshCommand(arguments.value);
        if (!command.refusal.isEmpty()) {
            *error = command.refusal;
            return std::nullopt;
        }
        if (!command.sends()) {
            *error = QStringLiteral("refresh takes %1 to %2 seconds")
                         .arg(display::kRefreshTimeRange.minimum)
                         .arg(display::kRefreshTimeRange.maximum);
            return std::nullopt;
        }
        return command;
    }
    if (arguments.value == QLatin1String("address")) {
        return display::displaySortCommand(true, false);
    }
    if (arguments.value == QLatin1String("user-number")) {
        return display::displaySortCommand(false, true);
    }
    *error = QStringLiteral("sort takes address or user-number, not \"%1\"").arg(arguments.value);
    return std::nullopt;
}

bool isGatewayRoad(links::LinkKind road) {
    return road == links::LinkKind::CallingGateway || road == links::LinkKind::ServerGateway ||
           road == links::LinkKind::WirelessAdapter;
}

int runOneShot(const DisplayArguments& arguments, const BusArguments& common) {
    QString error;
    std::optional<display::DisplayCommand> command;
    const bool lock = arguments.action == QLatin1String("lock");
    const bool sortTable = arguments.action == QLatin1String("sort-table");
    if (!lock && !sortTable) {
        command = oneShotCommand(arguments, &error);
        if (!command) {
            return fail(kName, error, kBadArguments);
        }
    }
    CliBus bus(loadBusSettings(common));
    const links::LinkKind road = bus.bus().channel().kind();
    if (lock && road == links::LinkKind::LanAdapter) {
        return fail(kName, QStringLiteral("lock is not sent through the LAN adapter"), kBadArguments);
    }
    if (sortTable && isGatewayRoad(road)) {
        return fail(kName, QStringLiteral("Sorting is available only through RS-232"), kBadArguments);
    }

    const QList<QByteArray>& answers = bus.collectDeviceAnswers();
    QTimer& answerTimer = bus.freeCommandTimer();

    display::DisplayCommandSender& sender = bus.bus().display().commands();
    const int status = runOperation(bus, [&] {
        DisplaySendOutcome outcome = DisplaySendOutcome::NotSent;
        bus.bus().start([&] {
            outcome = lock ? sender.sendLock() : sortTable ? sender.createSortTable() : sender.send(*command);
            return outcome == DisplaySendOutcome::Sent;
        });
        if (outcome != DisplaySendOutcome::Sent) {
            return false;
        }
        // "Sort" on the serial port awaits no answer.
        if (!answerTimer.isActive()) {
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return true;
    });
    if (status != 0) {
        return fail(kName, QStringLiteral("nothing was sent: the channel could not be opened"), status);
    }
    printAnswers(answers, common.json);
    return 0;
}

} // namespace

int runDisplayCommand(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        QTextStream(stderr) << kUsage;
        return kBadArguments;
    }
    if (isDisplayReadAction(arguments.first())) {
        return runDisplayReadCommand(arguments);
    }
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        printUsage();
        return 0;
    }
    QString error;
    const std::optional<DisplayArguments> split = splitArguments(arguments, &error);
    if (!split) {
        return fail(kName, error, kBadArguments);
    }
    const std::optional<BusArguments> common = parseBusArguments(BusCommand::Common, split->common, &error);
    if (!common) {
        return fail(kName, error, kBadArguments);
    }
    if (split->action == QLatin1String("write")) {
        return runWrite(*split, *common);
    }
    return runOneShot(*split, *common);
}

} // namespace holvex::cli
