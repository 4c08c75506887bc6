#include "cli/command_usage.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <functional>

namespace {

using Runner = std::function<int(const QStringList&)>;

// The command's runner; empty for an unknown name.
Runner runnerFor(const QString& command) {
    using namespace holvex::cli;
    static const QList<QPair<QString, Runner>> kRunners = {
        {QStringLiteral("decode"), runDecodeCommand},
        {QStringLiteral("init-home"), runInitHomeCommand},
        {QStringLiteral("scan"), runScanCommand},
        {QStringLiteral("read"), runReadCommand},
        {QStringLiteral("send"), runSendCommand},
        {QStringLiteral("search"), runSearchCommand},
        {QStringLiteral("set-address"), runSetAddressCommand},
        {QStringLiteral("gateway"), runGatewayCommand},
        {QStringLiteral("display"), runDisplayCommand},
        {QStringLiteral("read-all"), runReadAllCommand},
        {QStringLiteral("auto-address"), runAutoAddressCommand},
        {QStringLiteral("report"), runReportCommand},
        {QStringLiteral("receiver"), runReceiverCommand},
    };
    for (const auto& [name, runner] : kRunners) {
        if (name == command) {
            return runner;
        }
    }
    if (meterCommandNames().contains(command)) {
        return [command](const QStringList& arguments) {
            return runMeterCommand(command, arguments);
        };
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty()) {
        QTextStream(stderr) << holvex::cli::programUsage();
        return 2;
    }
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        QTextStream(stdout) << holvex::cli::programUsage();
        return 0;
    }
    const Runner runner = runnerFor(command);
    if (!runner) {
        QTextStream(stderr) << "holvex-cli: unknown command \"" << command << "\"\n"
                            << holvex::cli::programUsage();
        return 2;
    }
    // The gateway and display commands explain their own words; every other command's help is here.
    const QString usage = holvex::cli::commandUsage(command);
    if (!usage.isEmpty() && holvex::cli::wantsHelp(arguments)) {
        QTextStream(stdout) << usage;
        return 0;
    }
    return runner(arguments);
}
