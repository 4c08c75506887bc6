#include "sim/installation_config.h"

#include "sim/json_fields.h"
#include "sim/receiver_json.h"
#include "sim/telegram_builder.h"
#include "sim/text_device_config.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace holvex::sim {

namespace {

constexpr int kMaxPrimaryAddress = 250;

bool parseFaults(const QJsonValue& value, SimFaults& f, const QString& where, QString* error) {
    if (value.isUndefined()) {
        return true;
    }
    const QJsonObject o = value.toObject();
    if (!value.isObject() ||
        !knownKeys(o, {"silent", "lateMs", "badChecksum", "badStop", "pieces", "gapMs", "answerAfter"}, where,
                   error)) {
        return value.isObject() ? false : fail(error, where + QStringLiteral(": \"faults\" is an object"));
    }
    f.silent = o.value(QLatin1String("silent")).toBool(false);
    f.badChecksum = o.value(QLatin1String("badChecksum")).toBool(false);
    f.badStop = o.value(QLatin1String("badStop")).toBool(false);
    return readInt(o, "lateMs", 0, 600000, f.lateMs, where, error) &&
           readInt(o, "pieces", 1, 300, f.pieces, where, error) &&
           readInt(o, "gapMs", 0, 600000, f.gapMs, where, error) &&
           readInt(o, "answerAfter", 0, 1000000, f.answerAfter, where, error);
}

// When the meter's file gives only hex telegrams, its identity for secondary selection comes from the
// first telegram's header.
void identityFromTelegram(const QByteArray& t, SimMeterConfig& meter) {
    if (t.size() < 17 || static_cast<std::uint8_t>(t[0]) != 0x68 || static_cast<std::uint8_t>(t[6]) != 0x72) {
        return;
    }
    if (meter.id.isEmpty()) {
        QString id;
        for (int k = 10; k >= 7; --k) {
            id += QStringLiteral("%1").arg(static_cast<std::uint8_t>(t[k]), 2, 16, QLatin1Char('0'));
        }
        meter.id = id.toUpper();
    }
    if (meter.manufacturer.isEmpty()) {
        const int code = static_cast<std::uint8_t>(t[11]) | (static_cast<std::uint8_t>(t[12]) << 8);
        for (int shift = 10; shift >= 0; shift -= 5) {
            meter.manufacturer += QChar(((code >> shift) & 0x1F) + 64);
        }
    }
}

bool parseMeter(const QJsonValue& value, int index, SimMeterConfig& meter, QString* error) {
    const QString where = QStringLiteral("meter %1").arg(index + 1);
    if (!value.isObject()) {
        return fail(error, where + QStringLiteral(": a meter is an object"));
    }
    const QJsonObject o = value.toObject();
    if (!knownKeys(o,
                   {"address", "id", "manufacturer", "version", "medium", "accessNumber", "status", "records",
                    "telegram", "telegrams", "faults", "comment"},
                   where, error)) {
        return false;
    }
    int address = -1;
    int version = 0;
    int accessNumber = 0;
    int status = 0;
    if (!readInt(o, "address", 0, kMaxPrimaryAddress, address, where, error) ||
        !readInt(o, "version", 0, 255, version, where, error) ||
        !readInt(o, "accessNumber", 0, 255, accessNumber, where, error) ||
        !readInt(o, "status", 0, 255, status, where, error) ||
        !parseFaults(o.value(QLatin1String("faults")), meter.faults, where, error)) {
        return false;
    }
    if (address >= 0) {
        meter.address = static_cast<std::uint8_t>(address);
    }
    meter.id = o.value(QLatin1String("id")).toString();
    meter.manufacturer = o.value(QLatin1String("manufacturer")).toString().toUpper();
    meter.version = static_cast<std::uint8_t>(version);
    const QJsonValue medium = o.value(QLatin1String("medium"));
    if (!medium.isUndefined()) {
        const auto code = mediumCode(medium.isDouble() ? QString::number(medium.toInt()) : medium.toString());
        if (!code) {
            return fail(error, where + QStringLiteral(": unknown medium"));
        }
        meter.medium = *code;
    }

    // The telegrams: "telegram" (one hex text), "records" (one built telegram) or "telegrams" (a
    // sequence of hex texts and {"records": [...]} objects, answered one per request).
    QJsonArray items = o.value(QLatin1String("telegrams")).toArray();
    if (o.contains(QLatin1String("telegram"))) {
        items.prepend(o.value(QLatin1String("telegram")));
    }
    if (o.contains(QLatin1String("records"))) {
        items.prepend(QJsonObject{{QStringLiteral("records"), o.value(QLatin1String("records"))}});
    }
    for (int i = 0; i < items.size(); ++i) {
        const QString tWhere = where + QStringLiteral(", telegram %1").arg(i + 1);
        const QJsonValue item = items.at(i);
        if (item.isString()) {
            const auto bytes = hexBytes(item.toString());
            if (!bytes) {
                return fail(error, tWhere + QStringLiteral(": bad hex"));
            }
            meter.telegrams.append(*bytes);
            identityFromTelegram(*bytes, meter);
            continue;
        }
        const QJsonObject t = item.toObject();
        if (!item.isObject() || !knownKeys(t, {"records", "status", "accessNumber"}, tWhere, error)) {
            return item.isObject() ? false : fail(error, tWhere + QStringLiteral(": hex text or an object"));
        }
        TelegramPlan plan;
        plan.address = meter.address.value_or(0);
        plan.id = meter.id;
        plan.manufacturer = meter.manufacturer;
        plan.version = meter.version;
        plan.medium = meter.medium;
        int tStatus = status;
        int tAccess = accessNumber;
        if (!readInt(t, "status", 0, 255, tStatus, tWhere, error) ||
            !readInt(t, "accessNumber", 0, 255, tAccess, tWhere, error)) {
            return false;
        }
        plan.status = static_cast<std::uint8_t>(tStatus);
        plan.accessNumber = static_cast<std::uint8_t>(tAccess);
        const QJsonArray records = t.value(QLatin1String("records")).toArray();
        for (int r = 0; r < records.size(); ++r) {
            auto record =
                parseRecordPlan(records.at(r), tWhere + QStringLiteral(", record %1").arg(r + 1), error);
            if (!record) {
                return false;
            }
            plan.records.append(*record);
        }
        // In a sequence every telegram but the last announces more with 0x1F; the last closes with 0x0F.
        if (items.size() > 1) {
            plan.trailer = i + 1 < items.size() ? 0x1F : 0x0F;
        }
        QString reason;
        const auto bytes = buildTelegram(plan, &reason);
        if (!bytes) {
            return fail(error, tWhere + QStringLiteral(": ") + reason);
        }
        meter.telegrams.append(*bytes);
    }
    return true;
}

} // namespace

std::optional<RecordPlan> parseRecordPlan(const QJsonValue& value, const QString& where, QString* error) {
    if (!value.isObject()) {
        fail(error, where + QStringLiteral(": a record is an object"));
        return std::nullopt;
    }
    const QJsonObject o = value.toObject();
    if (!knownKeys(o, {"type", "value", "decimals", "coding", "storage", "tariff", "function"}, where,
                   error)) {
        return std::nullopt;
    }
    RecordPlan r;
    r.type = o.value(QLatin1String("type")).toString();
    const QJsonValue v = o.value(QLatin1String("value"));
    if (v.isString()) {
        r.text = v.toString();
    } else if (v.isDouble()) {
        r.value = v.toDouble();
    } else {
        fail(error, where + QStringLiteral(": \"value\" is a number or a text"));
        return std::nullopt;
    }
    r.coding = o.value(QLatin1String("coding")).toString();
    r.function = o.value(QLatin1String("function")).toString();
    if (!readInt(o, "decimals", 0, 6, r.decimals, where, error) ||
        !readInt(o, "storage", 0, 31, r.storage, where, error) ||
        !readInt(o, "tariff", 0, 3, r.tariff, where, error)) {
        return std::nullopt;
    }
    return r;
}

std::optional<InstallationConfig> parseInstallation(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        fail(error, QStringLiteral("not a JSON object: %1 at offset %2")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    const QString where = QStringLiteral("installation");
    if (!knownKeys(o,
                   {"turnaroundMs", "collision", "gateway", "meters", "display", "receiver",
                    "serialTextDevice", "comment", "lineBaud", "echo", "lanDropsConnections"},
                   where, error)) {
        return std::nullopt;
    }
    InstallationConfig config;
    if (!readInt(o, "turnaroundMs", 0, 60000, config.turnaroundMs, where, error) ||
        !readInt(o, "lineBaud", 0, 115200, config.lineBaud, where, error)) {
        return std::nullopt;
    }
    if (config.lineBaud != 0 && config.lineBaud < 300) {
        fail(error, QStringLiteral("installation: \"lineBaud\" is 0 (answers at once) or 300..115200"));
        return std::nullopt;
    }
    config.echo = o.value(QLatin1String("echo")).toBool(false);
    config.lanDropsConnections = o.value(QLatin1String("lanDropsConnections")).toBool(false);
    const QString collision = o.value(QLatin1String("collision")).toString(QStringLiteral("concatenate"));
    if (collision == QLatin1String("or")) {
        config.collision = CollisionMode::Or;
    } else if (collision != QLatin1String("concatenate")) {
        fail(error, QStringLiteral("installation: \"collision\" is \"concatenate\" or \"or\""));
        return std::nullopt;
    }
    if (o.contains(QLatin1String("gateway"))) {
        const QJsonObject g = o.value(QLatin1String("gateway")).toObject();
        const QString gWhere = QStringLiteral("gateway");
        if (!knownKeys(g,
                       {"network", "timeoutMs", "answerTimeout", "ackAsData", "service", "dropAfterPackets"},
                       gWhere, error) ||
            !readInt(g, "timeoutMs", 0, 600000, config.gateway.timeoutMs, gWhere, error) ||
            !readInt(g, "dropAfterPackets", 0, 1000000, config.gateway.dropAfterPackets, gWhere, error)) {
            return std::nullopt;
        }
        if (g.contains(QLatin1String("network"))) {
            const auto network = codec::parseNetworkNumber(g.value(QLatin1String("network")).toString());
            if (!network) {
                fail(error, QStringLiteral("gateway: \"network\" is four numbers 0..255 joined by dots"));
                return std::nullopt;
            }
            config.gateway.network = *network;
        }
        config.gateway.answerTimeout = g.value(QLatin1String("answerTimeout")).toBool(true);
        config.gateway.ackAsData = g.value(QLatin1String("ackAsData")).toBool(false);
        if (!parseGatewayService(g.value(QLatin1String("service")), config.gatewayService,
                                 config.gateway.network, error)) {
            return std::nullopt;
        }
    }
    if (o.contains(QLatin1String("display"))) {
        config.display.emplace();
        if (!parseDisplay(o.value(QLatin1String("display")), *config.display, error)) {
            return std::nullopt;
        }
    }
    if (o.contains(QLatin1String("receiver"))) {
        config.receiver.emplace();
        if (!parseReceiver(o.value(QLatin1String("receiver")), *config.receiver, error)) {
            return std::nullopt;
        }
    }
    int textDevice = 0;
    if (!readChoice(o, "serialTextDevice", {"display", "gateway"}, textDevice, where, error)) {
        return std::nullopt;
    }
    config.serialTextDevice = textDevice == 0 ? TextDevice::Display : TextDevice::GatewayService;
    const QJsonArray meters = o.value(QLatin1String("meters")).toArray();
    for (int i = 0; i < meters.size(); ++i) {
        SimMeterConfig meter;
        if (!parseMeter(meters.at(i), i, meter, error)) {
            return std::nullopt;
        }
        config.meters.append(meter);
    }
    return config;
}

std::optional<InstallationConfig> loadInstallation(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return parseInstallation(file.readAll(), error);
}

} // namespace holvex::sim
