#include "meters/meter_operations.h"

namespace holvex {

MeterOperations::MeterOperations(BusContext& context, BusTimers timers)
    : m_context(context), m_decoder(context),
      m_scan(context, m_decoder, timers.respond, timers.readAll, timers.secondary),
      m_readCycle(context, m_decoder, m_scan, timers.respond), m_rowRunner(context, m_decoder, timers.set),
      m_readSelected(context, m_readCycle, m_rowRunner), m_readAll(context, m_decoder, timers.readAll),
      m_console(context, timers.freeCommand) {}

bool MeterOperations::Busy() const {
    return m_scan.Running() || m_readAll.Running() || m_rowRunner.Running();
}

} // namespace holvex
