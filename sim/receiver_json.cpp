#include "sim/receiver_json.h"

#include "sim/installation_config.h"
#include "sim/json_fields.h"
#include "sim/radio_telegram.h"
#include "sim/telegram_builder.h"
#include "sim/text_device_config.h"
#include "sim/text_line.h"

#include <QJsonArray>
#include <QJsonObject>

namespace holvex::sim {

namespace {

constexpr int kEndByte = 0x16;

bool readText(const QJsonObject& o, const char* key, int longest, QByteArray& out, const QString& where,
              QString* error) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) {
        return true;
    }
    const QByteArray text = v.toString().toLatin1();
    if (!v.isString() || text.isEmpty() || text.size() > longest) {
        return fail(error, QStringLiteral("%1: \"%2\" is a text of 1 to %3 characters")
                               .arg(where, QLatin1String(key))
                               .arg(longest));
    }
    out = text;
    return true;
}

bool readId(const QJsonObject& o, QByteArray& id, const QString& where, QString* error) {
    const QByteArray text = o.value(QLatin1String("id")).toString().toLatin1().toUpper();
    if (!radioIdBytes(text)) {
        return fail(error, where + QStringLiteral(": \"id\" is 8 hex digits"));
    }
    id = text;
    return true;
}

// ID and manufacturer (both required), version and device (kept as they are when not given) of a radio
// address.
bool readAddress(const QJsonObject& o, RadioAddressConfig& a, const QString& where, QString* error) {
    if (!readId(o, a.id, where, error)) {
        return false;
    }
    const auto maker = manufacturerCode(o.value(QLatin1String("manufacturer")).toString());
    if (!maker) {
        return fail(error, where + QStringLiteral(": \"manufacturer\" is 3 letters"));
    }
    a.manufacturer = *maker;
    int version = a.version;
    if (!readInt(o, "version", 0, 255, version, where, error)) {
        return false;
    }
    a.version = static_cast<std::uint8_t>(version);
    const QJsonValue device = o.value(QLatin1String("device"));
    if (!device.isUndefined()) {
        const auto code = mediumCode(device.isDouble() ? QString::number(device.toInt()) : device.toString());
        if (!code || (device.isDouble() && device.toDouble() != device.toInt())) {
            return fail(error, where + QStringLiteral(": \"device\" is a number 0..255 or a medium name"));
        }
        a.device = *code;
    }
    return true;
}

bool parseMeter(const QJsonValue& value, int index, RadioMeterConfig& m, QString* error) {
    const QString where = QStringLiteral("radio meter %1").arg(index + 1);
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": a radio meter is an object"));
    }
    if (!knownKeys(o,
                   {"comment", "id", "manufacturer", "version", "device", "control", "ci", "longHeader",
                    "accessNumber", "status", "records", "data", "key", "rssi", "split"},
                   where, error) ||
        !readAddress(o, m.link, where, error)) {
        return false;
    }
    int control = m.control;
    int access = m.accessNumber;
    int status = m.status;
    int rssi = m.rssi;
    int header = 1;
    if (!readInt(o, "control", 0, 255, control, where, error) ||
        !readInt(o, "accessNumber", 0, 255, access, where, error) ||
        !readInt(o, "status", 0, 255, status, where, error) ||
        !readInt(o, "rssi", 0, 255, rssi, where, error) ||
        !readChoice(o, "ci", {"long", "short", "none"}, header, where, error) ||
        !readBool(o, "split", m.split, where, error)) {
        return false;
    }
    if (rssi == kEndByte) {
        return fail(error, where + QStringLiteral(": \"rssi\" 22 (0x16) would end the telegram early"));
    }
    m.control = static_cast<std::uint8_t>(control);
    m.accessNumber = static_cast<std::uint8_t>(access);
    m.status = static_cast<std::uint8_t>(status);
    m.rssi = static_cast<std::uint8_t>(rssi);
    m.header = header == 0 ? RadioHeader::Long : header == 1 ? RadioHeader::Short : RadioHeader::None;
    m.longHeader = m.link;
    if (o.contains(QLatin1String("longHeader"))) {
        const QJsonObject h = o.value(QLatin1String("longHeader")).toObject();
        const QString hWhere = where + QStringLiteral(", long header");
        if (m.header != RadioHeader::Long) {
            return fail(error, where + QStringLiteral(": \"longHeader\" goes with \"ci\": \"long\""));
        }
        if (!knownKeys(h, {"id", "manufacturer", "version", "device"}, hWhere, error) ||
            !readAddress(h, m.longHeader, hWhere, error)) {
            return false;
        }
    }
    if (o.contains(QLatin1String("records")) && o.contains(QLatin1String("data"))) {
        return fail(error, where + QStringLiteral(": \"records\" or \"data\", not both"));
    }
    if (o.contains(QLatin1String("data"))) {
        const auto bytes = hexBytes(o.value(QLatin1String("data")).toString());
        if (!bytes) {
            return fail(error, where + QStringLiteral(": \"data\" is hex bytes"));
        }
        m.records = *bytes;
    }
    const QJsonArray records = o.value(QLatin1String("records")).toArray();
    for (qsizetype r = 0; r < records.size(); ++r) {
        const auto plan =
            parseRecordPlan(records.at(r), where + QStringLiteral(", record %1").arg(r + 1), error);
        const auto bytes = plan ? buildRecord(*plan, error) : std::nullopt;
        if (!bytes) {
            return false;
        }
        m.records += *bytes;
    }
    if (o.contains(QLatin1String("key"))) {
        const auto key = hexBytes(o.value(QLatin1String("key")).toString());
        if (!key || key->size() != kRadioKeyBytes) {
            return fail(error, where + QStringLiteral(": \"key\" is 32 hex digits"));
        }
        m.key = *key;
    }
    QString reason;
    if (!relayedTelegram(m, m.accessNumber, true, &reason)) {
        return fail(error, where + QStringLiteral(": ") + reason);
    }
    return true;
}

bool parseAir(const QJsonValue& value, int meters, QList<AirItem>& air, QString* error) {
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isArray()) {
        return fail(error, QStringLiteral("receiver: \"air\" is a list of meter numbers and texts"));
    }
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QJsonValue item = items.at(i);
        if (item.isString() && !item.toString().isEmpty()) {
            air.append(AirItem{.meter = -1, .text = item.toString().toLatin1()});
            continue;
        }
        const double n = item.toDouble(-1);
        if (!item.isDouble() || n != static_cast<int>(n) || n < 1 || n > meters) {
            return fail(error,
                        QStringLiteral("receiver: \"air\" item %1 is a radio meter's number 1..%2 or a "
                                       "text")
                            .arg(i + 1)
                            .arg(meters));
        }
        air.append(AirItem{.meter = static_cast<int>(n) - 1, .text = {}});
    }
    return true;
}

bool parseEntries(const QJsonValue& value, ReceiverConfig& r, QString* error) {
    const QJsonArray entries = value.toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("receiver entry %1").arg(i + 1);
        const QJsonObject o = entries.at(i).toObject();
        int address = 0;
        int unit = -1;
        ReceiverEntry e;
        if (!entries.at(i).isObject() || !knownKeys(o, {"comment", "address", "id", "unit"}, where, error) ||
            !readInt(o, "address", 1, kReceiverEntries, address, where, error) ||
            !readInt(o, "unit", 0, 16, unit, where, error) || !readId(o, e.id, where, error)) {
            return entries.at(i).isObject() ? false : fail(error, where + QStringLiteral(": an object"));
        }
        if (address == 0 || r.entries.contains(address)) {
            return fail(error,
                        where + QStringLiteral(": every entry needs an \"address\" 1..450 of its own"));
        }
        e.unitCode = unit;
        r.entries.insert(address, e);
    }
    return true;
}

bool parseFaults(const QJsonValue& value, ReceiverFaults& f, QString* error) {
    const QString where = QStringLiteral("receiver");
    if (value.isUndefined()) {
        return true;
    }
    QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": \"faults\" is an object"));
    }
    if (!knownKeys(o, {"silent", "answerAfter", "lateMs", "pieces", "gapMs", "neverDone", "busyActivations"},
                   where, error) ||
        !readBool(o, "neverDone", f.neverDone, where, error) ||
        !readInt(o, "busyActivations", 0, 1000000, f.busyActivations, where, error)) {
        return false;
    }
    o.remove(QStringLiteral("neverDone"));
    o.remove(QStringLiteral("busyActivations"));
    return parseTextDeviceFaults(o, f.text, where, error);
}

bool parseOptions(const QJsonValue& value, ReceiverConfig& r, QString* error) {
    const QString where = QStringLiteral("receiver options");
    if (value.isUndefined()) {
        return true;
    }
    const QJsonObject o = value.toObject();
    if (!value.isObject() || !knownKeys(o, {"rssi", "tmst", "minc", "trns", "ambr", "mast"}, where, error)) {
        return value.isObject() ? false : fail(error, where + QStringLiteral(": an object"));
    }
    for (const char* key : kReceiverOptionKeys) {
        bool on = false;
        if (!readBool(o, key, on, where, error)) {
            return false;
        }
        r.options.insert(key, on);
    }
    return true;
}

bool readClock(const QJsonObject& o, QDateTime& clock, QString* error) {
    const QJsonValue v = o.value(QLatin1String("clock"));
    if (v.isUndefined()) {
        return true;
    }
    clock = QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!clock.isValid()) {
        clock = QDateTime::fromString(v.toString(), QStringLiteral("yyyy-MM-dd HH:mm"));
    }
    return clock.isValid() ||
           fail(error,
                QStringLiteral("receiver: \"clock\" is \"yyyy-MM-dd HH:mm\" or \"yyyy-MM-dd HH:mm:ss\""));
}

// "3.01f": a number, a dot, two digits, optionally one lower-case letter.
bool firmwareForm(const QByteArray& f) {
    const qsizetype dot = f.indexOf('.');
    if (dot <= 0 || !decimalNumber(f.left(dot), 3) || f.size() < dot + 3 || f.size() > dot + 4 ||
        !decimalNumber(f.mid(dot + 1, 2), 2)) {
        return false;
    }
    return f.size() == dot + 3 || (f.back() >= 'a' && f.back() <= 'z');
}

} // namespace

bool parseReceiver(const QJsonValue& value, ReceiverConfig& r, QString* error) {
    const QString where = QStringLiteral("receiver");
    const QJsonObject o = value.toObject();
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": an object"));
    }
    int radioMode = 1;
    int role = 0;
    int workMode = 0;
    if (!knownKeys(o,
                   {"comment", "firmware", "serial", "clock", "saveInterval", "radioMode", "role", "workMode",
                    "options", "paceMs", "splitGapMs", "entries", "meters", "air", "faults"},
                   where, error) ||
        !readText(o, "firmware", 12, r.firmware, where, error) ||
        !readText(o, "serial", 20, r.serial, where, error) || !readClock(o, r.clock, error) ||
        !readInt(o, "saveInterval", 1, 240, r.saveInterval, where, error) ||
        !readChoice(o, "radioMode", {"S2", "T1", "T2", "S1", "R", "T1+C", "T2+C"}, radioMode, where, error) ||
        !readChoice(o, "role", {"slave", "master", "repeater"}, role, where, error) ||
        !readChoice(o, "workMode", {"normal", "install", "accept all"}, workMode, where, error) ||
        !parseOptions(o.value(QLatin1String("options")), r, error) ||
        !readInt(o, "paceMs", 1, 600000, r.paceMs, where, error) ||
        !readInt(o, "splitGapMs", 0, 600000, r.splitGapMs, where, error) ||
        !parseEntries(o.value(QLatin1String("entries")), r, error) ||
        !parseFaults(o.value(QLatin1String("faults")), r.faults, error)) {
        return false;
    }
    if (!firmwareForm(r.firmware)) {
        return fail(error, where + QStringLiteral(": \"firmware\" is written like \"3.01f\" or \"3.12\""));
    }
    constexpr int kModeCodes[] = {0, 1, 2, 3, 4, 10, 11};
    r.radioMode = kModeCodes[radioMode];
    r.role = role;
    r.workMode = workMode;
    const QJsonArray meters = o.value(QLatin1String("meters")).toArray();
    for (qsizetype i = 0; i < meters.size(); ++i) {
        RadioMeterConfig meter;
        if (!parseMeter(meters.at(i), static_cast<int>(i), meter, error)) {
            return false;
        }
        r.meters.append(meter);
    }
    return parseAir(o.value(QLatin1String("air")), static_cast<int>(r.meters.size()), r.air, error);
}

} // namespace holvex::sim
