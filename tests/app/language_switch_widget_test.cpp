// The whole main window, every page installed, switched between English and Italian through the "Language"
// menu. The test walks the window's own caption table: every control named there must exist and show the
// row's text in the language just chosen (or, while its operation runs, the running caption), and every table
// heading must follow the language. A row naming a missing control, a control that keeps its old text after a
// switch, or a heading left in the other language fails.
#include "accounts/account_file.h"
#include "app/app_controller.h"
#include "app/bus_controller.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "bus/bus.h"
#include "devices/display/display_page.h"
#include "devices/display/display_table_view.h"
#include "devices/display/readings_page.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_page.h"
#include "lang/caption_table.h"
#include "meters/page/meter_table_view.h"
#include "meters/page/meters_page.h"
#include "meters/table/string_grid_model.h"
#include "settings/program_home.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace holvex {
namespace {

const char* languageName(TickedLanguage language) {
    return language == TickedLanguage::Italian ? "Italian" : "English";
}

// What a control shows as its caption, read back the way each kind of control shows it.
std::optional<QString> shownCaption(QObject* object) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        return action->text();
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        return menu->title();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(object)) {
        return label->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(object)) {
        return group->title();
    }
    if (auto* page = qobject_cast<QWidget*>(object)) {
        QWidget* stack = page->parentWidget();
        auto* tabs = qobject_cast<QTabWidget*>(stack ? stack->parentWidget() : nullptr);
        if (tabs && tabs->indexOf(page) >= 0) {
            return tabs->tabText(tabs->indexOf(page));
        }
    }
    return std::nullopt;
}

QStringList shownHeadings(const QTableView* view) {
    QStringList headings;
    const QAbstractItemModel* model = view->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        headings << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return headings;
}

class LanguageSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        QDir().mkpath(ProgramHome::accountFolder());
        ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));
        // Two extra titles, so the meter table's headings have columns past the fixed twelve.
        QFile settings(ProgramHome::settingsFilePath());
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Titles]\nCount=2\nTitle1=Flow\nTitle2=Return temp\n");
        settings.close();

        m_controller =
            std::make_unique<AppController>(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
        m_main = m_controller->mainWindow();
        m_readings = m_main->page(MainWindow::ReadingsPage)->findChild<display::ReadingsPage*>();
        m_receiver = m_main->page(MainWindow::ReceiverPage)->findChild<receiver::ReceiverPage*>();
        ASSERT_NE(m_controller->metersPage(), nullptr);
        ASSERT_NE(m_controller->displayPage(), nullptr);
        ASSERT_NE(m_readings, nullptr);
        ASSERT_NE(m_receiver, nullptr);
    }

    // As the operator does it: the entry of the "Language" menu.
    void choose(TickedLanguage language) {
        MainMenu* menu = m_main->mainMenu();
        (language == TickedLanguage::Italian ? menu->italian() : menu->english())->trigger();
    }

    // Every row of the table against the control it names. `before` is the language shown before the switch:
    // a row the chosen language leaves alone must still show that language's text.
    void expectCaptions(TickedLanguage language, TickedLanguage before) {
        const CaptionTable& table = m_main->captions();
        for (const CaptionRow& row : table.rows()) {
            SCOPED_TRACE(row.objectName.toStdString() + " in " + languageName(language));
            const QList<QObject*> controls = m_main->findChildren<QObject*>(row.objectName);
            EXPECT_FALSE(controls.isEmpty()) << "the caption table names a control the window does not have";
            std::optional<QString> expected = table.caption(row.objectName, language);
            if (!expected) {
                expected = table.caption(row.objectName, before);
            }
            ASSERT_TRUE(expected.has_value());
            for (QObject* control : controls) {
                const std::optional<QString> shown = shownCaption(control);
                ASSERT_TRUE(shown.has_value()) << "the control cannot show a caption";
                EXPECT_EQ(shown->toStdString(), expected->toStdString());
            }
        }
    }

    void expectHeadings(TickedLanguage language) {
        SCOPED_TRACE(languageName(language));
        const RunState& run = m_main->runState();
        EXPECT_EQ(
            shownHeadings(m_controller->metersPage()->tableView()).join(u'|').toStdString(),
            meterTableHeadings(language, run.ExtraTitleCount, run.ExtraTitles).join(u'|').toStdString());

        const QStringList display = shownHeadings(m_controller->displayPage()->tableView());
        const QMap<int, QString> displayTitles = displayTableHeadings(language);
        for (auto it = displayTitles.cbegin(); it != displayTitles.cend(); ++it) {
            ASSERT_LT(it.key(), display.size());
            EXPECT_EQ(display.at(it.key()).toStdString(), it.value().toStdString())
                << "display column " << it.key();
        }

        // The readings table repeats the display table's titles before its month columns.
        const QStringList readings = shownHeadings(m_readings->tableView());
        const QMap<int, QString> months = monthHeadings(language);
        for (int c = 0; c < months.firstKey(); ++c) {
            ASSERT_LT(c, readings.size());
            EXPECT_EQ(readings.at(c).toStdString(), display.at(c).toStdString()) << "readings column " << c;
        }
        for (auto it = months.cbegin(); it != months.cend(); ++it) {
            ASSERT_LT(it.key(), readings.size());
            EXPECT_EQ(readings.at(it.key()).toStdString(), it.value().toStdString())
                << "readings column " << it.key();
        }

        // Only the English table sets the receiver's headings; Italian leaves the English ones.
        const QStringList receiver = shownHeadings(m_receiver->tableView());
        const QMap<int, QString> receiverTitles = receiverTableHeadings();
        for (auto it = receiverTitles.cbegin(); it != receiverTitles.cend(); ++it) {
            ASSERT_LT(it.key(), receiver.size());
            EXPECT_EQ(receiver.at(it.key()).toStdString(), it.value().toStdString())
                << "receiver column " << it.key();
        }
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppController> m_controller;
    MainWindow* m_main = nullptr;
    display::ReadingsPage* m_readings = nullptr;
    receiver::ReceiverPage* m_receiver = nullptr;
};

TEST_F(LanguageSwitchTest, EveryCaptionAndHeadingFollowsTheMenu) {
    ASSERT_EQ(m_main->runState().ExtraTitleCount, 2);
    const CaptionTable& table = m_main->captions();
    // One row per control: a second row for the same name would never be shown.
    QSet<QString> names;
    for (const CaptionRow& row : table.rows()) {
        EXPECT_FALSE(names.contains(row.objectName)) << row.objectName.toStdString() << " has two rows";
        names.insert(row.objectName);
    }

    expectCaptions(TickedLanguage::English, TickedLanguage::English);
    expectHeadings(TickedLanguage::English);
    TickedLanguage shown = TickedLanguage::English;
    for (TickedLanguage language :
         {TickedLanguage::Italian, TickedLanguage::English, TickedLanguage::Italian}) {
        choose(language);
        expectCaptions(language, shown);
        expectHeadings(language);
        shown = language;
    }

    // A heading overwritten behind the window's back is put back by the next English pass.
    m_controller->bus()->bus().receiver().table().setCell(0, 2, QStringLiteral("edited"));
    choose(TickedLanguage::English);
    expectHeadings(TickedLanguage::English);
}

TEST_F(LanguageSwitchTest, RunningCaptionsSurviveTheSwitch) {
    // Every control with a running caption is marked running, as its operation does when it starts; a switch
    // must then show the running caption in the new language, and the end of the run the idle one again.
    CaptionTable& table = m_main->captions();
    int running = 0;
    for (const CaptionRow& row : table.rows()) {
        table.setRunning(row.objectName, true, TickedLanguage::English);
        running += table.isRunning(row.objectName) ? 1 : 0;
    }
    EXPECT_GE(running, 2);
    TickedLanguage shown = TickedLanguage::English;
    for (TickedLanguage language : {TickedLanguage::Italian, TickedLanguage::English}) {
        choose(language);
        expectCaptions(language, shown);
        shown = language;
    }
    for (const CaptionRow& row : table.rows()) {
        table.setRunning(row.objectName, false, TickedLanguage::English);
    }
    choose(TickedLanguage::Italian);
    expectCaptions(TickedLanguage::Italian, TickedLanguage::English);
}

} // namespace
} // namespace holvex
