// A serial adapter pulled out in the middle of a scan on a 2400-baud line, seen from the window: the scan
// ends, the log says the port was lost, the buttons come back and the meters already found stay in the table.
#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "app/app_controller.h"
#include "app/bus_controller.h"
#include "app/command_line_widget.h"
#include "app/main_window.h"
#include "app/search_group_widget.h"
#include "fixed_answer_hooks.h"
#include "log/log_pane.h"
#include "meters/page/meters_page.h"
#include "meters/table/string_grid_model.h"
#include "settings/program_home.h"
#include "sim/sim_thread.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace holvex {
namespace {

constexpr const char* kInstallation = R"({
  "turnaroundMs": 5, "lineBaud": 2400,
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 123.456}]},
    {"address": 2, "id": "21034502", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 7.5}]},
    {"address": 3, "id": "21034503", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 8.5}]},
    {"address": 4, "id": "21034504", "manufacturer": "SEN", "medium": "water",
     "records": [{"type": "volume", "value": 9.5}]}
  ]
})";

TEST(PulledAdapterRoadTest, TheScanEndsAndTheWindowIsFreeAgain) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ProgramHome::set(home.path());
    QDir().mkpath(ProgramHome::accountFolder());
    ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));
    sim::SimThread sim;
    QString error;
    ASSERT_TRUE(sim.start(QByteArray(kInstallation), &error)) << error.toStdString();
    const QString link = home.filePath(QStringLiteral("mbus"));
    ASSERT_TRUE(sim.addPty(link, &error)) << error.toStdString();

    test::FixedAnswerHooks hooks{YesNoCancel::No}; // keep the table when asked
    auto controller =
        std::make_unique<AppController>(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
    MainWindow* main = controller->mainWindow();
    main->setDesktopHooks(&hooks);
    Settings& settings = main->settings();
    settings.PortName = link;
    settings.Speed = QStringLiteral("2400");
    settings.Parity = QStringLiteral("Even");
    settings.Retry = 0;
    main->searchGroup()->setResponseTimeout(400);
    main->searchGroup()->setSearchRange(1, 4);
    controller->start();
    AccessGrant admin;
    admin.level = QStringLiteral("Administrator");
    emit controller->loginWindow()->loginSucceeded(admin);

    MetersPage& page = *controller->metersPage();
    StringGridModel& table = page.meterTable();
    table.setRowCount(3); // a scan files into the last row
    table.setCell(1, 0, QStringLiteral("99999999"));
    table.setCell(1, 1, QStringLiteral("99"));

    QSignalSpy finished(&controller->bus()->operations().scan(), &PrimaryScan::scanFinished);
    QPushButton* find = main->searchGroup()->findPrimaryButton();
    QTest::mouseClick(find, Qt::LeftButton);
    ASSERT_EQ(find->text(), QStringLiteral("Stop"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return table.cell(2, 0) == QStringLiteral("21034501"); }, 15000));
    sim.removePty(link);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000));

    EXPECT_EQ(find->text(), QStringLiteral("Find"));
    EXPECT_TRUE(page.readAllButton()->isEnabled());
    EXPECT_TRUE(page.readSelectedButton()->isEnabled());
    EXPECT_TRUE(main->commandLine()->sendButton()->isEnabled());
    EXPECT_FALSE(controller->bus()->operations().busy());
    EXPECT_EQ(table.cell(1, 0), QStringLiteral("99999999"));
    EXPECT_EQ(table.cell(1, 1), QStringLiteral("99"));
    EXPECT_EQ(table.cell(2, 0), QStringLiteral("21034501"));
    const QStringList lines = main->logPane()->lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
        return line.startsWith(link + QStringLiteral(" lost: "));
    })) << lines.join(QLatin1Char('\n')).toStdString();
    controller.reset();
    sim.stop();
}

} // namespace
} // namespace holvex
