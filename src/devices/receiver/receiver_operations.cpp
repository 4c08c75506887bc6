#include "devices/receiver/receiver_operations.h"

#include "devices/receiver/receiver_table.h"

namespace holvex::receiver {

ReceiverOperations::ReceiverOperations(BusContext& context, TimerSet& timers, FreeCommandConsole& console)
    : m_table(kReceiverColumns, kReceiverTableMaxRows), m_sender(context, console),
      m_acquisition(context, m_table, timers), m_programmer(context, m_table, timers, m_sender) {
    applyReceiverTableHeadings(m_table);
}

} // namespace holvex::receiver
