#include "sim/telegram_builder.h"

#include "codec/frame_codec.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace holvex::sim {

namespace {

constexpr std::uint8_t kRspUd = 0x08;
constexpr std::uint8_t kVariableData = 0x72;

struct TypeInfo {
    const char* name;
    std::uint8_t vifAtUnit; // VIF when the value is stored in the unit the record gives it in
    int maxDecimals;        // each decimal takes one step down the VIF's exponent
    int defaultDecimals;
    const char* defaultCoding;
};

constexpr TypeInfo kTypes[] = {
    {"volume", 0x16, 6, 3, "bcd8"},
    {"energy", 0x06, 6, 0, "bcd8"},
    {"power", 0x2E, 6, 1, "int24"},
    {"flow", 0x3E, 6, 3, "int24"},
    {"flowTemperature", 0x5B, 3, 1, "int16"},
    {"returnTemperature", 0x5F, 3, 1, "int16"},
    {"temperatureDifference", 0x63, 3, 2, "int16"},
    {"externalTemperature", 0x67, 3, 1, "int16"},
    {"hca", 0x6E, 0, 0, "int24"},
    {"onTime", 0x22, 0, 0, "int32"},
    {"operatingTime", 0x26, 0, 0, "int32"},
    {"fabrication", 0x78, 0, 0, "bcd8"},
    {"errorFlags", 0xFD, 0, 0, "int16"}, // followed by the VIFE 0x17
};

struct CodingInfo {
    const char* name;
    std::uint8_t dataField;
    int bytes;
    bool bcd;
    bool real;
};

constexpr CodingInfo kCodings[] = {
    {"int8", 0x01, 1, false, false},  {"int16", 0x02, 2, false, false}, {"int24", 0x03, 3, false, false},
    {"int32", 0x04, 4, false, false}, {"real", 0x05, 4, false, true},   {"int48", 0x06, 6, false, false},
    {"int64", 0x07, 8, false, false}, {"bcd2", 0x09, 1, true, false},   {"bcd4", 0x0A, 2, true, false},
    {"bcd6", 0x0B, 3, true, false},   {"bcd8", 0x0C, 4, true, false},   {"bcd12", 0x0E, 6, true, false},
};

const TypeInfo* findType(const QString& name) {
    for (const TypeInfo& t : kTypes) {
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0) {
            return &t;
        }
    }
    return nullptr;
}

const CodingInfo* findCoding(const QString& name) {
    for (const CodingInfo& c : kCodings) {
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) {
            return &c;
        }
    }
    return nullptr;
}

bool fail(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
    return false;
}

// DIF (with DIFE when the storage number or tariff need it) for a data field code.
std::optional<QByteArray> dataInformation(std::uint8_t dataField, const RecordPlan& r, QString* error) {
    int function = 0;
    if (r.function.isEmpty() || r.function == QLatin1String("instant")) {
        function = 0;
    } else if (r.function == QLatin1String("max")) {
        function = 1;
    } else if (r.function == QLatin1String("min")) {
        function = 2;
    } else if (r.function == QLatin1String("error")) {
        function = 3;
    } else {
        fail(error, QStringLiteral("unknown function \"%1\"").arg(r.function));
        return std::nullopt;
    }
    if (r.storage < 0 || r.storage > 31 || r.tariff < 0 || r.tariff > 3) {
        fail(error, QStringLiteral("storage must be 0..31 and tariff 0..3"));
        return std::nullopt;
    }
    QByteArray out;
    const bool extended = r.storage > 1 || r.tariff > 0;
    out.append(
        static_cast<char>(dataField | (function << 4) | ((r.storage & 1) << 6) | (extended ? 0x80 : 0)));
    if (extended) {
        out.append(static_cast<char>(((r.storage >> 1) & 0x0F) | (r.tariff << 4)));
    }
    return out;
}

std::optional<QByteArray> encodeValue(const CodingInfo& coding, double scaled, QString* error) {
    QByteArray out;
    if (coding.real) {
        const auto f = static_cast<float>(scaled);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        for (int i = 0; i < 4; ++i) {
            out.append(static_cast<char>((bits >> (8 * i)) & 0xFF));
        }
        return out;
    }
    const long long v = std::llround(scaled);
    if (coding.bcd) {
        const double limit = std::pow(10.0, 2 * coding.bytes);
        if (v < 0 || static_cast<double>(v) >= limit) {
            fail(error, QStringLiteral("value %1 does not fit %2").arg(v).arg(QLatin1String(coding.name)));
            return std::nullopt;
        }
        long long rest = v;
        for (int i = 0; i < coding.bytes; ++i) {
            const int low = static_cast<int>(rest % 10);
            rest /= 10;
            const int high = static_cast<int>(rest % 10);
            rest /= 10;
            out.append(static_cast<char>((high << 4) | low));
        }
        return out;
    }
    const int bits = 8 * coding.bytes;
    const long long maxValue = bits >= 64 ? INT64_MAX : (1LL << (bits - 1)) - 1;
    const long long minValue = bits >= 64 ? INT64_MIN : -(1LL << (bits - 1));
    if (v > maxValue || v < minValue) {
        fail(error, QStringLiteral("value %1 does not fit %2").arg(v).arg(QLatin1String(coding.name)));
        return std::nullopt;
    }
    const auto u = static_cast<unsigned long long>(v);
    for (int i = 0; i < coding.bytes; ++i) {
        out.append(static_cast<char>((u >> (8 * i)) & 0xFF));
    }
    return out;
}

// Date and time of type F (4 bytes) or date of type G (2 bytes); the year counts from 2000.
std::optional<QByteArray> encodeDate(const RecordPlan& r, bool withTime, QString* error) {
    const QDateTime when = withTime
                               ? QDateTime::fromString(r.text, QStringLiteral("yyyy-MM-dd HH:mm"))
                               : QDateTime(QDate::fromString(r.text, QStringLiteral("yyyy-MM-dd")), QTime());
    if (!when.isValid() || when.date().year() < 2000 || when.date().year() > 2099) {
        fail(error, QStringLiteral("bad date \"%1\"").arg(r.text));
        return std::nullopt;
    }
    const int year = when.date().year() - 2000;
    QByteArray date;
    date.append(static_cast<char>(when.date().day() | ((year & 0x07) << 5)));
    date.append(static_cast<char>(when.date().month() | ((year & 0x78) << 1)));
    auto head = dataInformation(withTime ? 0x04 : 0x02, r, error);
    if (!head) {
        return std::nullopt;
    }
    QByteArray out = *head;
    out.append(static_cast<char>(withTime ? 0x6D : 0x6C));
    if (withTime) {
        out.append(static_cast<char>(when.time().minute()));
        out.append(static_cast<char>(when.time().hour()));
    }
    out.append(date);
    return out;
}

} // namespace

std::optional<std::uint16_t> manufacturerCode(const QString& letters) {
    if (letters.size() != 3) {
        return std::nullopt;
    }
    std::uint16_t code = 0;
    for (const QChar ch : letters) {
        const char16_t u = ch.toUpper().unicode();
        if (u < u'A' || u > u'Z') {
            return std::nullopt;
        }
        code = static_cast<std::uint16_t>((code << 5) | (u - 64));
    }
    return code;
}

std::optional<std::uint8_t> mediumCode(const QString& nameOrNumber) {
    static const struct {
        const char* name;
        std::uint8_t code;
    } kMedia[] = {
        {"other", 0x00},
        {"oil", 0x01},
        {"electricity", 0x02},
        {"gas", 0x03},
        {"heat", 0x04},
        {"steam", 0x05},
        {"warm water", 0x06},
        {"water", 0x07},
        {"hca", 0x08},
        {"compressed air", 0x09},
        {"cooling outlet", 0x0A},
        {"cooling inlet", 0x0B},
        {"heat inlet", 0x0C},
        {"heat cooling", 0x0D},
        {"bus", 0x0E},
        {"unknown", 0x0F},
        {"hot water", 0x15},
        {"cold water", 0x16},
        {"dual water", 0x17},
        {"pressure", 0x18},
        {"ad converter", 0x19},
    };
    for (const auto& m : kMedia) {
        if (nameOrNumber.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0) {
            return m.code;
        }
    }
    bool ok = false;
    const int n = nameOrNumber.toInt(&ok, 0);
    if (ok && n >= 0 && n <= 255) {
        return static_cast<std::uint8_t>(n);
    }
    return std::nullopt;
}

std::optional<QByteArray> buildRecord(const RecordPlan& r, QString* error) {
    if (r.type == QLatin1String("raw")) {
        QByteArray text = r.text.toLatin1();
        text.replace(' ', "");
        const QByteArray bytes = QByteArray::fromHex(text);
        if (text.isEmpty() || text.size() % 2 != 0 || bytes.toHex().toUpper() != text.toUpper()) {
            fail(error, QStringLiteral("bad raw record \"%1\"").arg(r.text));
            return std::nullopt;
        }
        return bytes;
    }
    if (r.type == QLatin1String("datetime") || r.type == QLatin1String("date")) {
        return encodeDate(r, r.type == QLatin1String("datetime"), error);
    }
    const TypeInfo* type = findType(r.type);
    if (!type) {
        fail(error, QStringLiteral("unknown record type \"%1\"").arg(r.type));
        return std::nullopt;
    }
    const int decimals = r.decimals < 0 ? type->defaultDecimals : r.decimals;
    if (decimals > type->maxDecimals) {
        fail(error, QStringLiteral("%1 takes at most %2 decimals").arg(r.type).arg(type->maxDecimals));
        return std::nullopt;
    }
    const CodingInfo* coding = findCoding(r.coding.isEmpty() ? QLatin1String(type->defaultCoding) : r.coding);
    if (!coding) {
        fail(error, QStringLiteral("unknown coding \"%1\"").arg(r.coding));
        return std::nullopt;
    }
    auto head = dataInformation(coding->dataField, r, error);
    if (!head) {
        return std::nullopt;
    }
    auto data = encodeValue(*coding, r.value * std::pow(10.0, decimals), error);
    if (!data) {
        return std::nullopt;
    }
    QByteArray out = *head;
    if (type->vifAtUnit == 0xFD) {
        out.append(static_cast<char>(0xFD));
        out.append(static_cast<char>(0x17));
    } else {
        out.append(static_cast<char>(type->vifAtUnit - decimals));
    }
    out.append(*data);
    return out;
}

std::optional<QByteArray> buildTelegram(const TelegramPlan& plan, QString* error) {
    if (plan.id.size() != 8 ||
        !std::all_of(plan.id.begin(), plan.id.end(), [](QChar c) { return c.isDigit(); })) {
        fail(error, QStringLiteral("the ID \"%1\" is not 8 digits").arg(plan.id));
        return std::nullopt;
    }
    const auto maker = manufacturerCode(plan.manufacturer);
    if (!maker) {
        fail(error, QStringLiteral("the manufacturer \"%1\" is not 3 letters").arg(plan.manufacturer));
        return std::nullopt;
    }
    QByteArray data;
    for (int k = 3; k >= 0; --k) {
        data.append(static_cast<char>(plan.id.mid(2 * k, 2).toInt(nullptr, 16)));
    }
    data.append(static_cast<char>(*maker & 0xFF));
    data.append(static_cast<char>(*maker >> 8));
    data.append(static_cast<char>(plan.version));
    data.append(static_cast<char>(plan.medium));
    data.append(static_cast<char>(plan.accessNumber));
    data.append(static_cast<char>(plan.status));
    data.append(2, '\0'); // signature: no encryption
    for (const RecordPlan& r : plan.records) {
        auto record = buildRecord(r, error);
        if (!record) {
            return std::nullopt;
        }
        data.append(*record);
    }
    if (plan.trailer != 0) {
        data.append(static_cast<char>(plan.trailer));
    }
    if (data.size() > codec::kMaxLongFrameData) {
        fail(error,
             QStringLiteral("the telegram holds %1 data bytes, more than a frame carries").arg(data.size()));
        return std::nullopt;
    }
    return codec::longFrame(kRspUd, plan.address, kVariableData, data);
}

} // namespace holvex::sim
