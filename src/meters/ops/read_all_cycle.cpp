#include "meters/ops/read_all_cycle.h"

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

#include <optional>

namespace holvex {

namespace {

constexpr int kAddressColumn = 1;

} // namespace

ReadAllCycle::ReadAllCycle(BusContext& context, DecodeApplication& decoder, QTimer& readAllTimer,
                           QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_readAllTimer(readAllTimer) {
    connect(&m_readAllTimer, &QTimer::timeout, this, &ReadAllCycle::Tick);
}

QString ReadAllCycle::ReadAllCaption() const {
    return m_context.language.pick(QStringLiteral("Read all meters"),
                                   QStringLiteral("Leggi tutti i dispositivi"));
}

bool ReadAllCycle::Running() const {
    return m_readAllTimer.isActive();
}

bool ReadAllCycle::Start() {
    const StringGridModel& table = m_context.meterTable;
    if (table.RowCount() <= 2 && table.Cell(1, kAddressColumn).isEmpty()) {
        return false;
    }
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    RunState& state = m_context.state;
    state.CurrentRow = 1;
    state.RetryCount = 0;
    emit readAllStarted();
    if (const std::optional<int> address = PrimaryAddressOf(table.Cell(1, kAddressColumn))) {
        SendReadRequest(m_context, *address);
    }
    m_readAllTimer.start();
    const int maximum = table.RowCount() == 2 ? 2 : table.RowCount() - 1;
    m_context.progress.StartProgressRange(1, maximum, 1);
    return true;
}

bool ReadAllCycle::ReadCurrentRow() {
    RunState& state = m_context.state;
    m_context.channel.DiscardSerialBuffers();
    state.GatewayReply.clear();
    state.RawReply.clear();
    const std::optional<int> address =
        PrimaryAddressOf(m_context.meterTable.Cell(state.CurrentRow, kAddressColumn));
    if (address) {
        SendReadRequest(m_context, *address);
    }
    return address.has_value();
}

void ReadAllCycle::Tick() {
    const links::ReplyRead reply = ReplyCollection(m_context, links::ReplyTimer::ReadAll);
    if (reply.waitAnotherPeriod) {
        return;
    }
    RunState& state = m_context.state;
    state.ScanRunning = false;
    state.MatchRowById = false;

    if (reply.bytes.size() < 2) {
        ++state.RetryCount;
        if (state.RetryCount <= m_context.settings.Retry) {
            if (!m_context.meterTable.Cell(state.CurrentRow, kAddressColumn).isEmpty()) {
                ReadCurrentRow();
            }
            return;
        }
        Advance();
        return;
    }
    if (m_decoder.Apply(reply.bytes)) {
        Advance();
        return;
    }
    ++state.RetryCount;
    if (state.RetryCount <= m_context.settings.Retry) {
        Retry();
        return;
    }
    Advance();
}

void ReadAllCycle::Retry() {
    RunState& state = m_context.state;
    if (m_context.meterTable.Cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        return;
    }
    if (!ReadCurrentRow()) {
        // Nothing can be sent to this row: the next period passes over it.
        state.RetryCount = m_context.settings.Retry + 1;
    }
}

void ReadAllCycle::Advance() {
    RunState& state = m_context.state;
    ++state.CurrentRow;
    if (state.CurrentRow >= m_context.meterTable.RowCount()) {
        Finish();
        return;
    }
    if (!m_context.meterTable.Cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        if (ReadCurrentRow()) {
            state.RetryCount = 0;
        }
    } else {
        state.RetryCount = m_context.settings.Retry + 1;
    }
    ProgressSink& progress = m_context.progress;
    if (progress.ProgressPosition() < progress.ProgressMaximum() - 1) {
        progress.StepProgress();
    }
}

void ReadAllCycle::Finish() {
    m_readAllTimer.stop();
    emit readAllFinished(ReadAllCaption());
    m_context.progress.EndProgress();
    m_context.channel.CloseChannel();
}

} // namespace holvex
