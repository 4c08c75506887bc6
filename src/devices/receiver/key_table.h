#pragma once

#include "devices/receiver/aes_key.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace holvex::receiver {

// The radio meters' keys the program knows, by the meter's 8-character ID (upper case).
struct KeyTable {
    QHash<QString, AesKey> keys;
    QStringList problems; // one line for each line of the file that was not taken, with its line number
};

// The keys file's text: one meter a line, "ID;key" with the ID as the receiver table shows it (8 hex
// digits) and the key as 32 hex digits. Blank lines and lines starting with "#" are skipped; a later line
// for the same ID replaces an earlier one.
KeyTable parseKeyTable(const QByteArray& text);

// The key for a meter's ID (either case), if the table has one.
std::optional<AesKey> keyForMeter(const KeyTable& table, const QString& meterId);

} // namespace holvex::receiver
