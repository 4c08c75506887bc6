#include "accounts/account_record.h"

namespace holvex {

QString rightCode(AccountRight right, bool allowed) {
    switch (right) {
    case AccountRight::Devices:
        return allowed ? QStringLiteral("q7K") : QStringLiteral("w2R");
    case AccountRight::Communication:
        return allowed ? QStringLiteral("j4T") : QStringLiteral("z9M");
    case AccountRight::Display:
        return allowed ? QStringLiteral("h6P") : QStringLiteral("x3N");
    }
    return {};
}

bool rightAllowed(AccountRight right, const QString& code) {
    return code == rightCode(right, true);
}

QString AccountRecord::code(AccountRight right) const {
    switch (right) {
    case AccountRight::Devices:
        return devicesCode;
    case AccountRight::Communication:
        return communicationCode;
    case AccountRight::Display:
        return displayCode;
    }
    return {};
}

void AccountRecord::setRight(AccountRight right, bool isAllowed) {
    const QString stored = rightCode(right, isAllowed);
    switch (right) {
    case AccountRight::Devices:
        devicesCode = stored;
        break;
    case AccountRight::Communication:
        communicationCode = stored;
        break;
    case AccountRight::Display:
        displayCode = stored;
        break;
    }
}

bool AccountRecord::allowed(AccountRight right) const {
    return rightAllowed(right, code(right));
}

} // namespace holvex
