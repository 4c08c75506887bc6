#include "meters/ops/read_all_cycle.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "lang/message_language.h"
#include "links/channel.h"
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
    connect(&m_readAllTimer, &QTimer::timeout, this, &ReadAllCycle::tick);
}

QString ReadAllCycle::readAllCaption() const {
    return m_context.language.pick(QStringLiteral("Read all meters"),
                                   QStringLiteral("Leggi tutti i dispositivi"));
}

bool ReadAllCycle::running() const {
    return m_readAllTimer.isActive();
}

bool ReadAllCycle::start() {
    const StringGridModel& table = m_context.meterTable;
    if (table.gridRowCount() <= 2 && table.cell(1, kAddressColumn).isEmpty()) {
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    RunState& state = m_context.state;
    state.CurrentRow = 1;
    state.RetryCount = 0;
    emit readAllStarted();
    if (const std::optional<int> address = primaryAddressOf(table.cell(1, kAddressColumn))) {
        sendReadRequest(m_context, *address);
    }
    m_readAllTimer.start();
    const int maximum = table.gridRowCount() == 2 ? 2 : table.gridRowCount() - 1;
    m_context.progress.startProgressRange(1, maximum, 1);
    return true;
}

bool ReadAllCycle::readCurrentRow() {
    RunState& state = m_context.state;
    m_context.channel.discardAll();
    state.GatewayReply.clear();
    state.RawReply.clear();
    const std::optional<int> address =
        primaryAddressOf(m_context.meterTable.cell(state.CurrentRow, kAddressColumn));
    if (address) {
        sendReadRequest(m_context, *address);
    }
    return address.has_value();
}

void ReadAllCycle::tick() {
    const links::ReplyRead reply = replyCollection(m_context, links::ReplyTimer::ReadAll);
    if (reply.waitAnotherPeriod) {
        return;
    }
    RunState& state = m_context.state;
    state.ScanRunning = false;
    state.MatchRowById = false;

    if (reply.bytes.size() < 2) {
        ++state.RetryCount;
        if (state.RetryCount <= m_context.settings.Retry) {
            if (!m_context.meterTable.cell(state.CurrentRow, kAddressColumn).isEmpty()) {
                readCurrentRow();
            }
            return;
        }
        advance();
        return;
    }
    if (m_decoder.apply(reply.bytes)) {
        advance();
        return;
    }
    ++state.RetryCount;
    if (state.RetryCount <= m_context.settings.Retry) {
        retry();
        return;
    }
    advance();
}

void ReadAllCycle::retry() {
    RunState& state = m_context.state;
    if (m_context.meterTable.cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        return;
    }
    if (!readCurrentRow()) {
        passOverRow();
    }
}

void ReadAllCycle::passOverRow() {
    // Nothing can be sent to this row: the next period passes over it.
    m_context.state.RetryCount = m_context.settings.Retry + 1;
    if (m_context.endIdlePeriod) {
        m_context.endIdlePeriod(TimerId::ReadAll);
    }
}

void ReadAllCycle::advance() {
    RunState& state = m_context.state;
    ++state.CurrentRow;
    if (state.CurrentRow >= m_context.meterTable.gridRowCount()) {
        finish();
        return;
    }
    if (!m_context.meterTable.cell(state.CurrentRow, kAddressColumn).isEmpty()) {
        if (readCurrentRow()) {
            state.RetryCount = 0;
        }
    } else {
        passOverRow();
    }
    ProgressSink& progress = m_context.progress;
    if (progress.progressPosition() < progress.progressMaximum() - 1) {
        progress.stepProgress();
    }
}

void ReadAllCycle::finish() {
    m_readAllTimer.stop();
    emit readAllFinished(readAllCaption());
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
}

} // namespace holvex
