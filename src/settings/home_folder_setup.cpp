#include "settings/home_folder_setup.h"

#include "accounts/account_file.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QFileInfo>

namespace holvex {

bool prepareHomeFolder(const QString& folder, QString* error) {
    const QDir home(folder);
    if (!QDir().mkpath(home.absolutePath()) || !QDir().mkpath(home.filePath(QStringLiteral("files")))) {
        *error = home.absolutePath();
        return false;
    }
    const QString settingsPath = home.filePath(QStringLiteral("holvex.ini"));
    if (!QFileInfo::exists(settingsPath)) {
        Settings defaults;
        defaults.Dir = home.absolutePath() + QLatin1Char('/');
        if (!saveAllSettings(settingsPath, defaults)) {
            *error = settingsPath;
            return false;
        }
    }
    const QString accountPath = home.filePath(QStringLiteral("files/users.dat"));
    if (!QFileInfo::exists(accountPath) && !writeDefaultAccountFile(accountPath)) {
        *error = accountPath;
        return false;
    }
    return true;
}

} // namespace holvex
