#include "devices/receiver/settings_lines.h"

namespace holvex::receiver {

namespace {

constexpr int kMinSaveInterval = 1;
constexpr int kMaxSaveInterval = 240;

QByteArray twoDigits(int value) {
    return QByteArray::number(value).rightJustified(2, '0');
}

ReceiverCommand command(const char* prefix, const QByteArray& argument, const QString& logText) {
    return ReceiverCommand{QByteArray(prefix), argument, logText};
}

struct NamedCode {
    const char* name;
    int code;
};

// Listed in the page's order; the codes are the receiver's own and not in list order.
constexpr NamedCode kRadioModes[] = {
    {"T1", 1}, {"T2", 2}, {"S1", 3}, {"S2", 0}, {"R", 4}, {"T1+C", 10}, {"T2+C", 11},
};
constexpr int kUnknownRadioModeCode = 1;

constexpr NamedCode kRoles[] = {{"Master", 1}, {"Repeater", 2}, {"Slave", 0}};

constexpr NamedCode kWorkModes[] = {{"Normal", 0}, {"Accept All", 2}, {"Install", 1}};
constexpr int kListedWorkModes = 2; // "Install" is accepted when typed but not offered

struct OptionPrefix {
    const char* option;
    const char* prefix;
};

constexpr OptionPrefix kOptions[] = {
    {"RSSI", "set rssi="},        {"Timestamp", "set tmst="},    {"Min/Hours", "set minc="},
    {"Transparent", "set trns="}, {"Secondary ID", "set ambr="}, {"Master Key", "set mast="},
};

template <std::size_t N> std::optional<int> codeOf(const NamedCode (&table)[N], const QString& name) {
    for (const NamedCode& entry : table) {
        if (name == QLatin1String(entry.name)) {
            return entry.code;
        }
    }
    return std::nullopt;
}

template <std::size_t N> QStringList namesOf(const NamedCode (&table)[N], std::size_t count = N) {
    QStringList names;
    for (std::size_t i = 0; i < count && i < N; ++i) {
        names.append(QLatin1String(table[i].name));
    }
    return names;
}

} // namespace

ReceiverCommand dateCommand(const QDate& date) {
    const QByteArray argument =
        twoDigits(date.day()) + '/' + twoDigits(date.month()) + '/' + twoDigits(date.year() % 100);
    return command("set date=", argument, QStringLiteral("Setting date of Ravik-Q..."));
}

ReceiverCommand timeCommand(const QTime& time) {
    const QByteArray argument =
        twoDigits(time.hour()) + ':' + twoDigits(time.minute()) + ':' + twoDigits(time.second());
    return command("set time=", argument, QStringLiteral("Setting time of Ravik-Q..."));
}

std::optional<ReceiverCommand> saveIntervalCommand(const QString& interval) {
    bool ok = false;
    const int value = interval.trimmed().toInt(&ok);
    if (!ok || value < kMinSaveInterval || value > kMaxSaveInterval) {
        return std::nullopt;
    }
    return command("set pito=", QByteArray::number(value),
                   QStringLiteral("Setting readout intervals of Ravik-Q..."));
}

ReceiverCommand radioModeCommand(const QString& mode) {
    const int code = codeOf(kRadioModes, mode).value_or(kUnknownRadioModeCode);
    return command("set wmod=", QByteArray::number(code),
                   QStringLiteral("Setting wireless working mode of Ravik-Q..."));
}

const QStringList& radioModes() {
    static const QStringList names = namesOf(kRadioModes);
    return names;
}

std::optional<ReceiverCommand> roleCommand(const QString& role) {
    const auto code = codeOf(kRoles, role);
    if (!code) {
        return std::nullopt;
    }
    return command("set nrol=", QByteArray::number(*code),
                   QStringLiteral("Setting wireless role of Ravik-Q..."));
}

const QStringList& roles() {
    static const QStringList names = namesOf(kRoles);
    return names;
}

std::optional<ReceiverCommand> workModeCommand(const QString& workMode) {
    const auto code = codeOf(kWorkModes, workMode);
    if (!code) {
        return std::nullopt;
    }
    return command("set wwrk=", QByteArray::number(*code),
                   QStringLiteral("Setting mode of work of Ravik-Q..."));
}

const QStringList& workModes() {
    static const QStringList names = namesOf(kWorkModes, kListedWorkModes);
    return names;
}

std::optional<ReceiverCommand> optionCommand(const QString& option, bool on) {
    for (const OptionPrefix& entry : kOptions) {
        if (option == QLatin1String(entry.option)) {
            return command(entry.prefix, on ? QByteArray("1") : QByteArray("0"),
                           QStringLiteral("Setting ") + option + QStringLiteral(" of Ravik-Q..."));
        }
    }
    return std::nullopt;
}

const QStringList& options() {
    static const QStringList names = [] {
        QStringList list;
        for (const OptionPrefix& entry : kOptions) {
            list.append(QLatin1String(entry.option));
        }
        return list;
    }();
    return names;
}

ReceiverCommand servingInfoCommand() {
    return command("get serv", {}, {});
}

ReceiverCommand wirelessInfoCommand() {
    return command("get wsta", {}, {});
}

ReceiverCommand transparentModeCommand(bool on, bool upToV301f) {
    return command(upToV301f ? "set rtra=" : "set trns=", on ? QByteArray("1") : QByteArray("0"), {});
}

} // namespace holvex::receiver
