#include "sim/gateway_service_port.h"

#include <algorithm>
#include <iterator>

namespace holvex::sim {

namespace {

enum class Kind { Ip, TwoDigits, Quoted, Pin, Serial, DueDate, Date, Time, Mode, Test };
enum class Only { Both, Ferrin, Galdor };

struct Setting {
    const char* key;
    const char* label;
    Kind kind;
    int low = 0;
    int high = 0; // TwoDigits: the range; Quoted: the longest text
    Only only = Only::Both;
};

const Setting kSettings[] = {
    {"IPV4", "Own IP", Kind::Ip, 0, 0, Only::Ferrin},
    {"GATE", "Gateway IP", Kind::Ip},
    {"MASK", "Netmask", Kind::Ip, 0, 0, Only::Ferrin},
    {"NETN", "Network number", Kind::Ip},
    {"IPMA", "Manufacturer IP", Kind::Ip},
    {"IPCO", "Control IP", Kind::Ip},
    {"IPO1", "Operator IP #1", Kind::Ip},
    {"IPO2", "Operator IP #2", Kind::Ip},
    {"IPO3", "Operator IP #3", Kind::Ip},
    {"IPO4", "Operator IP #4", Kind::Ip},
    {"TEST", "Test", Kind::Test},
    {"COM2", "Serial port", Kind::Serial},
    {"PITO", "Ping server timeout", Kind::TwoDigits, 1, 48},
    {"RETI", "Retry timeout", Kind::TwoDigits, 1, 50, Only::Ferrin},
    {"RETN", "Connect retries", Kind::TwoDigits, 1, 16, Only::Ferrin},
    {"NETO", "M-bus response timeout", Kind::TwoDigits, 3, 25},
    {"DUED", "Readout time", Kind::DueDate},
    {"DATE", "Date", Kind::Date},
    {"TIME", "Time", Kind::Time},
    {"APNM", "APN", Kind::Quoted, 0, 27, Only::Galdor},
    {"PHON", "Phone number", Kind::Quoted, 0, 20, Only::Galdor},
    {"PINC", "PIN", Kind::Pin, 0, 0, Only::Galdor},
    {"USER", "GPRS user", Kind::Quoted, 0, 19, Only::Galdor},
    {"PASS", "GPRS password", Kind::Quoted, 0, 19, Only::Galdor},
    {"SERV", "Mode", Kind::Mode},
};

constexpr const char* kRequests[] = {"MAIN", "SERV", "CONN", "OPER", "GPRS", "STAT"};
constexpr int kSpeeds[] = {300, 1200, 2400, 4800, 9600, 19200, 38400};
constexpr const char* kParities[] = {"Even", "Odd", "None"};

const Setting* settingOf(const QByteArray& key) {
    const auto it = std::find_if(std::begin(kSettings), std::end(kSettings),
                                 [&key](const Setting& s) { return key == s.key; });
    return it == std::end(kSettings) ? nullptr : it;
}

std::optional<int> twoDigits(const QByteArray& text) {
    return text.size() == 2 ? decimalNumber(text, 2) : std::nullopt;
}

QByteArray twoDigitText(int n) {
    return QByteArray::number(n).rightJustified(2, '0');
}

// "a,b,c" of two-digit numbers with the given separator, each within its range.
std::optional<QList<int>> twoDigitFields(const QByteArray& text, char separator,
                                         std::initializer_list<std::pair<int, int>> ranges) {
    const QList<QByteArray> parts = text.split(separator);
    if (parts.size() != static_cast<qsizetype>(ranges.size())) {
        return std::nullopt;
    }
    QList<int> values;
    auto range = ranges.begin();
    for (const QByteArray& p : parts) {
        const auto v = twoDigits(p);
        if (!v || *v < range->first || *v > range->second) {
            return std::nullopt;
        }
        values.append(*v);
        ++range;
    }
    return values;
}

// A quoted text ("..." with no quote or control byte inside), or a bare 0 that deletes it.
std::optional<QByteArray> quotedText(const QByteArray& text, int longest) {
    if (text == "0") {
        return QByteArray();
    }
    if (text.size() < 2 || !text.startsWith('"') || !text.endsWith('"')) {
        return std::nullopt;
    }
    const QByteArray inner = text.mid(1, text.size() - 2);
    if (inner.contains('"') || inner.size() > longest) {
        return std::nullopt;
    }
    // A control byte would break the information answers' lines apart.
    for (char c : inner) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return std::nullopt;
        }
    }
    return inner;
}

QByteArray serialText(const QByteArray& stored) {
    const QList<QByteArray> p = stored.split(',');
    const int speed = p.value(0).toInt();
    const int parity = p.value(1).toInt();
    if (p.size() != 2 || speed < 0 || speed > 6 || parity < 0 || parity > 2) {
        return "?";
    }
    return QByteArray::number(kSpeeds[speed]) + " baud, " + kParities[parity];
}

QByteArray tenths(const QByteArray& stored) {
    const int n = stored.toInt();
    return QByteArray::number(n / 10) + '.' + QByteArray::number(n % 10) + " s";
}

} // namespace

GatewayServicePort::GatewayServicePort(GatewayServiceConfig config, codec::NetworkNumber network)
    : m_product(config.product), m_clock(config.clock), m_faults(config.faults) {
    m_settings = {
        {"IPV4", "192.168.1.50"},
        {"GATE", "192.168.1.1"},
        {"MASK", "255.255.255.0"},
        {"NETN", codec::networkText(network).toLatin1()},
        {"IPMA", "0.0.0.0"},
        {"IPCO", "0.0.0.0"},
        {"IPO1", "0.0.0.0"},
        {"IPO2", "0.0.0.0"},
        {"IPO3", "0.0.0.0"},
        {"IPO4", "0.0.0.0"},
        {"COM2", "2,0"},
        {"PITO", "01"},
        {"RETI", "10"},
        {"RETN", "03"},
        {"NETO", "03"},
        {"DUED", "01/00/00"},
        {"APNM", ""},
        {"PHON", ""},
        {"PINC", ""},
        {"USER", ""},
        {"PASS", ""},
        {"SERV", "1"},
    };
    if (!m_clock.isValid()) {
        m_clock = QDateTime(QDate(2000, 1, 1), QTime(0, 0));
    }
    for (auto it = config.settings.cbegin(); it != config.settings.cend(); ++it) {
        apply(it.key(), it.value());
    }
    m_change.clear();
}

bool GatewayServicePort::knows(const TextLine& line) {
    if (line.verb == "SET") {
        return settingOf(line.key) != nullptr;
    }
    return line.verb == "GET" && std::any_of(std::begin(kRequests), std::end(kRequests),
                                             [&line](const char* k) { return line.key == k; });
}

codec::NetworkNumber GatewayServicePort::network() const {
    return codec::parseNetworkNumber(QString::fromLatin1(setting("NETN"))).value_or(codec::NetworkNumber{});
}

QString GatewayServicePort::takeChange() {
    QString change;
    change.swap(m_change);
    return change;
}

std::optional<QByteArray> GatewayServicePort::answer(const TextLine& line) {
    ++m_linesSeen;
    if (m_faults.silent || m_linesSeen <= m_faults.answerAfter) {
        return std::nullopt;
    }
    if (line.verb == "GET") {
        return line.hasEquals ? QByteArray("Wrong arguments") : information(line.key);
    }
    const Setting* s = settingOf(line.key);
    if (s && s->kind == Kind::Test) {
        if (line.hasEquals) {
            return QByteArray("Wrong arguments");
        }
        ++m_testsStarted;
        m_change = QStringLiteral("tests the connection");
        return "Test: calling " + setting("IPMA");
    }
    if (!line.hasEquals) {
        return QByteArray(s ? s->label : "?") + ": wrong value";
    }
    return set(line.key, line.arguments).answer;
}

std::optional<QString> GatewayServicePort::apply(const QByteArray& key, const QByteArray& argument) {
    const Setting* s = settingOf(key);
    if (!s || s->kind == Kind::Test) {
        return QStringLiteral("no setting %1").arg(QString::fromLatin1(key));
    }
    const SetResult r = set(key, argument);
    return r.taken ? std::nullopt : std::optional<QString>(QString::fromLatin1(r.answer));
}

GatewayServicePort::SetResult GatewayServicePort::set(const QByteArray& key, const QByteArray& argument) {
    const Setting* s = settingOf(key);
    if (!s) {
        return {false, "Unknown setting"};
    }
    const QByteArray head = QByteArray(s->label) + ": ";
    if ((s->only == Only::Ferrin && m_product != GatewayProduct::Ferrin) ||
        (s->only == Only::Galdor && m_product != GatewayProduct::Galdor)) {
        return {false, head + "not available on " + productName()};
    }
    const SetResult refused{false, head + "wrong value"};
    QByteArray stored;
    QByteArray shown;
    switch (s->kind) {
    case Kind::Ip: {
        const auto ip = codec::parseNetworkNumber(QString::fromLatin1(argument));
        if (!ip) {
            return refused;
        }
        stored = shown = codec::networkText(*ip).toLatin1();
        break;
    }
    case Kind::TwoDigits: {
        const auto n = twoDigits(argument);
        if (!n || *n < s->low || *n > s->high) {
            return refused;
        }
        stored = shown = argument;
        break;
    }
    case Kind::Quoted: {
        const auto text = quotedText(argument, s->high);
        if (!text) {
            return refused;
        }
        stored = *text;
        shown = key == "PASS" ? QByteArray("stored") : (text->isEmpty() ? QByteArray("deleted") : *text);
        break;
    }
    case Kind::Pin:
        if (argument.size() != 4 || !decimalNumber(argument, 4)) {
            return refused;
        }
        stored = argument;
        shown = "stored";
        break;
    case Kind::Serial: {
        const QList<QByteArray> p = argument.split(',');
        const auto speed = p.size() == 2 ? decimalNumber(p.at(0), 1) : std::nullopt;
        const auto parity = speed ? decimalNumber(p.at(1), 1) : std::nullopt;
        if (!parity || *speed > 6 || *parity > 2) {
            return refused;
        }
        stored = argument;
        shown = serialText(stored);
        break;
    }
    case Kind::DueDate:
        if (!twoDigitFields(argument, '/', {{1, 31}, {0, 23}, {0, 59}})) {
            return refused;
        }
        stored = shown = argument;
        break;
    case Kind::Date: {
        const auto f = twoDigitFields(argument, ',', {{1, 31}, {1, 12}, {0, 99}});
        const QDate date = f ? QDate(2000 + f->at(2), f->at(1), f->at(0)) : QDate();
        if (!date.isValid()) {
            return refused;
        }
        m_clock.setDate(date);
        shown = argument;
        break;
    }
    case Kind::Time: {
        const auto f = twoDigitFields(argument, ',', {{0, 23}, {0, 59}});
        if (!f) {
            return refused;
        }
        m_clock.setTime(QTime(f->at(0), f->at(1)));
        shown = argument;
        break;
    }
    case Kind::Mode:
        if (argument != "0" && argument != "1") {
            return refused;
        }
        stored = argument;
        shown = argument == "1" ? "server, restart to apply" : "client, restart to apply";
        break;
    case Kind::Test:
        return refused;
    }
    if (s->kind != Kind::Date && s->kind != Kind::Time) {
        m_settings.insert(key, stored);
    }
    m_change = QStringLiteral("takes %1 %2").arg(QString::fromLatin1(key), QString::fromLatin1(shown));
    return {true, head + shown};
}

QByteArray GatewayServicePort::productName() const {
    return m_product == GatewayProduct::Ferrin ? "Ferrin-2" : "Galdor-5";
}

QByteArray GatewayServicePort::information(const QByteArray& key) const {
    const bool ferrin = m_product == GatewayProduct::Ferrin;
    QList<QByteArray> lines;
    if (key == "MAIN") {
        lines = {ferrin ? "Ferrin-2 Ethernet gateway" : "Galdor-5 GPRS gateway",
                 "Network number: " + setting("NETN")};
        if (ferrin) {
            lines += {"Own IP: " + setting("IPV4"), "Netmask: " + setting("MASK")};
        }
        lines +=
            {"Gateway IP: " + setting("GATE"),
             QByteArray("Mode: ") + (setting("SERV") == "1" ? "server" : "client"),
             "Date: " + twoDigitText(m_clock.date().day()) + '/' + twoDigitText(m_clock.date().month()) +
                 '/' + twoDigitText(m_clock.date().year() % 100),
             "Time: " + twoDigitText(m_clock.time().hour()) + ':' + twoDigitText(m_clock.time().minute())};
    } else if (key == "SERV") {
        lines = {"Serial port: " + serialText(setting("COM2")),
                 "M-bus response timeout: " + tenths(setting("NETO"))};
        if (ferrin) {
            lines += {"Retry timeout: " + tenths(setting("RETI")), "Connect retries: " + setting("RETN")};
        }
        lines += {"Ping server timeout: " + setting("PITO"), "Readout time: " + setting("DUED")};
    } else if (key == "CONN") {
        lines = {"Manufacturer IP: " + setting("IPMA"), "Control IP: " + setting("IPCO"), "Connection: idle"};
    } else if (key == "OPER") {
        for (char n = '1'; n <= '4'; ++n) {
            lines.append(QByteArray("Operator IP #") + n + ": " + setting(QByteArray("IPO") + n));
        }
    } else if (ferrin) { // GPRS, STAT
        return "Not available on Ferrin-2";
    } else if (key == "GPRS") {
        lines = {"APN: " + setting("APNM"), "Phone number: " + setting("PHON"),
                 "GPRS user: " + setting("USER"),
                 QByteArray("PIN: ") + (setting("PINC").isEmpty() ? "not set" : "set")};
    } else {
        lines = {"GPRS: registered", "Signal: 18"};
    }
    return answerLines(lines);
}

} // namespace holvex::sim
