#include "app/main_window.h"

#include "app/command_line_widget.h"
#include "app/main_menu.h"
#include "app/search_group_widget.h"
#include "bus/timer_set.h"
#include "lang/caption_view.h"
#include "log/log_pane.h"
#include "log/progress_bar_widget.h"
#include "log/status_bar_widget.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QMenuBar>
#include <QMetaMethod>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace holvex {

namespace {
constexpr int kFullTelegramColumns = 7;

QWidget* makePage(const QString& name, QWidget* parent) {
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    return page;
}
} // namespace

MainWindow::MainWindow(Settings& settings, RunState& run, MessageLanguage& language, QString settingsFilePath,
                       QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_run(run), m_language(language),
      m_settingsFilePath(std::move(settingsFilePath)), m_hooks(&DesktopHooks::defaultHooks()),
      m_captions(mainWindowCaptions()) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("M-bus and wireless configuration and read utility"));
    m_timers = new TimerSet(this);
    buildLayout();
    connectControls();
    runCreationStep();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout() {
    m_menu = new MainMenu(menuBar());

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Central"));
    m_search = new SearchGroupWidget(central);

    m_pages = new QTabWidget(central);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(makePage(QStringLiteral("Tab_mbus"), m_pages), QStringLiteral("   M-bus devices   "));
    m_pages->addTab(makePage(QStringLiteral("Tab_comm"), m_pages),
                    QStringLiteral("   Communication devices   "));
    m_pages->addTab(makePage(QStringLiteral("Tab_lumet"), m_pages),
                    QStringLiteral("   Local display Lumet   "));
    m_pages->addTab(makePage(QStringLiteral("Tab_readings"), m_pages), QStringLiteral("   Get Readings   "));
    m_pages->addTab(makePage(QStringLiteral("Tab_ravik"), m_pages),
                    QStringLiteral("   Wireless receiver Ravik-Q   "));

    m_commandLine = new CommandLineWidget(central);
    m_log = new LogPane(central);
    m_progress = new ProgressBarWidget(central);

    // Controls the code presses or fills but the operator never sees.
    m_hidden = new QWidget(central);
    m_hidden->setObjectName(QStringLiteral("HiddenControls"));
    m_connectLanAdapter = new QPushButton(QStringLiteral("Connect to Xport"), m_hidden);
    m_connectLanAdapter->setObjectName(QStringLiteral("Butt_connect_xport"));
    m_connectServerGateway = new QPushButton(QStringLiteral("Connect to Ferrin"), m_hidden);
    m_connectServerGateway->setObjectName(QStringLiteral("Butt_connect_ferrin"));
    m_fullTelegram = new QTableWidget(1, kFullTelegramColumns, m_hidden);
    m_fullTelegram->setObjectName(QStringLiteral("GridFullTelegram"));
    m_hidden->setVisible(false);

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_search);
    layout->addWidget(m_pages, 3);
    layout->addWidget(m_commandLine);
    layout->addWidget(m_log, 2);
    layout->addWidget(m_progress);
    layout->addWidget(m_hidden);
    setCentralWidget(central);

    m_status = new StatusBarWidget(this);
    setStatusBar(m_status);
    resize(1100, 780);
}

void MainWindow::connectControls() {
    connect(m_menu->open(), &QAction::triggered, this, &MainWindow::Menu_openClick);
    connect(m_menu->save(), &QAction::triggered, this, &MainWindow::Menu_saveClick);
    connect(m_menu->exit(), &QAction::triggered, this, &MainWindow::Menu_exitClick);
    connect(m_menu->users(), &QAction::triggered, this, &MainWindow::usersWindowRequested);
    connect(m_menu->settings(), &QAction::triggered, this, &MainWindow::settingsWindowRequested);
    connect(m_menu->english(), &QAction::triggered, this, &MainWindow::chooseEnglish);
    connect(m_menu->italian(), &QAction::triggered, this, &MainWindow::chooseItalian);
    connect(m_menu->about(), &QAction::triggered, this, &MainWindow::aboutWindowRequested);
    connect(m_menu->manual(), &QAction::triggered, this, &MainWindow::Menu_manualClick);
    connect(m_pages, &QTabWidget::currentChanged, this, &MainWindow::pageControlChange);
    connect(m_search, &SearchGroupWidget::responseTimeoutChanged, this, &MainWindow::Edit_timeoutChange);
    m_log->setLastDirectoryProvider([this] { return m_run.LastDirectory; });
}

void MainWindow::runCreationStep() {
    QDir::setCurrent(ProgramHome::folder());

    const Settings stored = loadSettingsFile(m_settingsFilePath);
    m_search->setSearchRange(stored.SearchFrom, stored.SearchTo);
    m_search->setResponseTimeout(stored.Timeout);

    m_run = RunState{};
    m_run.LastDirectory = stored.Dir.isEmpty() ? ProgramHome::folder() : stored.Dir;
    m_run.LanguageCode = stored.Language;
    m_run.ExtraTitleCount = std::clamp(stored.TitleCount, 0, RunState::kMaxExtraTitles);
    for (int i = 0; i < RunState::kMaxExtraTitles; ++i) {
        const QString title = i < stored.Titles.size() ? stored.Titles.at(i) : QString();
        m_run.ExtraTitles[i] = title.left(RunState::kExtraTitleLength);
    }
    setServerAddresses(stored.Ipma, stored.Ipco, stored.Ipo1);

    // The shared settings carry the window's own keys too, so whoever reads them sees the values in force.
    m_settings.SearchFrom = stored.SearchFrom;
    m_settings.SearchTo = stored.SearchTo;
    m_settings.Timeout = m_search->responseTimeout();
    m_settings.Dir = stored.Dir;
    m_settings.Language = stored.Language;

    m_pages->setCurrentIndex(MbusPage);
    m_timers->setResponseTimeout(m_search->responseTimeout());
    applyLanguageOfCode();
    m_commandLine->setHexMode();
    refreshPortState();
}

QWidget* MainWindow::page(Page which) const {
    return m_pages->widget(which);
}

PageContext MainWindow::pageContext() {
    return PageContext{m_settings, m_run, log(), m_language, m_captions, [this](QWidget* control) {
                           registerDeviceSettingControl(control);
                       }};
}

void MainWindow::installPage(Page which, QWidget* content) {
    QWidget* tab = page(which);
    auto* layout = qobject_cast<QBoxLayout*>(tab->layout());
    if (!layout) {
        layout = new QVBoxLayout(tab);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    content->setParent(tab);
    layout->addWidget(content);
}

LogSink& MainWindow::log() {
    return *m_log;
}

ProgressSink& MainWindow::progress() {
    return *m_progress;
}

StatusSink& MainWindow::status() {
    return *m_status;
}

void MainWindow::setServerAddresses(const QString& ipma, const QString& ipco, const QString& ipo1) {
    m_ipma = ipma;
    m_ipco = ipco;
    m_ipo1 = ipo1;
}

void MainWindow::setDesktopHooks(DesktopHooks* hooks) {
    m_hooks = hooks ? hooks : &DesktopHooks::defaultHooks();
}

void MainWindow::applyAccessGrant(const AccessGrant& grant) {
    m_grant = grant;
    m_menu->users()->setEnabled(grant.usersEntryEnabled);
    m_menu->settings()->setEnabled(grant.settingsEntryEnabled);
    m_pages->setTabVisible(CommunicationPage, grant.communicationAllowed);
    m_pages->setTabVisible(DisplayPage, grant.displayAllowed);
    for (const QPointer<QWidget>& control : m_deviceControls) {
        if (control) {
            control->setVisible(grant.devicesAllowed);
        }
    }
}

void MainWindow::registerDeviceSettingControl(QWidget* control) {
    if (!control) {
        return;
    }
    m_deviceControls.emplace_back(control);
    control->setVisible(m_grant.devicesAllowed);
}

void MainWindow::applyLanguage(TickedLanguage language) {
    if (language == TickedLanguage::Italian) {
        holvex::applyItalian(this, m_captions);
    } else {
        holvex::applyEnglish(this, m_captions);
    }
    emit languageApplied(language);
}

void MainWindow::applyEnglish() {
    applyLanguage(TickedLanguage::English);
}

void MainWindow::applyItalian() {
    applyLanguage(TickedLanguage::Italian);
}

void MainWindow::applyLanguageOfCode() {
    // Any code but 2 shows English; the code itself is kept as stored until a menu entry is chosen.
    const TickedLanguage language = languageForCode(m_run.LanguageCode);
    m_menu->tickLanguage(language == TickedLanguage::Italian);
    m_language.setTicked(language);
    applyLanguage(language);
}

void MainWindow::chooseEnglish() {
    m_menu->tickLanguage(false);
    m_language.setTicked(TickedLanguage::English);
    m_run.LanguageCode = 1;
    applyEnglish();
}

void MainWindow::chooseItalian() {
    m_menu->tickLanguage(true);
    m_language.setTicked(TickedLanguage::Italian);
    applyItalian();
    m_run.LanguageCode = 2;
}

void MainWindow::refreshPortState() {
    if (!m_run.PortOpen) {
        m_status->showPortState(closedPortText(m_settings.PortName));
    }
}

void MainWindow::takeExtraTitles() {
    emit extraTitlesChanged();
}

bool MainWindow::runClosingStep() {
    m_closingDone = true;
    m_settings.SearchFrom = m_search->searchFrom();
    m_settings.SearchTo = m_search->searchTo();
    m_settings.Timeout = m_search->responseTimeout();
    m_settings.Dir = m_run.LastDirectory;
    m_settings.Language = m_run.LanguageCode;
    m_settings.Ipma = m_ipma;
    m_settings.Ipco = m_ipco;
    m_settings.Ipo1 = m_ipo1;
    const bool saved = saveMainWindowKeys(m_settingsFilePath, m_settings);
    if (!saved) {
        m_hooks->warn(this, QStringLiteral("Saving settings"),
                      QStringLiteral("Settings will not be saved, no write permission"));
    }
    m_timers->stopAll();
    emit serialPortCloseRequested();
    return saved;
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        applyLanguage(languageForCode(m_run.LanguageCode));
        emit activated();
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A window that was never shown (no login yet) has nothing to store.
    if (!m_closingDone && isVisible()) {
        runClosingStep();
        event->accept();
        emit closed();
        return;
    }
    event->accept();
}

void MainWindow::Menu_openClick() {
    if (isSignalConnected(QMetaMethod::fromSignal(&MainWindow::fileOpenRequested))) {
        emit fileOpenRequested();
        return;
    }
    m_log->logLine(QStringLiteral("The meter table is not available in this version: nothing to open."));
}

void MainWindow::Menu_saveClick() {
    if (isSignalConnected(QMetaMethod::fromSignal(&MainWindow::fileSaveRequested))) {
        emit fileSaveRequested();
        return;
    }
    m_log->logLine(QStringLiteral("The meter table is not available in this version: nothing to save."));
}

void MainWindow::Menu_exitClick() {
    const bool yes = m_hooks->askYesNo(
        this, m_language.pick(QStringLiteral("Exit Confirmation"), QStringLiteral("Conferma uscita")),
        m_language.pick(QStringLiteral("Are you sure you want to exit?"),
                        QStringLiteral("Sei sicuro di voler uscire?")));
    if (yes) {
        close();
    }
}

void MainWindow::Menu_manualClick() {
    const QString name =
        m_menu->englishTicked() ? QStringLiteral("UsrMan.pdf") : QStringLiteral("UsrManIt.pdf");
    m_hooks->openDocument(ProgramHome::manualPath(name));
}

void MainWindow::pageControlChange(int index) {
    // The meter page talks M-Bus frames; the gateway, display and receiver pages talk text lines.
    if (index == MbusPage) {
        m_commandLine->setHexMode();
    } else if (index == CommunicationPage || index == DisplayPage || index == ReceiverPage) {
        m_commandLine->setAsciiMode();
    }
}

void MainWindow::Edit_timeoutChange(int milliseconds) {
    m_timers->setResponseTimeout(milliseconds);
    m_settings.Timeout = milliseconds;
}

} // namespace holvex
