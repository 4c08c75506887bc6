#include "app/app_controller.h"
#include "settings/home_folder_setup.h"
#include "settings/program_home.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Holvex"));
    const holvex::ProgramHome::Choice home = holvex::ProgramHome::resolve(QApplication::arguments());
    // The first start of an installed program makes the user's home folder (the settings and the default
    // account); a folder named with --home or HOLVEX_HOME is taken as it is.
    QString failed;
    if (home == holvex::ProgramHome::Choice::UserDataFolder &&
        !holvex::prepareHomeFolder(holvex::ProgramHome::folder(), &failed)) {
        QTextStream(stderr) << "holvex: cannot write " << failed << "\n";
    }

    holvex::AppController controller(holvex::ProgramHome::settingsFilePath(),
                                     holvex::ProgramHome::accountFilePath());
    controller.start();
    return QApplication::exec();
}
