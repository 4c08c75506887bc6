#include "cli/bus_arguments.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "meters/free_command_console.h"
#include "meters/grid_csv.h"
#include "meters/meter_table.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"
#include "transport/frame_codec.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace holvex::cli {

namespace {

constexpr int kBadArguments = 2;
constexpr int kChannelFailed = 1;

int Fail(const QString& command, const QString& message, int status) {
    QTextStream(stderr) << "holvex-cli " << command << ": " << message << '\n';
    return status;
}

void WriteOut(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// The settings the program itself would run with, from the INI file of the program's folder, with the
// command line's overrides on top. The file is only read.
Settings LoadBusSettings(const BusArguments& arguments) {
    if (arguments.home.isEmpty()) {
        ProgramHome::Resolve({});
    } else {
        ProgramHome::Set(arguments.home);
    }
    Settings settings = LoadSettingsFile(ProgramHome::SettingsFilePath());
    ApplyOverrides(arguments, settings);
    return settings;
}

// The table always keeps an empty row for the next meter; it is no meter and is not printed.
bool RowIsEmpty(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(), [](const QString& cell) { return cell.isEmpty(); });
}

// The data rows as the meter table's CSV file holds them: every field followed by the export separator,
// the value column with the file's decimal separator, CR LF line ends.
QByteArray TableCsv(const StringGridModel& table, const Settings& settings) {
    QByteArray out;
    for (int r = 1; r < table.RowCount(); ++r) {
        QStringList cells = table.Row(r);
        if (RowIsEmpty(cells)) {
            continue;
        }
        cells[kMeterValueColumn] = LocalisedValueText(cells[kMeterValueColumn], settings.DecSeparator);
        out += GridCsvLine(cells, settings.ExportSeparator).toUtf8();
        out += "\r\n";
    }
    return out;
}

// {"rows":[{...}, ...]} with the cells as the table shows them.
QByteArray TableJson(const StringGridModel& table) {
    static constexpr const char* kFixedNames[kMeterFixedColumns] = {
        "id",   "address", "manufacturer", "value", "unit",  "medium",
        "time", "date",    "status",       "pulse", "model", "battery"};
    QByteArray out("{\"rows\":[");
    bool first = true;
    for (int r = 1; r < table.RowCount(); ++r) {
        const QStringList cells = table.Row(r);
        if (RowIsEmpty(cells)) {
            continue;
        }
        if (!first) {
            out.append(',');
        }
        first = false;
        out.append('{');
        for (int c = 0; c < kMeterFixedColumns; ++c) {
            AppendJsonField(out, kFixedNames[c], table.Cell(r, c));
        }
        out.append("\"extra\":[");
        for (int c = kMeterFixedColumns; c < table.ColumnCount(); ++c) {
            if (c > kMeterFixedColumns) {
                out.append(',');
            }
            AppendJsonString(out, table.Cell(r, c));
        }
        out.append("]}");
    }
    out.append("]}\n");
    return out;
}

void PrintTable(CliBus& bus, bool json) {
    WriteOut(json ? TableJson(bus.table()) : TableCsv(bus.table(), bus.settings()));
}

// Runs the event loop with the operation started from inside it, as a button press would start it; the
// operation's own ending quits the loop. Returns 0, or kChannelFailed when `start` could not open the
// channel.
int RunOperation(CliBus& bus, const std::function<bool()>& start) {
    int status = 0;
    QTimer::singleShot(0, QCoreApplication::instance(), [&] {
        bus.PrepareChannel();
        if (!start()) {
            status = kChannelFailed;
            QCoreApplication::quit();
        }
    });
    QCoreApplication::exec();
    return status;
}

} // namespace

int RunScanCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("scan");
    QString error;
    const std::optional<BusArguments> parsed = ParseBusArguments(BusCommand::Scan, arguments, &error);
    if (!parsed) {
        return Fail(name, error, kBadArguments);
    }
    CliBus bus(LoadBusSettings(*parsed));
    PrimaryScan& scan = bus.operations().scan();
    // A fresh table: the operator's "Yes" to the clear question.
    scan.setClearQuestion([](const QString&, const QString&) { return ClearAnswer::Yes; });
    QObject::connect(&scan, &PrimaryScan::scanFinished, QCoreApplication::instance(), &QCoreApplication::quit,
                     Qt::QueuedConnection);

    const int status = RunOperation(
        bus, [&] { return scan.Start(QString::number(*parsed->from), QString::number(*parsed->to)); });
    if (status != 0) {
        return Fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    PrintTable(bus, parsed->json);
    return 0;
}

int RunReadCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("read");
    QString error;
    const std::optional<BusArguments> parsed = ParseBusArguments(BusCommand::Read, arguments, &error);
    if (!parsed) {
        return Fail(name, error, kBadArguments);
    }
    CliBus bus(LoadBusSettings(*parsed));

    // One marked, selected row holding the address: the decoded row replaces it.
    StringGridModel& table = bus.table();
    table.SetCell(1, 1, QString::number(*parsed->address));
    table.SetMarked(1, true);
    SelectCell(table, 1, bus.state());

    // The single exchange is over when a tick of the reply timer has left it stopped (the read cycle's slot
    // was connected first, so it has run by then).
    QTimer& respond = bus.respondTimer();
    QObject::connect(&respond, &QTimer::timeout, QCoreApplication::instance(), [&respond] {
        if (!respond.isActive()) {
            QCoreApplication::quit();
        }
    });

    const int status = RunOperation(bus, [&bus] { return bus.operations().readSelected().Run(); });
    if (status != 0) {
        return Fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    PrintTable(bus, parsed->json);
    return 0;
}

int RunSendCommand(const QStringList& arguments) {
    const QString name = QStringLiteral("send");
    QString error;
    const std::optional<BusArguments> parsed = ParseBusArguments(BusCommand::Send, arguments, &error);
    if (!parsed) {
        return Fail(name, error, kBadArguments);
    }
    const bool hexMode = parsed->hex.has_value();
    const QString command = hexMode ? *parsed->hex : *parsed->ascii;
    if (command.size() > FreeCommandConsole::kMaxCommandLength) {
        return Fail(name,
                    QStringLiteral("a command takes at most %1 characters")
                        .arg(FreeCommandConsole::kMaxCommandLength),
                    kBadArguments);
    }
    if (hexMode && !FreeCommandConsole::ParseHexCommand(command, &error)) {
        return Fail(name, error, kBadArguments);
    }
    CliBus bus(LoadBusSettings(*parsed));

    // The console's exchange is over when a tick has left its timer stopped (the console's slot was connected
    // first, so it has shown the answer by then).
    QTimer& answerTimer = bus.freeCommandTimer();
    QObject::connect(&answerTimer, &QTimer::timeout, QCoreApplication::instance(), [&answerTimer] {
        if (!answerTimer.isActive()) {
            QCoreApplication::quit();
        }
    });

    const int status = RunOperation(bus, [&] { return bus.operations().console().Send(command, hexMode); });
    if (status != 0) {
        return Fail(name, QStringLiteral("the channel could not be opened"), status);
    }
    if (parsed->json) {
        const QString hex = transport::SpacedHex(bus.ConsoleAnswer()).trimmed();
        QByteArray out("{");
        AppendJsonField(out, "answer", hex, false);
        out.append("}\n");
        WriteOut(out);
    }
    return 0;
}

} // namespace holvex::cli
