#include "devices/display/display_table_writer.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_lines.h"
#include "devices/display/display_table.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/reply_collection.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QTimer>

namespace holvex::display {

namespace {

links::OperationWords lineWords(const QByteArray& line) {
    return {QStringLiteral("setting Lumet parameters"), QString::fromLatin1(line), false};
}

} // namespace

DisplayTableWriter::DisplayTableWriter(BusContext& context, StringGridModel& table, TimerSet& timers,
                                       QObject* parent)
    : QObject(parent), m_context(context), m_table(table), m_timers(timers),
      m_timer(*timers.timer(TimerId::Lumet)) {
    connect(&m_timer, &QTimer::timeout, this, &DisplayTableWriter::tick);
}

void DisplayTableWriter::setOptionTicked(DisplayOption option, bool ticked) {
    m_options.setTicked(option, ticked);
    emit optionsChanged();
}

void DisplayTableWriter::setOptions(const DisplayOptions& options) {
    m_options = options;
    emit optionsChanged();
}

bool DisplayTableWriter::running() const {
    return m_context.state.DisplayWriteRunning;
}

void DisplayTableWriter::toggle() {
    // A running write stops even when the table was emptied meanwhile.
    if (running()) {
        stop();
    } else {
        start();
    }
}

bool DisplayTableWriter::start() {
    if (running() || isDisplayTableEmpty(m_table)) {
        return false;
    }
    const int passes = m_options.tickedCount();
    // Looked at before the channel is opened: with nothing to write the port is not left open.
    if (passes == 0) {
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    RunState& state = m_context.state;
    // The first tick has no answer to look at: -1 gives the first row its full number of activations.
    state.RetryCount = m_options.isTicked(DisplayOption::Activate) ? -1 : 0;
    state.DisplayWriteRunning = true;
    state.DisplayWriteRow = 1;
    m_context.progress.startProgress(passes * m_table.dataRowCount());
    m_timer.setInterval(kFirstTickMs);
    m_timer.start();
    emit writeStarted();
    return true;
}

void DisplayTableWriter::stop() {
    if (!running()) {
        return;
    }
    finish();
}

void DisplayTableWriter::finish() {
    m_timer.stop();
    RunState& state = m_context.state;
    state.GatewayReply.clear();
    state.DisplayWriteRunning = false;
    state.DisplayWriteRow = 1;
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
    emit writeFinished();
}

int DisplayTableWriter::nextSelectedRow(int row) const {
    while (row < m_table.gridRowCount() && !m_table.isMarked(row)) {
        ++row;
    }
    return row;
}

void DisplayTableWriter::tick() {
    RunState& state = m_context.state;
    if (!running()) {
        m_timer.stop();
        return;
    }
    m_timer.setInterval(m_timers.responseTimeout());

    const links::ReplyRead reply = deviceLineAnswer(m_context, QStringLiteral("No valid interface!"));
    if (reply.waitAnotherPeriod) {
        return;
    }
    const QByteArray& answer = reply.bytes;
    if (!answer.isEmpty()) {
        m_context.log.logLine(QString::fromLatin1(answer));
        emit answerReceived(answer);
    }

    const std::optional<DisplayOption> option = m_options.first();
    if (!option) {
        // The operator cleared every box while the write ran.
        finish();
        return;
    }
    const bool activating = *option == DisplayOption::Activate;
    if (activating) {
        countRowAnswer(isActivationAnswer(answer), state.DisplayWriteRow, state.RetryCount,
                       m_context.settings.Retry);
    }

    ProgressSink& progress = m_context.progress;
    if (progress.progressPosition() < progress.progressMaximum() - 1) {
        progress.stepProgress();
    }

    state.DisplayWriteRow = nextSelectedRow(std::max(state.DisplayWriteRow, 1));
    if (state.DisplayWriteRow >= m_table.gridRowCount()) {
        endPass();
        return;
    }

    const int row = state.DisplayWriteRow;
    const DisplayAddress address = checkDisplayAddress(m_table.cell(row, kDisplayAddressColumn), row);
    if (!address.valid) {
        m_context.log.logLine(address.logLine);
        ++state.DisplayWriteRow;
        if (activating) {
            // Nothing was sent for the skipped row, so the next tick has no answer to count against the
            // next row: that row gets its full number of activations too.
            state.RetryCount = -1;
        }
        return;
    }

    const DisplayRowLine line = displayRowLine(*option, address.text, m_table.row(row));
    for (const QString& check : line.checks) {
        m_context.log.logLine(check);
    }
    if (line.sends()) {
        m_context.channel.sendLine(line.line, lineWords(line.line));
        m_context.log.logLine(line.logText);
    }
    // An activation stays on its row until the unit answers or the retries run out.
    if (!activating) {
        ++state.DisplayWriteRow;
    }
}

void DisplayTableWriter::endPass() {
    RunState& state = m_context.state;
    const std::optional<DisplayOption> cleared = m_options.clearFirst();
    emit optionsChanged();
    m_context.channel.discardInput();
    if (cleared == DisplayOption::ZeroInitials) {
        state.GatewayReply.clear();
    }
    state.DisplayWriteRow = 1;
    if (m_options.none()) {
        finish();
        return;
    }
    // An activation pass ticked while the write ran starts as the first one does.
    state.RetryCount = m_options.first() == DisplayOption::Activate ? -1 : 0;
}

} // namespace holvex::display
