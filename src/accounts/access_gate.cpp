#include "accounts/access_gate.h"

namespace holvex {

QString nextLevel(const QString& recordLevel, const QString& levelBefore) {
    if (recordLevel == AdministratorLevel || recordLevel == SetupLevel || recordLevel == OperatorLevel) {
        return recordLevel;
    }
    return levelBefore;
}

AccessGrant grantAccess(const QString& level, const AccountRecord& record) {
    AccessGrant grant;
    if (level == AdministratorLevel) {
        grant.level = AdministratorLevel;
        grant.usersEntryEnabled = true;
        grant.settingsEntryEnabled = true;
    } else if (level == SetupLevel) {
        grant.level = SetupLevel;
        grant.settingsEntryEnabled = true;
    } else {
        grant.level = OperatorLevel;
    }
    grant.devicesAllowed = record.allowed(AccountRight::Devices);
    grant.communicationAllowed = record.allowed(AccountRight::Communication);
    grant.displayAllowed = record.allowed(AccountRight::Display);
    return grant;
}

} // namespace holvex
