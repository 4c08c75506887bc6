#include "settings/program_home.h"

#include <QCoreApplication>
#include <QDir>

namespace holvex {

namespace {
QString& homeFolder() {
    static QString folder;
    return folder;
}
} // namespace

void ProgramHome::resolve(const QStringList& arguments) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--home") && i + 1 < arguments.size()) {
            set(arguments.at(i + 1));
            return;
        }
        if (arg.startsWith(QLatin1String("--home="))) {
            set(arg.mid(7));
            return;
        }
    }
    const QString fromEnvironment = qEnvironmentVariable("HOLVEX_HOME");
    if (!fromEnvironment.isEmpty()) {
        set(fromEnvironment);
        return;
    }
    set(QCoreApplication::applicationDirPath());
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

} // namespace holvex
