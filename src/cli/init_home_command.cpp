#include "accounts/account_file.h"
#include "cli/commands.h"
#include "settings/settings.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace holvex::cli {

// Makes a home folder the program can start on: the settings file with every default and an account file with
// the one default account. Files already there are left alone, so a demo home keeps what its user changed.
int runInitHomeCommand(const QStringList& arguments) {
    QTextStream err(stderr);
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1Char('-'))) {
        err << "usage: holvex-cli init-home DIR\n";
        return 2;
    }
    const QDir home(arguments.first());
    if (!QDir().mkpath(home.absolutePath()) || !QDir().mkpath(home.filePath(QStringLiteral("files")))) {
        err << "holvex-cli: cannot create the folder " << home.absolutePath() << "\n";
        return 1;
    }
    const QString settingsPath = home.filePath(QStringLiteral("holvex.ini"));
    if (!QFileInfo::exists(settingsPath)) {
        Settings defaults;
        defaults.Dir = home.absolutePath() + QLatin1Char('/');
        if (!saveAllSettings(settingsPath, defaults)) {
            err << "holvex-cli: cannot write " << settingsPath << "\n";
            return 1;
        }
    }
    const QString accountPath = home.filePath(QStringLiteral("files/users.dat"));
    if (!QFileInfo::exists(accountPath) && !writeDefaultAccountFile(accountPath)) {
        err << "holvex-cli: cannot write " << accountPath << "\n";
        return 1;
    }
    return 0;
}

} // namespace holvex::cli
