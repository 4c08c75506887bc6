#pragma once

#include <QString>

namespace holvex {

// The access levels an account may hold, as stored in the account file.
inline const QString AdministratorLevel = QStringLiteral("Administrator");
inline const QString SetupLevel = QStringLiteral("Setup");
inline const QString OperatorLevel = QStringLiteral("Operator");

// The three rights every account carries.
enum class AccountRight { Devices, Communication, Display };

// One user of the account file, decoded: texts are plain, the rights are their stored three-letter codes
// (a right is allowed only when its code is exactly the allowed code, see RightAllowed).
struct AccountRecord {
    QString userName;
    QString password;
    QString level;
    QString registrationDate;
    QString devicesCode;
    QString communicationCode;
    QString displayCode;

    QString code(AccountRight right) const;
    void setRight(AccountRight right, bool allowed);
    bool allowed(AccountRight right) const;
};

// The stored code for a right: "q7K"/"w2R" (devices), "j4T"/"z9M" (communication), "h6P"/"x3N" (display).
QString rightCode(AccountRight right, bool allowed);

// True only for the exact allowed code; anything else counts as denied.
bool rightAllowed(AccountRight right, const QString& code);

} // namespace holvex
