#include "cli/bus_arguments.h"

#include "settings/settings.h"

#include <QDir>
#include <QHostAddress>

namespace holvex::cli {

namespace {

// A whole decimal number within minimum..maximum.
std::optional<int> numberIn(const QString& text, int minimum, int maximum) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

struct Reader {
    const QStringList& arguments;
    int index = 0;
    QString* error;

    bool fail(const QString& message) {
        if (error != nullptr) {
            *error = message;
        }
        return false;
    }

    // The value of the option at `index` ("--name VALUE" or "--name=VALUE"); advances past it.
    std::optional<QString> value(const QString& name, const QString& argument) {
        if (argument.startsWith(name + QLatin1Char('='))) {
            return argument.mid(name.size() + 1);
        }
        if (index + 1 >= arguments.size()) {
            fail(name + QStringLiteral(" needs a value"));
            return std::nullopt;
        }
        ++index;
        return arguments.at(index);
    }

    bool number(const QString& name, const QString& argument, int minimum, int maximum,
                std::optional<int>& target) {
        const std::optional<QString> text = value(name, argument);
        if (!text) {
            return false;
        }
        target = numberIn(*text, minimum, maximum);
        if (!target) {
            return fail(name + QStringLiteral(" takes a number from %1 to %2, not \"%3\"")
                                   .arg(minimum)
                                   .arg(maximum)
                                   .arg(*text));
        }
        return true;
    }
};

bool named(const QString& argument, const char* name) {
    const QLatin1String option(name);
    return argument == option || argument.startsWith(option + QLatin1Char('='));
}

bool parseLan(const QString& text, BusArguments& parsed) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return false;
    }
    const QString host = text.left(colon);
    QHostAddress address;
    if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv4Protocol) {
        return false;
    }
    const std::optional<int> port = numberIn(text.mid(colon + 1), 1, 65535);
    if (!port) {
        return false;
    }
    parsed.lanHost = host;
    parsed.lanPort = *port;
    return true;
}

bool isLatin1(const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

bool checkRequired(BusCommand command, const BusArguments& parsed, Reader& reader) {
    switch (command) {
    case BusCommand::Scan:
        if (!parsed.from || !parsed.to) {
            return reader.fail(QStringLiteral("--from and --to are required"));
        }
        return true;
    case BusCommand::Read:
        if (!parsed.address) {
            return reader.fail(QStringLiteral("--address is required"));
        }
        return true;
    case BusCommand::Send:
        if (parsed.hex.has_value() == parsed.ascii.has_value()) {
            return reader.fail(QStringLiteral("give one of --hex and --ascii"));
        }
        return true;
    case BusCommand::Device:
    case BusCommand::Common:
        return true;
    }
    return true;
}

} // namespace

std::optional<BusArguments> parseBusArguments(BusCommand command, const QStringList& arguments,
                                              QString* error) {
    BusArguments parsed;
    Reader reader{arguments, 0, error};
    for (; reader.index < arguments.size(); ++reader.index) {
        const QString argument = arguments.at(reader.index);
        bool ok = true;
        if (named(argument, "--home")) {
            const std::optional<QString> home = reader.value(QStringLiteral("--home"), argument);
            ok = home.has_value();
            if (ok && (home->isEmpty() || !QDir(*home).exists())) {
                ok = reader.fail(QStringLiteral("--home: no folder \"%1\"").arg(*home));
            }
            if (ok) {
                parsed.home = *home;
            }
        } else if (named(argument, "--port")) {
            const std::optional<QString> port = reader.value(QStringLiteral("--port"), argument);
            ok = port.has_value();
            if (ok && port->isEmpty()) {
                ok = reader.fail(QStringLiteral("--port needs a port name"));
            }
            if (ok) {
                parsed.port = *port;
            }
        } else if (named(argument, "--lan")) {
            const std::optional<QString> lan = reader.value(QStringLiteral("--lan"), argument);
            ok = lan.has_value();
            if (ok && !parseLan(*lan, parsed)) {
                ok = reader.fail(QStringLiteral("--lan takes IPv4-ADDRESS:PORT, not \"%1\"").arg(*lan));
            }
        } else if (named(argument, "--timeout")) {
            ok = reader.number(QStringLiteral("--timeout"), argument, kMinTimeout, kMaxTimeout,
                               parsed.timeout);
        } else if (named(argument, "--retry")) {
            ok = reader.number(QStringLiteral("--retry"), argument, 0, kMaxRetry, parsed.retry);
        } else if (argument == QLatin1String("--whole-timeout")) {
            parsed.wholeTimeout = true;
        } else if (argument == QLatin1String("--json")) {
            parsed.json = true;
        } else if (command == BusCommand::Scan && named(argument, "--from")) {
            ok = reader.number(QStringLiteral("--from"), argument, 0, kMaxPrimaryAddress, parsed.from);
        } else if (command == BusCommand::Scan && named(argument, "--to")) {
            ok = reader.number(QStringLiteral("--to"), argument, 0, kMaxPrimaryAddress, parsed.to);
        } else if (command == BusCommand::Read && named(argument, "--address")) {
            ok = reader.number(QStringLiteral("--address"), argument, 0, kMaxPrimaryAddress, parsed.address);
        } else if (command == BusCommand::Send && (named(argument, "--hex") || named(argument, "--ascii"))) {
            const bool hex = named(argument, "--hex");
            const QString name = hex ? QStringLiteral("--hex") : QStringLiteral("--ascii");
            const std::optional<QString> text = reader.value(name, argument);
            ok = text.has_value();
            if (ok && text->isEmpty()) {
                ok = reader.fail(name + QStringLiteral(" needs a command"));
            }
            if (ok && !isLatin1(*text)) {
                ok = reader.fail(name + QStringLiteral(" takes 8-bit characters only"));
            }
            if (ok) {
                (hex ? parsed.hex : parsed.ascii) = *text;
            }
        } else if (command == BusCommand::Device && !argument.startsWith(QLatin1String("--"))) {
            parsed.positional.append(argument);
        } else {
            ok = reader.fail(QStringLiteral("unknown argument \"%1\"").arg(argument));
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (parsed.port && parsed.lanHost) {
        reader.fail(QStringLiteral("--port and --lan exclude each other"));
        return std::nullopt;
    }
    if (!checkRequired(command, parsed, reader)) {
        return std::nullopt;
    }
    return parsed;
}

void applyOverrides(const BusArguments& arguments, Settings& settings) {
    if (arguments.port) {
        settings.PortName = *arguments.port;
        settings.UseEthernet = false;
        settings.UseLanXp = false;
        settings.UseFerrinServ = false;
    }
    if (arguments.lanHost && arguments.lanPort) {
        settings.UseLanXp = true;
        settings.UseEthernet = false;
        settings.UseFerrinServ = false;
        settings.RemoteIp = *arguments.lanHost;
        settings.RemotePort = QString::number(*arguments.lanPort);
    }
    if (arguments.timeout) {
        settings.Timeout = *arguments.timeout;
    }
    if (arguments.retry) {
        settings.Retry = *arguments.retry;
    }
    if (arguments.wholeTimeout) {
        settings.FastReply = false;
    }
}

} // namespace holvex::cli
