#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/command_usage.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "codec/config_frames.h"
#include "codec/frame_codec.h"
#include "meters/ops/config_values.h"
#include "meters/ops/direct_selection.h"
#include "meters/ops/meter_configuration.h"
#include "meters/table/meter_table.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>

namespace holvex::cli {

namespace {

constexpr int kIdDigits = 8;
constexpr int kPulseDigits = 8;
constexpr int kMediumColumn = 5;

// The meter a configuration command goes to: one primary address, one ID (read first, then reached at the
// primary address it answered with, as the window's table holds it), or every meter (0xFE).
struct MeterTarget {
    std::optional<int> address;
    QString id;
    bool broadcast = false;
};

// What one configuration command needs from the command line.
struct MeterCommand {
    const char* name;
    int valueCount;        // the values after the target
    bool broadcastAllowed; // the counter type and the ID belong to one meter only
    bool readFirst;        // the frame carries the meter's ID or medium, or the command checks its maker
    bool idCommand;        // set-id: the new ID after --to
    // Checks the values (error text when refused) and puts them where the configuration group holds them.
    std::function<bool(const QStringList& values, ConfigurationInputs& inputs, QString* error)> fill;
    std::function<bool(MeterConfiguration&)> run;
};

bool isDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
}

bool isId(const QString& text) {
    return text.size() == kIdDigits && isDigits(text);
}

// A word the user typed matched against the box's entries, case aside; the entry's own spelling.
std::optional<QString> boxEntry(const QString& word, const QStringList& entries) {
    for (const QString& entry : entries) {
        if (entry.compare(word, Qt::CaseInsensitive) == 0) {
            return entry;
        }
    }
    return std::nullopt;
}

QStringList mediumNames() {
    const auto& entries = mediumBoxEntries();
    return QStringList(entries.begin(), entries.end());
}

const QStringList kUnits = {QStringLiteral("l"), QStringLiteral("Wh"), QStringLiteral("kJ"),
                            QStringLiteral("N/A")};
const QStringList kConstants = {QStringLiteral("0.001"), QStringLiteral("0.01"), QStringLiteral("0.1"),
                                QStringLiteral("1"),     QStringLiteral("10"),   QStringLiteral("100"),
                                QStringLiteral("1000"),  QStringLiteral("10000")};
// The rates the meters can be switched to; 9600 has no code.
const QStringList kBauds = {QStringLiteral("300"), QStringLiteral("1200"), QStringLiteral("2400"),
                            QStringLiteral("4800")};
const QStringList kPulseWidths = {QStringLiteral("5ms"), QStringLiteral("10ms"), QStringLiteral("20ms"),
                                  QStringLiteral("50ms"), QStringLiteral("100ms")};
// The short words for the counter-type box's three entries.
const QStringList kCounterWords = {QStringLiteral("incremental"), QStringLiteral("single"),
                                   QStringLiteral("independent")};
const QStringList kCounterTypes = {QStringLiteral("Incremental ID for each input"),
                                   QStringLiteral("Single ID for all"),
                                   QStringLiteral("Independent addresses")};

bool chooseFrom(const QString& what, const QString& word, const QStringList& entries, QString& target,
                QString* error) {
    const std::optional<QString> entry = boxEntry(word, entries);
    if (!entry) {
        *error =
            QStringLiteral("%1 is one of %2, not \"%3\"").arg(what, entries.join(QStringLiteral(", ")), word);
        return false;
    }
    target = *entry;
    return true;
}

const std::vector<MeterCommand>& meterCommands() {
    static const std::vector<MeterCommand> commands = {
        {"set-id", 0, false, false, true,
         [](const QStringList&, ConfigurationInputs&, QString*) { return true; },
         [](MeterConfiguration& c) {
             return c.changeId();
         }},
        {"set-medium", 1, true, true, false,
         [](const QStringList& v, ConfigurationInputs& in, QString* e) {
             return chooseFrom(QStringLiteral("the medium"), v.at(0), mediumNames(), in.medium, e);
         },
         [](MeterConfiguration& c) {
             return c.setMedium();
         }},
        {"set-unit", 2, true, true, false,
         [](const QStringList& v, ConfigurationInputs& in, QString* e) {
             return chooseFrom(QStringLiteral("the unit"), v.at(0), kUnits, in.unit, e) &&
                    chooseFrom(QStringLiteral("the constant"), v.at(1), kConstants, in.constant, e);
         },
         [](MeterConfiguration& c) {
             return c.setUnit();
         }},
        {"set-baud", 1, true, false, false,
         [](const QStringList& v, ConfigurationInputs& in, QString* e) {
             return chooseFrom(QStringLiteral("the baud rate"), v.at(0), kBauds, in.baud, e);
         },
         [](MeterConfiguration& c) {
             return c.changeBaud();
         }},
        {"set-pulse-width", 1, true, false, false,
         [](const QStringList& v, ConfigurationInputs& in, QString* e) {
             return chooseFrom(QStringLiteral("the pulse width"), v.at(0), kPulseWidths, in.pulseWidth, e);
         },
         [](MeterConfiguration& c) {
             return c.setPulseWidth();
         }},
        {"set-pulse-value", 1, true, false, false,
         [](const QStringList& v, ConfigurationInputs& in, QString* e) {
             if (!isDigits(v.at(0)) || v.at(0).size() > kPulseDigits) {
                 *e = QStringLiteral("the pulse value is a number of at most 8 digits, not \"%1\"")
                          .arg(v.at(0));
                 return false;
             }
             in.pulseValue = v.at(0);
             return true;
         },
         [](MeterConfiguration& c) {
             return c.setPulseValue();
         }},
        {"set-counter", 1, false, false, false,
         [](const QStringList& v, ConfigurationInputs& in, QString* e) {
             QString word;
             if (!chooseFrom(QStringLiteral("the counter type"), v.at(0), kCounterWords, word, e)) {
                 return false;
             }
             in.counterType = kCounterTypes.at(kCounterWords.indexOf(word));
             return true;
         },
         [](MeterConfiguration& c) {
             return c.setCounterType();
         }},
        {"reset", 0, true, false, false,
         [](const QStringList&, ConfigurationInputs&, QString*) { return true; },
         [](MeterConfiguration& c) {
             return c.reset();
         }},
    };
    return commands;
}

struct ParsedMeterCommand {
    BusArguments bus;
    MeterTarget target;
    ConfigurationInputs inputs;
    QString broadcastMedium; // set-unit to every meter: the medium the set-type frame carries
};

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

std::optional<ParsedMeterCommand> parse(const MeterCommand& command, const QStringList& arguments,
                                        QString* error) {
    ParsedMeterCommand parsed;
    std::optional<QString> address;
    std::optional<QString> id;
    std::optional<QString> to;
    std::optional<QString> relay;
    std::optional<QString> medium;
    QStringList rest;
    const bool unitCommand = QLatin1String(command.name) == QLatin1String("set-unit");
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        std::optional<QString> value;
        if ((value = optionValue(arguments, i, QStringLiteral("--address"), error))) {
            address = value;
        } else if ((value = optionValue(arguments, i, QStringLiteral("--id"), error))) {
            id = value;
        } else if (command.idCommand && (value = optionValue(arguments, i, QStringLiteral("--to"), error))) {
            to = value;
        } else if (unitCommand && (value = optionValue(arguments, i, QStringLiteral("--relay"), error))) {
            relay = value;
        } else if (unitCommand && (value = optionValue(arguments, i, QStringLiteral("--medium"), error))) {
            medium = value;
        } else if (arguments.at(i) == QLatin1String("--broadcast") && command.broadcastAllowed) {
            parsed.target.broadcast = true;
        } else {
            rest.append(arguments.at(i));
        }
        if (!error->isEmpty()) {
            return std::nullopt;
        }
    }
    if (int(address.has_value()) + int(id.has_value()) + int(parsed.target.broadcast) != 1) {
        *error = command.broadcastAllowed ? QStringLiteral("give one of --address, --id and --broadcast")
                                          : QStringLiteral("give one of --address and --id");
        return std::nullopt;
    }
    if (address) {
        bool ok = false;
        const int number = address->toInt(&ok, 10);
        if (!ok || number < 0 || number > kMaxPrimaryAddress) {
            *error = QStringLiteral("--address takes a number from 0 to %1, not \"%2\"")
                         .arg(kMaxPrimaryAddress)
                         .arg(*address);
            return std::nullopt;
        }
        parsed.target.address = number;
    }
    if (id) {
        if (!isId(*id)) {
            *error = QStringLiteral("--id takes an ID of 8 decimal digits, not \"%1\"").arg(*id);
            return std::nullopt;
        }
        parsed.target.id = *id;
    }
    if (command.idCommand) {
        if (!to || !isId(*to)) {
            *error = QStringLiteral("--to takes the new ID, 8 decimal digits");
            return std::nullopt;
        }
        parsed.inputs.newId = *to;
    }
    if (relay) {
        if (!isDigits(*relay) || relay->size() > kIdDigits) {
            *error =
                QStringLiteral("--relay takes a counter value of at most 8 digits, not \"%1\"").arg(*relay);
            return std::nullopt;
        }
        parsed.inputs.relay = true;
        parsed.inputs.relayCounter = *relay;
    }
    if (unitCommand && parsed.target.broadcast && !relay &&
        (!medium ||
         !chooseFrom(QStringLiteral("--medium"), *medium, mediumNames(), parsed.broadcastMedium, error))) {
        if (error->isEmpty()) {
            *error =
                QStringLiteral("set-unit --broadcast needs --medium NAME: the frame carries the medium too");
        }
        return std::nullopt;
    }
    const std::optional<BusArguments> bus = parseBusArguments(BusCommand::Device, rest, error);
    if (!bus) {
        return std::nullopt;
    }
    if (bus->positional.size() != command.valueCount) {
        *error = QStringLiteral("%1 takes %2 value(s) after the meter, got %3")
                     .arg(QLatin1String(command.name))
                     .arg(command.valueCount)
                     .arg(bus->positional.size());
        return std::nullopt;
    }
    if (!command.fill(bus->positional, parsed.inputs, error)) {
        return std::nullopt;
    }
    parsed.bus = *bus;
    return parsed;
}

// Quits the event loop once a tick of `timer` has left it stopped: the exchange on it is over (the
// operation's slot was connected first, so it has run by then).
void quitWhenIdleAfterTick(QTimer& timer) {
    QObject::connect(&timer, &QTimer::timeout, QCoreApplication::instance(), [&timer] {
        if (!timer.isActive()) {
            QCoreApplication::quit();
        }
    });
}

// The grid row of the meter with this ID or address, 0 when the table holds none.
int rowOf(const StringGridModel& table, const MeterTarget& target) {
    for (int row = 1; row < table.gridRowCount(); ++row) {
        if (!target.id.isEmpty() ? table.cell(row, 0) == target.id
                                 : table.cell(row, 1) == QString::number(*target.address)) {
            return row;
        }
    }
    return 0;
}

// Reads the target meter into the table as a scan or a search would have put it there: through its ID
// (the selection's direct read) or at its address. Returns the exit status of the read.
int readTarget(CliBus& bus, const MeterTarget& target) {
    StringGridModel& table = bus.table();
    if (!target.id.isEmpty()) {
        DirectSelection& selection = bus.operations().directSelection();
        const QMetaObject::Connection ended =
            QObject::connect(&selection, &DirectSelection::exchangeEnded, QCoreApplication::instance(),
                             &QCoreApplication::quit, Qt::QueuedConnection);
        const int status = runOperation(bus, [&] {
            selection.beginDirectRead(target.id);
            return selection.running();
        });
        QObject::disconnect(ended);
        return status;
    }
    table.setCell(1, 1, QString::number(*target.address));
    table.setMarked(1, true);
    selectCell(table, 1, bus.state());
    QTimer& respond = bus.respondTimer();
    const QMetaObject::Connection ticked =
        QObject::connect(&respond, &QTimer::timeout, QCoreApplication::instance(), [&respond] {
            if (!respond.isActive()) {
                QCoreApplication::quit();
            }
        });
    const int status = runOperation(bus, [&bus] { return bus.operations().readSelected().run(); });
    QObject::disconnect(ticked);
    return status;
}

int runMeterCommand(const MeterCommand& command, const QStringList& arguments) {
    const QString name = QLatin1String(command.name);
    QString error;
    const std::optional<ParsedMeterCommand> parsed = parse(command, arguments, &error);
    if (!parsed) {
        return fail(name, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(parsed->bus));
    StringGridModel& table = bus.table();
    const MeterTarget& target = parsed->target;

    // The table as the window's would hold it when the operator presses the command's button: the meter's
    // row marked and selected, or nothing but the broadcast box ticked.
    int row = 1;
    if (target.broadcast) {
        bus.operations().readCycle().setBroadcast(true);
        table.setCell(1, kMediumColumn, parsed->broadcastMedium);
    } else if (!target.id.isEmpty() || command.readFirst) {
        const int status = readTarget(bus, target);
        if (status != 0) {
            return fail(name, QStringLiteral("the channel could not be opened"), status);
        }
        row = rowOf(table, target);
        if (row == 0 || table.cell(row, 0).isEmpty() || table.cell(row, 1).isEmpty()) {
            return fail(name,
                        QStringLiteral("the meter %1 did not answer; nothing was changed")
                            .arg(target.id.isEmpty() ? QString::number(*target.address) : target.id),
                        kChannelFailed);
        }
    } else {
        table.setCell(1, 1, QString::number(*target.address));
    }
    table.clearMarks();
    table.setMarked(row, true);
    selectCell(table, row, bus.state());

    MeterConfiguration& configuration = bus.operations().configuration();
    const ConfigurationInputs inputs = parsed->inputs;
    configuration.setInputs([inputs] { return inputs; });
    // The counter type's answer comes on the console's timer, every other exchange on the reply timer.
    quitWhenIdleAfterTick(bus.respondTimer());
    quitWhenIdleAfterTick(bus.freeCommandTimer());

    const int status = runOperation(bus, [&] { return command.run(configuration); });
    if (status != 0) {
        return fail(name,
                    QStringLiteral("nothing was sent: the channel could not be opened or the meter refused"),
                    status);
    }
    if (QLatin1String(command.name) == QLatin1String("set-counter")) {
        const QString hex = codec::spacedHex(bus.consoleAnswer()).trimmed();
        if (parsed->bus.json) {
            QByteArray out("{");
            appendJsonField(out, "answer", hex, false);
            out.append("}\n");
            writeOut(out);
        } else {
            writeOut(hex.toUtf8() + '\n');
        }
        return 0;
    }
    if (!target.broadcast) {
        printTable(bus, parsed->bus.json);
    }
    return 0;
}

} // namespace

int runMeterCommand(const QString& name, const QStringList& arguments) {
    for (const MeterCommand& command : meterCommands()) {
        if (name == QLatin1String(command.name)) {
            return runMeterCommand(command, arguments);
        }
    }
    return fail(name, QStringLiteral("unknown command"), kBadArguments);
}

QStringList meterCommandNames() {
    QStringList names;
    for (const MeterCommand& command : meterCommands()) {
        names.append(QLatin1String(command.name));
    }
    return names;
}

} // namespace holvex::cli
