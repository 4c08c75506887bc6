#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace holvex {

// The codes the configuration group's boxes stand for, by the decoder's own lookups.

// Unit box and constant box: "Wh" 0x00..0x07, "kJ" 0x08..0x0F, "l" 0x10..0x17 for "0.001" .. "10000",
// "N/A" 0x6E whatever the constant, anything else 0x00.
std::uint8_t configUnitCode(const QString& unit, const QString& constant);
// The unit texts the set-type command accepts.
bool isKnownUnitText(const QString& unit);
// The medium box's entries in box order, and the code of a medium name (a name not known gives 0x0F).
const std::array<QString, 11>& mediumBoxEntries();
std::uint8_t configMediumCode(const QString& name);
// The code of a medium name the table knows; nothing for any other text (an empty cell, a medium not in the
// list).
std::optional<std::uint8_t> knownMediumCode(const QString& name);

} // namespace holvex
