#include "cli/bus_arguments.h"
#include "cli/bus_output.h"
#include "cli/cli_bus.h"
#include "cli/commands.h"
#include "cli/json_text.h"

#include "bus/run_state.h"
#include "mbus/response_decoder.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/read_selected.h"
#include "meters/table/meter_table.h"

#include <QCoreApplication>
#include <QTimer>

#include <optional>

namespace holvex::cli {

namespace {

const QString kName = QStringLiteral("report");

// What the detailed report window collects: the pane's lines and the rows of its hidden grid.
struct Report {
    QStringList lines;
    QVector<QStringList> rows;
};

// Hex text with blanks anywhere between the digit pairs; nothing for any other character or an odd count.
std::optional<QByteArray> parseHexText(const QString& text) {
    QByteArray digits;
    for (const QChar ch : text) {
        if (ch.isSpace()) {
            continue;
        }
        if (!ch.isDigit() && !(ch.toLower() >= u'a' && ch.toLower() <= u'f')) {
            return std::nullopt;
        }
        digits.append(static_cast<char>(ch.unicode()));
    }
    if (digits.isEmpty() || digits.size() % 2 != 0) {
        return std::nullopt;
    }
    return QByteArray::fromHex(digits);
}

void appendStringArray(QByteArray& out, const QStringList& texts) {
    out.append('[');
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        appendJsonString(out, texts.at(i));
    }
    out.append(']');
}

// {"lines":[...],"rows":[[five cells], ...]}
QByteArray reportJson(const Report& report) {
    QByteArray out("{\"lines\":");
    appendStringArray(out, report.lines);
    out.append(",\"rows\":[");
    for (qsizetype i = 0; i < report.rows.size(); ++i) {
        if (i > 0) {
            out.append(',');
        }
        appendStringArray(out, report.rows.at(i));
    }
    out.append("]}\n");
    return out;
}

int reportOfText(const QString& text) {
    const std::optional<QByteArray> reply = parseHexText(text);
    if (!reply) {
        return fail(kName, QStringLiteral("bad hex text"), kBadArguments);
    }
    mbus::DecodeOptions options;
    options.fullRead = true;
    const mbus::DecodeResult result = mbus::decodeResponse(*reply, options);
    for (const QString& line : result.log) {
        QTextStream(stderr) << line << '\n';
    }
    writeOut(reportJson({result.reportLines, result.gridDataRows}));
    return result.ok ? 0 : 1;
}

} // namespace

int runReportCommand(const QStringList& arguments) {
    QStringList hexParts;
    QStringList common;
    bool byAddress = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.startsWith(QLatin1String("--"))) {
            byAddress = byAddress || argument == QLatin1String("--address") ||
                        argument.startsWith(QLatin1String("--address="));
            common.append(argument);
            // The shared options that take a value keep it.
            if (!argument.contains(QLatin1Char('=')) && argument != QLatin1String("--json") &&
                i + 1 < arguments.size()) {
                common.append(arguments.at(++i));
            }
        } else {
            hexParts.append(argument);
        }
    }
    if (!byAddress) {
        if (hexParts.isEmpty() || !common.isEmpty()) {
            return fail(kName, QStringLiteral("give the reply as hex text, or --address N"), kBadArguments);
        }
        return reportOfText(hexParts.join(QLatin1Char(' ')));
    }
    if (!hexParts.isEmpty()) {
        return fail(kName, QStringLiteral("give either the hex text or --address N, not both"),
                    kBadArguments);
    }
    QString error;
    const std::optional<BusArguments> parsed = parseBusArguments(BusCommand::Read, common, &error);
    if (!parsed) {
        return fail(kName, error, kBadArguments);
    }
    CliBus bus(loadBusSettings(*parsed));
    StringGridModel& table = bus.table();
    table.setCell(1, 1, QString::number(*parsed->address));
    table.setMarked(1, true);
    selectCell(table, 1, bus.state());

    Report report;
    QObject::connect(&bus.operations().decoder(), &DecodeApplication::reportOutput,
                     QCoreApplication::instance(),
                     [&report](const QStringList& lines, const QVector<QStringList>& rows, bool) {
                         report.lines += lines;
                         report.rows += rows;
                     });
    QTimer& respond = bus.respondTimer();
    QObject::connect(&respond, &QTimer::timeout, QCoreApplication::instance(), [&respond] {
        if (!respond.isActive()) {
            QCoreApplication::quit();
        }
    });
    const int status = runOperation(bus, [&bus] {
        return bus.bus().start([&bus] { return bus.operations().readSelected().runFull(); });
    });
    if (status != 0) {
        return fail(kName, QStringLiteral("the channel could not be opened"), status);
    }
    writeOut(reportJson(report));
    if (report.lines.isEmpty()) {
        return fail(kName, QStringLiteral("the meter at %1 did not answer").arg(*parsed->address),
                    kChannelFailed);
    }
    return 0;
}

} // namespace holvex::cli
