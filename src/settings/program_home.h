#pragma once

#include <QString>
#include <QStringList>

namespace holvex {

// The program's folder holds the INI file, "files/users.dat", the manuals and is the first save folder.
// It is the executable's folder unless "--home DIR" or the environment variable HOLVEX_HOME names another;
// an installed program (its data beside it in ../share/holvex) uses the user's ~/.local/share/holvex instead,
// since the executable's folder (/usr/bin) belongs to the system.
class ProgramHome {
public:
    // How the folder was chosen.
    enum class Choice { Argument, Environment, UserDataFolder, ExecutableFolder };

    // Picks the folder from the arguments ("--home DIR" or "--home=DIR"), then HOLVEX_HOME, then the user's
    // data folder when installed, else the executable's folder; call once at start, after the application
    // object exists. Returns how it was chosen.
    static Choice resolve(const QStringList& arguments);
    static void set(const QString& folder);

    static QString folder();
    static QString settingsFilePath(); // "<folder>/holvex.ini"
    static QString accountFolder();    // "<folder>/files"
    static QString accountFilePath();  // "<folder>/files/users.dat"
    static QString filePath(const QString& name);

    // The folder of the installed program's read-only data (the manuals, the demo installation):
    // "<executable's folder>/../share/holvex"; empty when the program runs from its build folder.
    static QString installedDataFolder();
    // A user manual: the home folder's copy when there is one, else the installed one.
    static QString manualPath(const QString& name);
};

} // namespace holvex
