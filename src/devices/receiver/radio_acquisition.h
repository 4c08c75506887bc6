#pragma once

#include <QByteArray>
#include <QObject>

class QTimer;

namespace holvex {
struct BusContext;
class StringGridModel;
class TimerSet;
} // namespace holvex

namespace holvex::receiver {

// "Acquire RF meters": the receiver is switched to transparent output and every radio telegram it relays
// becomes a row of the receiver table, driven by Timer_acquire (one response timeout apart). The switch
// lines go to the serial port whatever the road, each written twice 1500 ms apart (the window keeps
// painting meanwhile; the bus is held, so nothing else starts).
//
// Each tick takes what arrived on the serial port. A telegram whose end byte has not arrived yet is kept
// for the next tick, and so is anything after the last whole telegram; what is kept never exceeds one
// telegram's window.
//
// Wiring for the window: started() turns the button into "Stop acquire" and disables the receiver's
// settings, bind/de-bind, info, the free-command "Send", the key box and the programming box; finished()
// undoes it.
class RadioAcquisition : public QObject {
    Q_OBJECT

public:
    // The wait between the two writes of a switch line.
    static constexpr int kSwitchRepeatMs = 1500;
    // The time a switch line is given to leave the port before the port is closed.
    static constexpr int kLineOutMs = 100;

    RadioAcquisition(BusContext& context, StringGridModel& table, TimerSet& timers,
                     QObject* parent = nullptr);

    bool running() const { return m_running; }
    // "Exclude identical": a telegram whose ID is in the table already is dropped.
    void setExcludeIdentical(bool exclude) { m_excludeIdentical = exclude; }
    bool excludeIdentical() const { return m_excludeIdentical; }
    // "up to v3.01f": the receiver's older switch line ("set rtra=" instead of "set trns=").
    void setUpToV301f(bool upTo) { m_upToV301f = upTo; }
    bool upToV301f() const { return m_upToV301f; }

    // The button.
    void toggle();
    // Nothing starts when the channel is not ready.
    bool start();
    void stop();
    // One Timer_acquire tick.
    void tick();

signals:
    void started();
    void finished();
    // A telegram went into this row of the table.
    void rowAcquired(int row);

private:
    void writeSwitch(bool on);
    void wait(int milliseconds);

    BusContext& m_context;
    StringGridModel& m_table;
    TimerSet& m_timers;
    QTimer& m_timer;
    QByteArray m_pending;
    bool m_running = false;
    bool m_switching = false; // inside the wait between the two writes of a switch line
    bool m_excludeIdentical = false;
    bool m_upToV301f = false;
};

} // namespace holvex::receiver
