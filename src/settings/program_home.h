#pragma once

#include <QString>
#include <QStringList>

namespace holvex {

// The program's folder holds the INI file, "files/users.dat", the manuals and is the first save folder.
// It is the executable's folder unless "--home DIR" or the environment variable HOLVEX_HOME names another.
class ProgramHome {
public:
    // Picks the folder from the arguments ("--home DIR" or "--home=DIR"), then HOLVEX_HOME, then the
    // executable's folder; call once at start, after the application object exists.
    static void Resolve(const QStringList& arguments);
    static void Set(const QString& folder);

    static QString Folder();
    static QString SettingsFilePath(); // "<folder>/holvex.ini"
    static QString AccountFolder();    // "<folder>/files"
    static QString AccountFilePath();  // "<folder>/files/users.dat"
    static QString FilePath(const QString& name);
};

} // namespace holvex
