#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void printUsage() {
    QTextStream err(stderr);
    err << "usage: holvex-cli decode [--extra N] [--apator] [HEX | -]\n"
           "       holvex-cli decode [--extra N] [--apator] --batch FILE\n"
           "       holvex-cli init-home DIR\n"
           "       holvex-cli scan --from A --to B [OPTIONS]\n"
           "       holvex-cli read --address N [OPTIONS]\n"
           "       holvex-cli send (--hex \"10 7B 01 7C 16\" | --ascii TEXT) [OPTIONS]\n"
           "       holvex-cli search [--id 12345678] [--lsb] [OPTIONS]\n"
           "       holvex-cli set-address --id ID --to N [OPTIONS]\n"
           "       holvex-cli gateway SETTING [VALUE ...] [--galdor] [OPTIONS]   (holvex-cli gateway "
           "--help)\n"
           "       holvex-cli display write --table FILE.csv --options LIST [--rows LIST] [OPTIONS]\n"
           "       holvex-cli display date | time | lock | sort-table | refresh N | sort "
           "address|user-number\n"
           "                  [OPTIONS]\n"
           "       holvex-cli receiver date | time | info | interval | mode | role | work | option | acquire "
           "| "
           "bind\n"
           "                  | unbind | key | program | decode ...   (holvex-cli receiver --help)\n"
           "OPTIONS: [--home DIR] [--port NAME | --lan HOST:PORT] [--timeout MS] [--retry N] [--json]\n";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        printUsage();
        return 2;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("decode")) {
        return holvex::cli::runDecodeCommand(arguments);
    }
    if (command == QLatin1String("init-home")) {
        return holvex::cli::runInitHomeCommand(arguments);
    }
    if (command == QLatin1String("scan")) {
        return holvex::cli::runScanCommand(arguments);
    }
    if (command == QLatin1String("read")) {
        return holvex::cli::runReadCommand(arguments);
    }
    if (command == QLatin1String("send")) {
        return holvex::cli::runSendCommand(arguments);
    }
    if (command == QLatin1String("search")) {
        return holvex::cli::runSearchCommand(arguments);
    }
    if (command == QLatin1String("set-address")) {
        return holvex::cli::runSetAddressCommand(arguments);
    }
    if (command == QLatin1String("gateway")) {
        return holvex::cli::runGatewayCommand(arguments);
    }
    if (command == QLatin1String("display")) {
        return holvex::cli::runDisplayCommand(arguments);
    }
    if (command == QLatin1String("receiver")) {
        return holvex::cli::runReceiverCommand(arguments);
    }
    printUsage();
    return 2;
}
