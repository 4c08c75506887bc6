#include "cli/bus_arguments.h"

#include "settings/settings.h"

#include <QDir>
#include <QHostAddress>

namespace holvex::cli {

namespace {

// A whole decimal number within minimum..maximum.
std::optional<int> NumberIn(const QString& text, int minimum, int maximum) {
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

    bool Fail(const QString& message) {
        if (error != nullptr) {
            *error = message;
        }
        return false;
    }

    // The value of the option at `index` ("--name VALUE" or "--name=VALUE"); advances past it.
    std::optional<QString> Value(const QString& name, const QString& argument) {
        if (argument.startsWith(name + QLatin1Char('='))) {
            return argument.mid(name.size() + 1);
        }
        if (index + 1 >= arguments.size()) {
            Fail(name + QStringLiteral(" needs a value"));
            return std::nullopt;
        }
        ++index;
        return arguments.at(index);
    }

    bool Number(const QString& name, const QString& argument, int minimum, int maximum,
                std::optional<int>& target) {
        const std::optional<QString> text = Value(name, argument);
        if (!text) {
            return false;
        }
        target = NumberIn(*text, minimum, maximum);
        if (!target) {
            return Fail(name + QStringLiteral(" takes a number from %1 to %2, not \"%3\"")
                                   .arg(minimum)
                                   .arg(maximum)
                                   .arg(*text));
        }
        return true;
    }
};

bool Named(const QString& argument, const char* name) {
    const QLatin1String option(name);
    return argument == option || argument.startsWith(option + QLatin1Char('='));
}

bool ParseLan(const QString& text, BusArguments& parsed) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return false;
    }
    const QString host = text.left(colon);
    QHostAddress address;
    if (!address.setAddress(host) || address.protocol() != QAbstractSocket::IPv4Protocol) {
        return false;
    }
    const std::optional<int> port = NumberIn(text.mid(colon + 1), 1, 65535);
    if (!port) {
        return false;
    }
    parsed.lanHost = host;
    parsed.lanPort = *port;
    return true;
}

bool IsLatin1(const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

bool CheckRequired(BusCommand command, const BusArguments& parsed, Reader& reader) {
    switch (command) {
    case BusCommand::Scan:
        if (!parsed.from || !parsed.to) {
            return reader.Fail(QStringLiteral("--from and --to are required"));
        }
        return true;
    case BusCommand::Read:
        if (!parsed.address) {
            return reader.Fail(QStringLiteral("--address is required"));
        }
        return true;
    case BusCommand::Send:
        if (parsed.hex.has_value() == parsed.ascii.has_value()) {
            return reader.Fail(QStringLiteral("give one of --hex and --ascii"));
        }
        return true;
    }
    return true;
}

} // namespace

std::optional<BusArguments> ParseBusArguments(BusCommand command, const QStringList& arguments,
                                              QString* error) {
    BusArguments parsed;
    Reader reader{arguments, 0, error};
    for (; reader.index < arguments.size(); ++reader.index) {
        const QString argument = arguments.at(reader.index);
        bool ok = true;
        if (Named(argument, "--home")) {
            const std::optional<QString> home = reader.Value(QStringLiteral("--home"), argument);
            ok = home.has_value();
            if (ok && (home->isEmpty() || !QDir(*home).exists())) {
                ok = reader.Fail(QStringLiteral("--home: no folder \"%1\"").arg(*home));
            }
            if (ok) {
                parsed.home = *home;
            }
        } else if (Named(argument, "--port")) {
            const std::optional<QString> port = reader.Value(QStringLiteral("--port"), argument);
            ok = port.has_value();
            if (ok && port->isEmpty()) {
                ok = reader.Fail(QStringLiteral("--port needs a port name"));
            }
            if (ok) {
                parsed.port = *port;
            }
        } else if (Named(argument, "--lan")) {
            const std::optional<QString> lan = reader.Value(QStringLiteral("--lan"), argument);
            ok = lan.has_value();
            if (ok && !ParseLan(*lan, parsed)) {
                ok = reader.Fail(QStringLiteral("--lan takes IPv4-ADDRESS:PORT, not \"%1\"").arg(*lan));
            }
        } else if (Named(argument, "--timeout")) {
            ok = reader.Number(QStringLiteral("--timeout"), argument, kMinTimeout, kMaxTimeout,
                               parsed.timeout);
        } else if (Named(argument, "--retry")) {
            ok = reader.Number(QStringLiteral("--retry"), argument, 0, kMaxRetry, parsed.retry);
        } else if (argument == QLatin1String("--json")) {
            parsed.json = true;
        } else if (command == BusCommand::Scan && Named(argument, "--from")) {
            ok = reader.Number(QStringLiteral("--from"), argument, 0, kMaxPrimaryAddress, parsed.from);
        } else if (command == BusCommand::Scan && Named(argument, "--to")) {
            ok = reader.Number(QStringLiteral("--to"), argument, 0, kMaxPrimaryAddress, parsed.to);
        } else if (command == BusCommand::Read && Named(argument, "--address")) {
            ok = reader.Number(QStringLiteral("--address"), argument, 0, kMaxPrimaryAddress, parsed.address);
        } else if (command == BusCommand::Send && (Named(argument, "--hex") || Named(argument, "--ascii"))) {
            const bool hex = Named(argument, "--hex");
            const QString name = hex ? QStringLiteral("--hex") : QStringLiteral("--ascii");
            const std::optional<QString> text = reader.Value(name, argument);
            ok = text.has_value();
            if (ok && text->isEmpty()) {
                ok = reader.Fail(name + QStringLiteral(" needs a command"));
            }
            if (ok && !IsLatin1(*text)) {
                ok = reader.Fail(name + QStringLiteral(" takes 8-bit characters only"));
            }
            if (ok) {
                (hex ? parsed.hex : parsed.ascii) = *text;
            }
        } else {
            ok = reader.Fail(QStringLiteral("unknown argument \"%1\"").arg(argument));
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (parsed.port && parsed.lanHost) {
        reader.Fail(QStringLiteral("--port and --lan exclude each other"));
        return std::nullopt;
    }
    if (!CheckRequired(command, parsed, reader)) {
        return std::nullopt;
    }
    return parsed;
}

void ApplyOverrides(const BusArguments& arguments, Settings& settings) {
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
}

} // namespace holvex::cli
