#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// The configuration frames a meter carries out. Anything else it merely acknowledges.
enum class MeterCommandKind {
    SetAddress,  // CI 0x51: 01 7A address
    SetId,       // CI 0x51: 0C 79 ID (4 BCD bytes, least significant first)
    SetMedium,   // CI 0x51: 07 79 ID FF FF FF medium (ID FF FF FF FF: whoever receives it)
    SetType,     // CI 0x51: 0F unit 03 medium 01 01
    Baud,        // CI 0xB8..0xBF, no data
    PulseWidth,  // CI 0x51: 0F FD 0B 04 00 00 00 width
    PulseValue,  // CI 0x51: 04 13 value (4 bytes, least significant first)
    CounterType, // CI 0x51: 0F FF 00 04 FF FE type (2 bytes)
    RelayValue,  // CI 0x51: 0C unit value (4 BCD bytes, least significant first)
};

// One configuration frame taken apart. Only the fields of its kind are filled.
struct MeterCommand {
    MeterCommandKind kind = MeterCommandKind::SetAddress;
    std::uint8_t code = 0;   // address, baud CI, unit code, pulse width code
    std::uint8_t medium = 0; // SetMedium, SetType
    QByteArray id;           // SetId, SetMedium: the 4 ID bytes as sent
    std::uint32_t value = 0; // PulseValue, RelayValue (the BCD bytes as a number), CounterType (2 bytes)
};

// The command a valid SND_UD long frame carries; nullopt for selections, unknown or malformed data.
std::optional<MeterCommand> parseMeterCommand(const QByteArray& frame);

// An 8-character ID ("12345678", hex digits allowed) as the 4 bytes of a telegram header, least significant
// first (78 56 34 12); nullopt for any other text.
std::optional<QByteArray> idBytes(const QString& id);

// The 4 header bytes back as 8 upper-case hex digits; empty unless exactly 4 bytes.
QString idText(const QByteArray& bytes);

// Whether 4 ID bytes are proper BCD (every nibble 0..9).
bool isBcdId(const QByteArray& bytes);

} // namespace holvex::sim
