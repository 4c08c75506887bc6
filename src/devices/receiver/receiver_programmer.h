#pragma once

#include "devices/receiver/key_lines.h"
#include "devices/receiver/programming_lines.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

class QTimer;

namespace holvex {
struct BusContext;
class StringGridModel;
class TimerSet;
} // namespace holvex

namespace holvex::receiver {

class ReceiverCommandSender;

// The programming options in their priority order.
enum class ProgramOption { Activate, SaveUnit, SaveKey, Delete };
inline constexpr int kProgramOptionCount = 4;

// The ticked options. "Delete selected" excludes the other three and each of them excludes it.
class ProgramOptions {
public:
    bool isTicked(ProgramOption option) const { return m_ticked[index(option)]; }
    void setTicked(ProgramOption option, bool ticked);
    int tickedCount() const;
    bool none() const { return tickedCount() == 0; }
    std::optional<ProgramOption> first() const;
    // Clears the first ticked option and returns it.
    std::optional<ProgramOption> clearFirst();

private:
    static int index(ProgramOption option) { return static_cast<int>(option); }
    std::array<bool, kProgramOptionCount> m_ticked{};
};

// "Program Ravik-Q": one pass over the receiver table per ticked option, in priority order, driven by
// Timer_ravik (one response timeout apart). Each pass sends one line per ticked row and clears its option at
// its end. "Activate selected" sends its line again each tick until the receiver answers with "Done!" or
// "already" or the "Retries" setting runs out; the other options send once per row. Rows with a wrong
// address are logged and skipped.
//
// Wiring for the window: started() turns the button into "Stop programming" and disables the receiver's
// settings, bind/de-bind, "Acquire RF meters", info, the free-command "Send" and the key box; finished()
// undoes it; optionsChanged() shows options(); keyBoxChanged() shows the key box ("Save AES-128 key" clears
// "One key all"); currentRowChanged() moves the table's current row.
class ReceiverProgrammer : public QObject {
    Q_OBJECT

public:
    // The first tick comes this soon after the start; later ones one response timeout apart.
    static constexpr int kFirstTickMs = 100;

    ReceiverProgrammer(BusContext& context, StringGridModel& table, TimerSet& timers,
                       ReceiverCommandSender& sender, QObject* parent = nullptr);

    const ProgramOptions& options() const { return m_options; }
    void setOptionTicked(ProgramOption option, bool ticked);
    void setOptions(const ProgramOptions& options);
    // "Main ID" / "Aux ID".
    void setIdSource(ActivationIdSource source) { m_idSource = source; }
    ActivationIdSource idSource() const { return m_idSource; }
    const KeyBoxState& keyBox() const { return m_keyBox; }
    void setKeyBox(const KeyBoxState& keyBox) { m_keyBox = keyBox; }

    bool running() const;
    void toggle();
    // Nothing starts with an empty table, when the channel is not ready, or with no option ticked.
    bool start();
    void stop();
    // One Timer_ravik tick.
    void tick();

signals:
    void started();
    void finished();
    void optionsChanged();
    void keyBoxChanged();
    void currentRowChanged(int row);

private:
    int nextSelectedRow(int row) const;
    void sendRow(ProgramOption option, int row, int address);
    void endPass();
    void finish();

    BusContext& m_context;
    StringGridModel& m_table;
    TimerSet& m_timers;
    ReceiverCommandSender& m_sender;
    QTimer& m_timer;
    ProgramOptions m_options;
    ActivationIdSource m_idSource = ActivationIdSource::MainId;
    KeyBoxState m_keyBox;
};

} // namespace holvex::receiver
