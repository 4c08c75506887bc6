#include "app/app_controller.h"
#include "settings/program_home.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Holvex"));
    holvex::ProgramHome::resolve(QApplication::arguments());

    holvex::AppController controller(holvex::ProgramHome::settingsFilePath(),
                                     holvex::ProgramHome::accountFilePath());
    controller.start();
    return QApplication::exec();
}
