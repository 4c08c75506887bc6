#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "accounts/users_window.h"
#include "app/about_dialog.h"
#include "app/app_controller.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "log/log_pane.h"
#include "log/status_bar_widget.h"
#include "settings/program_home.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"

#include <QAction>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace holvex {
namespace {

class AppControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        QDir().mkpath(ProgramHome::accountFolder());
        ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));
    }

    QTemporaryDir m_home;
};

TEST_F(AppControllerTest, CreatesTheSixWindowsAndShowsOnlyTheLogin) {
    AppController controller(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
    ASSERT_NE(controller.loginWindow(), nullptr);
    ASSERT_NE(controller.mainWindow(), nullptr);
    ASSERT_NE(controller.settingsDialog(), nullptr);
    ASSERT_NE(controller.usersWindow(), nullptr);
    ASSERT_NE(controller.aboutDialog(), nullptr);
    ASSERT_NE(controller.reportWindow(), nullptr);
    EXPECT_EQ(controller.reportWindow()->windowTitle(), QStringLiteral("Detailed m-bus report"));
    controller.start();
    EXPECT_TRUE(controller.loginWindow()->isVisible());
    EXPECT_FALSE(controller.mainWindow()->isVisible());
    EXPECT_FALSE(controller.settingsDialog()->isVisible());
    EXPECT_FALSE(controller.usersWindow()->isVisible());
    EXPECT_FALSE(controller.aboutDialog()->isVisible());
    EXPECT_FALSE(controller.reportWindow()->isVisible());
}

TEST_F(AppControllerTest, WarnsInTheLogOnlyWhenOthersCanReadTheAccountFile) {
    const auto warnings = [] {
        AppController controller(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
        return controller.mainWindow()->logPane()->lines().filter(QStringLiteral("chmod 600")).size();
    };
    EXPECT_EQ(warnings(), 0);
    ASSERT_TRUE(QFile::setPermissions(ProgramHome::accountFilePath(), QFileDevice::ReadOwner |
                                                                          QFileDevice::WriteOwner |
                                                                          QFileDevice::ReadOther));
    EXPECT_EQ(warnings(), 1);
}

TEST_F(AppControllerTest, LoginShowsTheMainWindowWithTheGrantAndClosingEndsIt) {
    AppController controller(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
    controller.start();
    AccessGrant operatorGrant;
    operatorGrant.level = QStringLiteral("Operator");
    operatorGrant.communicationAllowed = false;
    operatorGrant.displayAllowed = true;
    emit controller.loginWindow()->loginSucceeded(operatorGrant);
    MainWindow* main = controller.mainWindow();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(controller.loginWindow()->isVisible());
    EXPECT_FALSE(main->mainMenu()->users()->isEnabled());
    EXPECT_FALSE(main->mainMenu()->settings()->isEnabled());
    EXPECT_FALSE(main->pages()->isTabVisible(MainWindow::CommunicationPage));

    main->mainMenu()->about()->trigger();
    EXPECT_TRUE(controller.aboutDialog()->isVisible());
    EXPECT_FALSE(controller.aboutDialog()->isModal());

    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(controller.loginWindow()->isVisible());
    EXPECT_TRUE(QFile::exists(ProgramHome::settingsFilePath())); // the closing step wrote the window's keys
}

TEST_F(AppControllerTest, ToolsEntriesShowTheirWindows) {
    AppController controller(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
    controller.start();
    AccessGrant admin;
    admin.level = QStringLiteral("Administrator");
    admin.usersEntryEnabled = true;
    admin.settingsEntryEnabled = true;
    emit controller.loginWindow()->loginSucceeded(admin);
    controller.mainWindow()->mainMenu()->settings()->trigger();
    EXPECT_TRUE(controller.settingsDialog()->isVisible());
    controller.settingsDialog()->hide();
    controller.mainWindow()->mainMenu()->users()->trigger();
    EXPECT_TRUE(controller.usersWindow()->isVisible());
    controller.usersWindow()->hide();
}

TEST_F(AppControllerTest, TheFirstStatusPanelNamesTheStoredPortFromTheStart) {
    Settings stored;
    stored.PortName = QStringLiteral("ttyUSB3");
    ASSERT_TRUE(saveAllSettings(ProgramHome::settingsFilePath(), stored));
    AppController controller(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
    EXPECT_EQ(controller.mainWindow()->statusPanels()->panelText(0), QStringLiteral("ttyUSB3 is closed"));
}

} // namespace
} // namespace holvex
