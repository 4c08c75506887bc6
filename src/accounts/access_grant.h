#pragma once

#include <QString>

namespace holvex {

// What a successful login allows in the main window: the "Tools" entries by access level, and what the
// record's three rights show.
struct AccessGrant {
    QString level;                     // "Administrator", "Setup" or "Operator"
    bool usersEntryEnabled = false;    // "Tools" / "Users"
    bool settingsEntryEnabled = false; // "Tools" / "Settings"
    bool devicesAllowed = false;       // configuration group of page 1, broadcast box, ID and address labels
    bool communicationAllowed = false; // page "   Communication devices   "
    bool displayAllowed = false;       // page "   Local display Lumet   "
};

} // namespace holvex
