#include "mbus/vif_extension_tables.h"

namespace holvex::mbus {

QString vifExtensionFd(quint8 code) {
    code &= 0x7F;
    if (code <= 0x03) {
        return QStringLiteral("Credit in currency units");
    }
    if (code <= 0x07) {
        return QStringLiteral("Debit in currency units");
    }
    if (code >= 0x40 && code <= 0x4F) {
        return QStringLiteral("Volts, 10^") + QString::number(static_cast<int>(code & 0x0F) - 9);
    }
    if (code >= 0x50 && code <= 0x55) {
        return QStringLiteral("Ampers, 10^") + QString::number(static_cast<int>(code & 0x0F) - 12);
    }
    switch (code) {
    case 0x08:
        return QStringLiteral("Access Number");
    case 0x09:
        return QStringLiteral("Medium");
    case 0x0A:
        return QStringLiteral("Manufacturer");
    case 0x0B:
        return QStringLiteral("Enhanced identification");
    case 0x0C:
        return QStringLiteral("Model/Version");
    case 0x0D:
        return QStringLiteral("Hardware version No.");
    case 0x0E:
        return QStringLiteral("Firmware version No.");
    case 0x0F:
        return QStringLiteral("Software version No.");
    case 0x10:
        return QStringLiteral("Customer location");
    case 0x11:
        return QStringLiteral("Customer");
    case 0x12:
        return QStringLiteral("Access code user");
    case 0x13:
        return QStringLiteral("Access code operator");
    case 0x16:
        return QStringLiteral("Password");
    case 0x17:
        return QStringLiteral("Error flags");
    case 0x18:
        return QStringLiteral("Error mask");
    case 0x19:
        return QStringLiteral("Reserved");
    case 0x1A:
        return QStringLiteral("Digitial Output (binary)");
    case 0x1B:
        return QStringLiteral("Digitial Input (binary)");
    case 0x1C:
        return QStringLiteral("Baudrate");
    case 0x1D:
        return QStringLiteral("Response Delay time");
    case 0x1E:
        return QStringLiteral("Retry");
    case 0x1F:
        return QStringLiteral("Reserved");
    case 0x3A:
        return QStringLiteral("Dimensionless");
    default:
        return QStringLiteral("VIF not supported");
    }
}

VifExtensionFbEntry vifExtensionFb(quint8 code) {
    code &= 0x7F;
    // Fahrenheit temperatures: four steps 0.001 .. 1 within each group of four codes.
    static constexpr double kStep[4] = {0.001, 0.01, 0.1, 1.0};
    switch (code) {
    case 0x00:
        return {QStringLiteral("kWh"), 100.0};
    case 0x01:
        return {QStringLiteral("kWh"), 1000.0};
    case 0x08:
        return {QStringLiteral("GJ"), 0.1};
    case 0x09:
        return {QStringLiteral("GJ"), 1.0};
    case 0x10:
        return {QStringLiteral("m3"), 100.0};
    case 0x11:
        return {QStringLiteral("m3"), 1000.0};
    case 0x28:
        return {QStringLiteral("kW"), 100.0};
    case 0x29:
        return {QStringLiteral("kW"), 1000.0};
    case 0x58:
    case 0x59:
    case 0x5A:
        return {QStringLiteral("Flow Temperature, deg. F"), kStep[code - 0x58]};
    case 0x5B:
        return {QStringLiteral("Flow Temperature, F"), 1.0};
    case 0x5C:
    case 0x5D:
    case 0x5E:
    case 0x5F:
        return {QStringLiteral("Return Temperature, deg. F"), kStep[code - 0x5C]};
    case 0x60:
    case 0x61:
    case 0x62:
        return {QStringLiteral("Temp. difference, deg. F"), kStep[code - 0x60]};
    case 0x63:
        return {QStringLiteral("Temp. difference, F"), 1.0};
    case 0x64:
    case 0x65:
    case 0x66:
    case 0x67:
        return {QStringLiteral("External temperature, deg. F"), kStep[code - 0x64]};
    default:
        break;
    }
    if ((code >= 0x02 && code <= 0x07) || (code >= 0x0A && code <= 0x0F) || (code >= 0x2A && code <= 0x2F) ||
        (code >= 0x68 && code <= 0x6F)) {
        return {QStringLiteral("Reserved"), 1.0};
    }
    return {QStringLiteral("VIF not supported"), 1.0};
}

} // namespace holvex::mbus
