#include "cli/commands.h"

#include <QTextStream>

namespace holvex::cli {

int RunDecodeCommand(const QStringList&) {
    QTextStream(stderr) << "holvex-cli: this command is not built yet\n";
    return 2;
}

} // namespace holvex::cli
