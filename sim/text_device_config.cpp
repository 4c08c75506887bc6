#include "sim/text_device_config.h"

#include "sim/display_answers.h"
#include "sim/json_fields.h"
#include "sim/text_line.h"

#include <QJsonArray>
#include <QJsonObject>

namespace holvex::sim {

namespace {

constexpr qint64 kMaxPulses = 1'000'000'000'000'000; // well inside a double's whole numbers
constexpr double kMaxValue = 99999999.0;

// Free texts travel as Latin-1 bytes, on one line.
bool readText(const QJsonObject& o, const char* key, int longest, QByteArray& out, const QString& where,
              QString* error) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) {
        return true;
    }
    const QString text = v.toString();
    bool fits = v.isString() && text.size() <= longest;
    for (QChar c : text) {
        fits = fits && c.unicode() >= 0x20 && c.unicode() <= 0xFF && c.unicode() != 0x7F;
    }
    if (!fits) {
        return fail(error, QStringLiteral("%1: \"%2\" is a text of at most %3 Latin-1 characters on one line")
                               .arg(where, QLatin1String(key))
                               .arg(longest));
    }
    out = text.toLatin1();
    return true;
}

bool readValue(const QJsonValue& v, double& out, const QString& what, QString* error) {
    if (!v.isDouble() || v.toDouble() < 0 || v.toDouble() > kMaxValue) {
        return fail(error, what + QStringLiteral(" is a number 0..99999999"));
    }
    out = v.toDouble();
    return true;
}

bool readClock(const QJsonObject& o, QDateTime& clock, const QString& where, QString* error) {
    const QJsonValue v = o.value(QLatin1String("clock"));
    if (v.isUndefined()) {
        return true;
    }
    clock = QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd HH:mm"));
    return clock.isValid() || fail(error, where + QStringLiteral(": \"clock\" is \"yyyy-MM-dd HH:mm\""));
}

bool parseHistory(const QJsonValue& value, DisplayEntry& entry, const QString& where, QString* error) {
    if (value.isUndefined()) {
        return true;
    }
    const QJsonObject o = value.toObject();
    if (!value.isObject() || !knownKeys(o, {"start", "values"}, where, error)) {
        return value.isObject() ? false : fail(error, where + QStringLiteral(": \"history\" is an object"));
    }
    const QDate start = QDate::fromString(o.value(QLatin1String("start")).toString() + QStringLiteral("-01"),
                                          QStringLiteral("yyyy-MM-dd"));
    if (!start.isValid()) {
        return fail(error, where + QStringLiteral(": \"start\" is the month of record 1, \"yyyy-MM\""));
    }
    const QJsonArray values = o.value(QLatin1String("values")).toArray();
    if (values.size() > kHistoryRecords) {
        return fail(error, where + QStringLiteral(": at most 12 \"values\""));
    }
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString what = QStringLiteral("%1: value %2").arg(where).arg(i + 1);
        DisplayHistoryRecord record;
        record.month = start.addMonths(static_cast<int>(i));
        // A number, or [value, T1, T2, T3] for the tariff form.
        const QJsonArray parts = values.at(i).isArray() ? values.at(i).toArray() : QJsonArray{values.at(i)};
        if (parts.isEmpty() || parts.size() > 4) {
            return fail(error, what + QStringLiteral(" is a number or [value, T1, T2, T3]"));
        }
        for (qsizetype k = 0; k < parts.size(); ++k) {
            double& target = k == 0 ? record.value : record.tariffs.at(static_cast<std::size_t>(k - 1));
            if (!readValue(parts.at(k), target, what, error)) {
                return false;
            }
        }
        entry.history.append(record);
    }
    return true;
}

bool parseEntry(const QJsonValue& value, int index, DisplayConfig& display, QString* error) {
    const QString where = QStringLiteral("display entry %1").arg(index + 1);
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": an entry is an object"));
    }
    if (!knownKeys(o,
                   {"comment", "address", "active", "unit", "mult", "div", "initial", "pulses",
                    "tariffPulses", "stepPulses", "userNumber", "text", "text2", "userMultDiv", "historyForm",
                    "history"},
                   where, error)) {
        return false;
    }
    int address = 0;
    if (!readInt(o, "address", 1, kDisplayEntries, address, where, error)) {
        return false;
    }
    if (address == 0 || display.entries.contains(address)) {
        return fail(error, where + QStringLiteral(": every entry needs an \"address\" 1..250 of its own"));
    }
    DisplayEntry e;
    e.active = true;
    int form = 0;
    if (!readBool(o, "active", e.active, where, error) ||
        !readInt(o, "mult", 0, 9999, e.multiplier, where, error) ||
        !readInt(o, "div", 1, 9999, e.divider, where, error) ||
        !readCount(o, "pulses", kMaxPulses, e.pulses, where, error) ||
        !readCount(o, "stepPulses", kMaxPulses, e.stepPulses, where, error) ||
        !readText(o, "userNumber", 4, e.userNumber, where, error) ||
        !readText(o, "text", kFreeTextLength, e.text, where, error) ||
        !readText(o, "text2", kFreeTextLength, e.text2, where, error) ||
        !readBool(o, "userMultDiv", e.userMultDiv, where, error) ||
        !readChoice(o, "historyForm", {"plain", "tariffs"}, form, where, error) ||
        !parseHistory(o.value(QLatin1String("history")), e, where, error)) {
        return false;
    }
    e.historyForm = form == 0 ? HistoryForm::Plain : HistoryForm::Tariffs;
    if (!e.userNumber.isEmpty() && !decimalNumber(e.userNumber, 4)) {
        return fail(error, where + QStringLiteral(": \"userNumber\" is up to 4 digits"));
    }
    if (o.contains(QLatin1String("unit"))) {
        const auto code = unitCodeOf(o.value(QLatin1String("unit")).toString().toLatin1());
        if (!code) {
            return fail(error, where + QStringLiteral(": \"unit\" is \"kWh\", \"m3\", \"kJ\" or \"MJ\""));
        }
        e.unitCode = *code;
    }
    if (o.contains(QLatin1String("initial")) && !readValue(o.value(QLatin1String("initial")), e.initial,
                                                           where + QStringLiteral(": \"initial\""), error)) {
        return false;
    }
    const QJsonValue tariffs = o.value(QLatin1String("tariffPulses"));
    if (!tariffs.isUndefined()) {
        const QJsonArray list = tariffs.toArray();
        if (!tariffs.isArray() || list.size() > 4) {
            return fail(error, where + QStringLiteral(": \"tariffPulses\" is a list of up to 4 counts"));
        }
        for (qsizetype k = 0; k < list.size(); ++k) {
            if (!readCount(list.at(k), kMaxPulses, e.tariffPulses.at(static_cast<std::size_t>(k)),
                           where + QStringLiteral(": tariff %1").arg(k), error)) {
                return false;
            }
        }
    }
    display.entries.insert(address, e);
    return true;
}

} // namespace

bool parseTextDeviceFaults(const QJsonValue& value, TextDeviceFaults& f, const QString& where,
                           QString* error) {
    if (value.isUndefined()) {
        return true;
    }
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": \"faults\" is an object"));
    }
    return knownKeys(o, {"silent", "answerAfter", "lateMs", "pieces", "gapMs"}, where, error) &&
           readBool(o, "silent", f.silent, where, error) &&
           readInt(o, "answerAfter", 0, 1000000, f.answerAfter, where, error) &&
           readInt(o, "lateMs", 0, 600000, f.lateMs, where, error) &&
           readInt(o, "pieces", 1, 300, f.pieces, where, error) &&
           readInt(o, "gapMs", 0, 600000, f.gapMs, where, error);
}

bool parseDisplay(const QJsonValue& value, DisplayConfig& d, QString* error) {
    const QString where = QStringLiteral("display");
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": an object"));
    }
    if (!knownKeys(o,
                   {"comment", "addressList", "monthNames", "blankDecember", "clock", "refreshSeconds",
                    "sortBy", "locked", "serial", "firmware", "faults", "entries"},
                   where, error)) {
        return false;
    }
    int addressList = 0;
    int monthNames = 0;
    int sortBy = 0;
    if (!readChoice(o, "addressList", {"ranges", "lines"}, addressList, where, error) ||
        !readChoice(o, "monthNames", {"en", "bg"}, monthNames, where, error) ||
        !readChoice(o, "sortBy", {"address", "userNumber"}, sortBy, where, error) ||
        !readBool(o, "blankDecember", d.blankDecember, where, error) ||
        !readBool(o, "locked", d.locked, where, error) || !readClock(o, d.clock, where, error) ||
        !readInt(o, "refreshSeconds", 4, 12, d.refreshSeconds, where, error) ||
        !readText(o, "serial", 20, d.serial, where, error) ||
        !readText(o, "firmware", 20, d.firmware, where, error) ||
        !parseTextDeviceFaults(o.value(QLatin1String("faults")), d.faults, where, error)) {
        return false;
    }
    d.addressList = addressList == 0 ? AddressListForm::Ranges : AddressListForm::Lines;
    d.monthNames = monthNames == 0 ? MonthNames::English : MonthNames::Bulgarian;
    d.sortByUserNumber = sortBy == 1;
    const QJsonArray entries = o.value(QLatin1String("entries")).toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (!parseEntry(entries.at(i), static_cast<int>(i), d, error)) {
            return false;
        }
    }
    return true;
}

bool parseGatewayService(const QJsonValue& value, GatewayServiceConfig& service,
                         const codec::NetworkNumber& network, QString* error) {
    const QString where = QStringLiteral("gateway service");
    if (value.isUndefined()) {
        return true;
    }
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": an object"));
    }
    int product = 0;
    if (!knownKeys(o, {"comment", "product", "settings", "clock", "faults"}, where, error) ||
        !readChoice(o, "product", {"Ferrin", "Galdor"}, product, where, error) ||
        !readClock(o, service.clock, where, error) ||
        !parseTextDeviceFaults(o.value(QLatin1String("faults")), service.faults, where, error)) {
        return false;
    }
    service.product = product == 0 ? GatewayProduct::Ferrin : GatewayProduct::Galdor;
    const QJsonObject settings = o.value(QLatin1String("settings")).toObject();
    // Each setting is checked the way the port checks a "SET" line.
    GatewayServiceConfig bare;
    bare.product = service.product;
    GatewayServicePort port(bare, network);
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        const QByteArray key = it.key().toLatin1();
        if (key == "NETN") {
            return fail(error, where + QStringLiteral(": the network number is the gateway's \"network\""));
        }
        if (const auto refused = port.apply(key, it.value().toString().toLatin1())) {
            return fail(error, QStringLiteral("%1: \"%2\": %3").arg(where, it.key(), *refused));
        }
        service.settings.insert(key, it.value().toString().toLatin1());
    }
    return true;
}

} // namespace holvex::sim
