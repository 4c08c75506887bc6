#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "codec/frame_codec.h"
#include "meters/ops/free_command_console.h"
#include "meters/table/grid_csv.h"
#include "meters/table/meter_table.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace holvex::cli {

int runScanCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("scan");
    QString error;
    const std::optional<BusArguments> parsed = parseBusArguments(BusCommand::Scan, arguments, &error);
    if (!parsed) {
        return fail(name, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(*parsed));
    PrimaryScan& scan = bus.operations().scan();
    // A fresh table: the operator's "Yes" to the clear question.
    scan.setClearQuestion([](const QString&, const QString&) { return ClearAnswer::Yes; });
    QObject::connect(&scan, &PrimaryScan::scanFinished, QCoreApplication::instance(), &QCoreApplication::quit,
                     Qt::QueuedConnection);

    const int status = runOperation(
        bus, [&] { return scan.start(QString::number(*parsed->from), QString::number(*parsed->to)); });
    if (status != 0) {
        return fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    printTable(bus, parsed->json);
    return 0;
}

int runReadCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("read");
    QString error;
    const std::optional<BusArguments> parsed = parseBusArguments(BusCommand::Read, arguments, &error);
    if (!parsed) {
        return fail(name, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(*parsed));

    // One marked, selected row holding the address: the decoded row replaces it.
    StringGridModel& table = bus.table();
    table.setCell(1, 1, QString::number(*parsed->address));
    table.setMarked(1, true);
    selectCell(table, 1, bus.state());

    // The single exchange is over when a tick of the reply timer has left it stopped (the read cycle's slot
    // was connected first, so it has run by then).
    QTimer& respond = bus.respondTimer();
    QObject::connect(&respond, &QTimer::timeout, QCoreApplication::instance(), [&respond] {
        if (!respond.isActive()) {
            QCoreApplication::quit();
        }
    });

    const int status = runOperation(bus, [&bus] { return bus.operations().readSelected().run(); });
    if (status != 0) {
        return fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    printTable(bus, parsed->json);
    return 0;
}

int runSendCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("send");
    QString error;
    const std::optional<BusArguments> parsed = parseBusArguments(BusCommand::Send, arguments, &error);
    if (!parsed) {
        return fail(name, error, kBadArguments);
    }
    const bool hexMode = parsed->hex.has_value();
    const QString command = hexMode ? *parsed->hex : *parsed->ascii;
    if (command.size() > FreeCommandConsole::kMaxCommandLength) {
        return fail(name,
                    QStringLiteral("a command takes at most %1 characters")
                        .arg(FreeCommandConsole::kMaxCommandLength),
                    kBadArguments);
    }
    if (hexMode && !FreeCommandConsole::parseHexCommand(command, &error)) {
        return fail(name, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(*parsed));

    // The console's exchange is over when a tick has left its timer stopped (the console's slot was connected
    // first, so it has shown the answer by then).
    QTimer& answerTimer = bus.freeCommandTimer();
    QObject::connect(&answerTimer, &QTimer::timeout, QCoreApplication::instance(), [&answerTimer] {
        if (!answerTimer.isActive()) {
            QCoreApplication::quit();
        }
    });

    const int status = runOperation(bus, [&] { return bus.operations().console().send(command, hexMode); });
    if (status != 0) {
        return fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    if (parsed->json) {
        const QString hex = codec::spacedHex(bus.consoleAnswer()).trimmed();
        QByteArray out("{");
        appendJsonField(out, "answer", hex, false);
        out.append("}\n");
        writeOut(out);
    }
    return 0;
}

} // namespace holvex::cli
