#include "meters/ops/row_runner.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "lang/message_language.h"
#include "links/channel_interface.h"
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

std::size_t SlotOf(TableOperation operation) {
    return static_cast<std::size_t>(operation);
}

} // namespace

RowRunner::RowRunner(BusContext& context, DecodeApplication& decoder, QTimer& setTimer, QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_setTimer(setTimer) {
    m_senders[SlotOf(TableOperation::Read)] = [this](int address) {
        SendReadRequest(m_context, address);
        return true;
    };
    connect(&m_setTimer, &QTimer::timeout, this, &RowRunner::Tick);
}

void RowRunner::setOperationSender(TableOperation operation, OperationSender sender) {
    if (operation == TableOperation::None) {
        return;
    }
    m_senders[SlotOf(operation)] = std::move(sender);
}

QString RowRunner::ReadAllCaption() const {
    return m_context.language.pick(QStringLiteral("Read all meters"),
                                   QStringLiteral("Leggi tutti i dispositivi"));
}

bool RowRunner::Running() const {
    return m_context.state.TableOperation != 0 && m_setTimer.isActive();
}

int RowRunner::NextMarkedRow(int after) const {
    const StringGridModel& table = m_context.meterTable;
    for (int row = after + 1; row < table.RowCount(); ++row) {
        if (table.IsMarked(row)) {
            return row;
        }
    }
    return table.RowCount();
}

bool RowRunner::Begin(TableOperation operation) {
    if (operation == TableOperation::None || !m_senders[SlotOf(operation)]) {
        return false;
    }
    const int marks = m_context.meterTable.MarkedRowCount();
    const int first = NextMarkedRow(0);
    if (marks == 0 || first >= m_context.meterTable.RowCount()) {
        return false;
    }
    RunState& state = m_context.state;
    state.TableOperation = static_cast<int>(operation);
    state.CurrentRow = first;
    state.RetryCount = 0;
    emit rowRunStarted();
    SendTo(first);
    m_setTimer.start();
    m_context.progress.StartProgressRange(1, marks + 1, 1);
    return true;
}

bool RowRunner::SendTo(int row) {
    const std::optional<int> address = PrimaryAddressOf(m_context.meterTable.Cell(row, kAddressColumn));
    if (!address) {
        return true;
    }
    const OperationSender& sender = m_senders[SlotOf(static_cast<TableOperation>(
        std::clamp(m_context.state.TableOperation, 0, static_cast<int>(m_senders.size()) - 1)))];
    if (!sender) {
        return false;
    }
    return sender(*address);
}

void RowRunner::Tick() {
    RunState& state = m_context.state;
    const links::ReplyRead reply = ReplyCollection(m_context, links::ReplyTimer::Set);
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
    } else if (m_decoder.Apply(reply.bytes)) {
        advance = true;
    } else {
        ++state.RetryCount;
        advance = state.RetryCount > m_context.settings.Retry;
    }
    if (advance) {
        Advance();
    } else {
        Repeat();
    }
}

void RowRunner::Repeat() {
    RunState& state = m_context.state;
    if (m_context.meterTable.Cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        return;
    }
    m_context.channel.DiscardSerialBuffers();
    state.RawReply.clear();
    state.GatewayReply.clear();
    SendTo(state.CurrentRow);
}

void RowRunner::Advance() {
    RunState& state = m_context.state;
    state.CurrentRow = NextMarkedRow(state.CurrentRow);
    if (state.CurrentRow >= m_context.meterTable.RowCount()) {
        Finish();
        return;
    }
    ProgressSink& progress = m_context.progress;
    if (!m_context.meterTable.Cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        state.RetryCount = 0;
        state.GatewayReply.clear();
        if (!SendTo(state.CurrentRow)) {
            progress.StepProgress();
            return;
        }
    }
    if (progress.ProgressPosition() < progress.ProgressMaximum() - 1) {
        progress.StepProgress();
    }
}

void RowRunner::Finish() {
    m_setTimer.stop();
    m_context.state.TableOperation = 0;
    m_context.state.FullReadRequested = false;
    emit rowRunFinished(ReadAllCaption());
    m_context.progress.EndProgress();
    m_context.channel.CloseChannel();
}

} // namespace holvex
