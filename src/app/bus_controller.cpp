#include "app/bus_controller.h"

#include "app/command_line_widget.h"
#include "app/configuration_controller.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "app/search_group_widget.h"
#include "bus/clock_text.h"
#include "bus/timer_set.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/status_sink.h"
#include "meters/page/meters_page.h"
#include "meters/table/meter_table.h"
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

namespace holvex {

namespace {
BusTimers windowTimers(const MainWindow& window) {
    const TimerSet& timers = *window.timers();
    return BusTimers{*timers.timer(TimerId::Respond),     *timers.timer(TimerId::ReadAll),
                     *timers.timer(TimerId::Secondary),   *timers.timer(TimerId::Set),
                     *timers.timer(TimerId::FreeCommand), *timers.timer(TimerId::AutoAddress)};
}
} // namespace

BusController::BusController(Settings& settings, RunState& run, const MessageLanguage& language,
                             MainWindow& window, MetersPage& page, SettingsDialog& settingsDialog,
                             ReportWindow& report, QObject* parent)
    : QObject(parent), m_settings(settings), m_run(run), m_language(language), m_window(window), m_page(page),
      m_report(report) {
    m_channel = new links::Channel(m_settings, m_run, m_window.log(), m_language, this);
    m_channel->setIdleTimer(m_window.timers()->timer(TimerId::CloseSocket));
    m_channel->setKeepAliveTimer(m_window.timers()->timer(TimerId::KeepAlive));

    m_context.reset(new BusContext{m_settings,
                                   m_run,
                                   m_window.log(),
                                   m_language,
                                   *m_channel,
                                   m_page.meterTable(),
                                   m_window.progress(),
                                   &systemDecimalSeparator,
                                   &readingTime,
                                   &readingDate,
                                   {},
                                   ReadInputs{}});
    m_operations = std::make_unique<MeterOperations>(*m_context, windowTimers(m_window));
    m_operations->scan().setClearQuestion(
        [this](const QString& text, const QString& title) { return askClearTable(text, title); });
    m_secondarySearch = std::make_unique<SecondarySearch>(*m_context, m_operations->decoder(),
                                                          *m_window.timers()->timer(TimerId::Respond),
                                                          *m_window.timers()->timer(TimerId::Secondary));
    m_secondarySearch->setClearQuestion(
        [this](const QString& text, const QString& title) { return askClearTable(text, title); });
    m_secondarySearch->setDirectRead(
        [this](const QString& id) { m_operations->directSelection().beginDirectRead(id); });

    connectSearchGroup();
    connectPage();
    connectCommandLine();
    connectChannel(settingsDialog);
    connectOperations();
    // The configuration group and "Auto address" follow the operations through their own controller.
    m_configuration =
        std::make_unique<ConfigurationController>(m_window, m_page, *m_operations, m_secondarySearch.get());
    m_report.attach(m_settings, m_run);
}

BusController::~BusController() = default;

void BusController::connectSearchGroup() {
    SearchGroupWidget* search = m_window.searchGroup();
    connect(search->findPrimaryButton(), &QPushButton::clicked, this, &BusController::findByPrimaryAddress);
    connect(search->findIdButton(), &QPushButton::clicked, this, &BusController::findBySecondaryAddress);
    connect(search->findAllButton(), &QPushButton::clicked, this, &BusController::findAll);
    connect(search->stopSecondaryButton(), &QPushButton::clicked, m_secondarySearch.get(),
            &SecondarySearch::requestStop);
}

void BusController::connectPage() {
    connect(&m_page, &MetersPage::readSelectedRequested, this, &BusController::onReadSelected);
    connect(&m_page, &MetersPage::fullReadRequested, this, &BusController::onFullRead);
    connect(&m_page, &MetersPage::readAllRequested, this, &BusController::onReadAll);

    ReadCycle& readCycle = m_operations->readCycle();
    readCycle.setUseSndNke(m_page.useSndNke());
    readCycle.setBroadcast(m_page.broadcast());
    connect(m_page.sndNkeBox(), &QCheckBox::toggled, &readCycle, &ReadCycle::setUseSndNke);
    connect(m_page.broadcastBox(), &QCheckBox::toggled, &readCycle, &ReadCycle::setBroadcast);
}

void BusController::connectCommandLine() {
    CommandLineWidget* line = m_window.commandLine();
    FreeCommandConsole& console = m_operations->console();
    console.setAsciiTicked(!line->hexMode());
    connect(line->asciiBox(), &QCheckBox::toggled, &console, &FreeCommandConsole::setAsciiTicked);
    connect(line, &CommandLineWidget::sendRequested, this,
            [this, line] { m_operations->console().send(line->command(), line->hexMode()); });
}

void BusController::connectChannel(SettingsDialog& settingsDialog) {
    connect(m_channel, &links::Channel::statusTextChanged, this,
            [this](const QString& text) { m_window.status().showPortState(text); });
    connect(m_channel, &links::Channel::peerAccepted, this, &BusController::onPeerAccepted);
    connect(m_channel, &links::Channel::automaticActionRequested, this, &BusController::onAutomaticAction);
    connect(&m_window, &MainWindow::activated, m_channel, &links::Channel::onMainWindowActivated);
    connect(&m_window, &MainWindow::serialPortCloseRequested, m_channel, &links::Channel::closeSerialPort);
    connect(&settingsDialog, &SettingsDialog::serverSocketCloseRequested, m_channel,
            &links::Channel::onSettingsApplied);
    connect(m_window.connectXPortButton(), &QPushButton::clicked, m_channel, &links::Channel::connectXPort);
    connect(m_window.connectFerrinButton(), &QPushButton::clicked, m_channel,
            &links::Channel::connectGateway);
}

void BusController::connectOperations() {
    MeterOperations& ops = *m_operations;
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
    connect(m_secondarySearch.get(), &SecondarySearch::searchStarted, this,
            &BusController::onSecondarySearchStarted);
    connect(m_secondarySearch.get(), &SecondarySearch::searchFinished, this,
            &BusController::onSecondarySearchFinished);
}

bool BusController::busBusy() const {
    return m_operations->busy() || m_secondarySearch->running();
}

void BusController::findByPrimaryAddress() {
    // The button stays enabled while its own scan runs (it is the "Stop" button then); the other operations
    // that hold the bus disable the whole search group.
    if (!m_operations->scan().running() && busBusy()) {
        return;
    }
    const SearchGroupWidget* search = m_window.searchGroup();
    m_operations->scan().toggle(search->fromField()->cleanText(), search->toField()->cleanText());
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
    m_window.searchGroup()->findPrimaryButton()->setText(caption);
    setScanLockedControlsEnabled(false);
}

void BusController::onScanFinished(const QString& caption) {
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
        if (!busBusy()) {
            const SearchGroupWidget* search = m_window.searchGroup();
            m_operations->scan().start(search->fromField()->cleanText(), search->toField()->cleanText());
        }
        return;
    case links::AutomaticAction::DisplayReadout:
        m_window.log().logLine(m_language.pick(
            QStringLiteral(
                "Automatic display read-out requested by the gateway: not available in this version."),
            QStringLiteral("Lettura automatica del display richiesta dal gateway: non disponibile in questa "
                           "versione.")));
        return;
    case links::AutomaticAction::SecondarySearch:
        if (!busBusy()) {
            findAll();
        }
        return;
    }
}

void BusController::onReadSelected() {
    // The menu entries reach here too; an operation holding the bus keeps them out.
    if (busBusy()) {
        return;
    }
    m_operations->readSelected().run();
}

void BusController::onFullRead() {
    if (busBusy()) {
        // The page already asked for the report; a refused read must not leave that request behind.
        m_run.FullReadRequested = false;
        return;
    }
    m_operations->readSelected().runFull();
}

void BusController::onReadAll() {
    if (busBusy()) {
        return;
    }
    m_operations->readAll().start();
}

void BusController::findBySecondaryAddress() {
    if (busBusy()) {
        return;
    }
    m_secondarySearch->find(m_window.searchGroup()->secondaryAddress());
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
