#pragma once

#include "devices/display/display_command_sender.h"
#include "devices/display/display_readout.h"
#include "devices/display/display_table_writer.h"
#include "devices/display/display_tables.h"

namespace holvex {
struct BusContext;
class FreeCommandConsole;
class TimerSet;
} // namespace holvex

namespace holvex::display {

// Everything the bus does with the display unit, built once by the bus over its context: the display and
// readings tables, the table write (Timer_lumet), the one-shot commands (answers through
// Timer_free_command) and the read-out.
class DisplayOperations {
public:
    DisplayOperations(BusContext& context, TimerSet& timers, FreeCommandConsole& console);
    DisplayOperations(const DisplayOperations&) = delete;
    DisplayOperations& operator=(const DisplayOperations&) = delete;

    DisplayTables& tables() { return m_tables; }
    DisplayTableWriter& writer() { return m_writer; }
    DisplayCommandSender& commands() { return m_commands; }
    // Reading the unit back; each read runs to its end inside Bus::start, which holds the bus meanwhile.
    DisplayReadout& readout() { return m_readout; }

    // A table write holds the bus while it runs.
    bool busy() const { return m_writer.running(); }

private:
    DisplayTables m_tables;
    DisplayTableWriter m_writer;
    DisplayCommandSender m_commands;
    DisplayReadout m_readout;
};

} // namespace holvex::display
