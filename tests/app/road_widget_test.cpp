// The whole road through the window: the search group, page 1 and the command line drive the real channel
// (LAN adapter client) against a simulated installation running on its own thread.
#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "app/app_controller.h"
#include "app/bus_controller.h"
#include "app/command_line_widget.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "app/search_group_widget.h"
#include "bus/bus.h"
#include "bus/timer_set.h"
#include "links/channel.h"
#include "links/road_links.h"
#include "log/log_pane.h"
#include "meters/page/meter_table_view.h"
#include "meters/page/meters_page.h"
#include "meters/table/string_grid_model.h"
#include "settings/communication_page.h"
#include "settings/program_home.h"
#include "settings/settings_dialog.h"
#include "sim/sim_installation.h"
#include "sim/sim_meter.h"
#include "sim/sim_thread.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace holvex {
namespace {

// Meters at 1, 3 and 5; 2 and 4 stay silent.
constexpr const char* kInstallation = R"({
  "turnaroundMs": 5,
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 123.456}]},
    {"address": 3, "id": "67112403", "manufacturer": "KAM", "medium": "heat",
     "records": [{"type": "energy", "value": 4567}]},
    {"address": 5, "id": "50912205", "manufacturer": "ELS", "medium": "gas",
     "records": [{"type": "volume", "value": 9.5}]}
  ]
})";

constexpr int kScanBound = 15000; // ms; a scan of five addresses takes about two seconds here

class AnsweringHooks : public DesktopHooks {
public:
    YesNoCancel askYesNoCancel(QWidget*, const QString& title, const QString& text) override {
        ++questions;
        lastTitle = title;
        lastText = text;
        return answer;
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void warn(QWidget*, const QString&, const QString&) override {}
    void openDocument(const QString&) override {}

    YesNoCancel answer = YesNoCancel::No;
    int questions = 0;
    QString lastTitle;
    QString lastText;
};

class RoadTest : public ::testing::Test {
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
        emit m_controller->loginWindow()->loginSucceeded(admin);
    }

    void TearDown() override {
        m_controller.reset();
        m_sim.stop();
    }

    MetersPage& page() { return *m_controller->metersPage(); }
    StringGridModel& table() { return page().meterTable(); }
    QPushButton* findButton() { return m_main->searchGroup()->findPrimaryButton(); }
    BusController& bus() { return *m_controller->bus(); }

    bool logHas(const QString& text) {
        const QStringList lines = m_main->logPane()->lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    // Clicks "Find" and waits for the scan to end.
    void scanOnce() {
        QSignalSpy finished(&bus().operations().scan(), &PrimaryScan::scanFinished);
        QTest::mouseClick(findButton(), Qt::LeftButton);
        ASSERT_TRUE(finished.wait(kScanBound));
    }

    int framesSeenBy(int address) {
        int seen = -1;
        m_sim.with([&](sim::SimInstallation& bus) { seen = bus.meterByAddress(address)->framesSeen(); });
        return seen;
    }

    QTemporaryDir m_home;
    sim::SimThread m_sim;
    AnsweringHooks m_hooks;
    std::unique_ptr<AppController> m_controller;
    MainWindow* m_main = nullptr;
};

TEST_F(RoadTest, FindScansTheRangeAndFilesEveryMeterThatAnswers) {
    QSignalSpy started(&bus().operations().scan(), &PrimaryScan::scanStarted);
    QSignalSpy finished(&bus().operations().scan(), &PrimaryScan::scanFinished);
    QTest::mouseClick(findButton(), Qt::LeftButton);

    EXPECT_EQ(m_hooks.questions, 1);
    EXPECT_EQ(m_hooks.lastText, QStringLiteral("Do you want to clear the table?"));
    EXPECT_EQ(m_hooks.lastTitle, QStringLiteral("Clear confirmation"));
    ASSERT_EQ(started.count(), 1);
    // The busy lock while the scan runs.
    EXPECT_EQ(findButton()->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(page().readAllButton()->isEnabled());
    EXPECT_FALSE(page().readSelectedButton()->isEnabled());
    EXPECT_FALSE(page().contextAction(MetersPage::ReadAllEntry)->isEnabled());
    EXPECT_FALSE(m_main->searchGroup()->findAllButton()->isEnabled());
    EXPECT_FALSE(m_main->searchGroup()->findIdButton()->isEnabled());
    EXPECT_FALSE(m_main->commandLine()->sendButton()->isEnabled());
    EXPECT_TRUE(findButton()->isEnabled());

    ASSERT_TRUE(finished.wait(kScanBound));
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
    EXPECT_TRUE(page().readAllButton()->isEnabled());
    EXPECT_TRUE(page().readSelectedButton()->isEnabled());
    EXPECT_TRUE(m_main->commandLine()->sendButton()->isEnabled());

    // Three meters and the empty row a scan leaves at the end.
    ASSERT_EQ(table().gridRowCount(), 5);
    const QStringList expectedIds = {QStringLiteral("21034501"), QStringLiteral("67112403"),
                                     QStringLiteral("50912205")};
    const QStringList expectedAddresses = {QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5")};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table().cell(i + 1, 0), expectedIds.at(i)) << i;
        EXPECT_EQ(table().cell(i + 1, 1), expectedAddresses.at(i)) << i;
    }
    EXPECT_TRUE(table().cell(4, 0).isEmpty());
    EXPECT_TRUE(logHas(QStringLiteral("Reading device 5")));
}

TEST_F(RoadTest, StopEndsTheScanAndReleasesTheLock) {
    QSignalSpy finished(&bus().operations().scan(), &PrimaryScan::scanFinished);
    QTest::mouseClick(findButton(), Qt::LeftButton);
    ASSERT_EQ(findButton()->text(), QStringLiteral("Stop"));
    QTest::mouseClick(findButton(), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
    EXPECT_TRUE(page().readAllButton()->isEnabled());
    EXPECT_FALSE(bus().operations().busy());
}

TEST_F(RoadTest, CancelToTheClearQuestionStartsNothing) {
    m_hooks.answer = YesNoCancel::Cancel;
    QTest::mouseClick(findButton(), Qt::LeftButton);
    EXPECT_EQ(m_hooks.questions, 1);
    EXPECT_FALSE(bus().operations().scan().running());
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
}

TEST_F(RoadTest, AReversedRangeIsSwappedInTheSpinBoxes) {
    m_main->searchGroup()->setSearchRange(5, 3);
    scanOnce();
    EXPECT_EQ(m_main->searchGroup()->searchFrom(), 3);
    EXPECT_EQ(m_main->searchGroup()->searchTo(), 5);
    ASSERT_EQ(table().gridRowCount(), 4);
    EXPECT_EQ(table().cell(1, 1), QStringLiteral("3"));
    EXPECT_EQ(table().cell(2, 1), QStringLiteral("5"));
}

TEST_F(RoadTest, ReadSelectedReadsTheMarkedMeterIntoItsOwnRow) {
    scanOnce();
    ASSERT_EQ(table().gridRowCount(), 5);
    page().tableView()->setCurrentGridRow(2); // the meter at address 3
    table().clearMarks();
    table().setMarked(2, true);
    ASSERT_EQ(m_main->runState().SelectedAddress, QStringLiteral("3"));

    const int before = framesSeenBy(3);
    QTimer* respond = m_main->timers()->timer(TimerId::Respond);
    QTest::mouseClick(page().readSelectedButton(), Qt::LeftButton);
    EXPECT_TRUE(respond->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!respond->isActive(), 5000);
    EXPECT_EQ(framesSeenBy(3), before + 1);
    EXPECT_EQ(table().gridRowCount(), 5); // read into the meter's row, no new row
    EXPECT_EQ(table().cell(2, 0), QStringLiteral("67112403"));
    EXPECT_FALSE(logHas(QStringLiteral("No response from address")));
    EXPECT_EQ(page().addressLabel()->text(), QStringLiteral("Addr.:3"));
}

TEST_F(RoadTest, TheCommandLineSendsHexAndLogsTheHexAnswer) {
    CommandLineWidget* line = m_main->commandLine();
    ASSERT_TRUE(line->hexMode());
    line->commandField()->setText(QStringLiteral("10 7B 01 7C 16"));
    QTest::mouseClick(line->sendButton(), Qt::LeftButton);
    // The meter at address 1 answers with a long frame: 68 L L 68 ...
    QTRY_VERIFY_WITH_TIMEOUT(logHas(QStringLiteral("68 ")), 5000);
    const QStringList lines = m_main->logPane()->lines();
    const auto answer = std::find_if(lines.begin(), lines.end(),
                                     [](const QString& l) { return l.startsWith(QStringLiteral("68 ")); });
    ASSERT_NE(answer, lines.end());
    EXPECT_TRUE(answer->endsWith(QStringLiteral("16 "))) << answer->toStdString();
}

TEST_F(RoadTest, FindAllSearchesTheBusBySecondaryAddressWithTheControlsLocked) {
    m_main->settings().Timeout = 60; // below the spin box's minimum, to keep the search short
    SearchGroupWidget* search = m_main->searchGroup();
    QSignalSpy finished(&bus().secondarySearch(), &SecondarySearch::searchFinished);
    QTest::mouseClick(search->findAllButton(), Qt::LeftButton);
    EXPECT_EQ(search->secondaryAddress(), QStringLiteral("FFFFFFFF"));
    ASSERT_TRUE(bus().secondarySearch().running());
    EXPECT_FALSE(search->stopSecondaryButton()->isHidden());
    EXPECT_FALSE(findButton()->isEnabled());
    EXPECT_FALSE(search->findIdButton()->isEnabled());
    EXPECT_FALSE(search->secondaryField()->isEnabled());
    EXPECT_FALSE(page().readAllButton()->isEnabled());
    EXPECT_FALSE(page().loadButton()->isEnabled());
    EXPECT_FALSE(page().broadcastBox()->isEnabled());
    EXPECT_FALSE(m_main->commandLine()->sendButton()->isEnabled());
    // The menu cannot start a read on the bus the search holds.
    emit page().readAllRequested();
    EXPECT_FALSE(bus().operations().busy());
    ASSERT_TRUE(finished.wait(kScanBound));
    EXPECT_TRUE(logHas(QStringLiteral("Checking 9FFFFFFF...")));
    EXPECT_TRUE(logHas(QStringLiteral("Secondary search thread terminated normally.")));
    QStringList ids;
    for (int row = 1; row < table().gridRowCount(); ++row) {
        if (!table().cell(row, 0).isEmpty()) {
            ids.append(table().cell(row, 0));
        }
    }
    EXPECT_EQ(ids, (QStringList{"21034501", "50912205", "67112403"}));
    EXPECT_TRUE(search->stopSecondaryButton()->isHidden());
    EXPECT_TRUE(findButton()->isEnabled());
    EXPECT_TRUE(search->secondaryField()->isEnabled());
    EXPECT_TRUE(page().readAllButton()->isEnabled());
    EXPECT_TRUE(m_main->commandLine()->sendButton()->isEnabled());
}

TEST_F(RoadTest, AnIncompleteSecondaryIdIsRefused) {
    m_main->searchGroup()->secondaryField()->setText(QStringLiteral("1234"));
    QTest::mouseClick(m_main->searchGroup()->findIdButton(), Qt::LeftButton);
    EXPECT_TRUE(logHas(QStringLiteral("Incorrect ID entered")));
    EXPECT_FALSE(bus().secondarySearch().running());
}

TEST_F(RoadTest, ReadAllLocksTheSearchGroupUntilEveryRowIsRead) {
    scanOnce();
    QSignalSpy started(&bus().operations().readAll(), &ReadAllCycle::readAllStarted);
    QSignalSpy finished(&bus().operations().readAll(), &ReadAllCycle::readAllFinished);
    QTest::mouseClick(page().readAllButton(), Qt::LeftButton);
    ASSERT_EQ(started.count(), 1);
    EXPECT_FALSE(m_main->searchGroup()->isEnabled());
    EXPECT_FALSE(page().readSelectedButton()->isEnabled());
    EXPECT_FALSE(m_main->commandLine()->sendButton()->isEnabled());
    // The menu cannot start a second run on the same bus.
    page().contextAction(MetersPage::ReadAllEntry)->trigger();
    emit page().readAllRequested();
    QTest::mouseClick(page().readAllButton(), Qt::LeftButton);
    EXPECT_EQ(started.count(), 1);
    ASSERT_TRUE(finished.wait(kScanBound));
    EXPECT_TRUE(m_main->searchGroup()->isEnabled());
    EXPECT_TRUE(page().readSelectedButton()->isEnabled());
    EXPECT_EQ(page().readAllButton()->text(), QStringLiteral("Read all meters"));
}

TEST_F(RoadTest, AGatewaysAutomaticScanReadOutAndSearchRun) {
    emit bus().roads().automaticActionRequested(links::AutomaticAction::PrimaryScan);
    EXPECT_TRUE(bus().operations().scan().running());
    EXPECT_EQ(findButton()->text(), QStringLiteral("Stop"));
    QTest::mouseClick(findButton(), Qt::LeftButton);
    EXPECT_FALSE(bus().operations().scan().running());

    // The read-out starts once the handler has returned; the installation has no display unit.
    emit bus().roads().automaticActionRequested(links::AutomaticAction::DisplayReadout);
    EXPECT_FALSE(bus().bus().busy());
    QElapsedTimer clock;
    clock.start();
    const QString noAddresses = QStringLiteral("Sorry, no active addresses in Lumet-R7 memory...");
    while (!logHas(noAddresses) && clock.elapsed() < kScanBound) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(logHas(noAddresses));
    // The gateway's search runs as "Find all" would, and the stop button ends it.
    m_main->settings().Timeout = 60;
    QSignalSpy finished(&bus().secondarySearch(), &SecondarySearch::searchFinished);
    emit bus().roads().automaticActionRequested(links::AutomaticAction::SecondarySearch);
    EXPECT_TRUE(bus().secondarySearch().running());
    EXPECT_EQ(m_main->searchGroup()->secondaryAddress(), QStringLiteral("FFFFFFFF"));
    QTest::mouseClick(m_main->searchGroup()->stopSecondaryButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(kScanBound));
    EXPECT_FALSE(logHas(QStringLiteral("Checking 1FFFFFFF...")));
}

TEST_F(RoadTest, ReadSelectedWithSeveralMarksRunsTheRowsWithTheSearchGroupLocked) {
    scanOnce();
    table().clearMarks();
    table().setMarked(1, true);
    table().setMarked(3, true);
    const int firstBefore = framesSeenBy(1);
    const int lastBefore = framesSeenBy(5);
    QSignalSpy finished(&bus().operations().rowRunner(), &RowRunner::rowRunFinished);
    QTest::mouseClick(page().readSelectedButton(), Qt::LeftButton);
    EXPECT_FALSE(m_main->searchGroup()->isEnabled());
    EXPECT_FALSE(page().contextAction(MetersPage::ReadSelectedEntry)->isEnabled());
    ASSERT_TRUE(finished.wait(kScanBound));
    EXPECT_TRUE(m_main->searchGroup()->isEnabled());
    EXPECT_TRUE(page().contextAction(MetersPage::ReadSelectedEntry)->isEnabled());
    EXPECT_EQ(framesSeenBy(1), firstBefore + 1);
    EXPECT_EQ(framesSeenBy(5), lastBefore + 1);
    EXPECT_EQ(table().gridRowCount(), 5);
}

TEST_F(RoadTest, FullReadShowsTheDetailedReportWithItsRecordRows) {
    scanOnce();
    page().tableView()->setCurrentGridRow(1);
    table().clearMarks();
    table().setMarked(1, true);
    ReportWindow* report = m_controller->reportWindow();
    ASSERT_FALSE(report->isVisible());
    page().contextAction(MetersPage::FullReadEntry)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(report->isVisible(), 5000);
    EXPECT_TRUE(report->reportText().contains(QStringLiteral("21034501")))
        << report->reportText().toStdString();
    EXPECT_GE(report->filledGridRows(), 2); // the header row and the volume record at least
    QTRY_VERIFY_WITH_TIMEOUT(!m_main->timers()->timer(TimerId::Respond)->isActive(), 5000);
    EXPECT_FALSE(m_main->runState().FullReadRequested);

    report->closeButton()->click();
    EXPECT_FALSE(report->isVisible());
    report->clearButton()->click();
    EXPECT_TRUE(report->reportText().isEmpty());
    EXPECT_EQ(report->gridData()->rowCount(), 2);
}

// A running scan keeps its "Stop" caption through window activations and language switches, so pressing it
// stops the scan the operator sees running.
TEST_F(RoadTest, ARunningScanKeepsItsStopCaption) {
    QSignalSpy finished(&bus().operations().scan(), &PrimaryScan::scanFinished);
    QTest::mouseClick(findButton(), Qt::LeftButton);
    ASSERT_TRUE(bus().operations().scan().running());
    ASSERT_EQ(findButton()->text(), QStringLiteral("Stop"));

    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(m_main, &activation);
    EXPECT_EQ(findButton()->text(), QStringLiteral("Stop"));
    m_main->chooseItalian();
    EXPECT_EQ(findButton()->text(), QStringLiteral("Stop"));
    EXPECT_EQ(m_main->searchGroup()->findIdButton()->text(), QStringLiteral("Trova")); // the rest did switch

    QTest::mouseClick(findButton(), Qt::LeftButton);
    EXPECT_FALSE(bus().operations().scan().running());
    EXPECT_EQ(finished.count(), 1);
    m_main->chooseEnglish();
    EXPECT_EQ(findButton()->text(), QStringLiteral("Find"));
}

// The bus is held from the first moment of a start: "Read all meters" and "Send" pressed during the pause
// after the global link reset start nothing.
TEST_F(RoadTest, NothingElseStartsDuringTheGlobalInitialisationPause) {
    scanOnce();
    m_main->settings().GlobalInit = true;
    QSignalSpy readAllStarted(&bus().operations().readAll(), &ReadAllCycle::readAllStarted);
    int pressedDuringPause = 0;
    QTimer::singleShot(300, m_main, [&] {
        pressedDuringPause = bus().bus().busy() ? 1 : -1;
        page().readAllButton()->click();
        m_main->commandLine()->commandField()->setText(QStringLiteral("10 40 FF 3F 16"));
        emit m_main->commandLine()->sendRequested();
    });
    QTest::mouseClick(findButton(), Qt::LeftButton); // returns after the 1400 ms pause
    EXPECT_EQ(pressedDuringPause, 1);
    EXPECT_EQ(readAllStarted.count(), 0);
    EXPECT_FALSE(m_main->timers()->timer(TimerId::FreeCommand)->isActive());
    EXPECT_TRUE(bus().operations().scan().running());
    QTest::mouseClick(findButton(), Qt::LeftButton);
}

// Page switches flip the mode boxes with their signals blocked; the console still answers in the ticked
// mode.
TEST_F(RoadTest, TheConsoleFollowsTheTickedModeAcrossPageSwitches) {
    FreeCommandConsole& console = bus().operations().console();
    for (int page : {1, 0, 2, 0, 4}) {
        m_main->pages()->setCurrentIndex(page);
        EXPECT_EQ(console.asciiTicked(), !m_main->commandLine()->hexMode()) << page;
    }
    m_main->commandLine()->hexBox()->click();
    EXPECT_FALSE(console.asciiTicked());
}

// The settings window follows the serial port: its three serial fields are locked while the port is open,
// and the hidden port button names what a press would do.
TEST_F(RoadTest, TheSettingsWindowFollowsThePort) {
    const QString link = m_home.filePath(QStringLiteral("ttyMBUS"));
    QString error;
    ASSERT_TRUE(m_sim.addPty(link, &error)) << error.toStdString();
    Settings& settings = m_main->settings();
    settings.UseLanXp = false;
    settings.PortName = link;
    SettingsDialog* dialog = m_controller->settingsDialog();
    auto* name = dialog->findChild<QComboBox*>(QStringLiteral("Combo_port_name"));
    auto* speed = dialog->findChild<QComboBox*>(QStringLiteral("Combo_speed"));
    auto* parity = dialog->findChild<QComboBox*>(QStringLiteral("Combo_parity"));
    QPushButton* port = dialog->communicationPage()->portButton();
    ASSERT_TRUE(name && speed && parity && port);
    EXPECT_EQ(port->text(), QStringLiteral("Connect to port"));

    port->click();
    ASSERT_TRUE(m_main->runState().PortOpen);
    EXPECT_FALSE(name->isEnabled());
    EXPECT_FALSE(speed->isEnabled());
    EXPECT_FALSE(parity->isEnabled());
    EXPECT_EQ(port->text(), QStringLiteral("Disconnect"));

    port->click();
    EXPECT_FALSE(m_main->runState().PortOpen);
    EXPECT_TRUE(name->isEnabled() && speed->isEnabled() && parity->isEnabled());
    EXPECT_EQ(port->text(), QStringLiteral("Connect to port"));
}

} // namespace
} // namespace holvex
