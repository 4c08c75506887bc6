#include "meters/ops/read_selected.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/read_cycle.h"
#include "meters/ops/row_runner.h"
#include "meters/table/string_grid_model.h"

namespace holvex {

ReadSelected::ReadSelected(BusContext& context, ReadCycle& readCycle, RowRunner& rowRunner)
    : m_context(context), m_readCycle(readCycle), m_rowRunner(rowRunner) {}

bool ReadSelected::runFull() {
    m_context.state.FullReadRequested = true;
    const bool started = run();
    if (!started) {
        // Left set, the flag would turn the next scan's or read's telegrams into reports.
        m_context.state.FullReadRequested = false;
    }
    return started;
}

bool ReadSelected::run() {
    const int marks = m_context.meterTable.markedRowCount();
    if (!m_context.channel.openChannel()) {
        return false;
    }
    if (marks == 0) {
        m_context.log.logLine(QStringLiteral("Nothing selected from the table..."));
        // Nothing will be read: release the channel that was just opened.
        m_context.channel.closeChannel();
        return false;
    }
    if (marks == 1) {
        m_readCycle.beginSingleRead();
        return true;
    }
    if (!m_rowRunner.begin(TableOperation::Read)) {
        m_context.channel.closeChannel();
        return false;
    }
    return true;
}

} // namespace holvex
