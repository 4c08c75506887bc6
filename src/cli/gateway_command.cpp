#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "devices/gateway/command_line_text.h"
#include "devices/gateway/gateway_commands.h"
#include "links/channel.h"
#include "meters/ops/free_command_console.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

namespace holvex::cli {

namespace {

using gateway::GatewayControl;
using gateway::GatewayInputs;
using gateway::GatewayOutcome;

const QString kName = QStringLiteral("gateway");

const char* const kUsage =
    "usage: holvex-cli gateway own-ip|gateway-ip|netmask|network-number|manufacturer-ip|control-ip IP\n"
    "       holvex-cli gateway operator-ip IP --slot N [--slot N ...]      (N: 1..4)\n"
    "       holvex-cli gateway serial SPEED PARITY                         (300..38400; Even, Odd, None)\n"
    "       holvex-cli gateway ping-timeout N | retry-timeout N | connect-retries N | mbus-timeout N\n"
    "       holvex-cli gateway due-date DD/HH/MM | date | time | test | server | client\n"
    "       holvex-cli gateway apn TEXT | phone TEXT | pin NNNN | gprs-user TEXT | gprs-password TEXT\n"
    "       holvex-cli gateway info main|service|connection|operators|gprs|status\n"
    "       each with [--galdor] [OPTIONS]\n"
    "OPTIONS: [--home DIR] [--port NAME | --lan HOST:PORT] [--timeout MS] [--retry N] [--whole-timeout] "
    "[--json]\n"
    "Writes one setting or request line to the gateway's RS-232 service port (the serial port of the\n"
    "settings, or --port) and prints the gateway's answer. --galdor: the GPRS gateway Galdor-5 (default:\n"
    "the Ethernet gateway Ferrin-2), which decides which settings are offered. The event log goes to\n"
    "standard error. Exit status: 0 sent, 1 the serial port could not be opened, 2 bad arguments, a\n"
    "refused value, a setting the product does not have, or a road that takes no gateway settings.\n";

// A sub-command: its word, the control it presses and how many values follow the word.
struct Word {
    const char* word;
    GatewayControl control;
    int values;
};

constexpr Word kWords[] = {
    {"own-ip", GatewayControl::OwnIp, 1},
    {"gateway-ip", GatewayControl::GatewayIp, 1},
    {"netmask", GatewayControl::Netmask, 1},
    {"network-number", GatewayControl::NetworkNumber, 1},
    {"manufacturer-ip", GatewayControl::ManufacturerIp, 1},
    {"control-ip", GatewayControl::ControlIp, 1},
    {"operator-ip", GatewayControl::OperatorIp, 1},
    {"serial", GatewayControl::SerialPort, 2},
    {"ping-timeout", GatewayControl::PingTimeout, 1},
    {"retry-timeout", GatewayControl::RetryTimeout, 1},
    {"connect-retries", GatewayControl::ConnectRetries, 1},
    {"mbus-timeout", GatewayControl::MbusTimeout, 1},
    {"due-date", GatewayControl::DueDate, 1},
    {"date", GatewayControl::Date, 0},
    {"time", GatewayControl::Time, 0},
    {"test", GatewayControl::TestIp, 0},
    {"server", GatewayControl::AsServer, 0},
    {"client", GatewayControl::AsClient, 0},
    {"apn", GatewayControl::Apn, 1},
    {"phone", GatewayControl::Phone, 1},
    {"pin", GatewayControl::Pin, 1},
    {"gprs-user", GatewayControl::GprsUser, 1},
    {"gprs-password", GatewayControl::GprsPassword, 1},
};

struct Request {
    const char* word;
    GatewayControl control;
};

constexpr Request kRequests[] = {
    {"main", GatewayControl::MainInfo},         {"service", GatewayControl::ServiceInfo},
    {"connection", GatewayControl::Connection}, {"operators", GatewayControl::OperatorInfo},
    {"gprs", GatewayControl::GprsInfo},         {"status", GatewayControl::GprsStatus},
};

struct GatewayArguments {
    BusArguments bus;
    GatewayControl control = GatewayControl::MainInfo;
    QString word;
    GatewayInputs inputs;
    std::array<bool, 4> slotsGiven{};
    gateway::GatewayProduct product = gateway::GatewayProduct::Ferrin;
};

bool failWith(QString* error, const QString& message) {
    *error = message;
    return false;
}

bool isLatin1(const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

// An up-down box's value: a number within the box's range, as the window's box would hold it.
bool spinValue(const QString& word, const QString& text, const gateway::SpinRange& range, QString& target,
               QString* error) {
    int value = 0;
    if (!gateway::parseFieldNumber(text, value) || !range.contains(value)) {
        return failWith(error, QStringLiteral("%1 takes a number from %2 to %3, not \"%4\"")
                                   .arg(word)
                                   .arg(range.minimum)
                                   .arg(range.maximum)
                                   .arg(text));
    }
    target = QString::number(value);
    return true;
}

// A text field: at most as many characters as the window's field takes.
bool textValue(const QString& word, const QString& text, int maxLength, QString& target, QString* error) {
    if (text.isEmpty()) {
        return failWith(error, word + QStringLiteral(" needs a value"));
    }
    if (text.size() > maxLength) {
        return failWith(error, QStringLiteral("%1 takes at most %2 characters").arg(word).arg(maxLength));
    }
    target = text;
    return true;
}

// The values after the word, into the field the window's control reads.
bool fillInputs(GatewayControl control, const QString& word, const QStringList& values, GatewayInputs& in,
                QString* error) {
    using namespace gateway;
    const QString value = values.value(0);
    switch (control) {
    case GatewayControl::OwnIp:
        return textValue(word, value, kIpFieldLength, in.ownIp, error);
    case GatewayControl::GatewayIp:
        return textValue(word, value, kIpFieldLength, in.gatewayIp, error);
    case GatewayControl::Netmask:
        return textValue(word, value, kIpFieldLength, in.netmask, error);
    case GatewayControl::NetworkNumber:
        return textValue(word, value, kIpFieldLength, in.networkNumber, error);
    case GatewayControl::ManufacturerIp:
        return textValue(word, value, kIpFieldLength, in.manufacturerIp, error);
    case GatewayControl::ControlIp:
        return textValue(word, value, kIpFieldLength, in.controlIp, error);
    case GatewayControl::OperatorIp:
        return textValue(word, value, kIpFieldLength, in.operatorIp, error);
    case GatewayControl::SerialPort:
        in.speed = value;
        in.parity = values.value(1);
        return true;
    case GatewayControl::PingTimeout:
        return spinValue(word, value, kPingTimeoutRange, in.pingTimeout, error);
    case GatewayControl::RetryTimeout:
        return spinValue(word, value, kRetryTimeoutRange, in.retryTimeout, error);
    case GatewayControl::ConnectRetries:
        return spinValue(word, value, kConnectRetriesRange, in.connectRetries, error);
    case GatewayControl::MbusTimeout:
        return spinValue(word, value, kMbusTimeoutRange, in.mbusTimeout, error);
    case GatewayControl::DueDate: {
        // The three boxes' texts; their ranges are the setting's own check.
        const QStringList parts = value.split(QLatin1Char('/'));
        if (parts.size() != 3) {
            return failWith(error, QStringLiteral("due-date takes DD/HH/MM, not \"%1\"").arg(value));
        }
        in.dueDay = parts[0];
        in.dueHour = parts[1];
        in.dueMinute = parts[2];
        return true;
    }
    case GatewayControl::Apn:
        return textValue(word, value, kApnLength, in.apn, error);
    case GatewayControl::Phone:
        return textValue(word, value, kPhoneLength, in.phone, error);
    case GatewayControl::Pin:
        // The length is the setting's own check ("PIN must be 4 digits, skipping...").
        in.pin = value;
        return true;
    case GatewayControl::GprsUser:
        return textValue(word, value, kGprsUserLength, in.gprsUser, error);
    case GatewayControl::GprsPassword:
        return textValue(word, value, kGprsPasswordLength, in.gprsPassword, error);
    default:
        return true;
    }
}

// --galdor, --slot N and --help here; the words, the values and the common options by the shared parser.
std::optional<GatewayArguments> parse(const QStringList& arguments, QString* error) {
    GatewayArguments parsed;
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--galdor")) {
            parsed.product = gateway::GatewayProduct::Galdor;
        } else if (argument == QLatin1String("--slot") || argument.startsWith(QLatin1String("--slot="))) {
            QString slot;
            if (argument.size() > 6) {
                slot = argument.mid(7);
            } else if (i + 1 < arguments.size()) {
                slot = arguments.at(++i);
            } else {
                failWith(error, QStringLiteral("--slot needs a value"));
                return std::nullopt;
            }
            int number = 0;
            if (!gateway::parseFieldNumber(slot, number) || number < 1 || number > 4) {
                failWith(error, QStringLiteral("--slot takes a number from 1 to 4, not \"%1\"").arg(slot));
                return std::nullopt;
            }
            parsed.slotsGiven[static_cast<size_t>(number - 1)] = true;
        } else {
            rest.append(argument);
        }
    }
    const std::optional<BusArguments> bus = parseBusArguments(BusCommand::Device, rest, error);
    if (!bus) {
        return std::nullopt;
    }
    parsed.bus = *bus;
    QStringList words = bus->positional;
    if (words.isEmpty()) {
        failWith(error, QStringLiteral("name a setting or a request"));
        return std::nullopt;
    }
    parsed.word = words.takeFirst();
    std::optional<Word> found;
    for (const Word& word : kWords) {
        if (parsed.word == QLatin1String(word.word)) {
            found = word;
        }
    }
    if (parsed.word == QLatin1String("info")) {
        const QString which = words.isEmpty() ? QString() : words.takeFirst();
        for (const Request& request : kRequests) {
            if (which == QLatin1String(request.word)) {
                found = Word{"info", request.control, 0};
                parsed.word += QLatin1Char(' ') + which;
            }
        }
        if (!found) {
            failWith(error, QStringLiteral(
                                "info takes main, service, connection, operators, gprs or status, not \"%1\"")
                                .arg(which));
            return std::nullopt;
        }
    }
    if (!found) {
        failWith(error, QStringLiteral("unknown setting \"%1\"").arg(parsed.word));
        return std::nullopt;
    }
    parsed.control = found->control;
    if (words.size() != found->values) {
        failWith(error, QStringLiteral("%1 takes %2 value(s)").arg(parsed.word).arg(found->values));
        return std::nullopt;
    }
    for (const QString& value : words) {
        if (!isLatin1(value)) {
            failWith(error, parsed.word + QStringLiteral(" takes 8-bit characters only"));
            return std::nullopt;
        }
    }
    const bool operatorIp = parsed.control == GatewayControl::OperatorIp;
    const bool anySlot =
        std::find(parsed.slotsGiven.begin(), parsed.slotsGiven.end(), true) != parsed.slotsGiven.end();
    if (operatorIp != anySlot) {
        failWith(error, operatorIp ? QStringLiteral("operator-ip needs --slot N (1 to 4)")
                                   : QStringLiteral("--slot belongs to operator-ip"));
        return std::nullopt;
    }
    if (!gateway::controlEnabledFor(parsed.control, parsed.product)) {
        failWith(error,
                 parsed.product == gateway::GatewayProduct::Ferrin
                     ? parsed.word + QStringLiteral(" is a setting of the Galdor-5 only (add --galdor)")
                     : parsed.word +
                           QStringLiteral(" is a setting of the Ferrin-2 only (leave out --galdor)"));
        return std::nullopt;
    }
    if (!fillInputs(parsed.control, parsed.word, words, parsed.inputs, error)) {
        return std::nullopt;
    }
    return parsed;
}

// One press per step: each ticked operator slot is a press of its own, so that each line has been answered
// before the next goes out (the gateway tells lines apart by the pause after them).
QList<GatewayInputs> pressesOf(const GatewayArguments& parsed) {
    if (parsed.control != GatewayControl::OperatorIp) {
        return {parsed.inputs};
    }
    QList<GatewayInputs> presses;
    for (size_t i = 0; i < parsed.slotsGiven.size(); ++i) {
        if (parsed.slotsGiven[i]) {
            GatewayInputs one = parsed.inputs;
            one.operatorBoxes = {};
            one.operatorBoxes[i] = true;
            presses.append(one);
        }
    }
    return presses;
}

int statusOf(GatewayOutcome outcome) {
    switch (outcome) {
    case GatewayOutcome::Sent:
        return 0;
    case GatewayOutcome::PortClosed:
        return kChannelFailed;
    case GatewayOutcome::NothingSent:
    case GatewayOutcome::Refused:
    case GatewayOutcome::RoadRefused:
        break;
    }
    return kBadArguments;
}

QString failureText(GatewayOutcome outcome) {
    switch (outcome) {
    case GatewayOutcome::PortClosed:
        return QStringLiteral("the serial port could not be opened");
    case GatewayOutcome::RoadRefused:
        return QStringLiteral("the gateways take their settings on the serial port only");
    case GatewayOutcome::Refused:
        return QStringLiteral("the value was refused");
    case GatewayOutcome::NothingSent:
        return QStringLiteral("nothing to send");
    case GatewayOutcome::Sent:
        break;
    }
    return QString();
}

} // namespace

int runGatewayCommand(const QStringList& arguments) {
    if (arguments.contains(QStringLiteral("--help"))) {
        writeOut(QByteArray(kUsage));
        return 0;
    }
    QString error;
    const std::optional<GatewayArguments> parsed = parse(arguments, &error);
    if (!parsed) {
        return fail(kName, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(parsed->bus));
    // The gateway answers in text.
    bus.operations().console().setAsciiTicked(true);
    gateway::GatewayCommands& commands = bus.bus().gatewayCommands();

    const QList<GatewayInputs> presses = pressesOf(*parsed);
    qsizetype next = 0;
    GatewayOutcome outcome = GatewayOutcome::Sent;
    QList<QByteArray> answers;
    QTimer& answerTimer = bus.freeCommandTimer();
    std::function<void()> step = [&] {
        if (next >= presses.size()) {
            QCoreApplication::quit();
            return;
        }
        outcome = commands.run(parsed->control, presses.at(next++));
        if (outcome != GatewayOutcome::Sent) {
            QCoreApplication::quit();
        } else if (!answerTimer.isActive()) {
            // The APN and the phone number are not awaited: as in the window, the port stays open for a
            // while and whatever the gateway says is dropped, rather than left for the next run to read.
            QTimer::singleShot(bus.settings().Timeout, QCoreApplication::instance(), [&] {
                bus.bus().channel().closeChannel();
                step();
            });
        }
    };
    // The console's slot was connected first: when this runs, the answer has been taken and logged.
    QObject::connect(&answerTimer, &QTimer::timeout, QCoreApplication::instance(), [&] {
        if (!answerTimer.isActive()) {
            answers.append(bus.consoleAnswer());
            step();
        }
    });
    QTimer::singleShot(0, QCoreApplication::instance(), step);
    QCoreApplication::exec();

    if (outcome != GatewayOutcome::Sent) {
        return fail(kName, failureText(outcome), statusOf(outcome));
    }
    QByteArray all;
    for (const QByteArray& answer : answers) {
        if (!answer.isEmpty()) {
            all += answer;
            if (!all.endsWith('\n')) {
                all += '\n';
            }
        }
    }
    if (parsed->bus.json) {
        QByteArray out("{");
        appendJsonField(out, "answer", QString::fromLatin1(all).trimmed(), false);
        out.append("}\n");
        writeOut(out);
    } else {
        writeOut(all);
    }
    return 0;
}

} // namespace holvex::cli
