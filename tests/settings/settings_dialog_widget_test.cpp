#include "settings/settings_dialog.h"

#include "bus/run_state.h"
#include "lang/message_language.h"
#include "settings/program_home.h"
#include "settings/settings_file.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace holvex {
namespace {

struct Warning {
    QString title;
    QString text;
};

// A dialog over a settings file in a fresh home folder, with the warning box captured.
class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ProgramHome::set(m_home.path()); }

    void writeFile(const char* text) {
        test::writeFile(m_home, QStringLiteral("holvex.ini"), QByteArray(text));
    }

    SettingsDialog& open() {
        m_dialog = std::make_unique<SettingsDialog>(m_settings, m_state, m_language);
        m_dialog->warn = [this](QWidget*, const QString& title, const QString& text) {
            m_warnings.push_back({title, text});
        };
        return *m_dialog;
    }

    template <typename T> T* control(const char* name) {
        T* found = m_dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    bool ticked(const char* name) { return control<QCheckBox>(name)->isChecked(); }

    QTemporaryDir m_home;
    Settings m_settings;
    RunState m_state;
    MessageLanguage m_language;
    std::unique_ptr<SettingsDialog> m_dialog;
    std::vector<Warning> m_warnings;
};

struct ChannelCase {
    const char* file;
    bool ethernet;
    bool lanXp;
    bool ferrinServ;
};

TEST_F(SettingsDialogTest, LastChannelBoxInFileOrderWins) {
    const ChannelCase cases[] = {
        {"[Misc]\n", false, false, false},
        {"[Misc]\nUseEthernet=1\n", true, false, false},
        {"[Misc]\nUseEthernet=1\nUseLANXP=1\n", false, true, false},
        {"[Misc]\nUseFerrinServ=1\nUseEthernet=1\n", false, false, true},
        {"[Misc]\nUseEthernet=1\nUseLANXP=1\nUseFerrinServ=1\n", false, false, true},
    };
    open();
    for (const ChannelCase& c : cases) {
        writeFile(c.file);
        m_dialog->loadFromFile();
        EXPECT_EQ(ticked("Check_ethernet"), c.ethernet) << c.file;
        EXPECT_EQ(ticked("Check_lanxp"), c.lanXp) << c.file;
        EXPECT_EQ(ticked("Check_ferrin_serv"), c.ferrinServ) << c.file;
        EXPECT_EQ(m_settings.UseEthernet, c.ethernet) << c.file;
        EXPECT_EQ(m_settings.UseLanXp, c.lanXp) << c.file;
        EXPECT_EQ(m_settings.UseFerrinServ, c.ferrinServ) << c.file;
        EXPECT_EQ(control<QGroupBox>("Group_remote")->isEnabled(), c.lanXp || c.ferrinServ) << c.file;
        EXPECT_EQ(control<QGroupBox>("Group_ethernet")->isEnabled(), c.ethernet) << c.file;
    }
}

TEST_F(SettingsDialogTest, ClickingAChannelBoxUnticksTheOthers) {
    writeFile("[Misc]\nUseEthernet=1\n");
    open();
    control<QCheckBox>("Check_lanxp")->click();
    EXPECT_FALSE(m_settings.UseEthernet);
    EXPECT_TRUE(m_settings.UseLanXp);
    EXPECT_TRUE(control<QGroupBox>("Group_remote")->isEnabled());
    EXPECT_FALSE(control<QGroupBox>("Group_ethernet")->isEnabled());
    control<QCheckBox>("Check_lanxp")->click(); // unticked: back to the serial port
    EXPECT_FALSE(control<QGroupBox>("Group_remote")->isEnabled());
}

TEST_F(SettingsDialogTest, SearchOrderBoxes) {
    writeFile("[Misc]\nMSBSearch=1\nLSBSearch=1\n");
    open();
    EXPECT_FALSE(ticked("Check_msb"));
    EXPECT_TRUE(ticked("Check_lsb"));

    writeFile("[Misc]\nMSBSearch=0\nLSBSearch=0\n");
    m_dialog->loadFromFile();
    EXPECT_FALSE(ticked("Check_msb"));
    EXPECT_FALSE(ticked("Check_lsb"));
    EXPECT_FALSE(m_settings.MsbSearch);
    EXPECT_FALSE(m_settings.LsbSearch);

    control<QCheckBox>("Check_lsb")->click();
    EXPECT_TRUE(m_settings.LsbSearch);
    EXPECT_FALSE(m_settings.MsbSearch);
    control<QCheckBox>("Check_msb")->click();
    EXPECT_TRUE(m_settings.MsbSearch);
    EXPECT_FALSE(m_settings.LsbSearch);
    control<QCheckBox>("Check_msb")->click(); // unticking one ticks the other
    EXPECT_FALSE(m_settings.MsbSearch);
    EXPECT_TRUE(m_settings.LsbSearch);
}

TEST_F(SettingsDialogTest, GatewayCallInActionsExcludeEachOther) {
    writeFile("[Ethernet]\nAutoMbus=1\n"); // "KeepAlive" defaults to 1 and comes later
    open();
    EXPECT_FALSE(ticked("Check_auto_mbus"));
    EXPECT_TRUE(ticked("Check_keep_alive"));

    writeFile("[Ethernet]\nAutoMbus=1\nKeepAlive=0\n");
    m_dialog->loadFromFile();
    EXPECT_TRUE(m_settings.AutoMbus);
    EXPECT_FALSE(m_settings.KeepAlive);

    control<QCheckBox>("Check_auto_lumet")->setChecked(true);
    EXPECT_FALSE(m_settings.AutoMbus);
    control<QCheckBox>("Check_keep_alive")->setChecked(true);
    EXPECT_FALSE(m_settings.AutoLumet);
    control<QCheckBox>("Check_auto_sec")->setChecked(true);
    EXPECT_FALSE(m_settings.KeepAlive);
    EXPECT_TRUE(m_settings.AutoSec);
}

TEST_F(SettingsDialogTest, TitleFieldsEnabledForTheCount) {
    writeFile("[Titles]\nCount=0\nTitle1=Energy\n");
    open();
    for (int i = 1; i <= 15; ++i) {
        EXPECT_FALSE(
            control<QLineEdit>(QStringLiteral("Edit_title%1").arg(i).toLatin1().constData())->isEnabled());
    }
    writeFile("[Titles]\nCount=3\n");
    m_dialog->loadFromFile();
    for (int i = 1; i <= 15; ++i) {
        EXPECT_EQ(
            control<QLineEdit>(QStringLiteral("Edit_title%1").arg(i).toLatin1().constData())->isEnabled(),
            i <= 3)
            << i;
    }
    control<QSpinBox>("UD_title_count")->setValue(15);
    EXPECT_TRUE(control<QLineEdit>("Edit_title15")->isEnabled());
    EXPECT_EQ(m_settings.TitleCount, 15);
}

TEST_F(SettingsDialogTest, ControlsAreTheLiveSettingsUntilReloaded) {
    writeFile("[Misc]\nRetry=2\n");
    open();
    EXPECT_EQ(m_settings.Retry, 2);
    EXPECT_TRUE(control<QCheckBox>("Check_fast_reply")->isChecked()); // no key: on
    control<QCheckBox>("Check_fast_reply")->click();
    EXPECT_FALSE(m_settings.FastReply);
    control<QSpinBox>("UD_retry")->setValue(5);
    control<QComboBox>("Combo_port_name")
        ->setCurrentText(QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00"));
    EXPECT_EQ(m_settings.Retry, 5);
    EXPECT_EQ(m_settings.PortName, QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00"));
    m_dialog->loadFromFile(); // not applied: dropped
    EXPECT_EQ(m_settings.Retry, 2);
    EXPECT_TRUE(m_settings.FastReply);
    EXPECT_EQ(m_settings.PortName, QStringLiteral("COM1"));
}

TEST_F(SettingsDialogTest, ActivationReloadsExceptRightAfterTheWarning) {
    writeFile("[Misc]\nRetry=2\n");
    open();
    m_dialog->show();
    control<QSpinBox>("UD_retry")->setValue(6);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(m_dialog.get(), &activate);
    EXPECT_EQ(m_settings.Retry, 2);

    // The window is activated again when the warning box closes: the entered value must survive.
    ProgramHome::set(
        QDir(test::writeFile(m_home, QStringLiteral("plain"), "x")).filePath(QStringLiteral("h")));
    m_dialog->warn = [this](QWidget*, const QString&, const QString&) {
        QEvent again(QEvent::WindowActivate);
        QApplication::sendEvent(m_dialog.get(), &again);
    };
    control<QSpinBox>("UD_retry")->setValue(8);
    control<QPushButton>("Butt_apply")->click();
    EXPECT_EQ(m_settings.Retry, 8);
}

TEST_F(SettingsDialogTest, EnterInAFieldNeitherAppliesNorCloses) {
    open();
    m_dialog->show();
    QSignalSpy applied(m_dialog.get(), &SettingsDialog::communicationApplied);
    QTest::keyClick(control<QLineEdit>("Edit_export_separator"), Qt::Key_Return);
    EXPECT_EQ(applied.count(), 0);
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(SettingsDialogTest, PortNameListsComPorts) {
    open();
    auto* name = control<QComboBox>("Combo_port_name");
    EXPECT_EQ(name->itemText(0), QStringLiteral("COM1"));
    EXPECT_GE(name->findText(QStringLiteral("COM30")), 0);
}

TEST_F(SettingsDialogTest, KeyFiltersOfPortAndAddressFields) {
    open();
    m_dialog->show();
    control<QCheckBox>("Check_lanxp")->click(); // the remote group takes input only while in use
    auto* port = control<QLineEdit>("Edit_remote_port");
    port->clear();
    QTest::keyClicks(port, QStringLiteral("40a0-1"));
    EXPECT_EQ(port->text(), QStringLiteral("4001"));
    auto* ip = control<QLineEdit>("Edit_remote_ip");
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("10.0,0.x1"));
    EXPECT_EQ(ip->text(), QStringLiteral("10.00.1"));
}

TEST_F(SettingsDialogTest, CommunicationApplyWritesItsKeysAndClosesTheServer) {
    writeFile("[Misc]\nLanguage=2\nVendorKey=kept\n[Titles]\nCount=4\n");
    open();
    m_state.ServerListening = true;
    m_state.GatewayCalledIn = true;
    QSignalSpy closeRequests(m_dialog.get(), &SettingsDialog::serverSocketCloseRequested);
    QSignalSpy applied(m_dialog.get(), &SettingsDialog::communicationApplied);
    control<QCheckBox>("Check_ethernet")->click();
    control<QLineEdit>("Edit_listen_port")->setText(QStringLiteral("6000"));
    control<QSpinBox>("UD_title_count")->setValue(9); // page 2, not written by page 1
    control<QPushButton>("Butt_apply")->click();

    EXPECT_EQ(closeRequests.count(), 1);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_FALSE(m_state.ServerListening);
    EXPECT_FALSE(m_state.GatewayCalledIn);
    EXPECT_TRUE(m_warnings.empty());
    const Settings stored = loadSettingsFile(ProgramHome::settingsFilePath());
    EXPECT_TRUE(stored.UseEthernet);
    EXPECT_EQ(stored.ListenPort, QStringLiteral("6000"));
    EXPECT_EQ(stored.Language, 2);
    EXPECT_EQ(stored.TitleCount, 4);
    EXPECT_TRUE(test::readFile(ProgramHome::settingsFilePath()).contains("VendorKey=kept"));
}

TEST_F(SettingsDialogTest, ServerIsLeftAloneWithoutGatewaysAsClients) {
    open();
    m_state.ServerListening = true;
    QSignalSpy closeRequests(m_dialog.get(), &SettingsDialog::serverSocketCloseRequested);
    control<QPushButton>("Butt_apply")->click();
    EXPECT_EQ(closeRequests.count(), 0);
    EXPECT_TRUE(m_state.ServerListening);
}

TEST_F(SettingsDialogTest, TitlesApplyCopiesCutTitlesIntoTheRunState) {
    open();
    QSignalSpy applied(m_dialog.get(), &SettingsDialog::titlesApplied);
    control<QSpinBox>("UD_title_count")->setValue(2);
    control<QLineEdit>("Edit_title1")->setText(QStringLiteral("Energy tariff one and two"));
    control<QLineEdit>("Edit_title2")->setText(QStringLiteral("Flow"));
    control<QPushButton>("Butt_apply_titles")->click();
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(m_state.ExtraTitleCount, 2);
    EXPECT_EQ(m_state.ExtraTitles.size(), 15);
    EXPECT_EQ(m_state.ExtraTitles.at(0), QStringLiteral("Energy tariff o"));
    EXPECT_EQ(m_state.ExtraTitles.at(1), QStringLiteral("Flow"));
    const Settings stored = loadSettingsFile(ProgramHome::settingsFilePath());
    EXPECT_EQ(stored.TitleCount, 2);
    EXPECT_EQ(stored.Titles.at(0), QStringLiteral("Energy tariff o"));
}

TEST_F(SettingsDialogTest, UnwritableFileWarnsAndKeepsTheValues) {
    // The home folder's path runs through a plain file, so the settings file cannot be created.
    const QString blocker = test::writeFile(m_home, QStringLiteral("plain"), QByteArray("x"));
    ProgramHome::set(QDir(blocker).filePath(QStringLiteral("home")));
    open();
    QSignalSpy applied(m_dialog.get(), &SettingsDialog::communicationApplied);
    control<QSpinBox>("UD_retry")->setValue(7);
    control<QCheckBox>("Check_ethernet")->click();
    m_state.GatewayCalledIn = true;
    control<QPushButton>("Butt_apply")->click();
    ASSERT_EQ(m_warnings.size(), 1U);
    EXPECT_EQ(m_warnings.at(0).title, QStringLiteral("Saving settings"));
    EXPECT_EQ(m_warnings.at(0).text, QStringLiteral("Settings will not be saved, no write permission"));
    EXPECT_EQ(applied.count(), 1);
    EXPECT_FALSE(m_state.GatewayCalledIn); // the rest of "Apply" still happens
    EXPECT_FALSE(m_dialog->isVisible());

    control<QSpinBox>("UD_title_count")->setValue(1);
    control<QLineEdit>("Edit_title1")->setText(QStringLiteral("Volume"));
    control<QPushButton>("Butt_apply_titles")->click();
    EXPECT_EQ(m_warnings.size(), 2U);
    EXPECT_EQ(m_state.ExtraTitleCount, 1);
    EXPECT_EQ(m_state.ExtraTitles.at(0), QStringLiteral("Volume"));

    // Opening the window again does not throw away what could not be saved.
    m_dialog->loadFromFile();
    EXPECT_EQ(m_settings.Retry, 7);
    EXPECT_TRUE(m_settings.UseEthernet);
    EXPECT_EQ(m_settings.Titles.at(0), QStringLiteral("Volume"));
}

TEST_F(SettingsDialogTest, CaptionsFollowTheTickedLanguageOnActivation) {
    open();
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Holvex -> Settings"));
    m_language.setTicked(TickedLanguage::Italian);
    m_dialog->show();
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Impostazioni"));
    EXPECT_EQ(control<QGroupBox>("Group_serial")->title(), QStringLiteral("   Impostazioni seriale   "));
    EXPECT_EQ(control<QPushButton>("Butt_apply")->text(), QStringLiteral("Applica"));
    EXPECT_EQ(control<QPushButton>("Butt_cancel")->text(), QStringLiteral("Cancella"));
    m_dialog->hide();
    m_language.setTicked(TickedLanguage::English);
    m_dialog->show();
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(control<QPushButton>("Butt_apply")->text(), QStringLiteral("Apply"));
    control<QPushButton>("Butt_cancel")->click();
    EXPECT_FALSE(m_dialog->isVisible());
}

} // namespace
} // namespace holvex
