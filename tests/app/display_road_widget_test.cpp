// Page 3 in the whole window against a simulated installation behind the LAN adapter: the display table
// filled from a scan, a write of three properties that can be stopped and started again, the controls the
// write locks, the bus held while it runs, and the running caption through language switches.
#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "app/app_controller.h"
#include "app/bus_controller.h"
#include "app/main_window.h"
#include "app/search_group_widget.h"
#include "bus/bus.h"
#include "bus/timer_set.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_commands_widget.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_options_widget.h"
#include "devices/display/display_page.h"
#include "devices/display/display_table_view.h"
#include "fixed_answer_hooks.h"
#include "log/log_pane.h"
#include "meters/table/string_grid_model.h"
#include "settings/program_home.h"
#include "sim/display_unit.h"
#include "sim/sim_thread.h"

#include <QApplication>
#include <QSpinBox>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace holvex {
namespace {

using display::DisplayOption;

// Meters at 1, 3 and 5 and the display unit, whose entries for them are not active yet.
constexpr const char* kInstallation = R"({
  "turnaroundMs": 5,
  "display": {"entries": [{"address": 1, "active": false}, {"address": 3, "active": false},
                          {"address": 5, "active": false}]},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 123.456}]},
    {"address": 3, "id": "67112403", "manufacturer": "KAM", "medium": "heat",
     "records": [{"type": "energy", "value": 4567}]},
    {"address": 5, "id": "50912205", "manufacturer": "ELS", "medium": "gas",
     "records": [{"type": "volume", "value": 9.5}]}
  ]
})";

class DisplayRoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        QDir().mkpath(ProgramHome::accountFolder());
        ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));
        QString error;
        ASSERT_TRUE(m_sim.start(QByteArray(kInstallation), &error)) << error.toStdString();
        const std::optional<quint16> port = m_sim.addLan(0);
        ASSERT_TRUE(port.has_value());

        m_controller =
            std::make_unique<AppController>(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
        m_main = m_controller->mainWindow();
        m_main->setDesktopHooks(&m_hooks);
        Settings& settings = m_main->settings();
        settings.UseLanXp = true;
        settings.RemoteIp = QStringLiteral("127.0.0.1");
        settings.RemotePort = QString::number(*port);
        settings.EthTimeout = 20;
        settings.Retry = 0;
        m_main->searchGroup()->setResponseTimeout(300);
        m_main->searchGroup()->setSearchRange(1, 5);
        m_controller->start();
        AccessGrant admin;
        admin.level = QStringLiteral("Administrator");
        admin.displayAllowed = true;
        emit m_controller->loginWindow()->loginSucceeded(admin);
        m_main->pages()->setCurrentIndex(MainWindow::DisplayPage);
    }

    void TearDown() override {
        m_controller.reset();
        m_sim.stop();
    }

    display::DisplayPage& page() { return *m_controller->displayPage(); }
    Bus& bus() { return m_controller->bus()->bus(); }
    display::DisplayTableWriter& writer() { return bus().display().writer(); }
    StringGridModel& table() { return bus().display().tables().display(); }
    QPushButton* writeButton() { return page().writeButton(); }

    void scanOnce() {
        QSignalSpy finished(&bus().operations().scan(), &PrimaryScan::scanFinished);
        QTest::mouseClick(m_main->searchGroup()->findPrimaryButton(), Qt::LeftButton);
        ASSERT_TRUE(finished.wait(15000));
    }

    void tickOption(DisplayOption option) {
        QTest::mouseClick(page().optionsWidget()->box(option), Qt::LeftButton);
    }

    QStringList unitLinesFor(int address) {
        const std::optional<sim::DisplayUnit> unit = m_sim.display();
        const sim::DisplayEntry& entry = unit->entry(address);
        return {entry.active ? QStringLiteral("active") : QStringLiteral("inactive"),
                QString::number(entry.unitCode), QString::fromLatin1(entry.userNumber)};
    }

    QTemporaryDir m_home;
    sim::SimThread m_sim;
    test::FixedAnswerHooks m_hooks{YesNoCancel::Yes};
    std::unique_ptr<AppController> m_controller;
    MainWindow* m_main = nullptr;
};

TEST_F(DisplayRoadTest, AScannedTableIsWrittenStoppedAndWrittenAgain) {
    scanOnce();
    QTest::mouseClick(page().getDataButton(), Qt::LeftButton);
    ASSERT_EQ(table().dataRowCount(), 3);
    EXPECT_EQ(table().cell(3, display::kDisplayIdColumn), QStringLiteral("50912205"));
    EXPECT_EQ(table().cell(3, display::kDisplayUserNumberColumn), QStringLiteral("3"));
    QTest::mouseClick(page().selectAllButton(), Qt::LeftButton);

    // A read-out control of another part of the page, locked by the write as well.
    QPushButton readData(QStringLiteral("Read data "));
    page().readArea()->addWidget(&readData);
    page().addWriteLockedControl(&readData);

    for (const DisplayOption option :
         {DisplayOption::Activate, DisplayOption::Units, DisplayOption::UserNumber}) {
        tickOption(option);
    }
    EXPECT_EQ(writer().options().tickedCount(), 3);

    QTest::mouseClick(writeButton(), Qt::LeftButton);
    ASSERT_TRUE(writer().running());
    EXPECT_EQ(writeButton()->text(), QStringLiteral("Stop writing table in display"));
    display::DisplayCommandsWidget* commands = page().commandsWidget();
    for (QPushButton* button : {commands->dateButton(), commands->timeButton(), commands->refreshButton(),
                                commands->sortTableButton(), commands->sortButton(), &readData}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }

    // The window goes on painting and answering while the write runs, and nothing else can use the bus.
    QElapsedTimer clock;
    clock.start();
    bool timerRan = false;
    QTimer::singleShot(50, m_main, [&timerRan] { timerRan = true; });
    QTRY_VERIFY_WITH_TIMEOUT(timerRan, 1000);
    EXPECT_LT(clock.elapsed(), 1000);
    QTest::mouseClick(m_main->searchGroup()->findPrimaryButton(), Qt::LeftButton);
    EXPECT_FALSE(bus().operations().scan().running());
    EXPECT_TRUE(bus().busy());

    // Activations and language switches leave the running caption alone.
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(m_main, &activation);
    m_main->chooseItalian();
    EXPECT_EQ(writeButton()->text(), QStringLiteral("Stop writing table in display"));
    EXPECT_EQ(commands->dateButton()->text(), QStringLiteral("Data"));

    // Stop during the first pass: the boxes still show what is left to write.
    QTRY_VERIFY_WITH_TIMEOUT(m_sim.display()->entry(1).active, 5000);
    QTest::mouseClick(writeButton(), Qt::LeftButton);
    EXPECT_FALSE(writer().running());
    EXPECT_EQ(writeButton()->text(), QStringLiteral("Invia tabella al Display"));
    EXPECT_TRUE(commands->sortButton()->isEnabled());
    EXPECT_TRUE(readData.isEnabled());
    EXPECT_TRUE(page().optionsWidget()->box(DisplayOption::Units)->isChecked());
    EXPECT_TRUE(page().optionsWidget()->box(DisplayOption::UserNumber)->isChecked());
    EXPECT_FALSE(bus().busy());

    // Started again, the write runs to its end and clears every box.
    QSignalSpy finished(&writer(), &display::DisplayTableWriter::writeFinished);
    QTest::mouseClick(writeButton(), Qt::LeftButton);
    ASSERT_TRUE(writer().running());
    ASSERT_TRUE(finished.wait(20000));
    for (const DisplayOption option : display::displayOptionsInOrder()) {
        EXPECT_FALSE(page().optionsWidget()->box(option)->isChecked());
    }
    EXPECT_EQ(writeButton()->text(), QStringLiteral("Invia tabella al Display"));
    m_main->chooseEnglish();
    EXPECT_EQ(writeButton()->text(), QStringLiteral("Write table to the display"));

    EXPECT_EQ(unitLinesFor(1), (QStringList{"active", "2", "1"}));
    EXPECT_EQ(unitLinesFor(3), (QStringList{"active", "1", "2"}));
    EXPECT_EQ(unitLinesFor(5), (QStringList{"active", "2", "3"}));
    const QStringList log = m_main->logPane()->lines();
    EXPECT_TRUE(log.contains(QStringLiteral("Setting user number of device 5...")));
    EXPECT_TRUE(log.contains(QStringLiteral("Entry 5: user number 3")));
}

TEST_F(DisplayRoadTest, OneShotButtonsShowTheUnitsAnswer) {
    display::DisplayCommandsWidget* commands = page().commandsWidget();
    commands->refreshBox()->setValue(9);
    QTest::mouseClick(commands->refreshButton(), Qt::LeftButton);
    QTimer* answer = m_main->timers()->timer(TimerId::FreeCommand);
    EXPECT_TRUE(answer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!answer->isActive(), 5000);
    const QStringList log = m_main->logPane()->lines();
    EXPECT_TRUE(log.contains(QStringLiteral("Setting refresh time of Lumet-R7/Pavo...")));
    EXPECT_TRUE(log.contains(QStringLiteral("Refresh time 9 s")));
    EXPECT_EQ(m_sim.display()->state().refreshSeconds, 9);

    QTest::mouseClick(commands->sortTableButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!answer->isActive(), 5000);
    EXPECT_TRUE(commands->sortByUserNumber());
    EXPECT_TRUE(m_sim.display()->sortTableBuilt());
}

} // namespace
} // namespace holvex
