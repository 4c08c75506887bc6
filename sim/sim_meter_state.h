#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// Codes a meter keeps from the configuration frames that do not show in its telegrams; empty until set.
struct SimRecordedCodes {
    std::optional<std::uint8_t> baudCode{};       // CI of the last baud change, 0xB8..0xBF
    std::optional<std::uint8_t> unitCode{};       // from the set-type frame
    std::optional<std::uint8_t> pulseWidthCode{}; // 1 (5 ms) .. 5 (100 ms), 0 for anything else
    std::optional<std::uint32_t> pulseValue{};    // the four value bytes, least significant first
    std::optional<std::uint16_t> counterType{};   // the two closing bytes: 0xC201, 0xC200 or 0xC301
    std::optional<std::uint8_t> relayUnitCode{};  // relay counter value frame
    std::optional<QString> relayValue{};          // its value as 8 hex digits (BCD: 8 decimal digits)
};

// A copy of one meter's current settings, taken on the bus's thread, for tests to compare with what the
// program sent.
struct SimMeterState {
    std::optional<std::uint8_t> address{};
    QString id;
    QString manufacturer;
    std::uint8_t version = 0;
    std::uint8_t medium = 0;
    bool selected = false;
    int framesSeen = 0;
    int commandsCarriedOut = 0; // configuration frames that changed or recorded something
    SimRecordedCodes codes;
};

} // namespace holvex::sim
