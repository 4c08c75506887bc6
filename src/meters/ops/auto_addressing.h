#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace holvex {

struct BusContext;
class DirectSelection;
class MeterConfiguration;

// "Auto address": gives the meter table's rows 1 .. row count - 2 consecutive primary addresses from the
// start address, one row after the other, each through its ID (the set-primary-address command's selection
// path), paced by Timer_auto_address (1 s). Row k gets start + k - 1 whether or not an earlier row answered;
// reaching 250 aborts.
//
// Wiring for the window: press(startAddress) on the button (it asks the confirmation through the `confirm`
// hook: true only for Yes); runStarted() -> disable the primary "Find", "Read all meters", "Read selected",
// the configuration group, the secondary "Find", "Find all", the command "Send", untick broadcast and set the
// caption "Stop addr"; runFinished() -> enable them and set the caption "Auto address";
// newAddressChosen(n) -> put n into the "Set Primary Address to:" spin box (the command reads it from there);
// rowFocused(row, ...) -> make that grid row current, as for the decoder's rowFocused. Timer_auto_address's
// timeout is connected to Tick here.
class AutoAddressing : public QObject {
    Q_OBJECT

public:
    AutoAddressing(BusContext& context, MeterConfiguration& configuration, DirectSelection& selection,
                   QTimer& secondaryTimer, QTimer& autoAddressTimer, QObject* parent = nullptr);

    // Asked before a run: "This will address automatically ALL devices (primary), OK?"; true for Yes. Without
    // a hook the run starts without asking.
    void setConfirm(std::function<bool()> confirm) { m_confirm = std::move(confirm); }

    // "Auto address" pressed: stops a run in progress, otherwise starts one from `startAddress`.
    void press(int startAddress);
    // AutoAddressRunning: from the first row until the run finishes, aborts or is stopped.
    bool running() const;

    // The Timer_auto_address tick.
    void tick();

signals:
    void runStarted();
    void runFinished();
    void newAddressChosen(int address);
    // The row being addressed became the selected row (SelectedId, SelectedAddress, FocusedRow).
    void rowFocused(int row, bool relayCounterSet, const QString& relayCounter);

private:
    void addressRow();
    // Ends the run: AutoAddressRunning cleared, the channel released, runFinished.
    void finish();

    BusContext& m_context;
    MeterConfiguration& m_configuration;
    DirectSelection& m_selection;
    QTimer& m_secondaryTimer;
    QTimer& m_autoAddressTimer;
    std::function<bool()> m_confirm;
};

} // namespace holvex
