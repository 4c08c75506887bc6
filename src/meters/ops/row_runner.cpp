#include "meters/ops/row_runner.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "log/progress_sink.h"
#include "meters/ops/bus_requests.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/reply_collection.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>

namespace holvex {

namespace {

constexpr int kAddressColumn = 1;

std::size_t slotOf(TableOperation operation) {
    return static_cast<std::size_t>(operation);
}

} // namespace

RowRunner::RowRunner(BusContext& context, DecodeApplication& decoder, QTimer& setTimer, QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_setTimer(setTimer) {
    m_senders[slotOf(TableOperation::Read)] = [this](int address) {
        sendReadRequest(m_context, address);
        return true;
    };
    connect(&m_setTimer, &QTimer::timeout, this, &RowRunner::tick);
}

void RowRunner::setOperationSender(TableOperation operation, OperationSender sender) {
    if (operation == TableOperation::None) {
        return;
    }
    m_senders[slotOf(operation)] = std::move(sender);
}

QString RowRunner::readAllCaption() const {
    return m_context.language.pick(QStringLiteral("Read all meters"),
                                   QStringLiteral("Leggi tutti i dispositivi"));
}

bool RowRunner::running() const {
    return m_context.state.TableOperation != 0 && m_setTimer.isActive();
}

int RowRunner::nextMarkedRow(int after) const {
    const StringGridModel& table = m_context.meterTable;
    for (int row = after + 1; row < table.gridRowCount(); ++row) {
        if (table.isMarked(row)) {
            return row;
        }
    }
    return table.gridRowCount();
}

bool RowRunner::begin(TableOperation operation) {
    if (operation == TableOperation::None || !m_senders[slotOf(operation)]) {
        return false;
    }
    const int marks = m_context.meterTable.markedRowCount();
    const int first = nextMarkedRow(0);
    if (marks == 0 || first >= m_context.meterTable.gridRowCount()) {
        return false;
    }
    RunState& state = m_context.state;
    state.TableOperation = static_cast<int>(operation);
    state.CurrentRow = first;
    state.RetryCount = 0;
    emit rowRunStarted();
    sendTo(first);
    m_setTimer.start();
    m_context.progress.startProgressRange(1, marks + 1, 1);
    return true;
}

bool RowRunner::sendTo(int row) {
    const std::optional<int> address = primaryAddressOf(m_context.meterTable.cell(row, kAddressColumn));
    if (!address) {
        return true;
    }
    const OperationSender& sender = m_senders[slotOf(static_cast<TableOperation>(
        std::clamp(m_context.state.TableOperation, 0, static_cast<int>(m_senders.size()) - 1)))];
    if (!sender) {
        return false;
    }
    return sender(*address);
}

void RowRunner::tick() {
    RunState& state = m_context.state;
    const links::ReplyRead reply = replyCollection(m_context, links::ReplyTimer::Set);
    if (reply.waitAnotherPeriod) {
        return;
    }
    state.GatewayReply.clear();
    state.ScanRunning = false;
    state.MatchRowById = false;

    bool advance = false;
    if (reply.bytes.size() <= 1) {
        ++state.RetryCount;
        advance = state.RetryCount > m_context.settings.Retry;
    } else if (m_decoder.apply(reply.bytes)) {
        advance = true;
    } else {
        ++state.RetryCount;
        advance = state.RetryCount > m_context.settings.Retry;
    }
    if (advance) {
        advanceRow();
    } else {
        repeat();
    }
}

void RowRunner::repeat() {
    RunState& state = m_context.state;
    if (m_context.meterTable.cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        return;
    }
    m_context.channel.discardAll();
    state.RawReply.clear();
    state.GatewayReply.clear();
    sendTo(state.CurrentRow);
}

void RowRunner::advanceRow() {
    RunState& state = m_context.state;
    state.CurrentRow = nextMarkedRow(state.CurrentRow);
    if (state.CurrentRow >= m_context.meterTable.gridRowCount()) {
        finish();
        return;
    }
    ProgressSink& progress = m_context.progress;
    if (!m_context.meterTable.cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        state.RetryCount = 0;
        state.GatewayReply.clear();
        if (!sendTo(state.CurrentRow)) {
            progress.stepProgress();
            return;
        }
    }
    if (progress.progressPosition() < progress.progressMaximum() - 1) {
        progress.stepProgress();
    }
}

void RowRunner::finish() {
    m_setTimer.stop();
    m_context.state.TableOperation = 0;
    m_context.state.FullReadRequested = false;
    emit rowRunFinished(readAllCaption());
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
}

} // namespace holvex
