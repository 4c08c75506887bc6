#include "meters/ops/config_values.h"

#include "mbus/lookups.h"

namespace holvex {

std::uint8_t configUnitCode(const QString& unit, const QString& constant) {
    return static_cast<std::uint8_t>(mbus::unitCode(unit, constant));
}

bool isKnownUnitText(const QString& unit) {
    return unit == QLatin1String("l") || unit == QLatin1String("Wh") || unit == QLatin1String("kJ") ||
           unit == QLatin1String("N/A");
}

const std::array<QString, 11>& mediumBoxEntries() {
    static const std::array<QString, 11> kEntries{
        QStringLiteral("Electricity"), QStringLiteral("Water"), QStringLiteral("Hot water"),
        QStringLiteral("Cold water"),  QStringLiteral("H.C.A"), QStringLiteral("Heat meter"),
        QStringLiteral("Cold meter"),  QStringLiteral("Gas"),   QStringLiteral("Oil"),
        QStringLiteral("Pressure"),    QStringLiteral("Other"),
    };
    return kEntries;
}

std::uint8_t configMediumCode(const QString& name) {
    return static_cast<std::uint8_t>(mbus::mediumCode(name));
}

std::optional<std::uint8_t> knownMediumCode(const QString& name) {
    const std::optional<int> code = mbus::knownMediumCode(name);
    if (!code) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(*code);
}

} // namespace holvex
