#include "meters/ops/meter_operations.h"

namespace holvex {

MeterOperations::MeterOperations(BusContext& context, BusTimers timers)
    : m_context(context), m_decoder(context),
      m_scan(context, m_decoder, timers.respond, timers.readAll, timers.secondary),
      m_readCycle(context, m_decoder, m_scan, timers.respond), m_rowRunner(context, m_decoder, timers.set),
      m_readSelected(context, m_readCycle, m_rowRunner), m_readAll(context, m_decoder, timers.readAll),
      m_console(context, timers.freeCommand),
      m_directSelection(context, m_decoder, timers.secondary, timers.respond, timers.autoAddress),
      m_configuration(context, m_readCycle, m_rowRunner, m_directSelection, m_console, timers.respond,
                      timers.autoAddress),
      m_autoAddressing(context, m_configuration, m_directSelection, timers.secondary, timers.autoAddress) {
    m_directSelection.setReadCycle(m_readCycle);
    for (const TableOperation operation :
         {TableOperation::Baud, TableOperation::PulseWidth, TableOperation::MediumUnit}) {
        m_rowRunner.setOperationSender(operation, [this, operation](int address) {
            return m_configuration.sendRowOperation(operation, address);
        });
    }
}

bool MeterOperations::busy() const {
    return m_scan.running() || m_readAll.running() || m_rowRunner.running() || m_directSelection.running() ||
           m_autoAddressing.running();
}

} // namespace holvex
