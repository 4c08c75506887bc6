#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void PrintUsage() {
    QTextStream err(stderr);
    err << "usage: holvex-cli decode [--extra N] [--apator] [HEX | -]\n"
           "       holvex-cli decode [--extra N] [--apator] --batch FILE\n"
           "       holvex-cli init-home DIR\n";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        PrintUsage();
        return 2;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("decode")) {
        return holvex::cli::RunDecodeCommand(arguments);
    }
    if (command == QLatin1String("init-home")) {
        return holvex::cli::RunInitHomeCommand(arguments);
    }
    PrintUsage();
    return 2;
}
