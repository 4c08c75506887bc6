#pragma once

#include "meters/page/configuration_group_widget.h"

#include <QObject>

namespace holvex {

class Bus;
class MainWindow;
class MeterOperations;
class MetersPage;

// Puts the configuration group and "Auto address" of page 1 in front of the configuration commands and the
// automatic addressing: each "Set" runs its command, "Auto address" asks first and then runs (or stops) the
// addressing. The operations that hold the bus lock the group while they run; this class maps their busy and
// idle signals onto the group, "Auto address" and, for an addressing run, the controls it names.
class ConfigurationController : public QObject {
    Q_OBJECT
public:
    static const QString kConfirmQuestion; // "This will address automatically ALL devices (primary), OK?"
    static const QString kConfirmTitle;    // "Address confirmation"
    static const QString kConfirmTitleIt;  // "Conferma addressing"

    // The bus's secondary search locks the group and "Auto address" while it runs as well.
    ConfigurationController(MainWindow& window, MetersPage& page, Bus& bus, QObject* parent = nullptr);

    // The configuration group with its four context-menu entries; "Auto address" (and its start address).
    // Other busy locks (the secondary search) call these as well.
    void setConfigurationEnabled(bool enabled);
    void setAutoAddressEnabled(bool enabled);

    // A "Set" button or its context-menu entry.
    void runCommand(ConfigurationCommand command);
    // "Auto address" / "Stop addr".
    void toggleAutoAddressing();

private:
    void connectGroup();
    void connectOperations();
    bool confirmAutoAddress();
    bool sendCommand(ConfigurationCommand command);

    // The scan, "Read all meters" and the secondary search lock the group and "Auto address" while they run.
    void onBusLocked();
    void onBusFreed();
    void onAutoAddressStarted();
    void onAutoAddressFinished();
    // The controls an addressing run locks besides the group: the primary "Find", "Read all meters",
    // "Read selected" (with their menu entries), the secondary "Find", "Find all" and the command "Send".
    void setAddressingLockedControlsEnabled(bool enabled);

    MainWindow& m_window;
    MetersPage& m_page;
    Bus& m_bus;
    MeterOperations& m_operations;
    ConfigurationGroupWidget& m_group;
};

} // namespace holvex
