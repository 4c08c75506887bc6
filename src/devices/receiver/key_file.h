#pragma once

#include "devices/receiver/key_table.h"

#include <QString>

namespace holvex::receiver {

// "files/keys.csv" in the program's home folder.
QString defaultKeyFilePath();

// Reads and parses a keys file. A missing file gives an empty table without problems (no meter needs a
// key then); a file that exists but cannot be read gives one problem line.
KeyTable loadKeyFile(const QString& path);

} // namespace holvex::receiver
