#pragma once

#include "accounts/access_grant.h"
#include "accounts/account_record.h"

namespace holvex {

// The level a matching record leaves: its own when it is one of the three known levels, otherwise the level
// found before (which may be empty when no known level was found yet).
QString nextLevel(const QString& recordLevel, const QString& levelBefore);

// What the main window opens for a login: the "Tools" entries by level and the pages and controls by the
// record's three rights. An empty or unknown level opens no more than "Operator".
AccessGrant grantAccess(const QString& level, const AccountRecord& record);

} // namespace holvex
