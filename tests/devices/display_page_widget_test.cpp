// Page 3 on its own: the selection boxes and their click rule, the key filters, the table buttons, the
// file round trip with the readings table, and the one-shot controls' inputs.
#include "bus/run_state.h"
#include "devices/display/display_columns.h"
#include "devices/display/display_commands_widget.h"
#include "devices/display/display_options_widget.h"
#include "devices/display/display_page.h"
#include "devices/display/display_table_view.h"
#include "devices/display/display_tables.h"
#include "fake_sinks.h"
#include "lang/caption_table.h"
#include "lang/caption_view.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"
#include "test_support.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>

namespace holvex::display {
namespace {

QStringList column(const StringGridModel& table, int c) {
    QStringList cells;
    for (int r = 1; r < table.gridRowCount(); ++r) {
        cells.append(table.cell(r, c));
    }
    return cells;
}

class DisplayPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_files.isValid());
        m_settings.ExportSeparator = QStringLiteral(";");
        m_page = std::make_unique<DisplayPage>(PageContext{m_settings, m_run, m_log, m_language, m_captions,
                                                           [](QWidget*) {
                                                           }},
                                               m_tables, m_meters);
        m_page->setSaveDialogHook([this](const CsvFileDialogRequest& request) {
            m_requests.append(request);
            return m_answer;
        });
        m_page->setOpenDialogHook([this](const CsvFileDialogRequest& request) {
            m_requests.append(request);
            return m_answer;
        });
        m_page->setMessageBoxHook(
            [this](QMessageBox::Icon, const QString& title, const QString&) { m_boxes.append(title); });
        m_page->resize(1200, 700);
        m_page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
    }

    StringGridModel& table() { return m_tables.display(); }
    DisplayTableView* view() { return m_page->tableView(); }

    void fillRows(const QList<QStringList>& rows) {
        table().setRowCount(2);
        table().setRows(1, rows);
    }

    Settings m_settings;
    RunState m_run;
    test::FakeLog m_log;
    MessageLanguage m_language;
    CaptionTable m_captions;
    DisplayTables m_tables;
    StringGridModel m_meters{12};
    std::unique_ptr<DisplayPage> m_page;
    QTemporaryDir m_files;
    QList<CsvFileDialogRequest> m_requests;
    CsvFileDialogAnswer m_answer;
    QStringList m_boxes;
};

TEST_F(DisplayPageTest, ABoxTogglesOnlyWhenPressAndReleaseMeetInsideIt) {
    fillRows({{"11111111", "1"}, {"22222222", "2"}});
    QWidget* viewport = view()->viewport();
    const QPoint box = view()->boxCentre(1);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, box);
    EXPECT_TRUE(table().isMarked(1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, box);
    EXPECT_FALSE(table().isMarked(1));

    // In the cell but beside the box, on another column, or pressed on one row and released on another.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, view()->cellPoint(1, kDisplayIdColumn) + QPoint(40, 0));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, view()->cellPoint(1, kDisplayAddressColumn));
    QTest::mousePress(viewport, Qt::LeftButton, {}, view()->boxCentre(2));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, box);
    EXPECT_FALSE(table().isMarked(1));
    EXPECT_FALSE(table().isMarked(2));

    QTest::mouseClick(m_page->selectAllButton(), Qt::LeftButton);
    EXPECT_TRUE(table().isMarked(1) && table().isMarked(2));
    QTest::mouseClick(m_page->deselectAllButton(), Qt::LeftButton);
    EXPECT_FALSE(table().isMarked(1) || table().isMarked(2));
}

TEST_F(DisplayPageTest, TypingKeepsOnlyWhatTheColumnTakes) {
    fillRows({{"", ""}});
    struct Case {
        int column;
        const char* typed;
        const char* kept;
    };
    for (const Case& c :
         {Case{kDisplayAddressColumn, "1x2", "12"}, Case{kDisplayStartColumn, "12,5a.1", "12,5.1"},
          Case{kDisplayMultDivColumn, "10/ 1", "10/1"}, Case{kDisplayUserNumberColumn, "a7", "7"},
          Case{kDisplayFreeTextColumn, "Flat 1/a", "Flat 1/a"}}) {
        SCOPED_TRACE(c.column);
        const QModelIndex cell = table().index(0, c.column);
        view()->setCurrentIndex(cell);
        view()->edit(cell);
        auto* editor = view()->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, QString::fromLatin1(c.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        // The editor commits and closes from the event loop.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(view()->isEditing());
        EXPECT_EQ(table().cell(1, c.column), QString::fromLatin1(c.kept));
    }

    // A refused key does not even open an editor; an accepted one does and goes into it.
    view()->setCurrentIndex(table().index(0, kDisplayAddressColumn));
    QTest::keyClick(view(), Qt::Key_Q);
    EXPECT_FALSE(view()->isEditing());
    QTest::keyClick(view(), Qt::Key_7);
    EXPECT_TRUE(view()->isEditing());
}

TEST_F(DisplayPageTest, TableButtonsFillAddDeleteAndClear) {
    m_meters.setRows(1, {{"11111111", "1", "SEN", "12.5", "m3", "", "", "", "", "MB1"},
                         {"22222222", "2", "SEN", "3", "kWh", "", "", "", "", "MB2"},
                         {}});
    QTest::mouseClick(m_page->getDataButton(), Qt::LeftButton);
    EXPECT_EQ(column(table(), kDisplayIdColumn), (QStringList{"11111111", "22222222"}));
    EXPECT_EQ(column(table(), kDisplayMultDivColumn), (QStringList{"1/1", "10/1"}));
    EXPECT_EQ(column(table(), kDisplayUserNumberColumn), (QStringList{"1", "2"}));

    QTest::mouseClick(m_page->addRowButton(), Qt::LeftButton);
    EXPECT_EQ(table().dataRowCount(), 3);

    // "Delete row" takes the row selected last; the box of the row below moves up with it.
    table().setMarked(2, true);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, view()->cellPoint(1, kDisplayAddressColumn));
    EXPECT_EQ(m_page->selectedRow(), 1);
    EXPECT_EQ(m_page->selectedAddress(), QStringLiteral("1"));
    QTest::mouseClick(m_page->deleteRowButton(), Qt::LeftButton);
    EXPECT_EQ(column(table(), kDisplayIdColumn), (QStringList{"22222222", ""}));
    EXPECT_TRUE(table().isMarked(1));

    QTest::mouseClick(m_page->clearButton(), Qt::LeftButton);
    EXPECT_EQ(table().dataRowCount(), 1);
    EXPECT_TRUE(table().cell(1, kDisplayIdColumn).isEmpty());
    EXPECT_FALSE(table().isMarked(1));
}

TEST_F(DisplayPageTest, ExportThenImportBringsTheRowsBackIntoBothTables) {
    fillRows({{"11111111", "1", "m3", "12,5", "1/1", "7", "Flat 1", "", "", "", "", "", "Riser A"},
              {"22222222", "2", "kWh", "0", "10/1", "8", "", "", "", "", "", "", ""}});
    const QString path = m_files.filePath(QStringLiteral("display.csv"));
    m_answer.path = path;
    QTest::mouseClick(m_page->exportButton(), Qt::LeftButton);
    ASSERT_EQ(m_requests.size(), 1);
    EXPECT_EQ(m_requests[0].proposedName, QStringLiteral("lumetR7_data.csv"));
    EXPECT_EQ(m_requests[0].filter, QStringLiteral("CSV files (*.csv)"));
    EXPECT_EQ(test::readFile(path), QByteArray("11111111;1;m3;12,5;1/1;7;Flat 1;;;;;;Riser A;\r\n"
                                               "22222222;2;kWh;0;10/1;8;;;;;;;;\r\n"));
    EXPECT_EQ(m_run.LastDirectory, m_files.path());

    fillRows({{"99999999", "9"}, {}, {}});
    m_tables.readings().setRows(1, {{"old"}, {"old"}, {"old"}});
    QTest::mouseClick(m_page->importButton(), Qt::LeftButton);
    EXPECT_EQ(m_requests.last().filter, QStringLiteral("CSV (*.csv)"));
    EXPECT_EQ(column(table(), kDisplayIdColumn), (QStringList{"11111111", "22222222"}));
    EXPECT_EQ(table().cell(1, kDisplayFreeText2Column), QStringLiteral("Riser A"));
    // The readings table takes the shared columns, not the second free text.
    EXPECT_EQ(column(m_tables.readings(), kDisplayIdColumn), (QStringList{"11111111", "22222222"}));
    EXPECT_EQ(m_tables.readings().cell(1, kDisplayFreeTextColumn), QStringLiteral("Flat 1"));
    EXPECT_TRUE(m_tables.readings().cell(1, kDisplayFreeText2Column).isEmpty());

    // A file that cannot be read leaves both tables and says so.
    m_answer.path = m_files.filePath(QStringLiteral("missing.csv"));
    QTest::mouseClick(m_page->importButton(), Qt::LeftButton);
    EXPECT_EQ(m_boxes, (QStringList{"File Error"}));
    EXPECT_EQ(table().dataRowCount(), 2);
}

TEST_F(DisplayPageTest, OneShotInputsAndTheLockedControls) {
    DisplayCommandsWidget* commands = m_page->commandsWidget();
    EXPECT_EQ(commands->refreshBox()->minimum(), 4);
    EXPECT_EQ(commands->refreshBox()->maximum(), 12);
    EXPECT_EQ(commands->refreshText(), QStringLiteral("4"));
    EXPECT_FALSE(commands->lockButton()->isVisible());

    // The sort boxes: ticking one clears the other, clearing one ticks the other.
    commands->byAddressBox()->click();
    EXPECT_TRUE(commands->sortByAddress());
    EXPECT_FALSE(commands->sortByUserNumber());
    commands->byAddressBox()->click();
    EXPECT_TRUE(commands->sortByUserNumber());
    commands->byAddressBox()->click();
    commands->tickSortByUserNumber();
    EXPECT_FALSE(commands->sortByAddress());

    QPushButton readData(QStringLiteral("Read data "));
    m_page->readArea()->addWidget(&readData);
    m_page->addWriteLockedControl(&readData);
    m_page->setWriteLocked(true);
    for (QPushButton* button :
         {commands->dateButton(), commands->timeButton(), commands->lockButton(), commands->refreshButton(),
          commands->sortTableButton(), commands->sortButton(), &readData}) {
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    }
    // The table and its file buttons stay usable.
    EXPECT_TRUE(m_page->getDataButton()->isEnabled());
    EXPECT_TRUE(m_page->writeButton()->isEnabled());
    m_page->setWriteLocked(false);
    EXPECT_TRUE(readData.isEnabled());
    EXPECT_TRUE(commands->sortButton()->isEnabled());
}

TEST_F(DisplayPageTest, CaptionsAndHeadingsFollowTheLanguage) {
    EXPECT_EQ(table().heading(kDisplayUserNumberColumn), QStringLiteral("User numb. "));
    applyCaptions(m_page.get(), m_captions, TickedLanguage::Italian);
    m_tables.applyHeadings(TickedLanguage::Italian);
    EXPECT_EQ(m_page->writeButton()->text(), QStringLiteral("Invia tabella al Display"));
    EXPECT_EQ(m_page->getDataButton()->text(), QStringLiteral("Acquisisci dati da dispositivi m-bus"));
    EXPECT_EQ(m_page->commandsWidget()->byUserNumberBox()->text(), QStringLiteral("Per user numb."));
    EXPECT_EQ(m_page->optionsWidget()->box(DisplayOption::Delete)->text(), QStringLiteral("DELETE"));
    EXPECT_EQ(table().heading(kDisplayUserNumberColumn), QStringLiteral("Num. utente "));
    EXPECT_EQ(m_tables.readings().heading(kDisplayUserNumberColumn), QStringLiteral("Num. utente "));
    EXPECT_EQ(m_tables.readings().heading(16), QStringLiteral("Mag"));
    EXPECT_EQ(m_tables.readings().heading(kDisplayFreeText2Column), QStringLiteral("Gen"));
}

} // namespace
} // namespace holvex::display
