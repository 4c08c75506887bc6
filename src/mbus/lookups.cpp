#include "mbus/lookups.h"

#include "mbus/number_format.h"

namespace holvex::mbus {

namespace {

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

// A voltage byte counts in steps of 1/51 V.
QString volts(int raw, QChar decimalSeparator) {
    return formatFixedDecimals(raw / 51.0, 4, 2, decimalSeparator) + QLatin1Char('V');
}

} // namespace

QString manufacturerLetters(quint16 field) {
    // Bit 15 is kept: such a field gives a first character past "Z".
    const QChar letters[3] = {QChar(static_cast<char16_t>(64 + (field >> 10))),
                              QChar(static_cast<char16_t>(64 + ((field >> 5) & 0x1F))),
                              QChar(static_cast<char16_t>(64 + (field & 0x1F)))};
    return QString(letters, 3);
}

int manufacturerCode(const QString& letters) {
    if (letters.size() != 3) {
        return 0;
    }
    return letters[0].unicode() * 1024 + letters[1].unicode() * 32 + letters[2].unicode() - 67648;
}

MediumInfo mediumName(quint8 medium) {
    const QString na = QStringLiteral("N/A");
    const QString other = QStringLiteral("Other");
    const QString unknown = QStringLiteral("Unknown");
    const QString m3 = QStringLiteral("m3");
    const QString kwh = QStringLiteral("kWh");
    const QString kj = QStringLiteral("kJ");
    const QString mj = QStringLiteral("MJ");
    switch (medium) {
    case 0x00:
        return {QStringLiteral("Other"), na, other, unknown};
    case 0x01:
        return {QStringLiteral("Oil"), m3, m3, m3};
    case 0x02:
        return {QStringLiteral("Electricity"), kwh, kj, mj};
    case 0x03:
        return {QStringLiteral("Gas"), m3, m3, m3};
    case 0x04:
        return {QStringLiteral("Heat (rt)"), kwh, kj, mj};
    case 0x05:
        return {QStringLiteral("Steam"), na, other, unknown};
    case 0x06:
        return {QStringLiteral("Hot water"), m3, m3, m3};
    case 0x07:
        return {QStringLiteral("Water"), m3, m3, m3};
    case 0x08:
        return {QStringLiteral("Heat C.A."), na, other, unknown};
    case 0x09:
        return {QStringLiteral("Compr. Air"), na, other, unknown};
    case 0x0A:
        return {QStringLiteral("Cooling, rt"), kwh, kj, mj};
    case 0x0B:
        return {QStringLiteral("Cooling, ft"), kwh, kj, mj};
    case 0x0C:
        return {QStringLiteral("Heat (ft)"), kwh, kj, mj};
    case 0x0D:
        return {QStringLiteral("H/C load meter"), kwh, kj, mj};
    case 0x0E:
        return {QStringLiteral("Bus/System"), na, other, unknown};
    case 0x16:
        return {QStringLiteral("Cold water"), m3, m3, m3};
    case 0x17:
        return {QStringLiteral("Dual water"), m3, m3, m3};
    case 0x18:
        return {QStringLiteral("Pressure"), QStringLiteral("mbar"), QStringLiteral("mbar"),
                QStringLiteral("mbar")};
    case 0x19:
        return {QStringLiteral("A/D converter"), na, other, unknown};
    default:
        return {unknown, na, other, unknown};
    }
}

QString radioMediumName(quint8 deviceType) {
    switch (deviceType) {
    case 0x00:
        return QStringLiteral("Other");
    case 0x01:
        return QStringLiteral("Oil");
    case 0x02:
        return QStringLiteral("Electricity");
    case 0x03:
        return QStringLiteral("Gas");
    case 0x04:
    case 0x0C:
        return QStringLiteral("Heat");
    case 0x05:
        return QStringLiteral("Steam");
    case 0x06:
        return QStringLiteral("Hot water");
    case 0x07:
        return QStringLiteral("Water");
    case 0x08:
        return QStringLiteral("H.C.A");
    case 0x09:
        return QStringLiteral("Compr. air");
    case 0x0A:
        return QStringLiteral("Cool (out)");
    case 0x0B:
        return QStringLiteral("Cool (in)");
    case 0x0D:
        return QStringLiteral("Heat/Cool");
    case 0x0E:
        return QStringLiteral("Bus");
    case 0x0F:
        return QStringLiteral("Unknown");
    case 0x16:
        return QStringLiteral("Cold water");
    default:
        return {};
    }
}

int mediumCode(const QString& name) {
    return knownMediumCode(name).value_or(0x0F);
}

std::optional<int> knownMediumCode(const QString& name) {
    struct Entry {
        const char* name;
        int code;
    };
    static constexpr Entry kCodes[] = {
        {"Other", 0x00},      {"Oil", 0x01},         {"Electricity", 0x02}, {"Gas", 0x03},
        {"Heat meter", 0x04}, {"Heat (rt)", 0x04},   {"Steam", 0x05},       {"Hot water", 0x06},
        {"Water", 0x07},      {"H.C.A", 0x08},       {"Heat C.A.", 0x08},   {"Cooling, rt", 0x0A},
        {"Cold meter", 0x0B}, {"Cooling, ft", 0x0B}, {"Cold water", 0x16},  {"Dual water", 0x17},
        {"Pressure", 0x18},
    };
    for (const Entry& entry : kCodes) {
        if (name == QLatin1String(entry.name)) {
            return entry.code;
        }
    }
    return std::nullopt;
}

int unitCode(const QString& unit, const QString& multiplier) {
    if (unit == QLatin1String("N/A")) {
        return 0x6E;
    }
    int base = -1;
    if (unit == QLatin1String("Wh")) {
        base = 0x00;
    } else if (unit == QLatin1String("kJ")) {
        base = 0x08;
    } else if (unit == QLatin1String("l")) {
        base = 0x10;
    }
    if (base < 0) {
        return 0;
    }
    static constexpr const char* kMultipliers[] = {"0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000"};
    for (int offset = 0; offset < 8; ++offset) {
        if (multiplier == QLatin1String(kMultipliers[offset])) {
            return base + offset;
        }
    }
    return 0;
}

QString modelName(quint8 version) {
    const int low = version & 0x0F;
    QString model;
    switch (version >> 4) {
    case 1:
        model = QStringLiteral("QSA-");
        break;
    case 2:
        model = QStringLiteral("QSB-");
        break;
    case 3:
        model = QStringLiteral("QSC-");
        break;
    default:
        return QStringLiteral("Unknown");
    }
    if (low > 9) {
        return QStringLiteral("Unknown");
    }
    model.append(QLatin1Char(static_cast<char>('0' + low)));
    return model;
}

QString pulseWidthName(quint8 status) {
    switch (status >> 4) {
    case 0x0:
        return QStringLiteral("Not supported");
    case 0x2:
        return QStringLiteral("5ms");
    case 0x4:
        return QStringLiteral("10ms");
    case 0x6:
        return QStringLiteral("20ms");
    case 0x8:
        return QStringLiteral("50ms");
    case 0xA:
        return QStringLiteral("100ms");
    case 0xE:
        return QStringLiteral("default 50ms");
    default:
        return QStringLiteral("Unknown");
    }
}

QString batteryText(const QString& frameHex, QChar decimalSeparator, QString* logLine) {
    const QString none = QStringLiteral("0");
    if (frameHex.size() < 52) {
        return none;
    }
    // The marker is searched digit by digit, so it may also be found across a byte boundary.
    qsizetype marker = -1;
    for (qsizetype i = 50; i + 1 < frameHex.size(); ++i) {
        if (frameHex[i] == QLatin1Char('0') && frameHex[i + 1] == QLatin1Char('F')) {
            marker = i;
            break;
        }
    }
    auto fail = [&](const char* why) {
        if (logLine != nullptr) {
            *logLine = QStringLiteral("Unknown Exception decoding battery - ") + QLatin1String(why);
        }
        return none;
    };
    if (marker < 0) {
        return fail("no 0F marker in the telegram");
    }
    if (marker + 12 > frameHex.size()) {
        return fail("the telegram ends too soon after the 0F marker");
    }
    const int d[4] = {hexValue(frameHex[marker + 8]), hexValue(frameHex[marker + 9]),
                      hexValue(frameHex[marker + 10]), hexValue(frameHex[marker + 11])};
    for (const int digit : d) {
        if (digit < 0) {
            return fail("the battery bytes are not hex digits");
        }
    }
    const int first = d[0] * 16 + d[1];
    const int second = d[2] * 16 + d[3];
    QString result = none;
    if (first > 51) {
        result = volts(first, decimalSeparator);
    }
    if (second > 51) {
        result.append(volts(second, decimalSeparator));
    }
    return result;
}

} // namespace holvex::mbus
