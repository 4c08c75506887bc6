#include "app/command_line_widget.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/search_group_widget.h"
#include "bus/timer_set.h"
#include "log/log_pane.h"
#include "log/progress_bar_widget.h"
#include "log/status_bar_widget.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"
#include "test_support.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace holvex {
namespace {

class RecordingHooks : public DesktopHooks {
public:
    bool answer = false;
    QStringList questions;
    QStringList warnings;
    QStringList opened;

    bool askYesNo(QWidget*, const QString& title, const QString& text) override {
        questions << title + QLatin1Char('|') + text;
        return answer;
    }
    void warn(QWidget*, const QString& title, const QString& text) override {
        warnings << title + QLatin1Char('|') + text;
    }
    void openDocument(const QString& path) override { opened << path; }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        m_settingsPath = ProgramHome::settingsFilePath();
    }

    void writeSettings(const QByteArray& ini) { test::writeFile(m_home, QStringLiteral("holvex.ini"), ini); }

    MainWindow& create() {
        m_window = std::make_unique<MainWindow>(m_settings, m_run, m_language, m_settingsPath);
        m_window->setDesktopHooks(&m_hooks);
        return *m_window;
    }

    template <typename T> T* find(const char* name) {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    QString tabCaption(const char* pageName) {
        QWidget* page = find<QWidget>(pageName);
        return page ? m_window->pages()->tabText(m_window->pages()->indexOf(page))
                    : QStringLiteral("<missing>");
    }

    QTemporaryDir m_home;
    QString m_settingsPath;
    Settings m_settings;
    RunState m_run;
    MessageLanguage m_language;
    RecordingHooks m_hooks;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, FirstStartWithoutSettingsFile) {
    MainWindow& window = create();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("M-bus and wireless configuration and read utility"));
    EXPECT_EQ(window.searchGroup()->searchFrom(), 0);
    EXPECT_EQ(window.searchGroup()->searchTo(), 0);
    EXPECT_EQ(window.searchGroup()->responseTimeout(), 500);
    EXPECT_EQ(window.timers()->timer(TimerId::Respond)->interval(), 500);
    EXPECT_EQ(m_run.LanguageCode, 1);
    EXPECT_EQ(m_run.ExtraTitleCount, 0);
    EXPECT_EQ(m_run.LastDirectory, m_home.path());
    EXPECT_EQ(m_run.SelectedAddress, QStringLiteral("256"));
    EXPECT_EQ(m_run.PacketSequence, 1);
    EXPECT_FALSE(m_run.PortOpen);
    EXPECT_TRUE(window.mainMenu()->english()->isChecked());
    EXPECT_FALSE(window.mainMenu()->italian()->isChecked());
    EXPECT_FALSE(m_language.italian());
    EXPECT_EQ(window.pages()->currentIndex(), 0);
    EXPECT_TRUE(window.commandLine()->hexMode());
    EXPECT_FALSE(window.commandLine()->asciiBox()->isChecked());
    EXPECT_EQ(QDir::currentPath(), QDir(m_home.path()).absolutePath());
}

TEST_F(MainWindowTest, FivePagesWithTheirCaptions) {
    MainWindow& window = create();
    ASSERT_EQ(window.pages()->count(), 5);
    EXPECT_EQ(tabCaption("Tab_mbus"), QStringLiteral("   M-bus devices   "));
    EXPECT_EQ(tabCaption("Tab_comm"), QStringLiteral("   Communication devices   "));
    EXPECT_EQ(tabCaption("Tab_lumet"), QStringLiteral("   Local display Lumet   "));
    EXPECT_EQ(tabCaption("Tab_readings"), QStringLiteral("   Get Readings   "));
    EXPECT_EQ(tabCaption("Tab_ravik"), QStringLiteral("   Wireless receiver Ravik-Q   "));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(window.pages()->isTabVisible(i));
        EXPECT_EQ(window.page(static_cast<MainWindow::Page>(i)), window.pages()->widget(i));
    }
}

TEST_F(MainWindowTest, MenuEntriesSearchGroupCommandLineAndLog) {
    create();
    struct Caption {
        const char* name;
        const char* text;
    };
    const Caption actions[] = {
        {"Menu_open", "Open"},       {"Menu_save", "Save"},         {"Menu_exit", "Exit"},
        {"Menu_users", "Users"},     {"Menu_settings", "Settings"}, {"Menu_english", "English"},
        {"Menu_italian", "Italian"}, {"Menu_about", "About"},       {"Menu_manual", "User Manual"}};
    for (const Caption& c : actions) {
        auto* action = find<QAction>(c.name);
        ASSERT_NE(action, nullptr) << c.name;
        EXPECT_EQ(action->text(), QString::fromLatin1(c.text)) << c.name;
    }
    const Caption menus[] = {
        {"Menu_file", "File"}, {"Menu_tools", "Tools"}, {"Menu_language", "Language"}, {"Menu_help", "Help"}};
    for (const Caption& c : menus) {
        auto* menu = find<QMenu>(c.name);
        ASSERT_NE(menu, nullptr) << c.name;
        EXPECT_EQ(menu->title(), QString::fromLatin1(c.text)) << c.name;
    }
    const Caption buttons[] = {{"Butt_find_primary", "Find"},
                               {"Butt_find_id", "Find"},
                               {"Butt_find_all", "Find all"},
                               {"Butt_command_send", "Send"},
                               {"Butt_clear_log", "Clear log"},
                               {"Butt_save_log", "Save log"},
                               {"Butt_print_log", "Print log"},
                               {"Butt_connect_xport", "Connect to Xport"},
                               {"Butt_connect_ferrin", "Connect to Ferrin"},
                               {"Butt_stop_secondary", "Stop secondary search"}};
    for (const Caption& c : buttons) {
        auto* button = find<QPushButton>(c.name);
        ASSERT_NE(button, nullptr) << c.name;
        EXPECT_EQ(button->text(), QString::fromLatin1(c.text)) << c.name;
    }
    EXPECT_EQ(find<QGroupBox>("Group_search")->title(), QStringLiteral("   Search network   "));
    EXPECT_EQ(find<QLabel>("Label_primary")->text(), QStringLiteral("By Primary address: "));
    EXPECT_EQ(find<QLabel>("Label_secondary")->text(), QStringLiteral("By Secondary address: "));
    EXPECT_EQ(find<QLabel>("Label_timeout")->text(), QStringLiteral("Resp. timeout"));
    EXPECT_EQ(find<QLabel>("Label_command")->text(), QStringLiteral("Send custom command"));
    EXPECT_EQ(find<QCheckBox>("Check_ascii")->text(), QStringLiteral("ASCII"));
    EXPECT_EQ(find<QCheckBox>("Check_hex")->text(), QStringLiteral("Hex"));
    EXPECT_EQ(find<QLineEdit>("Edit_command")->maxLength(), 250);
    EXPECT_EQ(find<QLineEdit>("Edit_id")->maxLength(), 8);
    EXPECT_EQ(find<QSpinBox>("Edit_search_from")->maximum(), 255);
    EXPECT_EQ(find<QSpinBox>("Edit_timeout")->minimum(), 300);
    EXPECT_EQ(find<QSpinBox>("Edit_timeout")->maximum(), 30000);
    EXPECT_EQ(find<QSpinBox>("Edit_timeout")->singleStep(), 10);
}

TEST_F(MainWindowTest, ProgressBarStatusBarAndHiddenControls) {
    MainWindow& window = create();
    EXPECT_TRUE(window.progressBar()->isHidden());
    EXPECT_EQ(window.progressBar()->maximum(), 250);
    EXPECT_EQ(window.statusPanels()->panelText(0), QStringLiteral("COM1 is closed"));
    EXPECT_EQ(window.statusPanels()->panel(0)->width(), 150);
    EXPECT_EQ(window.statusPanels()->panel(1)->width(), 400);
    EXPECT_EQ(window.statusPanels()->panel(2)->width(), 50);
    window.show();
    EXPECT_FALSE(window.connectLanAdapterButton()->isVisible());
    EXPECT_FALSE(window.connectServerGatewayButton()->isVisible());
    EXPECT_FALSE(window.fullTelegramGrid()->isVisible());
    EXPECT_EQ(window.fullTelegramGrid()->rowCount(), 1);
    EXPECT_FALSE(find<QPushButton>("Butt_stop_secondary")->isVisible());
    EXPECT_TRUE(window.logPane()->isVisible());
    window.hide();
}

TEST_F(MainWindowTest, StoredKeysAreShownAsStored) {
    writeSettings(
        "[Com port]\nName=ttyUSB0\n[Mbus]\nSearchFrom=7\nSearchTo=3\nTimeout=1200\n"
        "[Misc]\nDir=/srv/meters\nLanguage=1\n[Titles]\nCount=2\nTitle1=Flow\nTitle2=Return temp\n");
    m_settings = loadSettingsFile(m_settingsPath);
    MainWindow& window = create();
    EXPECT_EQ(window.searchGroup()->searchFrom(), 7); // the scan swaps them when it starts
    EXPECT_EQ(window.searchGroup()->searchTo(), 3);
    EXPECT_EQ(window.searchGroup()->responseTimeout(), 1200);
    EXPECT_EQ(window.timers()->timer(TimerId::Acquire)->interval(), 1200);
    EXPECT_EQ(m_run.LastDirectory, QStringLiteral("/srv/meters"));
    EXPECT_EQ(m_run.ExtraTitleCount, 2);
    EXPECT_EQ(m_run.ExtraTitles.at(1), QStringLiteral("Return temp"));
    EXPECT_EQ(window.statusPanels()->panelText(0), QStringLiteral("ttyUSB0 is closed"));
}

TEST_F(MainWindowTest, ItalianFromTheFirstPaintAndBackToEnglish) {
    writeSettings("[Misc]\nLanguage=2\n");
    MainWindow& window = create();
    EXPECT_EQ(m_run.LanguageCode, 2);
    EXPECT_TRUE(window.mainMenu()->italian()->isChecked());
    EXPECT_FALSE(window.mainMenu()->english()->isChecked());
    EXPECT_TRUE(m_language.italian());
    EXPECT_EQ(tabCaption("Tab_comm"), QStringLiteral("   Comunicazione    "));
    EXPECT_EQ(tabCaption("Tab_ravik"), QStringLiteral("   Wireless receiver Ravik-Q   "));
    EXPECT_EQ(find<QMenu>("Menu_tools")->title(), QStringLiteral("Strumenti"));
    EXPECT_EQ(find<QAction>("Menu_manual")->text(), QStringLiteral("Manuale Utente"));
    EXPECT_EQ(find<QAction>("Menu_english")->text(), QStringLiteral("English"));
    EXPECT_EQ(find<QGroupBox>("Group_search")->title(), QStringLiteral("   Scansione Rete   "));
    EXPECT_EQ(find<QPushButton>("Butt_find_id")->text(), QStringLiteral("Trova"));
    EXPECT_EQ(find<QPushButton>("Butt_print_log")->text(), QStringLiteral("Stampa log"));

    window.mainMenu()->english()->trigger();
    EXPECT_EQ(m_run.LanguageCode, 1);
    EXPECT_TRUE(window.mainMenu()->english()->isChecked());
    EXPECT_FALSE(window.mainMenu()->italian()->isChecked());
    EXPECT_FALSE(m_language.italian());
    const CaptionTable table = mainWindowCaptions();
    for (const CaptionRow& row : table.rows()) {
        QObject* object = window.findChild<QObject*>(row.objectName);
        ASSERT_NE(object, nullptr) << row.objectName.toStdString();
        QString shown;
        if (auto* action = qobject_cast<QAction*>(object)) {
            shown = action->text();
        } else if (auto* menu = qobject_cast<QMenu*>(object)) {
            shown = menu->title();
        } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            shown = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(object)) {
            shown = label->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            shown = group->title();
        } else {
            shown = window.pages()->tabText(window.pages()->indexOf(qobject_cast<QWidget*>(object)));
        }
        EXPECT_EQ(shown, row.english) << row.objectName.toStdString();
    }
}

TEST_F(MainWindowTest, LanguageThreeShowsEnglishAndIsKeptUntilChosen) {
    writeSettings("[Misc]\nLanguage=3\n");
    MainWindow& window = create();
    EXPECT_EQ(m_run.LanguageCode, 3);
    EXPECT_TRUE(window.mainMenu()->english()->isChecked());
    EXPECT_EQ(find<QMenu>("Menu_tools")->title(), QStringLiteral("Tools"));
    window.applyEnglish(); // as an activation does
    EXPECT_EQ(m_run.LanguageCode, 3);
    ASSERT_TRUE(window.runClosingStep());
    EXPECT_EQ(loadSettingsFile(m_settingsPath).Language, 3);
    window.mainMenu()->italian()->trigger();
    EXPECT_EQ(m_run.LanguageCode, 2);
    EXPECT_TRUE(m_language.italian());
}

TEST_F(MainWindowTest, ShowingPagesSwitchesTheCommandMode) {
    MainWindow& window = create();
    struct PageCase {
        MainWindow::Page page;
        bool hex;
    };
    const PageCase cases[] = {{MainWindow::CommunicationPage, false},
                              {MainWindow::MbusPage, true},
                              {MainWindow::DisplayPage, false},
                              {MainWindow::MbusPage, true},
                              {MainWindow::ReceiverPage, false}};
    for (const PageCase& c : cases) {
        window.pages()->setCurrentIndex(c.page);
        EXPECT_EQ(window.commandLine()->hexBox()->isChecked(), c.hex) << c.page;
        EXPECT_EQ(window.commandLine()->asciiBox()->isChecked(), !c.hex) << c.page;
    }
    // The readings page leaves the mode as it was.
    window.pages()->setCurrentIndex(MainWindow::ReadingsPage);
    EXPECT_FALSE(window.commandLine()->hexMode());
}

TEST_F(MainWindowTest, ModeBoxesStayExclusive) {
    MainWindow& window = create();
    QCheckBox* ascii = window.commandLine()->asciiBox();
    QCheckBox* hex = window.commandLine()->hexBox();
    ascii->click();
    EXPECT_TRUE(ascii->isChecked());
    EXPECT_FALSE(hex->isChecked());
    ascii->click(); // unticking one ticks the other
    EXPECT_FALSE(ascii->isChecked());
    EXPECT_TRUE(hex->isChecked());
    hex->click();
    EXPECT_TRUE(ascii->isChecked());
}

TEST_F(MainWindowTest, ResponseTimeoutTypedOrSpunReachesRunningTimers) {
    MainWindow& window = create();
    QTimer* respond = window.timers()->timer(TimerId::Respond);
    respond->start();
    QSpinBox* timeout = window.searchGroup()->timeoutField();
    timeout->stepUp();
    EXPECT_EQ(respond->interval(), 510);
    EXPECT_TRUE(respond->isActive());
    timeout->selectAll();
    QTest::keyClicks(timeout, QStringLiteral("2x5a00"));
    EXPECT_EQ(timeout->value(), 2500);
    EXPECT_EQ(respond->interval(), 2500);
    EXPECT_EQ(window.timers()->timer(TimerId::Ravik)->interval(), 2500);
    EXPECT_EQ(window.timers()->timer(TimerId::AutoAddress)->interval(), 1000);
    EXPECT_TRUE(respond->isActive());
    respond->stop();
}

TEST_F(MainWindowTest, KeyFiltersOfTheSearchFields) {
    MainWindow& window = create();
    QLineEdit* id = window.searchGroup()->secondaryField();
    QTest::keyClicks(id, QStringLiteral("12fF-3a4FFFFF"));
    EXPECT_EQ(id->text(), QStringLiteral("12F34FFF"));
    QSpinBox* from = window.searchGroup()->fromField();
    from->selectAll();
    QTest::keyClicks(from, QStringLiteral("1a2.5"));
    EXPECT_EQ(from->value(), 125);
}

TEST_F(MainWindowTest, GatingBySetupLevelAndRights) {
    MainWindow& window = create();
    auto* deviceControl = new QLabel(QStringLiteral("ID:"), window.page(MainWindow::MbusPage));
    window.registerDeviceSettingControl(deviceControl);
    AccessGrant setup;
    setup.level = QStringLiteral("Setup");
    setup.usersEntryEnabled = false;
    setup.settingsEntryEnabled = true;
    setup.devicesAllowed = false;
    setup.communicationAllowed = false;
    setup.displayAllowed = true;
    window.applyAccessGrant(setup);
    EXPECT_FALSE(window.mainMenu()->users()->isEnabled());
    EXPECT_TRUE(window.mainMenu()->settings()->isEnabled());
    EXPECT_FALSE(window.pages()->isTabVisible(MainWindow::CommunicationPage));
    EXPECT_TRUE(window.pages()->isTabVisible(MainWindow::DisplayPage));
    EXPECT_TRUE(deviceControl->isHidden());

    AccessGrant admin;
    admin.level = QStringLiteral("Administrator");
    admin.usersEntryEnabled = true;
    admin.settingsEntryEnabled = true;
    admin.devicesAllowed = true;
    admin.communicationAllowed = true;
    admin.displayAllowed = false;
    window.applyAccessGrant(admin);
    EXPECT_TRUE(window.mainMenu()->users()->isEnabled());
    EXPECT_TRUE(window.pages()->isTabVisible(MainWindow::CommunicationPage));
    EXPECT_FALSE(window.pages()->isTabVisible(MainWindow::DisplayPage));
    EXPECT_FALSE(deviceControl->isHidden());
    // A control registered after the login follows the right in force.
    auto* later = new QLabel(QStringLiteral("Addr.:"), window.page(MainWindow::MbusPage));
    window.registerDeviceSettingControl(later);
    EXPECT_FALSE(later->isHidden());
}

TEST_F(MainWindowTest, ToolsAndHelpEntries) {
    MainWindow& window = create();
    int users = 0;
    int settings = 0;
    int about = 0;
    QObject::connect(&window, &MainWindow::usersWindowRequested, [&] { ++users; });
    QObject::connect(&window, &MainWindow::settingsWindowRequested, [&] { ++settings; });
    QObject::connect(&window, &MainWindow::aboutWindowRequested, [&] { ++about; });
    window.mainMenu()->users()->trigger();
    window.mainMenu()->settings()->trigger();
    window.mainMenu()->about()->trigger();
    EXPECT_EQ(users, 1);
    EXPECT_EQ(settings, 1);
    EXPECT_EQ(about, 1);

    window.mainMenu()->manual()->trigger();
    window.chooseItalian();
    window.mainMenu()->manual()->trigger();
    ASSERT_EQ(m_hooks.opened.size(), 2);
    EXPECT_EQ(m_hooks.opened.at(0), QDir(m_home.path()).filePath(QStringLiteral("UsrMan.pdf")));
    EXPECT_EQ(m_hooks.opened.at(1), QDir(m_home.path()).filePath(QStringLiteral("UsrManIt.pdf")));
}

TEST_F(MainWindowTest, FileEntriesWithoutTheMeterTableSaySo) {
    MainWindow& window = create();
    window.mainMenu()->open()->trigger();
    window.mainMenu()->save()->trigger();
    ASSERT_EQ(window.logPane()->lineCount(), 2);
    EXPECT_TRUE(window.logPane()->lines().at(0).contains(QStringLiteral("not available")));
    int opened = 0;
    QObject::connect(&window, &MainWindow::fileOpenRequested, [&] { ++opened; });
    window.mainMenu()->open()->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(window.logPane()->lineCount(), 2);
}

TEST_F(MainWindowTest, ExitAsksInTheTickedLanguage) {
    MainWindow& window = create();
    window.show();
    m_hooks.answer = false;
    window.mainMenu()->exit()->trigger();
    EXPECT_TRUE(window.isVisible());
    window.chooseItalian();
    int closed = 0;
    QObject::connect(&window, &MainWindow::closed, [&] { ++closed; });
    m_hooks.answer = true;
    window.mainMenu()->exit()->trigger();
    EXPECT_EQ(m_hooks.questions,
              (QStringList{QStringLiteral("Exit Confirmation|Are you sure you want to exit?"),
                           QStringLiteral("Conferma uscita|Sei sicuro di voler uscire?")}));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(m_hooks.warnings.isEmpty());
}

TEST_F(MainWindowTest, ClosingWritesTheWindowKeys) {
    writeSettings("[Com port]\nName=ttyS3\n[Custom]\nKeep=me\n");
    MainWindow& window = create();
    int portCloses = 0;
    QObject::connect(&window, &MainWindow::serialPortCloseRequested, [&] { ++portCloses; });
    window.searchGroup()->setSearchRange(4, 9);
    window.searchGroup()->setResponseTimeout(800);
    window.chooseItalian();
    m_run.LastDirectory = QStringLiteral("/data/exports");
    window.timers()->timer(TimerId::Set)->start();
    EXPECT_TRUE(window.runClosingStep());
    EXPECT_EQ(portCloses, 1);
    EXPECT_FALSE(window.timers()->timer(TimerId::Set)->isActive());
    const Settings stored = loadSettingsFile(m_settingsPath);
    EXPECT_EQ(stored.SearchFrom, 4);
    EXPECT_EQ(stored.SearchTo, 9);
    EXPECT_EQ(stored.Timeout, 800);
    EXPECT_EQ(stored.Language, 2);
    EXPECT_EQ(stored.Dir, QStringLiteral("/data/exports"));
    EXPECT_EQ(stored.Ipma, window.manufacturerServer());
    EXPECT_TRUE(test::readFile(m_settingsPath).contains("Keep=me"));
    EXPECT_TRUE(m_hooks.warnings.isEmpty());
}

TEST_F(MainWindowTest, ClosingWithoutWritePermissionWarnsAndStillEnds) {
    // A plain file where the settings file's folder should be: not writable for anybody, root included.
    const QString blocker = test::writeFile(m_home, QStringLiteral("blocker"), "x");
    m_settingsPath = blocker + QStringLiteral("/holvex.ini");
    MainWindow& window = create();
    int portCloses = 0;
    QObject::connect(&window, &MainWindow::serialPortCloseRequested, [&] { ++portCloses; });
    EXPECT_FALSE(window.runClosingStep());
    EXPECT_EQ(m_hooks.warnings,
              QStringList{QStringLiteral("Saving settings|Settings will not be saved, no write permission")});
    EXPECT_EQ(portCloses, 1);
}

} // namespace
} // namespace holvex
