#include "meters/ops/auto_addressing.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/direct_selection.h"
#include "meters/ops/meter_configuration.h"
#include "meters/table/meter_table.h"
#include "meters/table/string_grid_model.h"

#include <QTimer>

namespace holvex {

namespace {

// 249 is the last primary address a meter can be given.
constexpr int kAddressLimit = 250;

} // namespace

AutoAddressing::AutoAddressing(BusContext& context, MeterConfiguration& configuration,
                               DirectSelection& selection, QTimer& secondaryTimer, QTimer& autoAddressTimer,
                               QObject* parent)
    : QObject(parent), m_context(context), m_configuration(configuration), m_selection(selection),
      m_secondaryTimer(secondaryTimer), m_autoAddressTimer(autoAddressTimer) {
    connect(&m_autoAddressTimer, &QTimer::timeout, this, &AutoAddressing::tick);
}

bool AutoAddressing::running() const {
    return m_context.state.AutoAddressRunning;
}

void AutoAddressing::press(int startAddress) {
    RunState& state = m_context.state;
    // A run in progress is stopped first, whatever became of the table meanwhile: a table cleared during the
    // run must not leave a run that cannot be stopped.
    if (running()) {
        m_secondaryTimer.stop();
        m_autoAddressTimer.stop();
        // The abandoned selection must not turn a later direct read into an address write.
        state.AddressWritePending = false;
        finish();
        return;
    }
    if (m_context.meterTable.gridRowCount() <= 2) {
        m_context.log.logLine(QStringLiteral("Nothing to auto address..."));
        return;
    }
    if (m_confirm && !m_confirm()) {
        return;
    }
    m_context.inputs.broadcast = false;
    emit runStarted();
    state.NextAutoAddress = startAddress;
    state.AutoAddressRow = 1;
    addressRow();
}

void AutoAddressing::addressRow() {
    RunState& state = m_context.state;
    // The row itself becomes the selected meter. Focusing by address would pick the last row sharing that
    // address and send the new address to another meter's ID.
    const CellSelection selection = selectCell(m_context.meterTable, state.AutoAddressRow, state);
    emit rowFocused(selection.row, selection.relayCounterSet, selection.relayCounter);
    state.AutoAddressRunning = true;
    emit newAddressChosen(state.NextAutoAddress);
    m_configuration.setPrimaryAddress();
}

void AutoAddressing::tick() {
    m_autoAddressTimer.stop();
    RunState& state = m_context.state;
    if (!state.AutoAddressRunning) {
        return; // the run was stopped while this period ran
    }
    ++state.AutoAddressRow;
    ++state.NextAutoAddress;
    if (state.NextAutoAddress >= kAddressLimit) {
        m_context.log.logLine(QStringLiteral("Primary address can not be above 249, aborting..."));
        finish();
        return;
    }
    if (state.AutoAddressRow < m_context.meterTable.gridRowCount() - 1) {
        addressRow();
        return;
    }
    m_context.log.logLine(QStringLiteral("Auto addressing has finished..."));
    finish();
}

void AutoAddressing::finish() {
    m_context.state.AutoAddressRunning = false;
    // Each row's exchange leaves the channel to the next row; the run as a whole releases it.
    m_context.channel.closeChannel();
    emit runFinished();
}

} // namespace holvex
