#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/page_installer.h"
#include "log/log_pane.h"
#include "meters/page/meter_table_view.h"
#include "meters/page/meters_page.h"
#include "meters/table/grid_csv.h"
#include "meters/table/string_grid_model.h"
#include "settings/program_home.h"
#include "test_support.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace holvex {
namespace {

class SilentHooks : public DesktopHooks {
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void warn(QWidget*, const QString&, const QString&) override {}
    void openDocument(const QString&) override {}
};

struct Box {
    QMessageBox::Icon icon;
    QString title;
    QString text;
};

class MetersPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ASSERT_TRUE(m_files.isValid());
        ProgramHome::set(m_home.path());
    }

    MetersPage& create() {
        m_window =
            std::make_unique<MainWindow>(m_settings, m_run, m_language, ProgramHome::settingsFilePath());
        m_window->setDesktopHooks(&m_hooks);
        m_page = installMetersPage(*m_window);
        m_page->setSaveDialogHook([this](const CsvFileDialogRequest& request) {
            m_requests.append(request);
            return m_saveAnswer;
        });
        m_page->setOpenDialogHook([this](const CsvFileDialogRequest& request) {
            m_requests.append(request);
            return m_openAnswer;
        });
        m_page->setMessageBoxHook([this](QMessageBox::Icon icon, const QString& title, const QString& text) {
            m_boxes.append({icon, title, text});
        });
        m_page->setPopupHook([this](QMenu* menu, const QPoint&) { m_popups.append(menu); });
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        return *m_page;
    }

    StringGridModel& table() { return m_page->meterTable(); }
    MeterTableView* view() { return m_page->tableView(); }

    // Three meters and the empty row a scan leaves below them.
    void fillThreeMeters() {
        table().setRows(1, {{"11111111", "1", "ABC", "12.345"},
                            {"22222222", "2", "DEF", "abc"},
                            {"33333333", "3", "GHI", "-1.5"},
                            {}});
    }

    void click(int gridRow, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, modifiers, view()->cellPoint(gridRow, 0));
    }

    std::vector<int> markedRows() {
        std::vector<int> rows;
        for (int r = 1; r < table().gridRowCount(); ++r) {
            if (table().isMarked(r)) {
                rows.push_back(r);
            }
        }
        return rows;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    Settings m_settings;
    RunState m_run;
    MessageLanguage m_language;
    SilentHooks m_hooks;
    std::unique_ptr<MainWindow> m_window;
    MetersPage* m_page = nullptr;

    CsvFileDialogAnswer m_saveAnswer;
    CsvFileDialogAnswer m_openAnswer;
    QList<CsvFileDialogRequest> m_requests;
    QList<Box> m_boxes;
    QList<QMenu*> m_popups;
};

TEST_F(MetersPageTest, SitsInPageOneWithItsControls) {
    create();
    EXPECT_TRUE(m_window->page(MainWindow::MbusPage)->isAncestorOf(m_page));
    EXPECT_EQ(table().gridColumnCount(), 12);
    EXPECT_EQ(table().gridRowCount(), 2);
    EXPECT_EQ(m_page->readAllButton()->text(), QStringLiteral("Read all meters"));
    EXPECT_EQ(m_page->readSelectedButton()->text(), QStringLiteral("Read selected"));
    EXPECT_EQ(m_page->clearButton()->text(), QStringLiteral("Clear table"));
    EXPECT_EQ(m_page->loadButton()->text(), QStringLiteral("Load"));
    EXPECT_EQ(m_page->saveButton()->text(), QStringLiteral("Save / Export"));
    EXPECT_EQ(m_page->sndNkeBox()->text(), QStringLiteral("Use SND_NKE"));
    EXPECT_FALSE(m_page->useSndNke());
    EXPECT_EQ(m_page->broadcastBox()->text(), QStringLiteral("work on broadcast (0xFE)"));
    EXPECT_FALSE(m_page->broadcast());
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:"));
    EXPECT_EQ(m_page->addressLabel()->text(), QStringLiteral("Addr.:"));
    EXPECT_TRUE(m_page->relayCounterField()->isHidden());
}

TEST_F(MetersPageTest, DeviceRightShowsTheBroadcastBoxAndTheLabels) {
    create();
    AccessGrant grant;
    m_window->applyAccessGrant(grant);
    EXPECT_TRUE(m_page->broadcastBox()->isHidden());
    EXPECT_TRUE(m_page->idLabel()->isHidden());
    EXPECT_TRUE(m_page->addressLabel()->isHidden());
    EXPECT_FALSE(m_page->sndNkeBox()->isHidden());
    grant.devicesAllowed = true;
    m_window->applyAccessGrant(grant);
    EXPECT_FALSE(m_page->broadcastBox()->isHidden());
    EXPECT_FALSE(m_page->idLabel()->isHidden());
    EXPECT_FALSE(m_page->addressLabel()->isHidden());
}

TEST_F(MetersPageTest, PlainClickSelectsTheMeterAndMarksOnlyItsRow) {
    create();
    fillThreeMeters();
    table().setMarked(1, true);
    table().setMarked(3, true);
    click(1);
    EXPECT_EQ(markedRows(), std::vector<int>{1});
    EXPECT_EQ(m_run.FocusedRow, 1);
    EXPECT_EQ(m_run.SelectedId, QStringLiteral("11111111"));
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:11111111"));
    EXPECT_EQ(m_page->addressLabel()->text(), QStringLiteral("Addr.:1"));
    EXPECT_EQ(m_page->relayCounter(), QStringLiteral("12345"));

    click(3);
    EXPECT_EQ(markedRows(), std::vector<int>{3});
    EXPECT_EQ(m_page->relayCounter(), QStringLiteral("-1500"));
    click(2); // a value cell that is no number
    EXPECT_EQ(m_page->relayCounter(), QStringLiteral("0"));
}

TEST_F(MetersPageTest, RowWithoutAddressShowsTheBareLabelAndKeepsTheRelayCounter) {
    create();
    fillThreeMeters();
    click(1);
    click(4); // the empty row below the meters
    EXPECT_EQ(m_run.SelectedAddress, QStringLiteral("256"));
    EXPECT_EQ(m_page->addressLabel()->text(), QStringLiteral("Addr.:"));
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:"));
    EXPECT_EQ(m_page->relayCounter(), QStringLiteral("12345"));
}

TEST_F(MetersPageTest, CtrlClickTogglesOnlyTheClickedRow) {
    create();
    fillThreeMeters();
    click(1);
    click(3, Qt::ControlModifier);
    EXPECT_EQ(markedRows(), (std::vector<int>{1, 3}));
    click(1, Qt::ControlModifier);
    EXPECT_EQ(markedRows(), std::vector<int>{3});
    EXPECT_EQ(m_run.FocusedRow, 1);
}

TEST_F(MetersPageTest, DoubleClickThenReleaseMarksEveryRow) {
    create();
    fillThreeMeters();
    const QPoint point = view()->cellPoint(2, 0);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, point);
    EXPECT_TRUE(m_run.MarkAllPending);
    QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(markedRows(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_FALSE(m_run.MarkAllPending);
    // The next plain click is an ordinary one again.
    click(2);
    EXPECT_EQ(markedRows(), std::vector<int>{2});
}

TEST_F(MetersPageTest, ReleaseOnTheHeadingOrBelowTheRowsMarksNothing) {
    create();
    fillThreeMeters();
    click(2);
    QTest::mouseClick(view()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(markedRows().empty());
    click(2);
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, QPoint(10, view()->viewport()->height() - 3));
    EXPECT_TRUE(markedRows().empty());
}

TEST_F(MetersPageTest, KeyboardNavigationSelectsCells) {
    create();
    fillThreeMeters();
    click(1);
    QTest::keyClick(view(), Qt::Key_Down);
    EXPECT_EQ(m_run.FocusedRow, 2);
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:22222222"));
    EXPECT_EQ(m_page->addressLabel()->text(), QStringLiteral("Addr.:2"));
}

TEST_F(MetersPageTest, FocusRowByAddressMakesTheLastMatchingRowCurrent) {
    create();
    fillThreeMeters();
    table().setCell(3, 1, QStringLiteral("1"));
    m_run.SelectedAddress = QStringLiteral("1");
    m_page->focusRowByAddress();
    EXPECT_EQ(view()->currentGridRow(), 3);
    EXPECT_EQ(m_run.FocusedRow, 3);
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:33333333"));

    m_run.SelectedAddress.clear();
    m_page->focusRowByAddress();
    EXPECT_EQ(m_run.FocusedRow, 0);
    EXPECT_EQ(view()->currentGridRow(), 0);
    EXPECT_EQ(m_page->addressLabel()->text(), QStringLiteral("Addr.:"));
}

TEST_F(MetersPageTest, RightButtonOpensTheMenuWithEveryEntryInOrder) {
    create();
    fillThreeMeters();
    QTest::mouseClick(view()->viewport(), Qt::RightButton, {}, view()->cellPoint(1, 0));
    ASSERT_EQ(m_popups.size(), 1);
    const QList<QAction*> actions = m_popups.first()->actions();
    const QStringList texts{"Read selected", "Read all meters",    "Full read",       "Set medium",
                            "Set unit",      "Set baud",           "Set pulse width", "Clear table",
                            "Save/Export",   "Delete selected row"};
    ASSERT_EQ(actions.size(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(actions[i]->text(), texts[i]);
        EXPECT_TRUE(actions[i]->isEnabled()) << texts[i].toStdString();
    }
    EXPECT_TRUE(markedRows().empty()); // the right button neither selects nor marks
}

TEST_F(MetersPageTest, ReadEntriesAndButtonsAnnounceTheirOperations) {
    create();
    QSignalSpy selected(m_page, &MetersPage::readSelectedRequested);
    QSignalSpy all(m_page, &MetersPage::readAllRequested);
    QSignalSpy full(m_page, &MetersPage::fullReadRequested);
    m_page->readSelectedButton()->click();
    m_page->contextAction(MetersPage::ReadSelectedEntry)->trigger();
    m_page->readAllButton()->click();
    m_page->contextAction(MetersPage::ReadAllEntry)->trigger();
    EXPECT_EQ(selected.count(), 2);
    EXPECT_EQ(all.count(), 2);
    EXPECT_FALSE(m_run.FullReadRequested);
    m_page->contextAction(MetersPage::FullReadEntry)->trigger();
    EXPECT_EQ(full.count(), 1);
    EXPECT_TRUE(m_run.FullReadRequested);
}

TEST_F(MetersPageTest, ClearTableEmptiesRowsAndMarks) {
    create();
    fillThreeMeters();
    click(3);
    m_page->clearButton()->click();
    EXPECT_EQ(table().gridRowCount(), 2);
    EXPECT_TRUE(table().cell(1, 0).isEmpty());
    EXPECT_EQ(table().markedRowCount(), 0);
    EXPECT_EQ(m_page->addressLabel()->text(), QStringLiteral("Addr.:"));

    fillThreeMeters();
    table().setMarked(2, true);
    m_page->contextAction(MetersPage::ClearTableEntry)->trigger();
    EXPECT_EQ(table().gridRowCount(), 2);
    EXPECT_FALSE(table().isMarked(2));
}

TEST_F(MetersPageTest, DeleteSelectedRowMovesTheRowsBelowUp) {
    create();
    fillThreeMeters();
    click(2);
    m_page->contextAction(MetersPage::DeleteRowEntry)->trigger();
    EXPECT_EQ(table().gridRowCount(), 4);
    EXPECT_EQ(table().cell(2, 0), QStringLiteral("33333333"));
    // The labels follow the meter that now stands in the selected row.
    EXPECT_EQ(m_run.FocusedRow, 2);
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:33333333"));
    EXPECT_TRUE(m_window->logPane()->lines().isEmpty());
}

TEST_F(MetersPageTest, DeletingTheOnlyRowEmptiesIt) {
    create();
    table().setRow(1, {"11111111", "1"});
    click(1);
    m_page->contextAction(MetersPage::DeleteRowEntry)->trigger();
    EXPECT_EQ(table().gridRowCount(), 2);
    EXPECT_TRUE(table().cell(1, 0).isEmpty());
    EXPECT_EQ(m_run.SelectedAddress, QStringLiteral("256"));
}

TEST_F(MetersPageTest, SaveThenLoadThroughTheFileMenu) {
    m_settings.ExportSeparator = QStringLiteral(";");
    m_settings.DecSeparator = QStringLiteral(",");
    create();
    fillThreeMeters();
    table().setRowCount(4); // no empty row at the end
    const QString path = QDir(m_files.path()).filePath(QStringLiteral("meters_data.csv"));
    m_saveAnswer.path = path;
    m_window->mainMenu()->save()->trigger();

    ASSERT_EQ(m_requests.size(), 1);
    EXPECT_EQ(m_requests[0].filter, QStringLiteral("CSV files (*.csv)"));
    EXPECT_EQ(m_requests[0].proposedName, QStringLiteral("meters_data.csv"));
    EXPECT_EQ(m_requests[0].defaultSuffix, QStringLiteral("csv"));
    EXPECT_EQ(m_requests[0].folder, ProgramHome::folder());
    EXPECT_TRUE(m_boxes.isEmpty());
    EXPECT_EQ(QDir(m_run.LastDirectory), QDir(m_files.path()));

    const QByteArray bytes = test::readFile(path);
    EXPECT_TRUE(bytes.startsWith("11111111;1;ABC;12,345;;;;;;;;;\r\n")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("33333333;3;GHI;,1,5;")) << bytes.constData();
    EXPECT_EQ(table().cell(3, 3), QStringLiteral("-1.5")); // the table keeps its text

    table().setMarked(1, true);
    m_openAnswer.path = path;
    m_window->mainMenu()->open()->trigger();
    ASSERT_EQ(m_requests.size(), 2);
    EXPECT_EQ(m_requests[1].filter, QStringLiteral("CSV (*.csv)"));
    EXPECT_EQ(QDir(m_requests[1].folder), QDir(m_files.path()));
    EXPECT_TRUE(m_boxes.isEmpty());
    EXPECT_EQ(table().gridRowCount(), 4);
    EXPECT_FALSE(table().isMarked(1));
    EXPECT_EQ(table().cell(1, 0), QStringLiteral("11111111"));
    EXPECT_EQ(table().cell(3, 3), QStringLiteral(",1,5"));
}

TEST_F(MetersPageTest, SaveFailuresShowTheirBoxes) {
    create();
    fillThreeMeters();
    m_saveAnswer.shown = false;
    m_page->saveButton()->click();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(m_boxes[0].title, QStringLiteral("Error saving file"));
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("File cannot be written or open!\nContact administrator."));

    m_saveAnswer = {};
    m_page->saveButton()->click(); // cancelled
    EXPECT_EQ(m_boxes.size(), 1);

    m_saveAnswer.path = QDir(m_files.path()).filePath(QStringLiteral("missing/folder/x.csv"));
    m_page->contextAction(MetersPage::SaveExportEntry)->trigger();
    ASSERT_EQ(m_boxes.size(), 2);
    EXPECT_EQ(m_boxes[1].title, QStringLiteral("Error saving file"));
    EXPECT_EQ(m_boxes[1].text, QStringLiteral("File cannot be written, no rights!\nContact administrator."));
}

TEST_F(MetersPageTest, UnreadableFileLeavesTheTableAlone) {
    create();
    fillThreeMeters();
    m_openAnswer.path = QDir(m_files.path()).filePath(QStringLiteral("nothing.csv"));
    m_page->loadButton()->click();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(m_boxes[0].title, QStringLiteral("File Error"));
    EXPECT_EQ(m_boxes[0].text, QStringLiteral("You chose wrong file for import!\nContact administrator!"));
    EXPECT_EQ(table().cell(1, 0), QStringLiteral("11111111"));
    EXPECT_EQ(table().gridRowCount(), 5);
}

TEST_F(MetersPageTest, LoadTakesTwentyOneFieldsAndRefusesTwentyTwo) {
    create();
    const QByteArray fields21 = QByteArray("f;").repeated(21);
    const QByteArray fields22 = QByteArray("g;").repeated(22);
    m_openAnswer.path = test::writeFile(m_files, QStringLiteral("wide.csv"),
                                        "a;b;\r\n" + fields21 + "\r\n" + fields22 + "\r\nz;\r\n");
    m_page->loadButton()->click();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0].text, kCsvTooManyDataMessage);
    EXPECT_EQ(table().cell(1, 0), QStringLiteral("a"));
    EXPECT_TRUE(table().cell(1, 2).isEmpty());
    EXPECT_EQ(table().cell(2, 11), QStringLiteral("f"));
    EXPECT_NE(table().cell(3, 0), QStringLiteral("g"));
    EXPECT_NE(table().cell(4, 0), QStringLiteral("z"));
}

TEST_F(MetersPageTest, HeadingsFollowExtraTitlesAndLanguage) {
    create();
    m_run.ExtraTitleCount = 3;
    m_run.ExtraTitles[0] = QStringLiteral("Energy");
    m_run.ExtraTitles[1] = QStringLiteral("Volume");
    m_run.ExtraTitles[2] = QStringLiteral("Flow");
    m_window->takeExtraTitles();
    ASSERT_EQ(table().gridColumnCount(), 15);
    EXPECT_EQ(table().heading(0), QStringLiteral("ID "));
    EXPECT_EQ(table().heading(11), QStringLiteral("Batt [V] or Power "));
    EXPECT_EQ(table().heading(12), QStringLiteral("Energy"));
    EXPECT_EQ(table().heading(14), QStringLiteral("Flow"));
    EXPECT_EQ(view()->columnWidth(14), MeterTableView::kExtraColumnWidth);
    EXPECT_EQ(view()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Mfr. "));

    m_window->chooseItalian();
    EXPECT_EQ(table().heading(2), QStringLiteral("Produttore "));
    EXPECT_EQ(table().heading(5), QStringLiteral("Consumo "));
    EXPECT_EQ(table().heading(13), QStringLiteral("Volume"));
    EXPECT_EQ(m_page->readAllButton()->text(), QStringLiteral("Leggi tutti"));
    EXPECT_EQ(m_page->readSelectedButton()->text(), QStringLiteral("Leggi selezionati"));
    EXPECT_EQ(m_page->clearButton()->text(), QStringLiteral("Cancella tabella"));
    EXPECT_EQ(m_page->loadButton()->text(), QStringLiteral("Carica"));
    EXPECT_EQ(m_page->saveButton()->text(), QStringLiteral("Salva / Esporta"));
    EXPECT_EQ(m_page->broadcastBox()->text(), QStringLiteral("lavora in broadcast (0xFE)"));
    EXPECT_EQ(m_page->sndNkeBox()->text(), QStringLiteral("Use SND_NKE"));

    m_window->chooseEnglish();
    EXPECT_EQ(table().heading(2), QStringLiteral("Mfr. "));
    EXPECT_EQ(m_page->readAllButton()->text(), QStringLiteral("Read all meters"));
    EXPECT_EQ(m_page->broadcastBox()->text(), QStringLiteral("work on broadcast (0xFE)"));
}

TEST_F(MetersPageTest, StoredItalianAndTitlesApplyFromTheStart) {
    test::writeFile(m_home, QStringLiteral("holvex.ini"),
                    "[Misc]\r\nLanguage=2\r\n[Titles]\r\nCount=2\r\nTitle1=Energy\r\nTitle2=Volume\r\n");
    create();
    ASSERT_EQ(table().gridColumnCount(), 14);
    EXPECT_EQ(table().heading(3), QStringLiteral("Valore "));
    EXPECT_EQ(table().heading(13), QStringLiteral("Volume"));
    EXPECT_EQ(m_page->loadButton()->text(), QStringLiteral("Carica"));
}

} // namespace
} // namespace holvex
