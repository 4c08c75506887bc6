#pragma once

#include "devices/receiver/aes_key.h"
#include "devices/receiver/receiver_command.h"
#include "devices/receiver/receiver_row.h"

#include <QString>

#include <optional>

namespace holvex::receiver {

// Storing an AES-128 key in the receiver ("Save in Ravik", and the programming run's "Save AES-128 key").

enum class KeyEntry {
    Ascii, // the field's 16 characters are the key bytes
    Hex,   // the field's 32 characters "0".."9", "A".."F" give the bytes, two a byte
};

struct KeyField {
    std::optional<AesKey> key;
    QString refusal; // set when key is none
};

// The key field as the key box reads it. ASCII: exactly 16 characters, each one byte (a character beyond
// Latin-1 cannot be one and counts as a wrong length). HEX: exactly 32 characters, upper-case hex only, else
// "Wrong HEX key, 0..F uppercase allowed only". Any other length: "Encryption key must be 16 bytes exactly,
// skipping...".
KeyField parseKeyField(const QString& text, KeyEntry entry);

struct KeyTargets {
    bool address = false;   // "Address": the key goes under the row's primary address
    bool useId = false;     // "Use ID": the key goes under the row's ID
    bool oneKeyAll = false; // "One key all": one master key for every device
};

// What the key box holds: the key text, its entry mode and targets.
struct KeyBoxState {
    QString text;
    KeyEntry entry = KeyEntry::Hex;
    KeyTargets targets;
};

// The highest primary address a key can be stored under.
inline constexpr int kMaxKeyAddress = 450;

// The key lines for the current row, "Address" first, then "Use ID":
//   "set encr=" a "," key  ("Setting encryption key of " a), with "One key all" "set encr=0," key;
//   "set akey=" id "," key ("Setting encryption key of " id), with "One key all" "set akey=00000000," key;
// both "Setting Master Key for all devices" with "One key all". Refusals in order: no row; empty address
// ("Not correct Primary address..."); address above 450 or not a number; the key field's refusal. No target
// checked: nothing.
ReceiverCommands keyCommands(const std::optional<ReceiverRow>& row, const QString& keyText, KeyEntry entry,
                             const KeyTargets& targets);

} // namespace holvex::receiver
