#include "devices/display/display_operations.h"

namespace holvex::display {

DisplayOperations::DisplayOperations(BusContext& context, TimerSet& timers, FreeCommandConsole& console)
    : m_writer(context, m_tables.display(), timers), m_commands(context, console),
      m_readout(context, m_tables, timers, console) {}

} // namespace holvex::display
