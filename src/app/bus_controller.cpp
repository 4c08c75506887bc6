#include "app/bus_controller.h"

#include "app/command_line_widget.h"
#include "app/configuration_controller.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "app/search_group_widget.h"
#include "bus/bus.h"
#include "bus/clock_text.h"
#include "bus/timer_set.h"
#include "devices/display/display_operations.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "links/road_links.h"
#include "log/log_sink.h"
#include "log/status_sink.h"
#include "meters/page/meters_page.h"
#include "meters/table/meter_table.h"
#include "settings/communication_page.h"
#include "settings/settings_dialog.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTime>
#include <QTimer>

namespace holvex {

namespace {
const QString kFindPrimaryButton = QStringLiteral("Butt_find_primary");
}

BusController::BusController(Settings& settings, RunState& run, const MessageLanguage& language,
                             MainWindow& window, MetersPage& page, SettingsDialog& settingsDialog,
                             ReportWindow& report, QObject* parent)
    : QObject(parent), m_settings(settings), m_run(run), m_language(language), m_window(window), m_page(page),
      m_report(report) {
    m_bus = std::make_unique<Bus>(BusParts{m_settings, m_run, m_window.log(), m_window.progress(), m_language,
                                           m_page.meterTable(), m_window.timers()});
    const auto askClear = [this](const QString& text, const QString& title) {
        return askClearTable(text, title);
    };
    operations().scan().setClearQuestion(askClear);
    secondarySearch().setClearQuestion(askClear);

    connectSearchGroup();
    connectPage();
    connectCommandLine();
    connectChannel(settingsDialog);
    connectOperations();
    // The configuration group and "Auto address" follow the operations through their own controller.
    m_configuration = std::make_unique<ConfigurationController>(m_window, m_page, *m_bus);
    m_report.attach(m_settings, m_run);
}

BusController::~BusController() = default;

void BusController::connectSearchGroup() {
    SearchGroupWidget* search = m_window.searchGroup();
    connect(search->findPrimaryButton(), &QPushButton::clicked, this, &BusController::findByPrimaryAddress);
    connect(search->findIdButton(), &QPushButton::clicked, this, &BusController::findBySecondaryAddress);
    connect(search->findAllButton(), &QPushButton::clicked, this, &BusController::findAll);
    connect(search->stopSecondaryButton(), &QPushButton::clicked, &secondarySearch(),
            &SecondarySearch::requestStop);
}

void BusController::connectPage() {
    connect(&m_page, &MetersPage::readSelectedRequested, this, &BusController::onReadSelected);
    connect(&m_page, &MetersPage::fullReadRequested, this, &BusController::onFullRead);
    connect(&m_page, &MetersPage::readAllRequested, this, &BusController::onReadAll);

    ReadCycle& readCycle = operations().readCycle();
    readCycle.setUseSndNke(m_page.useSndNke());
    readCycle.setBroadcast(m_page.broadcast());
    connect(m_page.sndNkeBox(), &QCheckBox::toggled, &readCycle, &ReadCycle::setUseSndNke);
    connect(m_page.broadcastBox(), &QCheckBox::toggled, &readCycle, &ReadCycle::setBroadcast);
}

void BusController::connectCommandLine() {
    CommandLineWidget* line = m_window.commandLine();
    FreeCommandConsole& console = operations().console();
    // The boxes are the one truth about the mode; page switches flip them with signals blocked.
    console.setAsciiSource([line] { return !line->hexMode(); });
    connect(line, &CommandLineWidget::sendRequested, this, [this, line] {
        m_bus->start([this, line] { return operations().console().send(line->command(), line->hexMode()); });
    });
}

void BusController::connectChannel(SettingsDialog& settingsDialog) {
    links::RoadLinks& links = roads();
    connect(&links, &links::RoadLinks::statusTextChanged, this,
            [this](const QString& text) { m_window.status().showPortState(text); });
    connect(&links, &links::RoadLinks::peerAccepted, this, &BusController::onPeerAccepted);
    connect(&links, &links::RoadLinks::automaticActionRequested, this, &BusController::onAutomaticAction);
    connect(&m_window, &MainWindow::activated, this, [this] { m_bus->channel().prepare(); });
    connect(&m_window, &MainWindow::serialPortCloseRequested, &links, &links::RoadLinks::closeSerialPort);
    connect(&settingsDialog, &SettingsDialog::serverSocketCloseRequested, &links,
            &links::RoadLinks::settingsApplied);
    // The settings window follows the port: its serial fields and its port button.
    connect(&links, &links::RoadLinks::serialFieldsEnabled, &settingsDialog,
            &SettingsDialog::setSerialFieldsEnabled);
    connect(&links, &links::RoadLinks::portCaptionChanged, &settingsDialog, &SettingsDialog::setPortCaption);
    connect(settingsDialog.communicationPage()->portButton(), &QPushButton::clicked, &links,
            &links::RoadLinks::toggleSerialPort);
    connect(m_window.connectLanAdapterButton(), &QPushButton::clicked, &links.lanAdapter(),
            &links::LanAdapterLink::connectAdapter);
    connect(m_window.connectServerGatewayButton(), &QPushButton::clicked, &links.serverGateway(),
            &links::ServerGatewayLink::connectGateway);
}

void BusController::connectOperations() {
    MeterOperations& ops = operations();
    connect(&ops.scan(), &PrimaryScan::scanStarted, this, &BusController::onScanStarted);
    connect(&ops.scan(), &PrimaryScan::scanFinished, this, &BusController::onScanFinished);
    connect(&ops.scan(), &PrimaryScan::rangeSwapped, this,
            [this](int from, int to) { m_window.searchGroup()->setSearchRange(from, to); });
    connect(&ops.readAll(), &ReadAllCycle::readAllStarted, this, &BusController::onReadAllStarted);
    connect(&ops.readAll(), &ReadAllCycle::readAllFinished, this, &BusController::onReadAllFinished);
    connect(&ops.rowRunner(), &RowRunner::rowRunStarted, this, &BusController::onRowRunStarted);
    connect(&ops.rowRunner(), &RowRunner::rowRunFinished, this, &BusController::onRowRunFinished);
    connect(&ops.decoder(), &DecodeApplication::rowFocused, this, &BusController::onRowFocused);
    connect(&ops.decoder(), &DecodeApplication::reportOutput, this, &BusController::onReportOutput);
    connect(&secondarySearch(), &SecondarySearch::searchStarted, this,
            &BusController::onSecondarySearchStarted);
    connect(&secondarySearch(), &SecondarySearch::searchFinished, this,
            &BusController::onSecondarySearchFinished);
}

bool BusController::busBusy() const {
    return m_bus->busy();
}

void BusController::findByPrimaryAddress() {
    // The button stays enabled while its own scan runs (it is the "Stop" button then); the other operations
    // that hold the bus disable the whole search group.
    PrimaryScan& scan = operations().scan();
    const SearchGroupWidget* search = m_window.searchGroup();
    if (scan.running()) {
        scan.toggle(search->fromField()->cleanText(), search->toField()->cleanText());
        return;
    }
    m_bus->start([&scan, search] {
        scan.toggle(search->fromField()->cleanText(), search->toField()->cleanText());
        return scan.running();
    });
}

ClearAnswer BusController::askClearTable(const QString& text, const QString& title) {
    switch (m_window.desktopHooks().askYesNoCancel(&m_window, title, text)) {
    case YesNoCancel::Yes:
        return ClearAnswer::Yes;
    case YesNoCancel::No:
        return ClearAnswer::No;
    case YesNoCancel::Cancel:
        break;
    }
    return ClearAnswer::Cancel;
}

void BusController::setReadEntriesEnabled(bool readSelected, bool readAll) {
    m_page.contextAction(MetersPage::ReadSelectedEntry)->setEnabled(readSelected);
    m_page.contextAction(MetersPage::FullReadEntry)->setEnabled(readSelected);
    m_page.contextAction(MetersPage::ReadAllEntry)->setEnabled(readAll);
}

void BusController::setScanLockedControlsEnabled(bool enabled) {
    m_page.readAllButton()->setEnabled(enabled);
    m_page.readSelectedButton()->setEnabled(enabled);
    setReadEntriesEnabled(enabled, enabled);
    m_window.searchGroup()->findIdButton()->setEnabled(enabled);
    m_window.searchGroup()->findAllButton()->setEnabled(enabled);
    m_window.commandLine()->sendButton()->setEnabled(enabled);
}

void BusController::onScanStarted(const QString& caption) {
    // While the scan runs, activations and language switches leave its "Stop" caption alone.
    m_window.captions().setRunning(kFindPrimaryButton, true, m_language.ticked());
    m_window.searchGroup()->findPrimaryButton()->setText(caption);
    setScanLockedControlsEnabled(false);
}

void BusController::onScanFinished(const QString& caption) {
    m_window.captions().setRunning(kFindPrimaryButton, false, m_language.ticked());
    m_window.searchGroup()->findPrimaryButton()->setText(caption);
    setScanLockedControlsEnabled(true);
}

void BusController::onReadAllStarted() {
    m_window.searchGroup()->setEnabled(false);
    m_window.commandLine()->sendButton()->setEnabled(false);
    m_page.readSelectedButton()->setEnabled(false);
    setReadEntriesEnabled(false, false);
}

void BusController::onReadAllFinished(const QString& caption) {
    m_window.searchGroup()->setEnabled(true);
    m_window.commandLine()->sendButton()->setEnabled(true);
    m_page.readSelectedButton()->setEnabled(true);
    m_page.readAllButton()->setText(caption);
    setReadEntriesEnabled(true, true);
}

void BusController::onRowRunStarted() {
    m_window.searchGroup()->setEnabled(false);
    setReadEntriesEnabled(false, false);
}

void BusController::onRowRunFinished(const QString& readAllCaption) {
    m_window.searchGroup()->setEnabled(true);
    m_page.readAllButton()->setText(readAllCaption);
    setReadEntriesEnabled(true, true);
}

void BusController::onRowFocused(int row, bool relayCounterSet, const QString& relayCounter) {
    m_page.showCellSelection(CellSelection{row, relayCounterSet, relayCounter});
}

void BusController::onReportOutput(const QStringList& lines, const QVector<QStringList>& gridRows,
                                   bool show) {
    m_report.appendReport(lines, gridRows, show, &m_window);
}

void BusController::onPeerAccepted() {
    // A gateway called in: the operator should notice even with the window in the background.
    m_window.raise();
    m_window.activateWindow();
    QApplication::beep();
}

void BusController::onAutomaticAction(links::AutomaticAction kind) {
    switch (kind) {
    case links::AutomaticAction::PrimaryScan:
        m_bus->start([this] {
            const SearchGroupWidget* search = m_window.searchGroup();
            return operations().scan().start(search->fromField()->cleanText(),
                                             search->toField()->cleanText());
        });
        return;
    case links::AutomaticAction::DisplayReadout:
        // The read waits for the gateway's answers with the window running; it starts once the socket
        // handler that took the first packet has returned, so the answers' own reads are taken in.
        QTimer::singleShot(
            0, this, [this] { m_bus->start([this] { return m_bus->display().readout().readData(); }); });
        return;
    case links::AutomaticAction::SecondarySearch:
        findAll();
        return;
    }
}

void BusController::onReadSelected() {
    // The menu entries reach here too; an operation holding the bus keeps them out.
    m_bus->start([this] { return operations().readSelected().run(); });
}

void BusController::onFullRead() {
    if (!m_bus->start([this] { return operations().readSelected().runFull(); })) {
        // The page already asked for the report; a refused read must not leave that request behind.
        m_run.FullReadRequested = false;
    }
}

void BusController::onReadAll() {
    m_bus->start([this] { return operations().readAll().start(); });
}

void BusController::findBySecondaryAddress() {
    m_bus->start([this] {
        return secondarySearch().find(m_window.searchGroup()->secondaryAddress()) !=
               SecondarySearch::FindOutcome::NotStarted;
    });
}

void BusController::findAll() {
    if (busBusy()) {
        return;
    }
    m_window.searchGroup()->secondaryField()->setText(SecondarySearch::allMetersId());
    findBySecondaryAddress();
}

void BusController::setSearchLockedControlsEnabled(bool enabled) {
    SearchGroupWidget* search = m_window.searchGroup();
    search->findPrimaryButton()->setEnabled(enabled);
    search->findIdButton()->setEnabled(enabled);
    search->findAllButton()->setEnabled(enabled);
    search->secondaryField()->setEnabled(enabled);
    m_page.readAllButton()->setEnabled(enabled);
    m_page.readSelectedButton()->setEnabled(enabled);
    setReadEntriesEnabled(enabled, enabled);
    m_page.loadButton()->setEnabled(enabled);
    m_page.saveButton()->setEnabled(enabled);
    m_page.contextAction(MetersPage::SaveExportEntry)->setEnabled(enabled);
    m_page.broadcastBox()->setEnabled(enabled);
    m_window.commandLine()->sendButton()->setEnabled(enabled);
}

void BusController::onSecondarySearchStarted() {
    setSearchLockedControlsEnabled(false);
    m_window.searchGroup()->stopSecondaryButton()->setVisible(true);
}

void BusController::onSecondarySearchFinished() {
    setSearchLockedControlsEnabled(true);
    m_window.searchGroup()->stopSecondaryButton()->setVisible(false);
}

} // namespace holvex
