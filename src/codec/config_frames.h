#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace holvex::codec {

// The SND_UD frames that change a meter's settings, and the codes their boxes map to. Every frame is a long
// frame 68 L L 68 C A CI data CS 16 built with codec::LongFrame; `address` is the meter's primary
// address, 0xFE (broadcast) or 0xFD (the meter selected by its ID).

// Four BCD bytes of an 8-character text of decimal digits, least significant pair first ("12345678" gives
// 78 56 34 12). Empty when the text is not exactly 8 decimal digits.
std::optional<std::array<std::uint8_t, 4>> bcdIdBytes(const QString& id);

// Set primary address: 68 06 06 68 73 A 51 01 7A new CS 16.
QByteArray setPrimaryAddressFrame(std::uint8_t address, std::uint8_t newAddress);
// Change ID: 68 09 09 68 73 A 51 0C 79 id(4, LSB first) CS 16. Empty when newId is not 8 decimal digits.
QByteArray changeIdFrame(std::uint8_t address, const QString& newId);
// Change baud: 68 03 03 68 53 A code CS 16.
QByteArray changeBaudFrame(std::uint8_t address, std::uint8_t baudCode);

// Set medium: 68 0D 0D 68 53 A 51 07 79 id(4) FF FF FF medium CS 16. `idBytes` are the four ID bytes as sent.
QByteArray setMediumFrame(std::uint8_t address, const std::array<std::uint8_t, 4>& idBytes,
                          std::uint8_t mediumCode);
// The ID bytes of the set-medium frame: "FFFFFFFF" and any text that is not 8 decimal digits give FF FF FF
// FF; `overridden` is set for the latter (the caller logs "ID overrided with FFFFFFFF, exception...").
std::array<std::uint8_t, 4> mediumIdBytes(const QString& id, bool* overridden);

// Set type (unit and medium): 68 09 09 68 53 A 51 0F unit 03 medium 01 01 CS 16.
QByteArray setTypeFrame(std::uint8_t address, std::uint8_t unitCode, std::uint8_t mediumCode);
// Relay counter value: 68 09 09 68 53 A 51 0C unit value(4 BCD, LSB first) CS 16. `value` is the relay
// counter text left-padded with zeros to 8 digits; empty when it is longer than 8 digits or not decimal.
QByteArray relayCounterFrame(std::uint8_t address, std::uint8_t unitCode, const QString& value);
// Pulse width: 68 0B 0B 68 53 A 51 0F FD 0B 04 00 00 00 code CS 16.
QByteArray pulseWidthFrame(std::uint8_t address, std::uint8_t widthCode);
// Pulse value: 68 09 09 68 53 A 51 04 13 n%256 (n%65536)/256 (n/65536)%256 00 CS 16 (digits above 2^24 lost).
QByteArray pulseValueFrame(std::uint8_t address, std::uint32_t pulses);
// Counter type: 68 0B 0B 68 53 A 51 0F FF 00 04 FF FE t1 t2 CS 16.
QByteArray counterTypeFrame(std::uint8_t address, std::uint8_t type1, std::uint8_t type2);

// "300" B8, "1200" BA, "2400" BB, "4800" BC; anything else (also "9600") none.
std::optional<std::uint8_t> baudCode(const QString& text);
// The texts the baud check accepts before the channel is opened: the four above and "9600".
bool isKnownBaudText(const QString& text);
// "5ms" 1, "10ms" 2, "20ms" 3, "50ms" 4, "100ms" 5, anything else 0.
std::uint8_t pulseWidthCode(const QString& text);
// "Incremental ID for each input" C2 01, "Single ID for all" C2 00, "Independent addresses" C3 01.
std::optional<std::array<std::uint8_t, 2>> counterTypeBytes(const QString& text);
} // namespace holvex::codec
