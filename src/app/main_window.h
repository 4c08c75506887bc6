#pragma once

#include "accounts/access_grant.h"
#include "bus/run_state.h"
#include "lang/caption_table.h"
#include "lang/message_language.h"
#include "settings/settings.h"
#include "ui/page_context.h"

#include <QMainWindow>
#include <QPointer>

#include <vector>

class QPushButton;
class QTabWidget;
class QTableWidget;

namespace holvex {

class CommandLineWidget;
class DesktopHooks;
class LogPane;
class LogSink;
class MainMenu;
class ProgressBarWidget;
class ProgressSink;
class SearchGroupWidget;
class StatusBarWidget;
class StatusSink;
class TimerSet;

// The main window: search group, five pages, command line, event log, progress bar and status bar, with the
// menu, the timers and the run state's interface fields. It is created once at start (reading its keys from
// the settings file and applying the language) and shown after a login.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Page { MbusPage = 0, CommunicationPage, DisplayPage, ReadingsPage, ReceiverPage, PageCount };

    MainWindow(Settings& settings, RunState& run, MessageLanguage& language, QString settingsFilePath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    SearchGroupWidget* searchGroup() const { return m_search; }
    QTabWidget* pages() const { return m_pages; }
    QWidget* page(Page which) const;
    CommandLineWidget* commandLine() const { return m_commandLine; }
    LogPane* logPane() const { return m_log; }
    ProgressBarWidget* progressBar() const { return m_progress; }
    StatusBarWidget* statusPanels() const { return m_status; }
    TimerSet* timers() const { return m_timers; }
    MainMenu* mainMenu() const { return m_menu; }
    QPushButton* connectLanAdapterButton() const { return m_connectLanAdapter; }
    QPushButton* connectServerGatewayButton() const { return m_connectServerGateway; }
    QTableWidget* fullTelegramGrid() const { return m_fullTelegram; }

    LogSink& log();
    ProgressSink& progress();
    StatusSink& status();
    RunState& runState() { return m_run; }
    Settings& settings() { return m_settings; }
    const MessageLanguage& messageLanguage() const { return m_language; }
    // Pages add the rows of their own controls; every language switch applies the whole table.
    CaptionTable& captions() { return m_captions; }
    // What each page shares with the window.
    PageContext pageContext();
    // Puts a page's content into its tab page, which takes ownership.
    void installPage(Page which, QWidget* content);

    // The three server addresses of the communication page ("IPMA", "IPCO", "IPO1").
    QString manufacturerServer() const { return m_ipma; }
    QString controlServer() const { return m_ipco; }
    QString operatorServer() const { return m_ipo1; }
    void setServerAddresses(const QString& ipma, const QString& ipco, const QString& ipo1);

    void setDesktopHooks(DesktopHooks* hooks);
    DesktopHooks& desktopHooks() const { return *m_hooks; }

    // What the logged-in user may use: "Tools" entries, the communication and display pages, and every
    // control registered as a device setting control.
    void applyAccessGrant(const AccessGrant& grant);
    void registerDeviceSettingControl(QWidget* control);

    // The language menu's entries and the table of `LanguageCode`.
    void applyEnglish();
    void applyItalian();
    void applyLanguageOfCode();
    void chooseEnglish();
    void chooseItalian();

    // The first status panel shows the configured port as closed while no port is open.
    void refreshPortState();
    // The settings dialog changed the extra titles of the meter table.
    void takeExtraTitles();

    // Closing: writes the window's keys (warning when the file cannot be written), stops the timers and asks
    // for the serial port to be closed. Returns false when the keys could not be written.
    bool runClosingStep();

signals:
    void usersWindowRequested();
    void settingsWindowRequested();
    void aboutWindowRequested();
    void fileOpenRequested();
    void fileSaveRequested();
    // After each activation's language step; the channel steps of an activation hang here.
    void activated();
    void languageApplied(holvex::TickedLanguage language);
    void extraTitlesChanged();
    void serialPortCloseRequested();
    // The window closed and its closing step ran; the program ends.
    void closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void connectControls();
    void runCreationStep();
    void applyLanguage(TickedLanguage language);

    void Menu_openClick();
    void Menu_saveClick();
    void Menu_exitClick();
    void Menu_manualClick();
    void pageControlChange(int index);
    void Edit_timeoutChange(int milliseconds);

    Settings& m_settings;
    RunState& m_run;
    MessageLanguage& m_language;
    QString m_settingsFilePath;
    DesktopHooks* m_hooks = nullptr;
    CaptionTable m_captions;
    AccessGrant m_grant;
    std::vector<QPointer<QWidget>> m_deviceControls;
    QString m_ipma;
    QString m_ipco;
    QString m_ipo1;
    bool m_closingDone = false;

    MainMenu* m_menu = nullptr;
    SearchGroupWidget* m_search = nullptr;
    QTabWidget* m_pages = nullptr;
    CommandLineWidget* m_commandLine = nullptr;
    LogPane* m_log = nullptr;
    ProgressBarWidget* m_progress = nullptr;
    StatusBarWidget* m_status = nullptr;
    TimerSet* m_timers = nullptr;
    QWidget* m_hidden = nullptr;
    QPushButton* m_connectLanAdapter = nullptr;
    QPushButton* m_connectServerGateway = nullptr;
    QTableWidget* m_fullTelegram = nullptr;
};

} // namespace holvex
