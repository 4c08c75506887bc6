#include "cli/commands.h"
#include "settings/home_folder_setup.h"
#include "settings/program_home.h"

#include <QTextStream>

namespace holvex::cli {

// Makes a home folder the program can start on: the settings file with every default and an account file with
// the one default account. Files already there are left alone, so a demo home keeps what its user changed.
// Without DIR, the folder the program itself would use (HOLVEX_HOME, the user's data folder when installed).
int runInitHomeCommand(const QStringList& arguments) {
    QTextStream err(stderr);
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments.first().startsWith(QLatin1Char('-')))) {
        err << "usage: holvex-cli init-home [DIR]\n";
        return 2;
    }
    if (arguments.isEmpty()) {
        ProgramHome::resolve({});
    } else {
        ProgramHome::set(arguments.first());
    }
    QString failed;
    if (!prepareHomeFolder(ProgramHome::folder(), &failed)) {
        err << "holvex-cli: cannot write " << failed << "\n";
        return 1;
    }
    if (arguments.isEmpty()) {
        QTextStream(stdout) << ProgramHome::folder() << "\n";
    }
    return 0;
}

} // namespace holvex::cli
