#pragma once

namespace holvex {

struct BusContext;
class ReadCycle;
class RowRunner;

// "Read selected" (button and menu entry) and "Full read" (menu entry), by the one-or-many rule of the meter
// table: no mark logs "Nothing selected from the table..."; one mark reads the selected meter
// (SelectedAddress, or 0xFE with broadcast ticked) as a single exchange on Timer_respond; several marks start
// the row runner with REQ_UD2 for every marked row. "Full read" also asks the decoder for the detailed report
// (FullReadRequested) of what it reads.
//
// Wiring for the window: call run() / runFull(); the busy signals come from ReadCycle (none) and RowRunner.
class ReadSelected {
public:
    ReadSelected(BusContext& context, ReadCycle& readCycle, RowRunner& rowRunner);

    // Return whether a read was started.
    bool run();
    bool runFull();

private:
    BusContext& m_context;
    ReadCycle& m_readCycle;
    RowRunner& m_rowRunner;
};

} // namespace holvex
