#pragma once

#include "devices/display/display_options.h"

#include <QByteArray>
#include <QObject>

class QTimer;

namespace holvex {
struct BusContext;
class StringGridModel;
class TimerSet;
} // namespace holvex

namespace holvex::display {

// "Write table to the display": programs the display unit's entry table from the display table, property by
// property, driven by Timer_lumet. One pass over the table per ticked option, in the options' priority
// order; each pass sends one line per selected row (the rows whose box is ticked) and clears its option at
// its end, so the boxes show what is left to do. "Activate" sends its line again each tick until the unit
// answers "Active" or "Already" or the "Retries" setting runs out; every other option sends once per row.
// Rows with a missing or wrong address are logged and skipped, and so are cells the unit would refuse.
//
// The options are not locked while the write runs: ticking or clearing a box changes the passes still to
// come.
//
// Wiring for the window:
// - "Write table to the display" calls toggle() (start when idle, stop while running).
// - writeStarted(): the button reads "Stop writing table in display"; "Read data ", the "   General info   "
//   group, "Create sort table", "Sort", "Refresh time", "Date", "Time" and "Lock" are disabled.
// - writeFinished(): the button reads "Write table to the display" again and those controls come back. It
//   comes both after the last pass and after stop().
// - optionsChanged(): the option boxes show options() (a pass cleared its option, or an exclusion cleared
//   others); the boxes report the operator's clicks through setOptionTicked().
class DisplayTableWriter : public QObject {
    Q_OBJECT

public:
    // The first tick comes this soon after the start; later ones one response timeout apart.
    static constexpr int kFirstTickMs = 100;

    DisplayTableWriter(BusContext& context, StringGridModel& table, TimerSet& timers,
                       QObject* parent = nullptr);

    const DisplayOptions& options() const { return m_options; }
    // The operator ticks or clears a box; the exclusions of "DELETE" follow.
    void setOptionTicked(DisplayOption option, bool ticked);
    // Every box at once, as given (the command-line tool).
    void setOptions(const DisplayOptions& options);

    bool running() const;
    // The button: stops a running write, otherwise starts one.
    void toggle();
    // Nothing starts with an empty table, with no option ticked or when the channel is not ready.
    bool start();
    // Stops at once, leaving the options still ticked; the channel is closed.
    void stop();

    // One Timer_lumet tick.
    void tick();

signals:
    void writeStarted();
    void writeFinished();
    void optionsChanged();
    // The unit answered a line (the answer is logged as well).
    void answerReceived(const QByteArray& answer);

private:
    int nextSelectedRow(int row) const;
    void endPass();
    void finish();

    BusContext& m_context;
    StringGridModel& m_table;
    TimerSet& m_timers;
    QTimer& m_timer;
    DisplayOptions m_options;
};

} // namespace holvex::display
