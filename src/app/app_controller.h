#pragma once

#include "accounts/access_grant.h"
#include "bus/run_state.h"
#include "lang/message_language.h"
#include "settings/settings.h"

#include <QObject>

#include <memory>

namespace holvex {

class AboutDialog;
class BusController;
class LoginWindow;
class MainWindow;
class MetersPage;
class ReportWindow;
class SettingsDialog;
class UsersWindow;

namespace display {
class DisplayPage;
}

// Owns the shared settings, run state and message language, and the six windows, created once in this order:
// login, main window, settings, users, about, telegram report. The login window comes first and is the
// principal window: closing it ends the program; a successful login shows the main window.
class AppController : public QObject {
    Q_OBJECT
public:
    AppController(QString settingsFilePath, QString accountFilePath, QObject* parent = nullptr);
    ~AppController() override;

    // Shows the login window.
    void start();

    LoginWindow* loginWindow() const { return m_login.get(); }
    MainWindow* mainWindow() const { return m_main.get(); }
    SettingsDialog* settingsDialog() const { return m_settingsDialog.get(); }
    UsersWindow* usersWindow() const { return m_users.get(); }
    AboutDialog* aboutDialog() const { return m_about.get(); }
    ReportWindow* reportWindow() const { return m_report.get(); }
    // Page 1 of the main window; the main window owns it.
    MetersPage* metersPage() const { return m_metersPage; }
    // Page 3 (the display unit); the main window owns it.
    display::DisplayPage* displayPage() const { return m_displayPage; }
    // The channel and the meter operations behind the main window.
    BusController* bus() const { return m_bus.get(); }

private:
    void onLoginSucceeded(const holvex::AccessGrant& grant);
    void onMainWindowClosed();
    static void showWindow(QWidget* window);
    // The passwords in the account file are only masked: say so in the log when others can read it.
    void warnWhenAccountFileIsShared(const QString& accountFilePath);

    Settings m_settings;
    RunState m_run;
    MessageLanguage m_language;

    std::unique_ptr<LoginWindow> m_login;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<SettingsDialog> m_settingsDialog;
    std::unique_ptr<UsersWindow> m_users;
    std::unique_ptr<AboutDialog> m_about;
    std::unique_ptr<ReportWindow> m_report;
    MetersPage* m_metersPage = nullptr;
    display::DisplayPage* m_displayPage = nullptr;
    std::unique_ptr<BusController> m_bus;
};

} // namespace holvex
