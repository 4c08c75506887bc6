#include "cli/commands.h"

#include <QTextStream>

namespace holvex::cli {

int RunInitHomeCommand(const QStringList&) {
    QTextStream(stderr) << "holvex-cli: this command is not built yet\n";
    return 2;
}

} // namespace holvex::cli
