#include "app/app_controller.h"

#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "accounts/users_window.h"
#include "app/about_dialog.h"
#include "app/bus_controller.h"
#include "app/main_window.h"
#include "app/page_installer.h"
#include "app/report_window.h"
#include "log/log_sink.h"
#include "meters/page/meters_page.h"
#include "settings/settings_dialog.h"

#include <QCoreApplication>

namespace holvex {

AppController::AppController(QString settingsFilePath, QString accountFilePath, QObject* parent)
    : QObject(parent) {
    m_login = std::make_unique<LoginWindow>(accountFilePath, m_language);
    m_main = std::make_unique<MainWindow>(m_settings, m_run, m_language, settingsFilePath);
    m_metersPage = installMetersPage(*m_main);
    m_settingsDialog = std::make_unique<SettingsDialog>(m_settings, m_run, m_language);
    // The port settings are loaded with the settings window, after the main window's first status text.
    m_main->refreshPortState();
    m_users = std::make_unique<UsersWindow>(accountFilePath, m_language);
    warnWhenAccountFileIsShared(accountFilePath);
    m_about = std::make_unique<AboutDialog>();
    m_report = std::make_unique<ReportWindow>();
    m_bus = std::make_unique<BusController>(m_settings, m_run, m_language, *m_main, *m_metersPage,
                                            *m_settingsDialog, *m_report);
    installGatewayPage(*m_main, m_bus->bus());
    // Page 3 stands on the bus's display tables and operations.
    m_displayPage = installDisplayPage(*m_main, m_bus->bus());
    // Page 5 stands on the bus's receiver table and operations.
    installReceiverPage(*m_main, m_bus->bus(), *m_report);

    connect(m_login.get(), &LoginWindow::loginSucceeded, this, &AppController::onLoginSucceeded);
    connect(m_login.get(), &LoginWindow::quitRequested, this, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(m_main.get(), &MainWindow::closed, this, &AppController::onMainWindowClosed);
    connect(m_main.get(), &MainWindow::usersWindowRequested, this, [this] { showWindow(m_users.get()); });
    connect(m_main.get(), &MainWindow::settingsWindowRequested, this,
            [this] { showWindow(m_settingsDialog.get()); });
    connect(m_main.get(), &MainWindow::aboutWindowRequested, this, [this] { showWindow(m_about.get()); });
    connect(m_settingsDialog.get(), &SettingsDialog::communicationApplied, m_main.get(),
            &MainWindow::refreshPortState);
    connect(m_settingsDialog.get(), &SettingsDialog::titlesApplied, m_main.get(),
            &MainWindow::takeExtraTitles);
}

AppController::~AppController() {
    // The operations hold the window's timers and the page's table: they go first.
    m_bus.reset();
}

void AppController::warnWhenAccountFileIsShared(const QString& accountFilePath) {
    if (!accountFileReadableByOthers(accountFilePath)) {
        return;
    }
    m_main->log().logLine(m_language.pick(
        QStringLiteral("Warning: the account file %1 can be read by other users; make it private with "
                       "\"chmod 600\".")
            .arg(accountFilePath),
        QStringLiteral("Attenzione: il file degli utenti %1 è leggibile da altri utenti; rendilo privato con "
                       "\"chmod 600\".")
            .arg(accountFilePath)));
}

void AppController::start() {
    showWindow(m_login.get());
}

void AppController::onLoginSucceeded(const AccessGrant& grant) {
    m_main->applyAccessGrant(grant);
    showWindow(m_main.get());
    m_login->hide();
}

void AppController::onMainWindowClosed() {
    // Closing the login window ends the program; the other windows go with it.
    m_login->close();
    QCoreApplication::quit();
}

void AppController::showWindow(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace holvex
