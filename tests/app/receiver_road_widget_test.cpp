// Page 5 in the whole window against the simulated receiver on the serial port, as an installer uses it:
// acquire radio meters for a moment and stop, bind one, store a key, program the table, and open "Full read"
// on an encrypted row without and with its key.
#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "app/app_controller.h"
#include "app/bus_controller.h"
#include "app/command_line_widget.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "bus/bus.h"
#include "bus/timer_set.h"
#include "devices/display/display_table_view.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_page.h"
#include "devices/receiver/receiver_table.h"
#include "log/log_pane.h"
#include "meters/table/string_grid_model.h"
#include "settings/program_home.h"
#include "sim/sim_thread.h"
#include "sim/wireless_receiver.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace holvex {
namespace {

// A water meter (plain) and a gas meter (encrypted with the key below), each heard once.
constexpr const char* kInstallation = R"({
  "turnaroundMs": 5,
  "receiver": {
    "paceMs": 40,
    "meters": [
      {"id": "21034601", "manufacturer": "SEN", "version": 104, "device": "water",
       "records": [{"type": "volume", "value": 48.271}]},
      {"id": "31415926", "manufacturer": "ELS", "version": 51, "device": "gas",
       "key": "000102030405060708090A0B0C0D0E0F", "records": [{"type": "volume", "value": 2718.281}]}
    ]
  },
  "meters": []
})";

const QString kKey = QStringLiteral("000102030405060708090A0B0C0D0E0F");

class ReceiverWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        QDir().mkpath(ProgramHome::accountFolder());
        ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));
        QString error;
        ASSERT_TRUE(m_sim.start(QByteArray(kInstallation), &error)) << error.toStdString();
        const QString link = QDir(m_home.path()).filePath(QStringLiteral("mbus"));
        ASSERT_TRUE(m_sim.addPty(link, &error)) << error.toStdString();

        m_controller =
            std::make_unique<AppController>(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
        m_main = m_controller->mainWindow();
        Settings& settings = m_main->settings();
        settings.PortName = link;
        settings.Speed = QStringLiteral("2400");
        settings.Parity = QStringLiteral("Even");
        settings.Retry = 1;
        bus().timers().setResponseTimeout(150);
        // The switch lines' waits: the simulated receiver takes a line at once.
        bus().context().waitProcessingEvents = [](int) {
            QTest::qWait(30);
        };
        m_controller->start();
        AccessGrant admin;
        admin.level = QStringLiteral("Administrator");
        admin.displayAllowed = true;
        emit m_controller->loginWindow()->loginSucceeded(admin);
        m_main->pages()->setCurrentIndex(MainWindow::ReceiverPage);
        m_page = m_main->page(MainWindow::ReceiverPage)->findChild<receiver::ReceiverPage*>();
        ASSERT_NE(m_page, nullptr);
    }

    void TearDown() override {
        m_controller.reset();
        m_sim.stop();
    }

    Bus& bus() { return m_controller->bus()->bus(); }
    StringGridModel& table() { return bus().receiver().table(); }
    QString log() const { return m_main->logPane()->lines().join(QLatin1Char('\n')); }

    void clickMenu(const QString& text) {
        for (QAction* action : m_page->contextMenu()->actions()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        FAIL() << text.toStdString();
    }

    void waitIdle() { QTRY_VERIFY_WITH_TIMEOUT(!bus().busy(), 10000); }

    QTemporaryDir m_home;
    sim::SimThread m_sim;
    std::unique_ptr<AppController> m_controller;
    MainWindow* m_main = nullptr;
    receiver::ReceiverPage* m_page = nullptr;
};

TEST_F(ReceiverWindowTest, AcquireBindKeyProgramAndFullRead) {
    QPushButton* acquire = m_page->acquireButton();
    QPushButton* send = m_main->commandLine()->sendButton();
    m_page->excludeIdenticalBox()->setChecked(true);
    QTest::mouseClick(acquire, Qt::LeftButton);
    EXPECT_EQ(acquire->text(), QStringLiteral("Stop acquire"));
    EXPECT_FALSE(send->isEnabled());
    EXPECT_FALSE(m_page->programButton()->isEnabled());
    EXPECT_FALSE(m_page->bindButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!table().cell(2, receiver::kReceiverIdColumn).isEmpty(), 15000);
    QTest::mouseClick(acquire, Qt::LeftButton);
    EXPECT_EQ(acquire->text(), QStringLiteral("Acquire RF meters"));
    EXPECT_TRUE(send->isEnabled());
    EXPECT_TRUE(m_page->programButton()->isEnabled());
    EXPECT_EQ(table().dataRowCount(), 2);

    // "Full read" on the encrypted gas meter: without a key it says so, with the key box's key it reports.
    m_page->selectRow(2);
    EXPECT_EQ(m_page->idLabelWidget()->text(), QStringLiteral("ID: 31415926"));
    EXPECT_EQ(m_page->addressLabelWidget()->text(), QStringLiteral("Address unknown"));
    clickMenu(QStringLiteral("Full read"));
    EXPECT_TRUE(log().contains(QStringLiteral("decryption failed: no key for the meter 31415926")))
        << log().toStdString();
    m_page->keyField()->setText(kKey);
    clickMenu(QStringLiteral("Full read"));
    ReportWindow* report = m_controller->reportWindow();
    EXPECT_TRUE(report->isVisible());
    EXPECT_TRUE(report->reportText().contains(QStringLiteral("2718"))) << report->reportText().toStdString();

    // Bind the water meter under address 3, store the key under the gas meter's address and ID.
    table().setCell(1, receiver::kReceiverAddressColumn, QStringLiteral("3"));
    table().setCell(2, receiver::kReceiverAddressColumn, QStringLiteral("4"));
    m_page->selectRow(1);
    QTest::mouseClick(m_page->bindButton(), Qt::LeftButton);
    waitIdle();
    EXPECT_TRUE(log().contains(QStringLiteral("Binding device with Address 3")));
    m_page->selectRow(2);
    m_page->addressTargetBox()->setChecked(true);
    m_page->idTargetBox()->setChecked(true);
    QTest::mouseClick(m_page->saveKeyButton(), Qt::LeftButton);
    waitIdle();
    QTRY_VERIFY_WITH_TIMEOUT(m_sim.receiver()->state().idKeys.contains("31415926"), 5000);
    EXPECT_EQ(m_sim.receiver()->state().bindings.value(3).size(), 8);
    EXPECT_EQ(m_sim.receiver()->state().addressKeys.value(4), QByteArray::fromHex(kKey.toLatin1()));

    // Program both rows: activation and unit.
    clickMenu(QStringLiteral("Select All"));
    m_page->programOptionBox(receiver::ProgramOption::Activate)->click();
    m_page->programOptionBox(receiver::ProgramOption::SaveUnit)->click();
    ASSERT_EQ(bus().receiver().programmer().options().tickedCount(), 2);
    QTest::mouseClick(m_page->programButton(), Qt::LeftButton);
    EXPECT_EQ(m_page->programButton()->text(), QStringLiteral("Stop programming"));
    EXPECT_FALSE(acquire->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!bus().receiver().programmer().running(), 15000);
    EXPECT_EQ(m_page->programButton()->text(), QStringLiteral("Program Ravik-Q"));
    EXPECT_TRUE(acquire->isEnabled());
    EXPECT_FALSE(m_page->programOptionBox(receiver::ProgramOption::Activate)->isChecked());
    const auto entries = m_sim.receiver()->state().entries;
    EXPECT_EQ(entries.value(3).id, QByteArray("21034601"));
    EXPECT_EQ(entries.value(4).unitCode, 3) << log().toStdString();
}

TEST_F(ReceiverWindowTest, KeyBoxModesTheContextMenuAndTheMeterTable) {
    // Exactly one entry mode: ticking one clears the other, clearing one ticks the other.
    EXPECT_TRUE(m_page->hexBox()->isChecked());
    m_page->asciiBox()->click();
    EXPECT_FALSE(m_page->hexBox()->isChecked());
    m_page->asciiBox()->click();
    EXPECT_TRUE(m_page->hexBox()->isChecked());
    EXPECT_EQ(m_page->keyBox().entry, receiver::KeyEntry::Hex);
    EXPECT_EQ(m_page->keyField()->maxLength(), 50);

    // "Delete selected" and the other options exclude each other on the page too.
    m_page->programOptionBox(receiver::ProgramOption::SaveUnit)->click();
    m_page->programOptionBox(receiver::ProgramOption::Delete)->click();
    EXPECT_FALSE(m_page->programOptionBox(receiver::ProgramOption::SaveUnit)->isChecked());

    // "Get from m-bus table" copies ID, address, manufacturer and medium.
    StringGridModel& meters = bus().context().meterTable;
    meters.setRowCount(3);
    meters.setRow(1, {"21034501", "1", "SEN", "1.5", "m3", "Water"});
    meters.setRow(2, {"21034502", "2", "KAM", "7", "kWh", "Heat"});
    QTest::mouseClick(m_page->getFromMetersButton(), Qt::LeftButton);
    ASSERT_EQ(table().dataRowCount(), 2);
    EXPECT_EQ(table().row(2).mid(0, 6), (QStringList{"21034502", "2", "KAM", "", "", "Heat"}));

    clickMenu(QStringLiteral("Add row"));
    EXPECT_EQ(table().dataRowCount(), 3);
    m_page->selectRow(1);
    EXPECT_EQ(m_page->addressLabelWidget()->text(), QStringLiteral("Address 1"));
    clickMenu(QStringLiteral("Delete Row"));
    EXPECT_EQ(table().cell(1, receiver::kReceiverIdColumn), QStringLiteral("21034502"));
    clickMenu(QStringLiteral("Select All"));
    EXPECT_EQ(table().markedRowCount(), 2);
    clickMenu(QStringLiteral("Clear Table"));
    EXPECT_EQ(table().dataRowCount(), 1);
    EXPECT_EQ(table().markedRowCount(), 0);
}

} // namespace
} // namespace holvex
