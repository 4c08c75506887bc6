#include "mbus/vif_tables.h"

#include "mbus/decode_error.h"
#include "mbus/vif_extension_tables.h"

namespace holvex::mbus {

namespace {

// Powers of ten as exact literals (10^-6 .. 10^6), so 0x13 scales by the same double as the literal 0.001.
constexpr double kPow10[] = {1e-6, 1e-5, 1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};

double pow10(int exponent) {
    if (exponent < -6 || exponent > 6) {
        return 1.0;
    }
    return kPow10[exponent + 6];
}

void set(VifResult& result, const QString& unit, const QString& qualifier, double multiplier) {
    result.unit = unit;
    result.qualifier = qualifier;
    result.multiplier = multiplier;
}

// The byte at pos, which must lie before the checksum; a telegram cut short is the caller's error.
quint8 byteBeforeChecksum(const QByteArray& frame, int pos, const char* what) {
    if (pos < 0 || pos >= frame.size() - 2) {
        throw DecodeError(std::string(what) + " lies past the end of the telegram");
    }
    return static_cast<quint8>(frame[pos]);
}

// The plain text of a 0x7C/0xFC VIF: the characters after the length byte, in the order received.
QString plainText(const QByteArray& frame, int lengthPos, int length) {
    if (lengthPos + 1 + length > frame.size() - 2) {
        throw DecodeError("The plain-text VIF of " + std::to_string(length) +
                          " characters runs past the end of the telegram");
    }
    return QString::fromLatin1(frame.constData() + lengthPos + 1, length);
}

} // namespace

bool lookupPrimaryVif(quint8 code, VifResult& result) {
    const int n = code;
    if (n <= 0x07) {
        set(result, QStringLiteral("kWh"), {}, pow10(n - 6));
    } else if (n <= 0x0D) {
        set(result, QStringLiteral("kJ"), {}, pow10(n - 11));
    } else if (n <= 0x0F) {
        set(result, QStringLiteral("MJ"), {}, pow10(n - 14));
    } else if (n <= 0x17) {
        set(result, QStringLiteral("m3"), {}, pow10(n - 22));
    } else if (n >= 0x20 && n <= 0x23) {
        static const QString kOnTime[] = {QStringLiteral("seconds"), QStringLiteral("minutes"),
                                          QStringLiteral("hours"), QStringLiteral("days")};
        set(result, QStringLiteral("On Time"), kOnTime[n - 0x20], 1.0);
    } else if (n >= 0x24 && n <= 0x27) {
        static const QString kOperating[] = {QStringLiteral("seconds"), QStringLiteral("minutes"),
                                             QStringLiteral("hours"), QStringLiteral("days")};
        set(result, QStringLiteral("Operating Time"), kOperating[n - 0x24], 1.0);
    } else if (n >= 0x28 && n <= 0x2D) {
        set(result, QStringLiteral("W"), {}, pow10(n - 43));
    } else if (n >= 0x2E && n <= 0x2F) {
        set(result, QStringLiteral("kW"), {}, pow10(n - 46));
    } else if (n >= 0x30 && n <= 0x36) {
        set(result, QStringLiteral("J/h"), {}, pow10(n - 48));
    } else if (n >= 0x38 && n <= 0x3F) {
        set(result, QStringLiteral("l/h"), QStringLiteral("Debit"), pow10(n - 59));
    } else if (n >= 0x58 && n <= 0x5B) {
        set(result, QStringLiteral("deg. C"), QStringLiteral("Flow Temp."), pow10(n - 91));
    } else if (n >= 0x5C && n <= 0x5F) {
        set(result, QStringLiteral("deg. C"), QStringLiteral("Return Temp."), pow10(n - 95));
    } else if (n >= 0x60 && n <= 0x63) {
        set(result, QStringLiteral("deg. K"), QStringLiteral("TDiff"), pow10(n - 99));
    } else if (n >= 0x64 && n <= 0x67) {
        set(result, QStringLiteral("deg. C"), QStringLiteral("External Temperature"), pow10(n - 103));
    } else if (n >= 0x68 && n <= 0x6A) {
        set(result, QStringLiteral("mbar"), {}, pow10(n - 104));
    } else if (n == 0x6C) {
        set(result, QStringLiteral("Time point"), QStringLiteral("Date (dd.mm.yyyy)"), 1.0);
    } else if (n == 0x6D) {
        set(result, QStringLiteral("Time point"), QStringLiteral("Date and time (hh:mm, dd.mm.yyyy)"), 1.0);
    } else if (n == 0x6E) {
        set(result, QStringLiteral("N/A"), {}, 1.0);
    } else if (n == 0x70) {
        set(result, QStringLiteral("Average duration"), {}, 1.0);
    } else if (n == 0x74) {
        set(result, QStringLiteral("Actuality Duration"), {}, 1.0);
    } else if (n == 0x78) {
        set(result, QStringLiteral("Fabr. No."), {}, 1.0);
    } else {
        return false;
    }
    return true;
}

VifResult lookupVif(const QByteArray& frame, int vifPos, int dataStart, const QString& vifHex) {
    // The VIF byte and everything after it are read from the frame itself.
    Q_UNUSED(dataStart);
    Q_UNUSED(vifHex);
    VifResult result;
    if (vifPos < 0 || vifPos >= frame.size()) {
        throw DecodeError("The VIF lies past the end of the telegram");
    }
    const auto vif = static_cast<quint8>(frame[vifPos]);
    switch (vif) {
    case 0x7F:
    case 0xFF:
        result.unit = QStringLiteral("Manufacturer specific");
        return result;
    case 0x7C:
    case 0xFC: {
        // A zero length leaves the default result and nothing to skip.
        // The length byte and the text follow the VIF itself (any VIFEs of 0xFC come after the text).
        const int length = byteBeforeChecksum(frame, vifPos + 1, "The plain-text length of a VIF");
        if (length > 0) {
            const QString text = plainText(frame, vifPos + 1, length);
            result.unit = vif == 0x7C ? text : QStringLiteral("VIF is user ASCII string: ") + text;
            result.qualifier = QStringLiteral("text");
        }
        return result;
    }
    case 0x7D:
    case 0xFD:
        result.unit = vifExtensionFd(byteBeforeChecksum(frame, vifPos + 1, "The VIF extension") & 0x7F);
        result.multiplier = 1.0;
        return result;
    case 0x7B:
    case 0xFB: {
        const VifExtensionFbEntry entry =
            vifExtensionFb(byteBeforeChecksum(frame, vifPos + 1, "The VIF extension") & 0x7F);
        result.unit = entry.unit;
        result.multiplier = entry.multiplier;
        return result;
    }
    default:
        break;
    }
    if (vif == 0x7E || vif == 0xFE) {
        result.unit = QStringLiteral("Readout - not supported for now");
    }
    quint8 code = vif;
    if (vif >= 0x80 && vif <= 0xEF) {
        code = vif & 0x7F;
    }
    if (code <= 0x7F) {
        lookupPrimaryVif(code, result);
    }
    return result;
}

} // namespace holvex::mbus
