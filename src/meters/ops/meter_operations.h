#pragma once

#include "bus/bus_context.h"
#include "meters/ops/auto_addressing.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/direct_selection.h"
#include "meters/ops/free_command_console.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/primary_scan.h"
#include "meters/ops/read_all_cycle.h"
#include "meters/ops/read_cycle.h"
#include "meters/ops/read_selected.h"
#include "meters/ops/row_runner.h"

class QTimer;

namespace holvex {

// The reply timers the meter operations run on. The window's timer set owns them (their interval follows the
// response timeout); the command-line tool and the tests bring their own.
struct BusTimers {
    QTimer& respond;
    QTimer& readAll;
    QTimer& secondary;
    QTimer& set;
    QTimer& freeCommand;
    QTimer& autoAddress; // Timer_auto_address: one period (1 s) between the rows of automatic addressing
};

// Every operation on the meters of the bus, built once over one context and wired to each other the same way
// for the window, the command-line tool and the tests.
class MeterOperations {
public:
    MeterOperations(BusContext& context, BusTimers timers);

    BusContext& context() { return m_context; }
    DecodeApplication& decoder() { return m_decoder; }
    PrimaryScan& scan() { return m_scan; }
    ReadCycle& readCycle() { return m_readCycle; }
    RowRunner& rowRunner() { return m_rowRunner; }
    ReadSelected& readSelected() { return m_readSelected; }
    ReadAllCycle& readAll() { return m_readAll; }
    FreeCommandConsole& console() { return m_console; }
    DirectSelection& directSelection() { return m_directSelection; }
    MeterConfiguration& configuration() { return m_configuration; }
    AutoAddressing& autoAddressing() { return m_autoAddressing; }

    // True while an operation that holds the bus runs (scan, read all, row run, a direct selection's
    // exchange, automatic addressing).
    bool busy() const;

private:
    BusContext& m_context;
    DecodeApplication m_decoder;
    PrimaryScan m_scan;
    ReadCycle m_readCycle;
    RowRunner m_rowRunner;
    ReadSelected m_readSelected;
    ReadAllCycle m_readAll;
    FreeCommandConsole m_console;
    // After m_readCycle: the selection watches Timer_respond's ticks after the cycle has handled them.
    DirectSelection m_directSelection;
    MeterConfiguration m_configuration;
    AutoAddressing m_autoAddressing;
};

} // namespace holvex
