// holvex-cli receiver: the wireless receiver's settings, acquisition, binding, keys and programming, run by
// the program's own operations on the channel of the settings file, and the decoding of a radio telegram.
#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/option_words.h"
#include "cli/record_json.h"

#include "bus/bus.h"
#include "devices/receiver/binding_lines.h"
#include "devices/receiver/key_file.h"
#include "devices/receiver/key_lines.h"
#include "devices/receiver/radio_application.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_table.h"
#include "devices/receiver/settings_lines.h"
#include "meters/ops/free_command_console.h"
#include "meters/table/grid_csv.h"
#include "settings/program_home.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QDate>
#include <QMap>
#include <QSet>
#include <QTextStream>
#include <QTime>
#include <QTimer>

#include <optional>

namespace holvex::cli {

namespace {

using receiver::ReceiverCommand;
using receiver::ReceiverCommands;
using receiver::ReceiverSendOutcome;

const QString kName = QStringLiteral("receiver");

const char kUsage[] =
    "usage: holvex-cli receiver date | time | info serving|wireless [OPTIONS]\n"
    "       holvex-cli receiver interval N | mode T1|T2|S1|S2|R|T1+C|T2+C | role Master|Repeater|Slave\n"
    "                           | work Normal|Install|\"Accept All\" [OPTIONS]\n"
    "       holvex-cli receiver option rssi|timestamp|min-hours|transparent|secondary-id|master-key 0|1\n"
    "       holvex-cli receiver acquire --seconds N [--exclude-identical] [--up-to-v301f] --out FILE.csv\n"
    "       holvex-cli receiver bind|unbind --table FILE.csv --row N [OPTIONS]\n"
    "       holvex-cli receiver key --table FILE.csv --row N --key TEXT [--ascii]\n"
    "                           [--target address|id|both] [--one-key-all] [OPTIONS]\n"
    "       holvex-cli receiver program --table FILE.csv --options activate,unit,key,delete [--rows LIST]\n"
    "                           [--aux-id] [--key TEXT [--ascii]] [--target address|id|both] [OPTIONS]\n"
    "       holvex-cli receiver decode [--key HEX] [--keys FILE] TELEGRAM-HEX\n"
    "  interval N    the save interval, 1 to 240\n"
    "  acquire       listens to the air through the receiver for N seconds and writes the radio meters "
    "heard\n"
    "                to a receiver table file (as \"Export\" writes it); the rows go to standard output too\n"
    "  bind, unbind  the table row's meter under its primary address (1 to 64)\n"
    "  key           stores an AES-128 key (32 upper-case hex digits, or 16 characters with --ascii) under\n"
    "                the row's address (default), its ID, or both; --one-key-all stores one master key\n"
    "  program       writes the selected rows (--rows, default all) into the receiver, one option after the\n"
    "                other: activate (with the row's ID, or --aux-id), unit, key, delete (alone)\n"
    "  decode        decodes a relayed telegram (68 L C ... 16) like decode, decrypting with --key or the "
    "key\n"
    "                the keys file (default: files/keys.csv of the home folder) has for the meter\n"
    "The event log goes to standard error, the receiver's answers and the tables to standard output "
    "(--json:\n"
    "one object). Exit status: 0 ran, 1 the channel could not be opened or nothing went out, 2 bad "
    "arguments\n"
    "or a refused value.\n"
    "OPTIONS: [--home DIR] [--port NAME | --lan HOST:PORT] [--timeout MS] [--retry N] [--whole-timeout] "
    "[--json]\n";

void printUsage() {
    writeOut(QByteArray(kUsage));
}

struct ReceiverArguments {
    QString action;
    QStringList values; // the words after the action
    QString table;
    int row = 0;
    QString key;
    bool ascii = false;
    QString target = QStringLiteral("address");
    bool oneKeyAll = false;
    int seconds = 0;
    bool excludeIdentical = false;
    bool upToV301f = false;
    QString out;
    QString options;
    std::optional<QString> rows;
    bool auxId = false;
    QString keysFile;
    QStringList common;
};

bool takeNumber(const QStringList& arguments, int& index, const QString& name, int minimum, int& target,
                QString* error) {
    QString text;
    if (!takeValue(arguments, index, name, text, error)) {
        return false;
    }
    bool ok = false;
    target = text.toInt(&ok);
    if (!ok || target < minimum) {
        *error = name + QStringLiteral(" takes a number from %1").arg(minimum);
        return false;
    }
    return true;
}

// How many words each action takes after its name.
int wordsOf(const QString& action) {
    static const QMap<QString, int> kWords{
        {QStringLiteral("date"), 0},     {QStringLiteral("time"), 0},   {QStringLiteral("info"), 1},
        {QStringLiteral("interval"), 1}, {QStringLiteral("mode"), 1},   {QStringLiteral("role"), 1},
        {QStringLiteral("work"), 1},     {QStringLiteral("option"), 2}, {QStringLiteral("acquire"), 0},
        {QStringLiteral("bind"), 0},     {QStringLiteral("unbind"), 0}, {QStringLiteral("key"), 0},
        {QStringLiteral("program"), 0},  {QStringLiteral("decode"), 1},
    };
    return kWords.value(action, -1);
}

std::optional<ReceiverArguments> splitArguments(QStringList arguments, QString* error) {
    ReceiverArguments parsed;
    parsed.action = arguments.takeFirst();
    const int words = wordsOf(parsed.action);
    if (words < 0) {
        *error = QStringLiteral("unknown action \"%1\"").arg(parsed.action);
        return std::nullopt;
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        bool ok = true;
        if (isOption(argument, QStringLiteral("--table"))) {
            ok = takeValue(arguments, i, QStringLiteral("--table"), parsed.table, error);
        } else if (isOption(argument, QStringLiteral("--row"))) {
            ok = takeNumber(arguments, i, QStringLiteral("--row"), 1, parsed.row, error);
        } else if (isOption(argument, QStringLiteral("--key"))) {
            ok = takeValue(arguments, i, QStringLiteral("--key"), parsed.key, error);
        } else if (argument == QLatin1String("--ascii")) {
            parsed.ascii = true;
        } else if (isOption(argument, QStringLiteral("--target"))) {
            ok = takeValue(arguments, i, QStringLiteral("--target"), parsed.target, error);
        } else if (argument == QLatin1String("--one-key-all")) {
            parsed.oneKeyAll = true;
        } else if (isOption(argument, QStringLiteral("--seconds"))) {
            ok = takeNumber(arguments, i, QStringLiteral("--seconds"), 1, parsed.seconds, error);
        } else if (argument == QLatin1String("--exclude-identical")) {
            parsed.excludeIdentical = true;
        } else if (argument == QLatin1String("--up-to-v301f")) {
            parsed.upToV301f = true;
        } else if (isOption(argument, QStringLiteral("--out"))) {
            ok = takeValue(arguments, i, QStringLiteral("--out"), parsed.out, error);
        } else if (isOption(argument, QStringLiteral("--options"))) {
            ok = takeValue(arguments, i, QStringLiteral("--options"), parsed.options, error);
        } else if (isOption(argument, QStringLiteral("--rows"))) {
            QString rows;
            ok = takeValue(arguments, i, QStringLiteral("--rows"), rows, error);
            parsed.rows = rows;
        } else if (argument == QLatin1String("--aux-id")) {
            parsed.auxId = true;
        } else if (isOption(argument, QStringLiteral("--keys"))) {
            ok = takeValue(arguments, i, QStringLiteral("--keys"), parsed.keysFile, error);
        } else if (!argument.startsWith(QLatin1String("--")) && parsed.values.size() < words) {
            parsed.values.append(argument);
        } else {
            parsed.common.append(argument);
            // The shared options with a value keep it.
            static const QStringList kWithValue{QStringLiteral("--home"), QStringLiteral("--port"),
                                                QStringLiteral("--lan"), QStringLiteral("--timeout"),
                                                QStringLiteral("--retry")};
            if (kWithValue.contains(argument) && i + 1 < arguments.size()) {
                parsed.common.append(arguments.at(++i));
            }
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (parsed.values.size() != words) {
        *error = parsed.action + QStringLiteral(" needs %1 value(s)").arg(words);
        return std::nullopt;
    }
    const bool rowAction = parsed.action == QLatin1String("bind") ||
                           parsed.action == QLatin1String("unbind") || parsed.action == QLatin1String("key");
    if (rowAction && (parsed.table.isEmpty() || parsed.row == 0)) {
        *error = parsed.action + QStringLiteral(" needs --table and --row");
        return std::nullopt;
    }
    if (parsed.action == QLatin1String("key") && parsed.key.isEmpty()) {
        *error = QStringLiteral("key needs --key");
        return std::nullopt;
    }
    if (parsed.action == QLatin1String("acquire") && (parsed.seconds == 0 || parsed.out.isEmpty())) {
        *error = QStringLiteral("acquire needs --seconds and --out");
        return std::nullopt;
    }
    if (parsed.action == QLatin1String("program") && (parsed.table.isEmpty() || parsed.options.isEmpty())) {
        *error = QStringLiteral("program needs --table and --options");
        return std::nullopt;
    }
    return parsed;
}

std::optional<receiver::KeyTargets> keyTargets(const ReceiverArguments& arguments, QString* error) {
    receiver::KeyTargets targets;
    targets.oneKeyAll = arguments.oneKeyAll;
    if (arguments.target == QLatin1String("address")) {
        targets.address = true;
    } else if (arguments.target == QLatin1String("id")) {
        targets.useId = true;
    } else if (arguments.target == QLatin1String("both")) {
        targets.address = true;
        targets.useId = true;
    } else {
        *error = QStringLiteral("--target takes address, id or both, not \"%1\"").arg(arguments.target);
        return std::nullopt;
    }
    return targets;
}

receiver::KeyBoxState keyBoxOf(const ReceiverArguments& arguments, const receiver::KeyTargets& targets) {
    receiver::KeyBoxState keyBox;
    keyBox.text = arguments.key;
    keyBox.entry = arguments.ascii ? receiver::KeyEntry::Ascii : receiver::KeyEntry::Hex;
    keyBox.targets = targets;
    return keyBox;
}

// A setting line from the action's words; a word no line knows is refused here, before the bus.
std::optional<ReceiverCommand> settingCommand(const ReceiverArguments& arguments, QString* error) {
    const QString& action = arguments.action;
    const QString value = arguments.values.value(0);
    std::optional<ReceiverCommand> command;
    if (action == QLatin1String("date")) {
        command = receiver::dateCommand(QDate::currentDate());
    } else if (action == QLatin1String("time")) {
        command = receiver::timeCommand(QTime::currentTime());
    } else if (action == QLatin1String("info")) {
        if (value == QLatin1String("serving")) {
            command = receiver::servingInfoCommand();
        } else if (value == QLatin1String("wireless")) {
            command = receiver::wirelessInfoCommand();
        }
    } else if (action == QLatin1String("interval")) {
        command = receiver::saveIntervalCommand(value);
    } else if (action == QLatin1String("mode")) {
        if (receiver::radioModes().contains(value)) {
            command = receiver::radioModeCommand(value);
        }
    } else if (action == QLatin1String("role")) {
        command = receiver::roleCommand(value);
    } else if (action == QLatin1String("work")) {
        command = receiver::workModeCommand(value);
    } else if (action == QLatin1String("option")) {
        static const QMap<QString, QString> kOptions{
            {QStringLiteral("rssi"), QStringLiteral("RSSI")},
            {QStringLiteral("timestamp"), QStringLiteral("Timestamp")},
            {QStringLiteral("min-hours"), QStringLiteral("Min/Hours")},
            {QStringLiteral("transparent"), QStringLiteral("Transparent")},
            {QStringLiteral("secondary-id"), QStringLiteral("Secondary ID")},
            {QStringLiteral("master-key"), QStringLiteral("Master Key")},
        };
        const QString onOff = arguments.values.value(1);
        if (kOptions.contains(value) && (onOff == QLatin1String("0") || onOff == QLatin1String("1"))) {
            command = receiver::optionCommand(kOptions.value(value), onOff == QLatin1String("1"));
        }
    }
    if (!command) {
        *error =
            QStringLiteral("%1 does not take \"%2\"").arg(action, arguments.values.join(QLatin1Char(' ')));
    }
    return command;
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
    for (QByteArray answer : answers) {
        answer.replace("\r\n", "\n");
        writeOut(answer + (answer.endsWith('\n') ? "" : "\n"));
    }
}

void printRows(const StringGridModel& table, const Settings& settings, bool json) {
    if (json) {
        writeOut(tableJson(table));
        return;
    }
    writeOut(gridCsvBytes(table, settings.ExportSeparator, false));
}

// Loads the receiver table file into the bus's receiver table; a problem is the message.
std::optional<QString> loadTable(CliBus& bus, const QString& path) {
    StringGridModel& table = bus.bus().receiver().table();
    const CsvLoadResult loaded = receiver::importReceiverTable(path, table, bus.settings().ExportSeparator,
                                                               bus.state().LanguageCode == 2);
    if (loaded.outcome != CsvLoadResult::Outcome::Loaded) {
        QString message = loaded.message;
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return path + QStringLiteral(": ") + message;
    }
    return std::nullopt;
}

// Sends the lines through the device command dispatch and prints the receiver's answers.
int runLines(CliBus& bus, const ReceiverCommands& commands, bool json) {
    if (!commands.refusal.isEmpty()) {
        bus.log().logLine(commands.refusal);
        return kBadArguments;
    }
    if (commands.commands.isEmpty()) {
        return fail(kName, QStringLiteral("nothing to send"), kBadArguments);
    }
    const QList<QByteArray>& answers = bus.collectDeviceAnswers();
    receiver::ReceiverCommandSender& sender = bus.bus().receiver().commands();
    const int status = runOperation(bus, [&] {
        return bus.bus().start([&] { return sender.dispatch(commands) == ReceiverSendOutcome::Sent; });
    });
    if (status != 0) {
        return fail(kName, QStringLiteral("nothing was sent: the channel could not be opened"), status);
    }
    printAnswers(answers, json);
    return 0;
}

int runRowCommand(const ReceiverArguments& arguments, const BusArguments& common) {
    QString error;
    std::optional<receiver::KeyTargets> targets;
    if (arguments.action == QLatin1String("key")) {
        targets = keyTargets(arguments, &error);
        if (!targets) {
            return fail(kName, error, kBadArguments);
        }
    }
    CliBus bus(loadBusSettings(common));
    if (const std::optional<QString> problem = loadTable(bus, arguments.table)) {
        return fail(kName, *problem, kBadArguments);
    }
    const std::optional<receiver::ReceiverRow> row =
        receiver::receiverRowAt(bus.bus().receiver().table(), arguments.row);
    ReceiverCommands commands;
    if (arguments.action == QLatin1String("bind")) {
        commands = receiver::bindCommands(row);
    } else if (arguments.action == QLatin1String("unbind")) {
        commands = receiver::debindCommands(row);
    } else {
        const receiver::KeyBoxState keyBox = keyBoxOf(arguments, *targets);
        commands = receiver::keyCommands(row, keyBox.text, keyBox.entry, keyBox.targets);
    }
    return runLines(bus, commands, common.json);
}

int runAcquire(const ReceiverArguments& arguments, const BusArguments& common) {
    CliBus bus(loadBusSettings(common));
    receiver::ReceiverOperations& operations = bus.bus().receiver();
    receiver::RadioAcquisition& acquisition = operations.acquisition();
    acquisition.setExcludeIdentical(arguments.excludeIdentical);
    acquisition.setUpToV301f(arguments.upToV301f);
    // The seconds count once the receiver has been switched to transparent output.
    const int status = runOperation(bus, [&] {
        if (!bus.bus().start([&acquisition] { return acquisition.start(); })) {
            return false;
        }
        QTimer::singleShot(arguments.seconds * 1000, QCoreApplication::instance(), [&acquisition] {
            acquisition.stop();
            QCoreApplication::quit();
        });
        return true;
    });
    if (status != 0) {
        return fail(kName, QStringLiteral("the channel could not be opened"), status);
    }
    const CsvSaveResult saved =
        saveGridCsv(operations.table(), arguments.out, bus.settings().ExportSeparator);
    if (!saved.ok) {
        return fail(kName, arguments.out + QStringLiteral(": ") + saved.message, kBadArguments);
    }
    printRows(operations.table(), bus.settings(), common.json);
    return 0;
}

std::optional<receiver::ProgramOptions> parseProgramOptions(const QString& list, QString* error) {
    static const QMap<QString, receiver::ProgramOption> kNames{
        {QStringLiteral("activate"), receiver::ProgramOption::Activate},
        {QStringLiteral("unit"), receiver::ProgramOption::SaveUnit},
        {QStringLiteral("key"), receiver::ProgramOption::SaveKey},
        {QStringLiteral("delete"), receiver::ProgramOption::Delete},
    };
    receiver::ProgramOptions options;
    QSet<QString> names;
    for (const QString& piece : list.split(QLatin1Char(','))) {
        const QString name = piece.trimmed();
        if (!kNames.contains(name)) {
            *error = QStringLiteral("--options: no option \"%1\"").arg(name);
            return std::nullopt;
        }
        names.insert(name);
        options.setTicked(kNames.value(name), true);
    }
    if (names.contains(QStringLiteral("delete")) && names.size() > 1) {
        *error = QStringLiteral("--options: delete goes alone");
        return std::nullopt;
    }
    return options;
}

int runProgram(const ReceiverArguments& arguments, const BusArguments& common) {
    QString error;
    const std::optional<receiver::ProgramOptions> options = parseProgramOptions(arguments.options, &error);
    const std::optional<receiver::KeyTargets> targets =
        options ? keyTargets(arguments, &error) : std::nullopt;
    if (!options || !targets) {
        return fail(kName, error, kBadArguments);
    }
    if (options->isTicked(receiver::ProgramOption::SaveKey) && arguments.key.isEmpty()) {
        return fail(kName, QStringLiteral("--options key needs --key"), kBadArguments);
    }
    CliBus bus(loadBusSettings(common));
    if (const std::optional<QString> problem = loadTable(bus, arguments.table)) {
        return fail(kName, *problem, kBadArguments);
    }
    StringGridModel& table = bus.bus().receiver().table();
    if (receiver::isReceiverTableEmpty(table)) {
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
    receiver::ReceiverProgrammer& programmer = bus.bus().receiver().programmer();
    programmer.setOptions(*options);
    programmer.setIdSource(arguments.auxId ? receiver::ActivationIdSource::AuxId
                                           : receiver::ActivationIdSource::MainId);
    programmer.setKeyBox(keyBoxOf(arguments, *targets));
    QObject::connect(&programmer, &receiver::ReceiverProgrammer::finished, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    const int status =
        runOperation(bus, [&] { return bus.bus().start([&programmer] { return programmer.start(); }); });
    if (status != 0) {
        return fail(kName, QStringLiteral("the channel could not be opened"), status);
    }
    // The table as the run left it (activation writes the 8-character IDs back).
    printRows(table, bus.settings(), common.json);
    return 0;
}

std::optional<QByteArray> parseTelegram(const QString& text) {
    QByteArray digits;
    for (const QChar c : text) {
        if (c.isSpace()) {
            continue;
        }
        if (!isxdigit(c.toLatin1())) {
            return std::nullopt;
        }
        digits.append(c.toLatin1());
    }
    if (digits.isEmpty() || digits.size() % 2 != 0) {
        return std::nullopt;
    }
    return QByteArray::fromHex(digits);
}

int runDecode(const ReceiverArguments& arguments, const BusArguments& common) {
    const std::optional<QByteArray> telegram = parseTelegram(arguments.values.value(0));
    if (!telegram) {
        return fail(kName, QStringLiteral("the telegram is not hex bytes"), kBadArguments);
    }
    std::optional<receiver::AesKey> key;
    if (!arguments.key.isEmpty()) {
        key = receiver::parseHexKey(arguments.key);
        if (!key) {
            return fail(kName, QStringLiteral("--key takes 32 hex digits"), kBadArguments);
        }
    } else {
        if (common.home.isEmpty()) {
            ProgramHome::resolve({});
        } else {
            ProgramHome::set(common.home);
        }
        const QString path =
            arguments.keysFile.isEmpty() ? receiver::defaultKeyFilePath() : arguments.keysFile;
        const receiver::KeyTable keys = receiver::loadKeyFile(path);
        for (const QString& problem : keys.problems) {
            QTextStream(stderr) << problem << '\n';
        }
        const std::optional<receiver::RadioAddress> link = receiver::linkAddressOfTelegram(*telegram);
        const QByteArray application = receiver::applicationOfTelegram(*telegram);
        const std::optional<receiver::RadioAddress> meter = receiver::meterAddress(link, application);
        if (meter) {
            key = receiver::keyForMeter(keys, meter->idText());
        }
    }
    mbus::DecodeOptions options;
    options.fullRead = false;
    const receiver::RadioDecodeResult result = receiver::decodeRelayedTelegram(*telegram, key, options);
    const mbus::DecodeResult& decoded = result.decoded;
    QByteArray out(decoded.ok ? "{\"ok\":true" : "{\"ok\":false");
    out.append(",\"security_mode\":" + QByteArray::number(result.securityMode) + ",\"log\":[");
    for (int i = 0; i < decoded.log.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        appendJsonString(out, decoded.log[i]);
    }
    out.append("],\"records\":");
    appendRecordsJson(out, decoded.records);
    out.append("}\n");
    writeOut(out);
    return decoded.ok ? 0 : kBadArguments;
}

} // namespace

int runReceiverCommand(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        QTextStream(stderr) << kUsage;
        return kBadArguments;
    }
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        printUsage();
        return 0;
    }
    QString error;
    const std::optional<ReceiverArguments> split = splitArguments(arguments, &error);
    if (!split) {
        return fail(kName, error, kBadArguments);
    }
    const std::optional<BusArguments> common = parseBusArguments(BusCommand::Common, split->common, &error);
    if (!common) {
        return fail(kName, error, kBadArguments);
    }
    const QString& action = split->action;
    if (action == QLatin1String("decode")) {
        return runDecode(*split, *common);
    }
    if (action == QLatin1String("acquire")) {
        return runAcquire(*split, *common);
    }
    if (action == QLatin1String("program")) {
        return runProgram(*split, *common);
    }
    if (action == QLatin1String("bind") || action == QLatin1String("unbind") ||
        action == QLatin1String("key")) {
        return runRowCommand(*split, *common);
    }
    const std::optional<ReceiverCommand> command = settingCommand(*split, &error);
    if (!command) {
        return fail(kName, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(*common));
    return runLines(bus, ReceiverCommands{{*command}, {}}, common->json);
}

} // namespace holvex::cli
