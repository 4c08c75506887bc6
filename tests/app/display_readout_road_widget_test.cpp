// Page 3's read-out and page 4 in the whole window against the simulated display unit behind the LAN
// adapter: "Read Data " fills both tables with the bus held, one month of history is found from the newest
// record with "Export" disabled meanwhile, sorting keeps every row, the export carries the heading, and the
// captions follow the language.
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
#include "devices/display/display_read_widget.h"
#include "devices/display/display_table_view.h"
#include "devices/display/display_tables.h"
#include "devices/display/readings_page.h"
#include "fixed_answer_hooks.h"
#include "log/log_pane.h"
#include "meters/page/csv_file_dialog.h"
#include "meters/table/string_grid_model.h"
#include "settings/program_home.h"
#include "sim/display_unit.h"
#include "sim/sim_thread.h"

#include <QApplication>
#include <QSpinBox>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <algorithm>

namespace holvex {
namespace {

using display::DisplayOption;

// The display unit with three entries, two of them with a history, and one meter.
constexpr const char* kInstallation = R"({
  "turnaroundMs": 5,
  "display": {"entries": [
    {"address": 3, "unit": "m3", "pulses": 12, "userNumber": "12", "text": "Flat 12",
     "history": {"start": "2026-01", "values": [10, 11, 12]}},
    {"address": 5, "unit": "kWh", "pulses": 40, "userNumber": "3", "text": "Flat 3",
     "history": {"start": "2026-02", "values": [20, 21]}},
    {"address": 9, "unit": "MJ", "pulses": 7, "userNumber": "7"}]},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 123.456}]},
    {"address": 3, "id": "67112403", "manufacturer": "KAM", "medium": "heat",
     "records": [{"type": "energy", "value": 4567}]},
    {"address": 5, "id": "50912205", "manufacturer": "ELS", "medium": "gas",
     "records": [{"type": "volume", "value": 9.5}]}
  ]
})";

class ReadoutRoadTest : public ::testing::Test {
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
    display::ReadingsPage& readingsPage() {
        return *m_main->page(MainWindow::ReadingsPage)->findChild<display::ReadingsPage*>();
    }
    display::DisplayReadWidget& readWidget() { return *page().findChild<display::DisplayReadWidget*>(); }
    Bus& bus() { return m_controller->bus()->bus(); }
    StringGridModel& display() { return bus().display().tables().display(); }
    StringGridModel& readings() { return bus().display().tables().readings(); }

    bool logHas(const QString& text) {
        const QStringList lines = m_main->logPane()->lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    QStringList column(const StringGridModel& table, int c) const {
        QStringList cells;
        for (int r = 1; r < table.gridRowCount(); ++r) {
            cells.append(table.cell(r, c));
        }
        return cells;
    }

    QTemporaryDir m_home;
    sim::SimThread m_sim;
    test::FixedAnswerHooks m_hooks{YesNoCancel::Yes};
    std::unique_ptr<AppController> m_controller;
    MainWindow* m_main = nullptr;
};

TEST_F(ReadoutRoadTest, ReadTheUnitGetAMonthSortAndExportTheReadings) {
    // "Read Data " runs to its end with the window painting; the bus is held meanwhile.
    bool heldDuringRead = false;
    QTimer::singleShot(100, [&] { heldDuringRead = bus().busy(); });
    QTest::mouseClick(readWidget().readDataButton(), Qt::LeftButton);
    EXPECT_TRUE(heldDuringRead);
    EXPECT_FALSE(bus().busy());
    EXPECT_EQ(column(display(), display::kDisplayAddressColumn), (QStringList{"3", "5", "9"}));
    EXPECT_EQ(column(display(), display::kDisplayUserNumberColumn), (QStringList{"12", "3", "7"}));
    EXPECT_EQ(column(readings(), display::kDisplayFreeTextColumn), (QStringList{"Flat 12", "Flat 3", ""}));

    // March: entry 3 holds it in record 3, entry 5 in record 2, entry 9 has no history.
    display::ReadingsPage& four = readingsPage();
    four.monthChoice()->setCurrentIndex(3);
    bool exportOffDuringRead = false;
    QTimer::singleShot(100, [&] { exportOffDuringRead = !four.exportButton()->isEnabled(); });
    QTest::mouseClick(four.historyButton(), Qt::LeftButton);
    EXPECT_TRUE(exportOffDuringRead);
    EXPECT_TRUE(four.exportButton()->isEnabled());
    EXPECT_EQ(column(readings(), display::kReadingsFirstMonthColumn + 2), (QStringList{"12", "21", ""}));
    EXPECT_TRUE(logHas(QStringLiteral("No history values saved yet for address 9")));

    readings().appendRow(QStringList{QStringLiteral("kept")});
    QTest::mouseClick(four.byUserNumberBox(), Qt::LeftButton);
    EXPECT_FALSE(four.byAddressBox()->isChecked());
    QTest::mouseClick(four.sortButton(), Qt::LeftButton);
    EXPECT_EQ(column(readings(), display::kDisplayUserNumberColumn), (QStringList{"3", "7", "12", ""}));
    EXPECT_EQ(readings().cell(4, 0), QStringLiteral("kept"));

    const QString path = m_home.filePath(QStringLiteral("readings.csv"));
    four.setSaveDialogHook([&](const CsvFileDialogRequest& request) {
        EXPECT_EQ(request.proposedName, QStringLiteral("lumetR7_readings.csv"));
        return CsvFileDialogAnswer{true, path};
    });
    QTest::mouseClick(four.exportButton(), Qt::LeftButton);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.at(0), QByteArray("\r"));
    EXPECT_TRUE(lines.at(1).startsWith("ID ")) << lines.at(1).toStdString();

    m_main->chooseItalian();
    EXPECT_EQ(readWidget().readDataButton()->text(), QStringLiteral("Leggi dati"));
    EXPECT_EQ(readWidget().infoGroup()->title(), QStringLiteral("   Info generali   "));
    EXPECT_EQ(four.historyButton()->text(), QStringLiteral("Acquisisci solo storico"));
    EXPECT_EQ(four.byUserNumberBox()->text(), QStringLiteral("Per numero utente"));
    m_main->chooseEnglish();
    EXPECT_EQ(four.sortButton()->text(), QStringLiteral("Sort table"));
}

} // namespace
} // namespace holvex
