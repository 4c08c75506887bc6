#include "settings/program_home.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace holvex {

namespace {
QString& homeFolder() {
    static QString folder;
    return folder;
}
} // namespace

ProgramHome::Choice ProgramHome::resolve(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--home") && i + 1 < arguments.size()) {
            set(arguments.at(i + 1));
            return Choice::Argument;
        }
        if (arg.startsWith(QLatin1String("--home="))) {
            set(arg.mid(7));
            return Choice::Argument;
        }
    }
    const QString fromEnvironment = qEnvironmentVariable("HOLVEX_HOME");
    if (!fromEnvironment.isEmpty()) {
        set(fromEnvironment);
        return Choice::Environment;
    }
    if (!installedDataFolder().isEmpty()) {
        // ~/.local/share/holvex (XDG_DATA_HOME/holvex when set).
        set(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/holvex"));
        return Choice::UserDataFolder;
    }
    set(QCoreApplication::applicationDirPath());
    return Choice::ExecutableFolder;
}

void ProgramHome::set(const QString& folder) {
    homeFolder() = QDir(folder).absolutePath();
}

QString ProgramHome::folder() {
    if (homeFolder().isEmpty()) {
        homeFolder() = QCoreApplication::applicationDirPath();
    }
    return homeFolder();
}

QString ProgramHome::settingsFilePath() {
    return filePath(QStringLiteral("holvex.ini"));
}

QString ProgramHome::accountFolder() {
    return filePath(QStringLiteral("files"));
}

QString ProgramHome::accountFilePath() {
    return filePath(QStringLiteral("files/users.dat"));
}

QString ProgramHome::filePath(const QString& name) {
    return QDir(folder()).filePath(name);
}

QString ProgramHome::installedDataFolder() {
    const QFileInfo data(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/holvex"));
    return data.isDir() ? data.canonicalFilePath() : QString();
}

QString ProgramHome::manualPath(const QString& name) {
    const QString own = filePath(name);
    const QString installed = installedDataFolder();
    if (QFileInfo::exists(own) || installed.isEmpty()) {
        return own;
    }
    return QDir(installed).filePath(name);
}

} // namespace holvex
