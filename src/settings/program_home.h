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
    static void resolve(const QStringList& arguments);
    static void set(const QString& folder);

    static QString folder();
    static QString settingsFilePath(); // "<folder>/holvex.ini"
    static QString accountFolder();    // "<folder>/files"
    static QString accountFilePath();  // "<folder>/files/users.dat"
    static QString filePath(const QString& name);
};

} // namespace holvex
