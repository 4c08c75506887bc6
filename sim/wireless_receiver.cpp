#include "sim/wireless_receiver.h"

#include "sim/radio_telegram.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace holvex::sim {

namespace {

constexpr int kMaxSaveInterval = 240;
constexpr int kMaxUnitCode = 16;
constexpr int kYearBase = 2000;
constexpr const char* kSettingKeys[] = {"date", "time", "pito", "wmod", "nrol", "wwrk",
                                        "bind", "encr", "akey", "entr", "unit"};

struct Named {
    int code;
    const char* name;
};

constexpr Named kRadioModes[] = {{0, "S2"}, {1, "T1"},    {2, "T2"},   {3, "S1"},
                                 {4, "R"},  {10, "T1+C"}, {11, "T2+C"}};
constexpr Named kRoles[] = {{0, "slave"}, {1, "master"}, {2, "repeater"}};
constexpr Named kWorkModes[] = {{0, "normal"}, {1, "install"}, {2, "accept all"}};

// The option names as the receiver page shows them.
constexpr struct {
    const char* key;
    const char* name;
} kOptionNames[] = {{"rssi", "RSSI"},        {"tmst", "Timestamp"},    {"minc", "Min/Hours"},
                    {"trns", "Transparent"}, {"ambr", "Secondary ID"}, {"mast", "Master Key"}};

template <std::size_t N> const char* nameOf(const Named (&table)[N], int code) {
    for (const Named& n : table) {
        if (n.code == code) {
            return n.name;
        }
    }
    return nullptr;
}

// A name for the information answers; the settings hold only known codes.
template <std::size_t N> QByteArray shownName(const Named (&table)[N], int code) {
    const char* name = nameOf(table, code);
    return name ? QByteArray(name) : QByteArray::number(code);
}

QByteArray optionName(const QByteArray& key) {
    for (const auto& o : kOptionNames) {
        if (key == o.key) {
            return o.name;
        }
    }
    return {};
}

bool isSettingKey(const QByteArray& key) {
    return std::any_of(std::begin(kSettingKeys), std::end(kSettingKeys),
                       [&key](const char* k) { return key == k; });
}

QByteArray line(const QByteArray& text) {
    return text + '\n';
}

QByteArray twoDigits(int n) {
    return QByteArray::number(n).rightJustified(2, '0');
}

std::optional<int> numberIn(const QByteArray& text, int low, int high) {
    const auto n = decimalNumber(text, 3);
    return n && *n >= low && *n <= high ? n : std::nullopt;
}

// An ID as the lines carry it: 8 hex digits; upper case once kept.
std::optional<QByteArray> idOf(const QByteArray& text) {
    return radioIdBytes(text) ? std::optional<QByteArray>(text.toUpper()) : std::nullopt;
}

QByteArray hexId(const QByteArray& bytesLsbFirst) {
    QByteArray text;
    for (qsizetype k = bytesLsbFirst.size() - 1; k >= 0; --k) {
        text += QByteArray(1, bytesLsbFirst.at(k)).toHex().toUpper();
    }
    return text;
}

QByteArray manufacturerLetters(std::uint16_t code) {
    QByteArray letters;
    for (int shift = 10; shift >= 0; shift -= 5) {
        letters += static_cast<char>(((code >> shift) & 0x1F) + 64);
    }
    return letters;
}

// The trace shows raw bytes as hex.
QString spaced(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

WirelessReceiver::WirelessReceiver(ReceiverConfig config)
    : m_config(std::move(config)),
      m_relay(m_config.meters, m_config.air, m_config.paceMs, m_config.splitGapMs) {
    if (!m_config.clock.isValid()) {
        m_config.clock = QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    }
    for (const char* key : kReceiverOptionKeys) {
        m_config.options.insert(key, m_config.options.value(key));
    }
    if (transparent()) {
        m_relay.start(0);
    }
}

bool WirelessReceiver::knows(const TextLine& line) {
    return line.verb == "set" || line.verb == "get" || line.verb == "del";
}

bool WirelessReceiver::upToV301f() const {
    // "3.01f": major, two-digit minor, an optional letter.
    const QByteArray& f = m_config.firmware;
    const qsizetype dot = f.indexOf('.');
    const auto major = dot > 0 ? decimalNumber(f.left(dot), 3) : std::nullopt;
    const auto minor = major ? decimalNumber(f.mid(dot + 1, 2), 2) : std::nullopt;
    if (!minor) {
        return false;
    }
    const char letter = f.size() > dot + 3 ? f.at(dot + 3) : '\0';
    return std::make_tuple(*major, *minor, letter) <= std::make_tuple(3, 1, 'f');
}

QList<QByteArray> WirelessReceiver::takeRelayed(qint64 nowMs) {
    return m_relay.take(nowMs, option("rssi"));
}

QString WirelessReceiver::takeChange() {
    return std::exchange(m_change, {});
}

std::optional<QByteArray> WirelessReceiver::answer(const TextLine& line, qint64 nowMs) {
    ++m_linesSeen;
    const TextDeviceFaults& f = m_config.faults.text;
    if (f.silent || m_linesSeen <= f.answerAfter) {
        return std::nullopt;
    }
    return carryOut(line, nowMs);
}

QByteArray WirelessReceiver::carryOut(const TextLine& line, qint64 nowMs) {
    if (line.verb == "get") {
        return information(line);
    }
    if (line.verb == "del") {
        return remove(line);
    }
    return set(line, nowMs);
}

QByteArray WirelessReceiver::set(const TextLine& l, qint64 nowMs) {
    const QByteArray& key = l.key;
    const QByteArray transparentKey = upToV301f() ? "rtra" : "trns";
    const bool isOption = key == transparentKey || (key != "trns" && !optionName(key).isEmpty());
    if (!isOption && !isSettingKey(key)) {
        return line("Unknown command");
    }
    if (!l.hasEquals) {
        return line("Wrong arguments");
    }
    if (isOption) {
        return setOption(key == transparentKey ? QByteArray("trns") : key, l.arguments, nowMs);
    }
    if (key == "date" || key == "time") {
        return setClock(key, l.arguments);
    }
    if (key == "bind") {
        return bind(l);
    }
    if (key == "encr" || key == "akey") {
        return storeKey(l);
    }
    if (key == "entr") {
        return activate(l);
    }
    if (key == "unit") {
        return setUnit(l);
    }
    return setChoice(key, l.arguments);
}

QByteArray WirelessReceiver::setClock(const QByteArray& key, const QByteArray& argument) {
    const bool date = key == "date";
    const QList<QByteArray> p = argument.split(date ? '/' : ':');
    std::optional<int> n[3];
    for (qsizetype i = 0; i < 3 && p.size() == 3 && argument.size() == 8; ++i) {
        n[i] = p.at(i).size() == 2 ? decimalNumber(p.at(i), 2) : std::nullopt;
    }
    if (!n[0] || !n[1] || !n[2]) {
        return line(date ? "Date: wrong value" : "Time: wrong value");
    }
    if (date) {
        const QDate d(kYearBase + *n[2], *n[1], *n[0]);
        if (!d.isValid()) {
            return line("Date: wrong value");
        }
        m_config.clock.setDate(d);
    } else {
        const QTime t(*n[0], *n[1], *n[2]);
        if (!t.isValid()) {
            return line("Time: wrong value");
        }
        m_config.clock.setTime(t);
    }
    m_change = QStringLiteral("%1 %2").arg(QString::fromLatin1(key), QString::fromLatin1(argument));
    return line((date ? "Date " : "Time ") + argument);
}

QByteArray WirelessReceiver::setChoice(const QByteArray& key, const QByteArray& argument) {
    if (key == "pito") {
        const auto minutes = numberIn(argument, 1, kMaxSaveInterval);
        if (!minutes) {
            return line("Save interval: wrong value");
        }
        m_config.saveInterval = *minutes;
        m_change = QStringLiteral("save interval %1 min").arg(*minutes);
        return line("Save interval " + QByteArray::number(*minutes) + " min");
    }
    const auto code = decimalNumber(argument, 2);
    const char* name = nullptr;
    const char* what = nullptr;
    int* target = nullptr;
    if (key == "wmod") {
        name = code ? nameOf(kRadioModes, *code) : nullptr;
        what = "Radio mode";
        target = &m_config.radioMode;
    } else if (key == "nrol") {
        name = code ? nameOf(kRoles, *code) : nullptr;
        what = "Role";
        target = &m_config.role;
    } else {
        name = code ? nameOf(kWorkModes, *code) : nullptr;
        what = "Work mode";
        target = &m_config.workMode;
    }
    if (!name) {
        return line(QByteArray(what) + ": wrong value");
    }
    *target = *code;
    m_change = QStringLiteral("%1 %2").arg(QString::fromLatin1(what).toLower(), QLatin1String(name));
    return line(QByteArray(what) + ' ' + name);
}

QByteArray WirelessReceiver::setOption(const QByteArray& key, const QByteArray& argument, qint64 nowMs) {
    const QByteArray name = optionName(key);
    if (argument != "0" && argument != "1") {
        return line(name + ": wrong value");
    }
    const bool on = argument == "1";
    m_config.options[key] = on;
    m_change = QStringLiteral("%1 %2").arg(QString::fromLatin1(name), on ? "on" : "off");
    if (key != "trns") {
        return line(name + (on ? " on" : " off"));
    }
    // The switch of the transparent output: the program waits for exactly this answer.
    if (on) {
        m_relay.start(nowMs);
    } else {
        m_relay.stop();
    }
    return line("Done!");
}

QByteArray WirelessReceiver::bind(const TextLine& l) {
    const QList<QByteArray> args = l.argumentList(2);
    const auto address = numberIn(args.first(), 1, kReceiverBindings);
    if (!address) {
        return line("Wrong address");
    }
    if (args.size() < 2 || args.at(1).size() != kSecondaryAddressBytes) {
        return line("Secondary address: wrong length");
    }
    const QByteArray& s = args.at(1);
    m_config.bindings.insert(*address, s);
    m_change = QStringLiteral("binds %1 to %2").arg(*address).arg(spaced(s));
    const std::uint16_t maker = static_cast<std::uint16_t>(static_cast<std::uint8_t>(s.at(4)) |
                                                           (static_cast<std::uint8_t>(s.at(5)) << 8));
    return line("Meter " + QByteArray::number(*address) + " bound: " + hexId(s.left(4)) + ' ' +
                manufacturerLetters(maker) + " v" + QByteArray::number(static_cast<std::uint8_t>(s.at(6))) +
                " d" + QByteArray::number(static_cast<std::uint8_t>(s.at(7))));
}

QByteArray WirelessReceiver::storeKey(const TextLine& l) {
    const QList<QByteArray> args = l.argumentList(2);
    const bool byId = l.key == "akey";
    std::optional<int> address;
    std::optional<QByteArray> id;
    if (byId) {
        id = idOf(args.first());
    } else {
        address = numberIn(args.first(), 0, kReceiverEntries);
    }
    if (!address && !id) {
        return line(byId ? "Wrong ID" : "Wrong address");
    }
    if (args.size() < 2 || args.at(1).size() != kRadioKeyBytes) {
        return line("Key: wrong length");
    }
    const QByteArray& key = args.at(1);
    if ((address && *address == 0) || (id && *id == "00000000")) {
        m_config.masterKey = key;
        m_change = QStringLiteral("master key %1").arg(spaced(key));
        return line("Master key stored");
    }
    if (address) {
        m_config.addressKeys.insert(*address, key);
    } else {
        m_config.idKeys.insert(*id, key);
    }
    const QByteArray under = address ? QByteArray::number(*address) : *id;
    m_change = QStringLiteral("key of %1: %2").arg(QString::fromLatin1(under), spaced(key));
    return line("Key " + under + " stored");
}

QByteArray WirelessReceiver::activate(const TextLine& l) {
    ++m_activationsSeen;
    const QList<QByteArray> args = l.argumentList(2);
    const auto address = numberIn(args.first(), 1, kReceiverEntries);
    if (!address) {
        return line("Wrong address");
    }
    const auto id = args.size() == 2 ? idOf(args.at(1)) : std::nullopt;
    if (!id) {
        return line("Wrong ID");
    }
    const ReceiverFaults& f = m_config.faults;
    if (f.neverDone || m_activationsSeen <= f.busyActivations) {
        return line("Busy, try again");
    }
    const auto it = m_config.entries.constFind(*address);
    if (it != m_config.entries.cend() && it->id == *id) {
        return line("Entry " + QByteArray::number(*address) + " already active");
    }
    m_config.entries.insert(*address, ReceiverEntry{.id = *id, .unitCode = -1});
    m_change = QStringLiteral("activates %1 with ID %2").arg(*address).arg(QString::fromLatin1(*id));
    return line("Done!");
}

QByteArray WirelessReceiver::setUnit(const TextLine& l) {
    const QList<QByteArray> args = l.argumentList(2);
    const auto address = numberIn(args.first(), 1, kReceiverEntries);
    if (!address) {
        return line("Wrong address");
    }
    const QByteArray head = "Entry " + QByteArray::number(*address);
    if (!m_config.entries.contains(*address)) {
        return line(head + " not active");
    }
    const auto code = args.size() == 2 ? decimalNumber(args.at(1), 2) : std::nullopt;
    if (!code || *code > kMaxUnitCode) {
        return line("Unit: wrong value");
    }
    m_config.entries[*address].unitCode = *code;
    m_change = QStringLiteral("entry %1 unit %2").arg(*address).arg(*code);
    return line(head + " unit " + QByteArray::number(*code));
}

QByteArray WirelessReceiver::remove(const TextLine& l) {
    const bool entry = l.key == "entr";
    if (!entry && l.key != "bind") {
        return line("Unknown command");
    }
    const auto address =
        l.hasEquals ? numberIn(l.arguments, 1, entry ? kReceiverEntries : kReceiverBindings) : std::nullopt;
    if (!address) {
        return line("Wrong address");
    }
    const QByteArray a = QByteArray::number(*address);
    if (entry) {
        if (m_config.entries.remove(*address) == 0) {
            return line("Entry " + a + " not active");
        }
        m_change = QStringLiteral("deletes entry %1").arg(*address);
        return line("Entry " + a + " deleted");
    }
    if (m_config.bindings.remove(*address) == 0) {
        return line("Nothing bound at " + a);
    }
    m_change = QStringLiteral("unbinds %1").arg(*address);
    return line("Meter " + a + " unbound");
}

QByteArray WirelessReceiver::information(const TextLine& l) const {
    if (l.key != "serv" && l.key != "wsta") {
        return line("Unknown command");
    }
    if (l.hasEquals) {
        return line("Wrong arguments");
    }
    return l.key == "serv" ? serviceInfo() : wirelessInfo();
}

QByteArray WirelessReceiver::serviceInfo() const {
    const QDateTime& c = m_config.clock;
    const qsizetype keys = m_config.addressKeys.size() + m_config.idKeys.size();
    return line("Ravik-Q wireless M-Bus receiver") + line("Serial number: " + m_config.serial) +
           line("Firmware: " + m_config.firmware) +
           line("Date: " + twoDigits(c.date().day()) + '/' + twoDigits(c.date().month()) + '/' +
                twoDigits(c.date().year() % 100)) +
           line("Time: " + twoDigits(c.time().hour()) + ':' + twoDigits(c.time().minute()) + ':' +
                twoDigits(c.time().second())) +
           line("Save interval: " + QByteArray::number(m_config.saveInterval) + " min") +
           line("Active meters: " + QByteArray::number(m_config.entries.size())) +
           line("Bound meters: " + QByteArray::number(m_config.bindings.size())) +
           line("Keys: " + QByteArray::number(keys) +
                (m_config.masterKey.isEmpty() ? QByteArray(", no master key")
                                              : QByteArray(", master key set")));
}

QByteArray WirelessReceiver::wirelessInfo() const {
    QByteArray out = line("Radio mode: " + shownName(kRadioModes, m_config.radioMode)) +
                     line("Role: " + shownName(kRoles, m_config.role)) +
                     line("Work mode: " + shownName(kWorkModes, m_config.workMode));
    for (const auto& o : kOptionNames) {
        out += line(QByteArray(o.name) + ": " + (option(o.key) ? "on" : "off"));
    }
    return out + line("Telegrams relayed: " + QByteArray::number(m_relay.telegramsWritten()));
}

} // namespace holvex::sim
