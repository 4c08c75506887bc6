#include "devices/receiver/receiver_programmer.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "devices/receiver/receiver_command_sender.h"
#include "devices/receiver/receiver_table.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/reply_collection.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"

#include <QTimer>

#include <algorithm>

namespace holvex::receiver {

void ProgramOptions::setTicked(ProgramOption option, bool ticked) {
    m_ticked[index(option)] = ticked;
    if (!ticked) {
        return;
    }
    if (option == ProgramOption::Delete) {
        m_ticked[index(ProgramOption::Activate)] = false;
        m_ticked[index(ProgramOption::SaveUnit)] = false;
        m_ticked[index(ProgramOption::SaveKey)] = false;
    } else {
        m_ticked[index(ProgramOption::Delete)] = false;
    }
}

int ProgramOptions::tickedCount() const {
    return static_cast<int>(std::count(m_ticked.begin(), m_ticked.end(), true));
}

std::optional<ProgramOption> ProgramOptions::first() const {
    for (int i = 0; i < kProgramOptionCount; ++i) {
        if (m_ticked[i]) {
            return static_cast<ProgramOption>(i);
        }
    }
    return std::nullopt;
}

std::optional<ProgramOption> ProgramOptions::clearFirst() {
    const std::optional<ProgramOption> option = first();
    if (option) {
        m_ticked[index(*option)] = false;
    }
    return option;
}

ReceiverProgrammer::ReceiverProgrammer(BusContext& context, StringGridModel& table, TimerSet& timers,
                                       ReceiverCommandSender& sender, QObject* parent)
    : QObject(parent), m_context(context), m_table(table), m_timers(timers), m_sender(sender),
      m_timer(*timers.timer(TimerId::Ravik)) {
    connect(&m_timer, &QTimer::timeout, this, &ReceiverProgrammer::tick);
}

void ReceiverProgrammer::setOptionTicked(ProgramOption option, bool ticked) {
    m_options.setTicked(option, ticked);
    emit optionsChanged();
}

void ReceiverProgrammer::setOptions(const ProgramOptions& options) {
    m_options = options;
    emit optionsChanged();
}

bool ReceiverProgrammer::running() const {
    return m_context.state.ReceiverProgramRunning;
}

void ReceiverProgrammer::toggle() {
    if (running()) {
        stop();
    } else {
        start();
    }
}

bool ReceiverProgrammer::start() {
    if (running() || isReceiverTableEmpty(m_table)) {
        return false;
    }
    const int passes = m_options.tickedCount();
    // Looked at before the channel is opened: with nothing to write the port is not left open.
    if (passes == 0 || !m_context.channel.openChannel()) {
        return false;
    }
    RunState& state = m_context.state;
    // The first tick has no answer to look at: -1 gives the first row its full number of activations.
    state.RetryCount = m_options.first() == ProgramOption::Activate ? -1 : 0;
    state.ReceiverProgramRunning = true;
    state.ReceiverRow = 1;
    m_context.progress.startProgress(passes * m_table.dataRowCount());
    m_timer.setInterval(kFirstTickMs);
    m_timer.start();
    emit started();
    return true;
}

void ReceiverProgrammer::stop() {
    if (running()) {
        finish();
    }
}

void ReceiverProgrammer::finish() {
    m_timer.stop();
    RunState& state = m_context.state;
    state.GatewayReply.clear();
    state.ReceiverProgramRunning = false;
    state.ReceiverRow = 1;
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
    emit finished();
}

int ReceiverProgrammer::nextSelectedRow(int row) const {
    while (row < m_table.gridRowCount() && !m_table.isMarked(row)) {
        ++row;
    }
    return row;
}

void ReceiverProgrammer::tick() {
    RunState& state = m_context.state;
    if (!running()) {
        m_timer.stop();
        return;
    }
    m_timer.setInterval(m_timers.responseTimeout());

    const links::ReplyRead reply = deviceLineAnswer(m_context, QStringLiteral("No open connection point!"));
    if (reply.waitAnotherPeriod) {
        return;
    }
    const QByteArray& answer = reply.bytes;
    if (!answer.isEmpty()) {
        m_context.log.logLine(QString::fromLatin1(answer));
    }

    const std::optional<ProgramOption> option = m_options.first();
    if (!option) {
        // The operator cleared every option while the run went on.
        finish();
        return;
    }
    const bool activating = *option == ProgramOption::Activate;
    if (activating) {
        countRowAnswer(activationAccepted(answer), state.ReceiverRow, state.RetryCount,
                       m_context.settings.Retry);
    }

    ProgressSink& progress = m_context.progress;
    if (progress.progressPosition() < progress.progressMaximum() - 1) {
        progress.stepProgress();
    }

    state.ReceiverRow = nextSelectedRow(std::max(state.ReceiverRow, 1));
    if (state.ReceiverRow >= m_table.gridRowCount()) {
        endPass();
        return;
    }

    const int row = state.ReceiverRow;
    const ProgramAddress address = programAddress(m_table.cell(row, kReceiverAddressColumn), row);
    if (!address.address) {
        m_context.log.logLine(address.logLine);
        ++state.ReceiverRow;
        if (activating) {
            // Nothing was sent for the skipped row, so the next row gets its full number of activations.
            state.RetryCount = -1;
        }
        return;
    }
    sendRow(*option, row, *address.address);
    // An activation stays on its row until the receiver answers or the retries run out. After the last row
    // the pass ends on the next tick: closing the port at once would throw away a line still on its way.
    if (!activating) {
        ++state.ReceiverRow;
    }
}

void ReceiverProgrammer::sendRow(ProgramOption option, int row, int address) {
    const ReceiverRow cells = ReceiverRow::fromCells(m_table.row(row));
    switch (option) {
    case ProgramOption::Activate: {
        const int column =
            m_idSource == ActivationIdSource::AuxId ? kReceiverAuxiliaryIdColumn : kReceiverIdColumn;
        const Activation activation = activationCommand(address, activationIdCell(cells, m_idSource), row);
        if (activation.idWriteBack) {
            m_table.setCell(row, column, *activation.idWriteBack);
        }
        if (activation.command) {
            m_sender.sendPlain(*activation.command);
        } else {
            m_context.log.logLine(activation.logLine);
        }
        return;
    }
    case ProgramOption::SaveUnit:
        m_sender.sendPlain(unitCommand(address, cells.medium));
        return;
    case ProgramOption::SaveKey: {
        if (m_keyBox.targets.oneKeyAll) {
            m_keyBox.targets.oneKeyAll = false;
            emit keyBoxChanged();
        }
        emit currentRowChanged(row);
        const ReceiverCommands commands = keyCommands(cells, m_keyBox.text, m_keyBox.entry, m_keyBox.targets);
        if (!commands.refusal.isEmpty()) {
            m_context.log.logLine(commands.refusal);
        }
        for (qsizetype i = 0; i < commands.commands.size(); ++i) {
            if (i > 0) {
                m_sender.pauseBetweenLines();
            }
            m_sender.sendPlain(commands.commands.at(i));
        }
        return;
    }
    case ProgramOption::Delete:
        m_sender.sendPlain(deleteCommand(address));
        return;
    }
}

void ReceiverProgrammer::endPass() {
    RunState& state = m_context.state;
    m_options.clearFirst();
    emit optionsChanged();
    m_context.channel.discardSerialInput();
    state.ReceiverRow = 1;
    if (m_options.none()) {
        finish();
        return;
    }
    state.RetryCount = m_options.first() == ProgramOption::Activate ? -1 : 0;
}

} // namespace holvex::receiver
