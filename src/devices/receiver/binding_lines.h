#pragma once

#include "devices/receiver/receiver_command.h"
#include "devices/receiver/receiver_row.h"

#include <QByteArray>

#include <optional>

namespace holvex::receiver {

// Binding and de-binding a radio meter under a primary address of the receiver. `row` is the current row of
// the receiver table, none when no row is selected.

// The highest primary address a meter can be bound to (and de-bound from).
inline constexpr int kMaxBindAddress = 64;

// The 8-byte secondary address: the ID's four BCD bytes least significant first (characters 7-8, 5-6, 3-4,
// 1-2; a pair's first character is the high nibble, hex letters allowed as the radio sends them), the
// manufacturer letters as the EN 13757-3 code low byte first, version and device type one byte each. None
// when the ID is not 8 hex digits, the letters are not three characters from "@" to "_" (five bits each),
// or version or device is not a number from 0 to 255 or is 254.
std::optional<QByteArray> secondaryAddressBytes(const QString& id, const QString& manufacturer,
                                                const QString& version, const QString& device);

// "Bind selected": "set bind=" a "," + the 8 raw bytes, logged "Binding device with " + the address label.
// Refusals in order: no row; ID not 8 characters; (empty address: nothing at all); address above 64 or not
// a number; MFR, version or device empty; MFR not 3 characters. A secondary address that cannot be built
// sends nothing and says nothing.
ReceiverCommands bindCommands(const std::optional<ReceiverRow>& row);

// "De-bind selected": "del bind=" a, logged "De-binding device with " + the address label. Refusals: no row;
// empty address; address above 64 or not a number.
ReceiverCommands debindCommands(const std::optional<ReceiverRow>& row);

// The refusal when no row of the receiver table is selected.
QString noRowSelectedText();

} // namespace holvex::receiver
