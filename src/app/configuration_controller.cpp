#include "app/configuration_controller.h"

#include "app/command_line_widget.h"
#include "app/main_window.h"
#include "app/search_group_widget.h"
#include "bus/bus.h"
#include "lang/message_language.h"
#include "meters/ops/auto_addressing.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/meter_operations.h"
#include "meters/ops/secondary_search.h"
#include "meters/page/meters_page.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

namespace holvex {

const QString ConfigurationController::kConfirmQuestion =
    QStringLiteral("This will address automatically ALL devices (primary), OK?");
const QString ConfigurationController::kConfirmTitle = QStringLiteral("Address confirmation");
const QString ConfigurationController::kConfirmTitleIt = QStringLiteral("Conferma addressing");

ConfigurationController::ConfigurationController(MainWindow& window, MetersPage& page, Bus& bus,
                                                 QObject* parent)
    : QObject(parent), m_window(window), m_page(page), m_bus(bus), m_operations(bus.operations()),
      m_group(*page.configurationGroup()) {
    m_operations.configuration().setInputs([this] { return m_group.inputs(); });
    m_operations.autoAddressing().setConfirm([this] { return confirmAutoAddress(); });
    connectGroup();
    connectOperations();
}

void ConfigurationController::connectGroup() {
    connect(&m_group, &ConfigurationGroupWidget::commandRequested, this,
            &ConfigurationController::runCommand);
    connect(&m_group, &ConfigurationGroupWidget::autoAddressRequested, this,
            &ConfigurationController::toggleAutoAddressing);
}

void ConfigurationController::connectOperations() {
    MeterConfiguration& configuration = m_operations.configuration();
    connect(&configuration, &MeterConfiguration::hexModeRequested, this,
            [this] { m_window.commandLine()->setHexMode(); });

    AutoAddressing& addressing = m_operations.autoAddressing();
    connect(&addressing, &AutoAddressing::runStarted, this, &ConfigurationController::onAutoAddressStarted);
    connect(&addressing, &AutoAddressing::runFinished, this, &ConfigurationController::onAutoAddressFinished);
    connect(&addressing, &AutoAddressing::newAddressChosen, &m_group,
            &ConfigurationGroupWidget::setNewPrimaryAddress);
    connect(&addressing, &AutoAddressing::rowFocused, this,
            [this](int row, bool relayCounterSet, const QString& relayCounter) {
                m_page.showCellSelection(CellSelection{row, relayCounterSet, relayCounter});
            });

    // Several marked rows: the row runner keeps the group locked until it has passed the last one.
    connect(&m_operations.rowRunner(), &RowRunner::rowRunStarted, this,
            [this] { setConfigurationEnabled(false); });
    connect(&m_operations.rowRunner(), &RowRunner::rowRunFinished, this,
            [this] { setConfigurationEnabled(true); });
    connect(&m_operations.scan(), &PrimaryScan::scanStarted, this, &ConfigurationController::onBusLocked);
    connect(&m_operations.scan(), &PrimaryScan::scanFinished, this, &ConfigurationController::onBusFreed);
    connect(&m_operations.readAll(), &ReadAllCycle::readAllStarted, this,
            &ConfigurationController::onBusLocked);
    connect(&m_operations.readAll(), &ReadAllCycle::readAllFinished, this,
            &ConfigurationController::onBusFreed);
    connect(&m_bus.secondarySearch(), &SecondarySearch::searchStarted, this,
            &ConfigurationController::onBusLocked);
    connect(&m_bus.secondarySearch(), &SecondarySearch::searchFinished, this,
            &ConfigurationController::onBusFreed);
}

void ConfigurationController::runCommand(ConfigurationCommand command) {
    // The group is locked while anything holds the bus; this keeps a press that slipped through (a menu
    // entry, a queued click) from starting a second exchange on a busy bus.
    m_bus.start([this, command] { return sendCommand(command); });
}

bool ConfigurationController::sendCommand(ConfigurationCommand command) {
    MeterConfiguration& configuration = m_operations.configuration();
    switch (command) {
    case ConfigurationCommand::Reset:
        return configuration.reset();
    case ConfigurationCommand::PrimaryAddress:
        return configuration.setPrimaryAddress();
    case ConfigurationCommand::Id:
        return configuration.changeId();
    case ConfigurationCommand::Medium:
        return configuration.setMedium();
    case ConfigurationCommand::Unit:
        return configuration.setUnit();
    case ConfigurationCommand::Baud:
        return configuration.changeBaud();
    case ConfigurationCommand::PulseWidth:
        return configuration.setPulseWidth();
    case ConfigurationCommand::PulseValue:
        return configuration.setPulseValue();
    case ConfigurationCommand::CounterType:
        return configuration.setCounterType();
    }
    return false;
}

void ConfigurationController::toggleAutoAddressing() {
    AutoAddressing& addressing = m_operations.autoAddressing();
    // A running addressing is stopped by its own button; a new run waits until nothing else holds the bus.
    if (addressing.running()) {
        addressing.press(m_group.autoAddressStart());
        return;
    }
    m_bus.start([this, &addressing] {
        addressing.press(m_group.autoAddressStart());
        return addressing.running();
    });
}

bool ConfigurationController::confirmAutoAddress() {
    const QString title = m_window.messageLanguage().pick(kConfirmTitle, kConfirmTitleIt);
    return m_window.desktopHooks().askYesNoCancel(&m_window, title, kConfirmQuestion) == YesNoCancel::Yes;
}

void ConfigurationController::setConfigurationEnabled(bool enabled) {
    m_group.setConfigurationEnabled(enabled);
    // The menu entries press the group's buttons; they follow the group so the menu shows what can run.
    for (MetersPage::ContextEntry entry : {MetersPage::SetMediumEntry, MetersPage::SetUnitEntry,
                                           MetersPage::SetBaudEntry, MetersPage::SetPulseWidthEntry}) {
        m_page.contextAction(entry)->setEnabled(enabled);
    }
}

void ConfigurationController::setAutoAddressEnabled(bool enabled) {
    m_group.setAutoAddressEnabled(enabled);
}

void ConfigurationController::onBusLocked() {
    setConfigurationEnabled(false);
    setAutoAddressEnabled(false);
}

void ConfigurationController::onBusFreed() {
    setConfigurationEnabled(true);
    setAutoAddressEnabled(true);
}

void ConfigurationController::setAddressingLockedControlsEnabled(bool enabled) {
    SearchGroupWidget* search = m_window.searchGroup();
    search->findPrimaryButton()->setEnabled(enabled);
    search->findIdButton()->setEnabled(enabled);
    search->findAllButton()->setEnabled(enabled);
    m_page.readAllButton()->setEnabled(enabled);
    m_page.readSelectedButton()->setEnabled(enabled);
    for (MetersPage::ContextEntry entry :
         {MetersPage::ReadSelectedEntry, MetersPage::ReadAllEntry, MetersPage::FullReadEntry}) {
        m_page.contextAction(entry)->setEnabled(enabled);
    }
    m_window.commandLine()->sendButton()->setEnabled(enabled);
}

void ConfigurationController::onAutoAddressStarted() {
    setAddressingLockedControlsEnabled(false);
    setConfigurationEnabled(false);
    // Every row is reached through its own ID; a broadcast would address all meters at once.
    m_page.broadcastBox()->setChecked(false);
    m_group.showAutoAddressRunning(true);
}

void ConfigurationController::onAutoAddressFinished() {
    setAddressingLockedControlsEnabled(true);
    setConfigurationEnabled(true);
    m_group.showAutoAddressRunning(false);
}

} // namespace holvex
