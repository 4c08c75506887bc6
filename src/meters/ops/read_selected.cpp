#include "meters/ops/read_selected.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "links/channel_interface.h"
#include "log/log_sink.h"
#include "meters/ops/read_cycle.h"
#include "meters/ops/row_runner.h"
#include "meters/table/string_grid_model.h"

namespace holvex {

ReadSelected::ReadSelected(BusContext& context, ReadCycle& readCycle, RowRunner& rowRunner)
    : m_context(context), m_readCycle(readCycle), m_rowRunner(rowRunner) {}

bool ReadSelected::RunFull() {
    m_context.state.FullReadRequested = true;
    const bool started = Run();
    if (!started) {
        // Left set, the flag would turn the next scan's or read's telegrams into reports.
        m_context.state.FullReadRequested = false;
    }
    return started;
}

bool ReadSelected::Run() {
    const int marks = m_context.meterTable.MarkedRowCount();
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    if (marks == 0) {
        m_context.log.LogLine(QStringLiteral("Nothing selected from the table..."));
        // Nothing will be read: release the channel that was just opened.
        m_context.channel.CloseChannel();
        return false;
    }
    if (marks == 1) {
        m_readCycle.BeginSingleRead();
        return true;
    }
    if (!m_rowRunner.Begin(TableOperation::Read)) {
        m_context.channel.CloseChannel();
        return false;
    }
    return true;
}

} // namespace holvex
