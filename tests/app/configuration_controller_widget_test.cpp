// The configuration group and "Auto address" of page 1 in front of the real configuration commands and the
// automatic addressing, over a scripted channel; every tick is called by hand.
#include "../meters/fake_link.h"
#include "accounts/access_grant.h"
#include "app/command_line_widget.h"
#include "app/configuration_controller.h"
#include "app/main_window.h"
#include "app/page_installer.h"
#include "app/search_group_widget.h"
#include "meters/ops/meter_operations.h"
#include "meters/ops/secondary_search.h"
#include "meters/page/configuration_group_widget.h"
#include "meters/page/meters_page.h"
#include "settings/program_home.h"
#include "ui/desktop_hooks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace holvex {
namespace {

using test::FakeLink;
using test::FakeLog;
using test::FakeProgress;

class AnsweringHooks : public DesktopHooks {
public:
    YesNoCancel askYesNoCancel(QWidget*, const QString& title, const QString& text) override {
        titles.append(title);
        texts.append(text);
        return answer;
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void warn(QWidget*, const QString&, const QString&) override {}
    void openDocument(const QString&) override {}

    YesNoCancel answer = YesNoCancel::No;
    QStringList titles;
    QStringList texts;
};

class ConfigurationControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        m_window =
            std::make_unique<MainWindow>(m_settings, m_run, m_language, ProgramHome::settingsFilePath());
        m_window->setDesktopHooks(&m_hooks);
        m_page = installMetersPage(*m_window);
        AccessGrant grant;
        grant.devicesAllowed = true;
        m_window->applyAccessGrant(grant);
        m_bus = std::make_unique<Bus>(
            BusParts{m_settings, m_run, m_log, m_progress, m_language, m_page->meterTable()},
            BusHooks{&m_links, [] { return QLatin1Char('.'); }, [] { return QStringLiteral("10:00:00"); },
                     [] { return QStringLiteral("08/12/2026"); },
                     [](int) {
                     }});
        m_ops = &m_bus->operations();
        m_search = &m_bus->secondarySearch();
        m_controller = std::make_unique<ConfigurationController>(*m_window, *m_page, *m_bus);
        // As the bus controller keeps the read paths in step with the box.
        QObject::connect(m_page->broadcastBox(), &QCheckBox::toggled, &m_ops->readCycle(),
                         &ReadCycle::setBroadcast);
    }
    void TearDown() override {
        m_controller.reset();
        m_bus.reset();
        m_window.reset();
    }

    ConfigurationGroupWidget& group() { return *m_page->configurationGroup(); }
    StringGridModel& table() { return m_page->meterTable(); }
    QAction* entry(MetersPage::ContextEntry which) { return m_page->contextAction(which); }

    // Meters with these IDs at addresses 1.. and the empty row a scan leaves below them.
    void fillMeters(const QStringList& ids) {
        QList<QStringList> rows;
        for (int i = 0; i < ids.size(); ++i) {
            rows.append({ids[i], QString::number(i + 1)});
        }
        rows.append(QStringList{});
        table().setRows(1, rows);
    }
    void selectOnly(int row) {
        for (int r = 1; r < table().gridRowCount(); ++r) {
            table().setMarked(r, r == row);
        }
        m_run.SelectedAddress = table().cell(row, 1);
        m_run.SelectedId = table().cell(row, 0);
        m_run.FocusedRow = row;
    }
    // Whether every control an addressing run locks has the given state.
    void expectAddressingLocks(bool enabled) {
        const SearchGroupWidget* search = m_window->searchGroup();
        EXPECT_EQ(search->findPrimaryButton()->isEnabled(), enabled);
        EXPECT_EQ(search->findIdButton()->isEnabled(), enabled);
        EXPECT_EQ(search->findAllButton()->isEnabled(), enabled);
        EXPECT_EQ(m_page->readAllButton()->isEnabled(), enabled);
        EXPECT_EQ(m_page->readSelectedButton()->isEnabled(), enabled);
        EXPECT_EQ(entry(MetersPage::ReadSelectedEntry)->isEnabled(), enabled);
        EXPECT_EQ(entry(MetersPage::FullReadEntry)->isEnabled(), enabled);
        EXPECT_EQ(entry(MetersPage::ReadAllEntry)->isEnabled(), enabled);
        EXPECT_EQ(m_window->commandLine()->sendButton()->isEnabled(), enabled);
        expectGroupEnabled(enabled);
    }
    void expectGroupEnabled(bool enabled) {
        EXPECT_EQ(group().configurationEnabled(), enabled);
        for (MetersPage::ContextEntry which : {MetersPage::SetMediumEntry, MetersPage::SetUnitEntry,
                                               MetersPage::SetBaudEntry, MetersPage::SetPulseWidthEntry}) {
            EXPECT_EQ(entry(which)->isEnabled(), enabled) << which;
        }
    }

    QTemporaryDir m_home;
    Settings m_settings;
    RunState m_run;
    MessageLanguage m_language;
    AnsweringHooks m_hooks;
    FakeLog m_log;
    FakeLink m_channel;
    test::SingleLinkSet m_links{m_channel};
    FakeProgress m_progress;
    std::unique_ptr<MainWindow> m_window;
    MetersPage* m_page = nullptr;
    std::unique_ptr<Bus> m_bus;
    MeterOperations* m_ops = nullptr;
    SecondarySearch* m_search = nullptr;
    std::unique_ptr<ConfigurationController> m_controller;
};

TEST_F(ConfigurationControllerTest, TheGroupSitsBesideTheTableAndItsMenuEntriesAreLive) {
    ASSERT_NE(m_page->configurationGroup(), nullptr);
    EXPECT_TRUE(m_page->isAncestorOf(m_page->configurationGroup()));
    expectGroupEnabled(true);
    // Italian captions come from the window's own table.
    m_window->chooseItalian();
    EXPECT_EQ(group().commandButton(ConfigurationCommand::Baud)->text(), QStringLiteral("Imposta"));
    EXPECT_EQ(group().group()->title(), QStringLiteral("   Config. Avanzata   "));
    m_window->chooseEnglish();
    EXPECT_EQ(group().commandButton(ConfigurationCommand::Baud)->text(), QStringLiteral("Set"));
}

TEST_F(ConfigurationControllerTest, TheBaudButtonSendsTheBaudFrameToTheSelectedMeter) {
    fillMeters({"12345678"});
    selectOnly(1);
    group().baudBox()->setEditText(QStringLiteral("2400"));
    group().commandButton(ConfigurationCommand::Baud)->click();
    ASSERT_FALSE(m_channel.sent.isEmpty());
    EXPECT_EQ(m_channel.sent.last(), QStringLiteral("68 03 03 68 53 01 BB 0F 16"));
}

TEST_F(ConfigurationControllerTest, TheResetTakesBroadcastFromThePagesBox) {
    fillMeters({"12345678"});
    selectOnly(1);
    m_page->broadcastBox()->setChecked(true);
    group().commandButton(ConfigurationCommand::Reset)->click();
    ASSERT_FALSE(m_channel.sent.isEmpty());
    EXPECT_EQ(m_channel.sent.last(), QStringLiteral("10 40 FE 3E 16"));
}

struct EntryCase {
    MetersPage::ContextEntry entry;
    const char* logged; // what the command says about its empty box
};

class ContextEntryTest : public ConfigurationControllerTest,
                         public ::testing::WithParamInterface<EntryCase> {};

TEST_P(ContextEntryTest, RunsTheMatchingSetButtonsCommand) {
    fillMeters({"12345678"});
    selectOnly(1);
    entry(GetParam().entry)->trigger();
    EXPECT_TRUE(m_log.has(QString::fromLatin1(GetParam().logged))) << m_log.lines.join('|').toStdString();
    EXPECT_TRUE(m_channel.sent.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ContextEntryTest,
    ::testing::Values(EntryCase{MetersPage::SetMediumEntry, "Incomplete data entered to program medium ..."},
                      EntryCase{MetersPage::SetUnitEntry,
                                "Incorrect unit. Allowable units are l,Wh,kJ,N/A..."},
                      EntryCase{MetersPage::SetBaudEntry, "Wrong baud..."},
                      EntryCase{MetersPage::SetPulseWidthEntry, "Wrong pulse width..."}));

TEST_F(ConfigurationControllerTest, WithoutTheRightToSetDevicesTheMenuEntriesReachNothing) {
    fillMeters({"12345678"});
    selectOnly(1);
    AccessGrant operatorOnly;
    m_window->applyAccessGrant(operatorOnly);
    ASSERT_TRUE(group().group()->isHidden());
    group().baudBox()->setEditText(QStringLiteral("2400"));
    entry(MetersPage::SetBaudEntry)->trigger();
    entry(MetersPage::SetPulseWidthEntry)->trigger();
    EXPECT_TRUE(m_channel.sent.isEmpty());
    EXPECT_TRUE(m_log.lines.isEmpty());
}

TEST_F(ConfigurationControllerTest, SeveralMarksLockTheGroupUntilTheLastRowIsPassed) {
    m_settings.Retry = 0;
    fillMeters({"11111111", "22222222"});
    table().setMarked(1, true);
    table().setMarked(2, true);
    group().baudBox()->setEditText(QStringLiteral("300"));
    group().commandButton(ConfigurationCommand::Baud)->click();
    ASSERT_TRUE(m_ops->rowRunner().running());
    expectGroupEnabled(false);

    // A menu entry cannot reach the locked group.
    const qsizetype sent = m_channel.sent.size();
    entry(MetersPage::SetBaudEntry)->trigger();
    EXPECT_EQ(m_channel.sent.size(), sent);

    for (int tick = 0; tick < 10 && m_ops->rowRunner().running(); ++tick) {
        m_ops->rowRunner().tick();
    }
    ASSERT_FALSE(m_ops->rowRunner().running());
    expectGroupEnabled(true);
    EXPECT_TRUE(m_channel.sent.contains(QStringLiteral("68 03 03 68 53 02 B8 0D 16")));
}

TEST_F(ConfigurationControllerTest, TheCounterTypeCommandTicksTheCommandLinesHexBox) {
    fillMeters({"12345678", "87654321"});
    selectOnly(2);
    m_window->commandLine()->setAsciiMode();
    group().counterTypeBox()->setCurrentIndex(1); // "Single ID for all"
    group().commandButton(ConfigurationCommand::CounterType)->click();
    EXPECT_TRUE(m_window->commandLine()->hexMode());
    ASSERT_FALSE(m_channel.sent.isEmpty());
    EXPECT_TRUE(m_channel.sent.last().startsWith(QStringLiteral("68 0B 0B 68 53 02 51")));
}

TEST_F(ConfigurationControllerTest, AutoAddressAsksFirstAndNoStartsNothing) {
    fillMeters({"11111111", "22222222", "33333333"});
    m_hooks.answer = YesNoCancel::No;
    group().autoAddressButton()->click();
    ASSERT_EQ(m_hooks.titles.size(), 1);
    EXPECT_EQ(m_hooks.titles[0], QStringLiteral("Address confirmation"));
    EXPECT_EQ(m_hooks.texts[0], QStringLiteral("This will address automatically ALL devices (primary), OK?"));
    EXPECT_FALSE(m_ops->autoAddressing().running());
    EXPECT_EQ(group().autoAddressButton()->text(), QStringLiteral("Auto address"));
    expectAddressingLocks(true);
    EXPECT_TRUE(m_channel.sent.isEmpty());

    m_language.setTicked(TickedLanguage::Italian);
    m_hooks.answer = YesNoCancel::Cancel;
    group().autoAddressButton()->click();
    ASSERT_EQ(m_hooks.titles.size(), 2);
    EXPECT_EQ(m_hooks.titles[1], QStringLiteral("Conferma addressing"));
    EXPECT_EQ(m_hooks.texts[1], QStringLiteral("This will address automatically ALL devices (primary), OK?"));
    EXPECT_FALSE(m_ops->autoAddressing().running());
}

TEST_F(ConfigurationControllerTest, AnAddressingRunLocksItsControlsAndTheButtonStopsIt) {
    fillMeters({"11111111", "22222222", "33333333"});
    table().setMarked(1, true); // the set-primary-address command wants exactly one marked row
    m_page->broadcastBox()->setChecked(true);
    group().autoAddressField()->setValue(10);
    m_hooks.answer = YesNoCancel::Yes;
    group().autoAddressButton()->click();

    ASSERT_TRUE(m_ops->autoAddressing().running());
    EXPECT_EQ(group().autoAddressButton()->text(), QStringLiteral("Stop addr"));
    EXPECT_TRUE(group().autoAddressButton()->isEnabled());
    expectAddressingLocks(false);
    EXPECT_FALSE(m_page->broadcastBox()->isChecked());
    // The first row's new address went through the spin box the command reads.
    EXPECT_EQ(group().primaryAddressField()->value(), 10);
    EXPECT_EQ(m_run.SelectedId, QStringLiteral("11111111"));
    EXPECT_EQ(m_page->idLabel()->text(), QStringLiteral("ID:11111111"));
    ASSERT_FALSE(m_channel.sent.isEmpty());
    EXPECT_TRUE(m_channel.sent.first().startsWith(QStringLiteral("68 0B 0B 68 53 FD 52 11 11 11 11")));

    group().autoAddressButton()->click();
    EXPECT_FALSE(m_ops->autoAddressing().running());
    EXPECT_EQ(group().autoAddressButton()->text(), QStringLiteral("Auto address"));
    expectAddressingLocks(true);
    EXPECT_EQ(m_hooks.titles.size(), 1); // stopping asks nothing
}

TEST_F(ConfigurationControllerTest, ATableWithOneRowHasNothingToAutoAddress) {
    m_hooks.answer = YesNoCancel::Yes;
    group().autoAddressButton()->click();
    EXPECT_TRUE(m_log.has(QStringLiteral("Nothing to auto address...")));
    EXPECT_TRUE(m_hooks.titles.isEmpty());
    EXPECT_FALSE(m_ops->autoAddressing().running());
}

TEST_F(ConfigurationControllerTest, AScanLocksTheGroupAndAutoAddressUntilItEnds) {
    fillMeters({"11111111", "22222222"});
    ASSERT_TRUE(m_ops->scan().start(QStringLiteral("1"), QStringLiteral("3")));
    expectGroupEnabled(false);
    EXPECT_FALSE(group().autoAddressButton()->isEnabled());

    // Even a press that reaches the controller directly starts nothing while the bus is held.
    m_hooks.answer = YesNoCancel::Yes;
    m_controller->toggleAutoAddressing();
    EXPECT_TRUE(m_hooks.titles.isEmpty());
    const qsizetype sent = m_channel.sent.size();
    m_controller->runCommand(ConfigurationCommand::Reset);
    EXPECT_EQ(m_channel.sent.size(), sent);

    m_ops->scan().stop();
    expectGroupEnabled(true);
    EXPECT_TRUE(group().autoAddressButton()->isEnabled());
}

TEST_F(ConfigurationControllerTest, TheSecondarySearchLocksTheGroupAndAutoAddressToo) {
    emit m_search->searchStarted();
    expectGroupEnabled(false);
    EXPECT_FALSE(group().autoAddressButton()->isEnabled());
    emit m_search->searchFinished();
    expectGroupEnabled(true);
    EXPECT_TRUE(group().autoAddressButton()->isEnabled());
}

TEST_F(ConfigurationControllerTest, TheRelayCounterComesFromThePagesHiddenField) {
    m_page->relayCounterField()->setText(QStringLiteral("12345"));
    EXPECT_EQ(group().inputs().relayCounter, QStringLiteral("12345"));
}

} // namespace
} // namespace holvex
