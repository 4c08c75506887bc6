#include "sim/display_unit.h"

#include "sim/display_answers.h"

#include <algorithm>

namespace holvex::sim {

namespace {

// The entry settings "SET xxxx=a,value" and what the trace calls them.
constexpr const char* kEntrySettings[] = {"UNIT", "CONM", "COND", "INIT", "NUMB", "TEXT", "TEX2", "DELP"};
constexpr const char* kUnitSettings[] = {"ENTR", "DATE", "TIME", "LOCK", "REFR", "SRTP", "SORT", "READ"};
constexpr const char* kReadOuts[] = {"ADDR", "ENTR", "TARR", "HIST", "MAIN", "SERV"};

constexpr int kMaxFactor = 9999;
constexpr double kMaxInitial = 99999999.0;
constexpr int kMinRefresh = 4;
constexpr int kMaxRefresh = 12;

template <std::size_t N> bool among(const QByteArray& key, const char* const (&keys)[N]) {
    return std::any_of(std::begin(keys), std::end(keys), [&key](const char* k) { return key == k; });
}

std::optional<int> addressOf(const QByteArray& text) {
    const auto a = decimalNumber(text, 3);
    return a && *a >= 1 && *a <= kDisplayEntries ? a : std::nullopt;
}

// A decimal value with an optional "." (the program turns "," into "."): digits on at least one side.
std::optional<double> decimalValue(const QByteArray& text) {
    if (text.isEmpty() || text.size() > 16 || text.count('.') > 1 || text == ".") {
        return std::nullopt;
    }
    for (char c : text) {
        if ((c < '0' || c > '9') && c != '.') {
            return std::nullopt;
        }
    }
    const double value = text.toDouble();
    return value <= kMaxInitial ? std::optional<double>(value) : std::nullopt;
}

// Free text is kept on one line: control characters would break the answer lines apart.
QByteArray freeText(QByteArray text) {
    text.truncate(kFreeTextLength);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return text;
}

QByteArray twoDigits(int n) {
    return QByteArray::number(n).rightJustified(2, '0');
}

QByteArray entryText(int address) {
    return "Entry " + QByteArray::number(address) + ": ";
}

} // namespace

DisplayUnit::DisplayUnit(DisplayConfig config) : m_config(std::move(config)) {
    if (!m_config.clock.isValid()) {
        m_config.clock = QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    }
}

bool DisplayUnit::knows(const TextLine& line) {
    if (line.verb == "SET") {
        return among(line.key, kEntrySettings) || among(line.key, kUnitSettings);
    }
    if (line.verb == "GET") {
        return among(line.key, kReadOuts);
    }
    return line.verb == "DEL" && line.key == "ENTR";
}

const DisplayEntry& DisplayUnit::entry(int address) const {
    static const DisplayEntry kInactive;
    const auto it = m_config.entries.constFind(address);
    return it == m_config.entries.cend() ? kInactive : *it;
}

QList<int> DisplayUnit::activeAddresses() const {
    QList<int> active;
    for (auto it = m_config.entries.cbegin(); it != m_config.entries.cend(); ++it) {
        if (it->active) {
            active.append(it.key());
        }
    }
    return active;
}

QString DisplayUnit::takeChange() {
    QString change;
    change.swap(m_change);
    return change;
}

std::optional<QByteArray> DisplayUnit::answer(const TextLine& line) {
    ++m_linesSeen;
    if (m_config.faults.silent || m_linesSeen <= m_config.faults.answerAfter) {
        return std::nullopt;
    }
    return carryOut(line);
}

QByteArray DisplayUnit::carryOut(const TextLine& line) {
    const QByteArray& key = line.key;
    if (line.verb == "GET") {
        return readOut(key, line);
    }
    if (line.verb == "DEL") {
        const auto a = line.hasEquals ? addressOf(line.arguments) : std::nullopt;
        return a ? remove(*a) : QByteArray("Wrong address");
    }
    if (among(key, kEntrySettings)) {
        return setEntry(key, line);
    }
    if (key == "ENTR") {
        const auto a = line.hasEquals ? addressOf(line.arguments) : std::nullopt;
        return a ? activate(*a) : QByteArray("Wrong address");
    }
    if (key == "DATE" || key == "TIME") {
        return line.hasEquals ? setClock(key, line.arguments) : QByteArray("Wrong arguments");
    }
    return setUnitOption(key, line);
}

QByteArray DisplayUnit::activate(int address) {
    DisplayEntry& e = m_config.entries[address];
    if (e.active) {
        return entryText(address) + "Already active";
    }
    e.active = true;
    m_change = QStringLiteral("activates entry %1").arg(address);
    return entryText(address) + "Active";
}

QByteArray DisplayUnit::remove(int address) {
    if (!entry(address).active) {
        return entryText(address) + "not active";
    }
    // The entry goes back to a blank one: settings, readings and history are gone.
    m_config.entries.remove(address);
    m_change = QStringLiteral("deletes entry %1").arg(address);
    return entryText(address) + "deleted";
}

QByteArray DisplayUnit::setEntry(const QByteArray& what, const TextLine& line) {
    const QList<QByteArray> args = line.argumentList(2);
    const auto a = line.hasEquals ? addressOf(args.first()) : std::nullopt;
    if (!a) {
        return "Wrong address";
    }
    if (!entry(*a).active) {
        return entryText(*a) + "not active";
    }
    if (args.size() < 2) {
        return entryText(*a) + "wrong arguments";
    }
    DisplayEntry& e = m_config.entries[*a];
    const QByteArray& v = args.at(1);
    const QByteArray head = entryText(*a);
    QByteArray done;
    if (what == "UNIT") {
        const auto code = decimalNumber(v, 1);
        if (!code || *code < 1 || *code > 4) {
            return head + "wrong unit";
        }
        e.unitCode = *code;
        done = "unit " + unitText(e.unitCode);
    } else if (what == "CONM" || what == "COND") {
        const auto factor = decimalNumber(v, 4);
        const bool divider = what == "COND";
        // A divider of 0 would divide the readings by nothing: refused.
        if (!factor || *factor > kMaxFactor || (divider && *factor == 0)) {
            return head + (divider ? "wrong divider" : "wrong multiplier");
        }
        (divider ? e.divider : e.multiplier) = *factor;
        done = (divider ? "divider " : "multiplier ") + QByteArray::number(*factor);
    } else if (what == "INIT") {
        const auto value = decimalValue(v);
        if (!value) {
            return head + "wrong initial value";
        }
        e.initial = *value;
        done = "initial value " + valueText(e.initial);
    } else if (what == "NUMB") {
        if (!decimalNumber(v, 4)) {
            return head + "wrong user number";
        }
        e.userNumber = v;
        done = "user number " + v;
    } else if (what == "TEXT" || what == "TEX2") {
        (what == "TEXT" ? e.text : e.text2) = freeText(v);
        done = what == "TEXT" ? "text stored" : "second text stored";
    } else { // DELP
        if (v != "0") {
            return head + "wrong arguments";
        }
        e.initial = 0;
        done = "initial value zeroed";
    }
    m_change = QStringLiteral("entry %1: %2").arg(*a).arg(QString::fromLatin1(done));
    return head + done;
}

QByteArray DisplayUnit::readOut(const QByteArray& what, const TextLine& line) const {
    if (what == "ADDR" || what == "MAIN" || what == "SERV") {
        if (line.hasEquals) {
            return "Wrong arguments";
        }
        if (what == "ADDR") {
            return addressListAnswer(activeAddresses(), m_config.addressList);
        }
        return what == "MAIN" ? mainInfo() : serviceInfo();
    }
    const QList<QByteArray> args = line.argumentList(3);
    const auto a = line.hasEquals ? addressOf(args.first()) : std::nullopt;
    if (!a) {
        return "Wrong address";
    }
    // -1: no number (a plain int keeps gcc's optimiser from warning about an unset optional).
    const int n = args.size() == 2 ? decimalNumber(args.at(1), 2).value_or(-1) : -1;
    const DisplayEntry& e = entry(*a);
    if (what == "ENTR") {
        if (n < 0 || n > 2) {
            return entryText(*a) + "wrong arguments";
        }
        return n == 0 || e.active ? entryAnswer(*a, e, n) : entryText(*a) + "not active";
    }
    const bool tariff = what == "TARR";
    if (n < 0 || (tariff ? n > 3 : (n < 1 || n > kHistoryRecords))) {
        return entryText(*a) + (tariff ? "wrong tariff" : "wrong record");
    }
    if (!e.active) {
        return entryText(*a) + "not active";
    }
    return tariff ? tariffAnswer(*a, e, n)
                  : historyAnswer(*a, e, n, m_config.monthNames, m_config.blankDecember);
}

QByteArray DisplayUnit::setClock(const QByteArray& what, const QByteArray& argument) {
    // The unit's own forms: dd/mm/yy and hh:mm (the gateways take commas).
    if (what == "DATE") {
        const QList<QByteArray> p = argument.split('/');
        const auto d = p.size() == 3 && argument.size() == 8 ? decimalNumber(p.at(0), 2) : std::nullopt;
        const auto m = d ? decimalNumber(p.at(1), 2) : std::nullopt;
        const auto y = m ? decimalNumber(p.at(2), 2) : std::nullopt;
        const QDate date = y ? QDate(2000 + *y, *m, *d) : QDate();
        if (!date.isValid()) {
            return "Wrong date";
        }
        m_config.clock.setDate(date);
        m_change = QStringLiteral("date %1").arg(QString::fromLatin1(argument));
        return "Date " + argument;
    }
    const QList<QByteArray> p = argument.split(':');
    const auto h = p.size() == 2 && argument.size() == 5 ? decimalNumber(p.at(0), 2) : std::nullopt;
    const auto m = h ? decimalNumber(p.at(1), 2) : std::nullopt;
    const QTime time = m ? QTime(*h, *m) : QTime();
    if (!time.isValid()) {
        return "Wrong time";
    }
    m_config.clock.setTime(time);
    m_change = QStringLiteral("time %1").arg(QString::fromLatin1(argument));
    return "Time " + argument;
}

QByteArray DisplayUnit::setUnitOption(const QByteArray& what, const TextLine& line) {
    const bool takesArgument = what == "REFR" || what == "SRTP";
    if (line.hasEquals != takesArgument) {
        return "Wrong arguments";
    }
    if (what == "LOCK") {
        m_config.locked = true;
        m_change = QStringLiteral("locked");
        return "Locked";
    }
    if (what == "REFR") {
        const auto s = decimalNumber(line.arguments, 2);
        if (!s || line.arguments.size() != 2 || *s < kMinRefresh || *s > kMaxRefresh) {
            return "Wrong refresh time";
        }
        m_config.refreshSeconds = *s;
        m_change = QStringLiteral("refresh time %1 s").arg(*s);
        return "Refresh time " + QByteArray::number(*s) + " s";
    }
    if (what == "SRTP") {
        if (line.arguments != "0" && line.arguments != "1") {
            return "Wrong sort type";
        }
        m_config.sortByUserNumber = line.arguments == "1";
        m_change = m_config.sortByUserNumber ? QStringLiteral("sorts by user number")
                                             : QStringLiteral("sorts by address");
        return m_config.sortByUserNumber ? "Sort by user number" : "Sort by address";
    }
    if (what == "SORT") {
        buildSortTable();
        return "Sort table created, " + QByteArray::number(activeAddresses().size()) + " entries";
    }
    updateReadings(); // READ
    return "Readings updated";
}

void DisplayUnit::buildSortTable() {
    QList<int> order = activeAddresses(); // by address already
    if (m_config.sortByUserNumber) {
        // Entries without a user number follow the numbered ones, by address.
        const auto key = [this](int a) {
            const auto n = decimalNumber(entry(a).userNumber, 4);
            return n ? *n : kMaxFactor + 1;
        };
        std::stable_sort(order.begin(), order.end(), [&key](int x, int y) { return key(x) < key(y); });
    }
    for (DisplayEntry& e : m_config.entries) {
        e.sortPosition = 0;
    }
    for (qsizetype i = 0; i < order.size(); ++i) {
        m_config.entries[order.at(i)].sortPosition = static_cast<int>(i + 1);
    }
    m_sortTableBuilt = true;
    m_change = QStringLiteral("sort table built over %1 entries").arg(order.size());
}

void DisplayUnit::updateReadings() {
    for (DisplayEntry& e : m_config.entries) {
        if (e.active) {
            e.pulses += e.stepPulses;
            e.tariffPulses[0] += e.stepPulses;
        }
    }
    ++m_readingsUpdated;
    m_change = QStringLiteral("readings updated");
}

QByteArray DisplayUnit::mainInfo() const {
    const QDateTime& c = m_config.clock;
    return answerLines({
        "Lumet-R7 display / data logger",
        "Firmware: " + m_config.firmware,
        "Date: " + twoDigits(c.date().day()) + '/' + twoDigits(c.date().month()) + '/' +
            twoDigits(c.date().year() % 100),
        "Time: " + twoDigits(c.time().hour()) + ':' + twoDigits(c.time().minute()),
        "Refresh time: " + QByteArray::number(m_config.refreshSeconds) + " s",
        QByteArray("Sort: ") + (m_config.sortByUserNumber ? "by user number" : "by address"),
        QByteArray("Locked: ") + (m_config.locked ? "yes" : "no"),
        "Active entries: " + QByteArray::number(activeAddresses().size()),
    });
}

QByteArray DisplayUnit::serviceInfo() const {
    return answerLines({
        "Serial number: " + m_config.serial,
        "Lines received: " + QByteArray::number(m_linesSeen),
        "Readings updated: " + QByteArray::number(m_readingsUpdated),
        QByteArray("Sort table: ") + (m_sortTableBuilt ? "built" : "not built"),
    });
}

} // namespace holvex::sim
