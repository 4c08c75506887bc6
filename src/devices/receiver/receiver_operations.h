#pragma once

#include "devices/receiver/radio_acquisition.h"
#include "devices/receiver/receiver_command_sender.h"
#include "devices/receiver/receiver_programmer.h"
#include "meters/table/string_grid_model.h"

namespace holvex {
struct BusContext;
class FreeCommandConsole;
class TimerSet;
} // namespace holvex

namespace holvex::receiver {

// Everything the bus does with the wireless receiver, built once by the bus over its context: the receiver
// table, the one-shot lines (answers through Timer_free_command), acquisition (Timer_acquire) and the
// programming run (Timer_ravik).
class ReceiverOperations {
public:
    ReceiverOperations(BusContext& context, TimerSet& timers, FreeCommandConsole& console);
    ReceiverOperations(const ReceiverOperations&) = delete;
    ReceiverOperations& operator=(const ReceiverOperations&) = delete;

    StringGridModel& table() { return m_table; }
    ReceiverCommandSender& commands() { return m_sender; }
    RadioAcquisition& acquisition() { return m_acquisition; }
    ReceiverProgrammer& programmer() { return m_programmer; }

    // Acquisition and the programming run each hold the bus while they run.
    bool busy() const { return m_acquisition.running() || m_programmer.running(); }

private:
    StringGridModel m_table;
    ReceiverCommandSender m_sender;
    RadioAcquisition m_acquisition;
    ReceiverProgrammer m_programmer;
};

} // namespace holvex::receiver
