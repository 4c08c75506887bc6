#include "settings/program_home.h"

#include <QCoreApplication>
#include <QDir>

namespace holvex {

namespace {
QString& HomeFolder() {
    static QString folder;
    return folder;
}
} // namespace

void ProgramHome::Resolve(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--home") && i + 1 < arguments.size()) {
            Set(arguments.at(i + 1));
            return;
        }
        if (arg.startsWith(QLatin1String("--home="))) {
            Set(arg.mid(7));
            return;
        }
    }
    const QString fromEnvironment = qEnvironmentVariable("HOLVEX_HOME");
    if (!fromEnvironment.isEmpty()) {
        Set(fromEnvironment);
        return;
    }
    Set(QCoreApplication::applicationDirPath());
}

void ProgramHome::Set(const QString& folder) {
    HomeFolder() = QDir(folder).absolutePath();
}

QString ProgramHome::Folder() {
    if (HomeFolder().isEmpty()) {
        HomeFolder() = QCoreApplication::applicationDirPath();
    }
    return HomeFolder();
}

QString ProgramHome::SettingsFilePath() {
    return FilePath(QStringLiteral("holvex.ini"));
}

QString ProgramHome::AccountFolder() {
    return FilePath(QStringLiteral("files"));
}

QString ProgramHome::AccountFilePath() {
    return FilePath(QStringLiteral("files/users.dat"));
}

QString ProgramHome::FilePath(const QString& name) {
    return QDir(Folder()).filePath(name);
}

} // namespace holvex
