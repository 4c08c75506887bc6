#pragma once

#include "settings/ini_document.h"
#include "settings/settings.h"

#include <QString>

namespace holvex {

// Reading: a missing file or key gives the built-in default. Names of sections and keys are matched without
// regard to case. Booleans are true when the number is not zero. A number that does not parse (or an empty
// value) gives the default; a number outside its range is clamped to the nearest end ("Retry=15" reads 9,
// "Timeout=100" reads 300). "Language" has no range and is kept as stored. Texts are cut to the length their
// field takes: separators 1, "Speed" 6, "Parity" 5, remote IP 15, remote port 5, titles 15, port name 255.
// An empty separator gives the default, since a CSV file needs one.
Settings loadSettingsFile(const QString& path);
// The same from a settings text already read.
Settings settingsFromDocument(const IniDocument& doc);

// Writing keeps every line the program does not write (unknown sections and keys, comments). Each returns
// false when the file cannot be written (read-only file or folder, unreadable file), leaving it untouched.

// The dialog's first page: [Com port], [Misc] without "Dir" and "Language", [Ethernet], [LANXP], and
// "FastReply" of [Mbus].
bool saveCommunicationKeys(const QString& path, const Settings& s);
// [Titles]: "Count" and "Title1" .. "Title15".
bool saveTitleKeys(const QString& path, const Settings& s);
// The main window's keys: [Mbus] but "FastReply", [Misc] "Dir" and "Language", [IPaddress].
bool saveMainWindowKeys(const QString& path, const Settings& s);
// Every key, e.g. to create a new home folder.
bool saveAllSettings(const QString& path, const Settings& s);

} // namespace holvex
