#include "devices/display/display_readout.h"

#include "bus/bus_context.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_table.h"
#include "devices/display/display_tables.h"
#include "devices/display/readout_lines.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/free_command_console.h"
#include "meters/table/string_grid_model.h"

namespace holvex::display {

namespace {

constexpr int kMonths = 12;

links::OperationWords readWords(const QByteArray& line) {
    return {QStringLiteral("reading Lumet data"), QString::fromLatin1(line), false};
}

// The address of a row when it is a number; the requests for other rows are not sent.
bool isNumber(const QString& address) {
    bool ok = false;
    address.toInt(&ok);
    return ok;
}

QByteArray entryLine(const QString& address, int part) {
    return "GET ENTR=" + address.toLatin1() + ',' + QByteArray::number(part);
}

QByteArray historyLine(const QString& address, int record) {
    return "GET HIST=" + address.toLatin1() + ',' + QByteArray::number(record);
}

// The record that holds `month` when record 1 holds `newest`: record i holds the month newest + i - 1,
// wrapping from December to January.
int recordOfMonth(int month, int newest) {
    return month >= newest ? month - newest + 1 : month - newest + 1 + kMonths;
}

} // namespace

DisplayReadout::DisplayReadout(BusContext& context, DisplayTables& tables, TimerSet& timers,
                               FreeCommandConsole& console)
    : m_context(context), m_tables(tables), m_timers(timers), m_console(console) {}

void DisplayReadout::wait() {
    const int ms = m_timers.responseTimeout();
    if (m_context.waitProcessingEvents) {
        m_context.waitProcessingEvents(ms);
    } else {
        waitProcessingEvents(ms);
    }
}

DisplayReadout::Answer DisplayReadout::exchange(const QByteArray& line, bool purge) {
    links::Channel& channel = m_context.channel;
    RunState& state = m_context.state;
    const links::LinkKind road = channel.kind();
    if (road == links::LinkKind::Serial && !state.PortOpen) {
        return {};
    }
    if (road == links::LinkKind::Serial) {
        // A late answer to the previous request must not be taken for this one.
        if (purge) {
            channel.discardAll();
        } else {
            channel.discardInput();
        }
    }
    if (road == links::LinkKind::LanAdapter) {
        state.RawReply.clear();
    }
    if (!channel.sendLine(line, readWords(line))) {
        if (road == links::LinkKind::LanAdapter) {
            m_context.log.logLine(QStringLiteral("Not connected through TCP/IP,aborting...."));
        }
        return {};
    }
    wait();
    const links::SearchReply reply = channel.takeSearchReply();
    state.GatewayReply.clear();
    state.RawReply.clear();
    if (reply.noConnection) {
        return {};
    }
    return {true, reply.bytes};
}

void DisplayReadout::logAnswer(const QByteArray& bytes, bool evenEmpty) {
    if (!bytes.isEmpty() || evenEmpty) {
        m_context.log.logLine(QString::fromLatin1(bytes));
    }
}

bool DisplayReadout::noValidConnection() {
    m_context.log.logLine(QStringLiteral("No valid connection..."));
    m_context.channel.closeChannel();
    return true;
}

void DisplayReadout::writeMatching(const QString& address, int column, const QString& text) {
    StringGridModel& display = m_tables.display();
    StringGridModel& readings = m_tables.readings();
    for (int row = 1; row < display.gridRowCount(); ++row) {
        if (display.cell(row, kDisplayAddressColumn) != address) {
            continue;
        }
        display.setCell(row, column, text);
        if (row < readings.gridRowCount()) {
            readings.setCell(row, column, text);
        }
    }
}

void DisplayReadout::dropTrailingEmptyRow(StringGridModel& table) {
    const int last = table.gridRowCount() - 1;
    if (table.gridRowCount() <= 2) {
        return;
    }
    for (int column = kDisplayIdColumn; column <= kDisplayMultDivColumn; ++column) {
        if (!table.cell(last, column).isEmpty()) {
            return;
        }
    }
    table.removeRow(last);
}

bool DisplayReadout::readActiveAddresses() {
    const Answer answer = exchange("GET ADDR", true);
    logAnswer(answer.bytes, true);
    if (answer.bytes.isEmpty()) {
        return false;
    }
    const AddressList list = decodeAddressList(answerLines(answer.bytes), kDisplayMaxDataRows);
    if (list.addresses.isEmpty()) {
        return false;
    }
    StringGridModel& display = m_tables.display();
    StringGridModel& readings = m_tables.readings();
    display.setRowCount(static_cast<int>(list.addresses.size()) + 1);
    readings.setRowCount(static_cast<int>(list.addresses.size()) + 1);
    for (int i = 0; i < list.addresses.size(); ++i) {
        display.setCell(i + 1, kDisplayAddressColumn, list.addresses.at(i));
        readings.setCell(i + 1, kDisplayAddressColumn, list.addresses.at(i));
    }
    return true;
}

void DisplayReadout::readEntryValues(const QString& address) {
    const QByteArray answer = exchange(entryLine(address, 1)).bytes;
    logAnswer(answer, true);
    if (answer.isEmpty()) {
        return;
    }
    const std::optional<EntryValues> values = decodeEntryValues(answerLines(answer));
    if (!values) {
        return;
    }
    if (values->unit) {
        writeMatching(address, kDisplayUnitColumn, *values->unit);
    }
    if (values->start) {
        writeMatching(address, kDisplayStartColumn, *values->start);
    }
    writeMatching(address, kDisplayMultDivColumn, values->multDiv);
    if (values->total) {
        writeMatching(address, kDisplayTotalColumn, *values->total);
    }
}

void DisplayReadout::readEntry(const QString& address) {
    readEntryValues(address);
    const QByteArray answer = exchange(entryLine(address, 2)).bytes;
    logAnswer(answer, true);
    if (answer.isEmpty()) {
        return;
    }
    const std::optional<UserData> user = decodeUserData(answerLines(answer));
    if (!user) {
        m_context.log.logLine(kUserDataMissingLine);
        return;
    }
    writeMatching(address, kDisplayUserNumberColumn, user->userNumber);
    writeMatching(address, kDisplayFreeTextColumn, user->freeText);
}

bool DisplayReadout::readData() {
    links::Channel& channel = m_context.channel;
    if (!channel.openChannel()) {
        return false;
    }
    clearDisplayTable(m_tables.display());
    clearDisplayTable(m_tables.readings());
    const bool serial = channel.kind() == links::LinkKind::Serial;
    if (serial && !m_context.state.PortOpen) {
        return noValidConnection();
    }
    if (!readActiveAddresses()) {
        m_context.log.logLine(QStringLiteral("Sorry, no active addresses in Lumet-R7 memory..."));
        channel.closeChannel();
        return true;
    }
    StringGridModel& display = m_tables.display();
    for (int row = 1; row < display.gridRowCount(); ++row) {
        const QString address = display.cell(row, kDisplayAddressColumn);
        if (!isNumber(address)) {
            continue;
        }
        if (serial && !m_context.state.PortOpen) {
            return noValidConnection();
        }
        readEntry(address);
    }
    dropTrailingEmptyRow(display);
    dropTrailingEmptyRow(m_tables.readings());
    channel.closeChannel();
    return true;
}

void DisplayReadout::readTariffs(const QString& address) {
    m_context.log.logLine(QStringLiteral("Reading tarriffs of device ") + address + QStringLiteral("..."));
    for (int k = 0; k < 4; ++k) {
        const QByteArray answer =
            exchange("GET TARR=" + address.toLatin1() + ',' + QByteArray::number(k)).bytes;
        logAnswer(answer, false);
        if (answer.isEmpty()) {
            continue;
        }
        if (const std::optional<QString> value = decodeTariff(answerLines(answer))) {
            writeMatching(address, kDisplayFirstTariffColumn + k, *value);
        }
    }
}

bool DisplayReadout::readValues(std::optional<DisplayValues> values) {
    links::Channel& channel = m_context.channel;
    if (!channel.openChannel()) {
        return false;
    }
    if (!values) {
        m_context.log.logLine(QStringLiteral("Select which values you want to read from device..."));
        channel.closeChannel();
        return true;
    }
    StringGridModel& display = m_tables.display();
    if (isDisplayTableEmpty(display)) {
        m_context.log.logLine(QStringLiteral("Read main data first or load file..."));
        channel.closeChannel();
        return true;
    }
    m_context.state.GatewayReply.clear();
    m_context.state.RawReply.clear();
    const bool serial = channel.kind() == links::LinkKind::Serial;
    for (int row = 1; row < display.gridRowCount(); ++row) {
        const QString address = display.cell(row, kDisplayAddressColumn);
        if (!isNumber(address)) {
            continue;
        }
        if (serial && !m_context.state.PortOpen) {
            return noValidConnection();
        }
        if (*values == DisplayValues::Tariffs) {
            readTariffs(address);
        } else {
            const QByteArray answer = exchange(entryLine(address, 1)).bytes;
            logAnswer(answer, false);
            if (answer.isEmpty()) {
                continue;
            }
            if (const std::optional<EntryValues> decoded = decodeEntryValues(answerLines(answer))) {
                if (decoded->unit) {
                    writeMatching(address, kDisplayUnitColumn, *decoded->unit);
                }
                if (decoded->start) {
                    writeMatching(address, kDisplayStartColumn, *decoded->start);
                }
                writeMatching(address, kDisplayMultDivColumn, decoded->multDiv);
                if (decoded->total) {
                    writeMatching(address, kDisplayTotalColumn, *decoded->total);
                }
            }
        }
    }
    channel.closeChannel();
    return true;
}

void DisplayReadout::fileHistory(const QString& address, const QByteArray& answer) {
    const HistoryValue history = decodeHistory(answerLines(answer));
    if (!history.logLine.isEmpty()) {
        m_context.log.logLine(history.logLine);
    }
    if (history.month == 0) {
        return;
    }
    StringGridModel& readings = m_tables.readings();
    for (int row = 1; row < readings.gridRowCount(); ++row) {
        if (readings.cell(row, kDisplayAddressColumn) == address) {
            readings.setCell(row, kReadingsFirstMonthColumn + history.month - 1, history.value);
        }
    }
}

bool DisplayReadout::readAllMonths() {
    StringGridModel& readings = m_tables.readings();
    ProgressSink& progress = m_context.progress;
    progress.startProgress(kMonths * readings.dataRowCount());
    for (int row = 1; row < readings.gridRowCount(); ++row) {
        const QString address = readings.cell(row, kDisplayAddressColumn);
        if (address.isEmpty()) {
            continue;
        }
        for (int record = 1; record <= kMonths; ++record) {
            const Answer answer = exchange(historyLine(address, record));
            if (!answer.taken) {
                m_context.log.logLine(QStringLiteral("No valid connection set, aborting..."));
                return false;
            }
            logAnswer(answer.bytes, false);
            if (!answer.bytes.isEmpty()) {
                fileHistory(address, answer.bytes);
            }
            progress.stepProgress();
        }
    }
    dropTrailingEmptyRow(readings);
    return true;
}

void DisplayReadout::readMonth(const QString& address, int month) {
    const QByteArray newest = exchange(historyLine(address, 1)).bytes;
    logAnswer(newest, false);
    const int newestMonth = newest.isEmpty() ? 0 : decodeHistory(answerLines(newest)).month;
    if (newestMonth == 0) {
        m_context.log.logLine(QStringLiteral("No history values saved yet for address ") + address);
        return;
    }
    if (newestMonth == month) {
        fileHistory(address, newest);
        return;
    }
    const QByteArray answer = exchange(historyLine(address, recordOfMonth(month, newestMonth))).bytes;
    logAnswer(answer, false);
    if (!answer.isEmpty()) {
        fileHistory(address, answer);
    }
}

bool DisplayReadout::readHistory(int month) {
    links::Channel& channel = m_context.channel;
    if (!channel.openChannel()) {
        return false;
    }
    StringGridModel& readings = m_tables.readings();
    if (isDisplayTableEmpty(readings)) {
        m_context.log.logLine(QStringLiteral("Read main data first or load file..."));
        channel.closeChannel();
        return true;
    }
    if (month == kAllMonths) {
        readAllMonths();
    } else {
        for (int row = 1; row < readings.gridRowCount(); ++row) {
            const QString address = readings.cell(row, kDisplayAddressColumn);
            if (isNumber(address)) {
                readMonth(address, month);
            }
        }
    }
    m_context.progress.endProgress();
    channel.closeChannel();
    return true;
}

QByteArray DisplayReadout::infoLine(DisplayInfo info, int address) {
    switch (info) {
    case DisplayInfo::Main:
        return "GET MAIN";
    case DisplayInfo::Service:
        return "GET SERV";
    case DisplayInfo::Addresses:
        return "GET ADDR";
    case DisplayInfo::Entry1:
    case DisplayInfo::Entry2:
    case DisplayInfo::Entry3:
        if (address <= 0) {
            return {};
        }
        return entryLine(QString::number(address),
                         static_cast<int>(info) - static_cast<int>(DisplayInfo::Entry1));
    }
    return {};
}

DisplaySendOutcome DisplayReadout::requestInfo(DisplayInfo info, int address) {
    const QByteArray line = infoLine(info, address);
    if (line.isEmpty()) {
        // Nothing is sent without an entry to ask about.
        m_context.log.logLine(QStringLiteral("Not valid address selected..."));
        return DisplaySendOutcome::Refused;
    }
    links::Channel& channel = m_context.channel;
    const links::LinkKind road = channel.kind();
    if (!channel.openChannel() || !channel.sendLine(line, readWords(line))) {
        if (road == links::LinkKind::LanAdapter) {
            m_context.log.logLine(QStringLiteral("No active connection to the device!!!"));
        } else if (road == links::LinkKind::ServerGateway) {
            m_context.log.logLine(QStringLiteral("No active connection to Ferrin-2 server device!!!"));
        }
        channel.closeChannel();
        return DisplaySendOutcome::NotSent;
    }
    m_console.startAnswerTimer();
    return DisplaySendOutcome::Sent;
}

DisplaySendOutcome DisplayReadout::readMeters() {
    links::Channel& channel = m_context.channel;
    if (!channel.openRoad(links::LinkKind::Serial)) {
        m_context.log.logLine(QStringLiteral("Unable to open the COM port..."));
        return DisplaySendOutcome::NotSent;
    }
    m_context.log.logLine(QStringLiteral("Updating readings of Lumet-R7..."));
    const QByteArray line("SET READ");
    channel.sendLine(line, readWords(line));
    m_console.startAnswerTimer();
    return DisplaySendOutcome::Sent;
}

} // namespace holvex::display
