// Page 2 in the whole window against the simulated gateway's RS-232 service port on a pseudo-terminal.
#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "app/app_controller.h"
#include "app/command_line_widget.h"
#include "app/main_window.h"
#include "app/search_group_widget.h"
#include "bus/timer_set.h"
#include "devices/gateway/gateway_page.h"
#include "log/log_pane.h"
#include "settings/program_home.h"
#include "sim/gateway_service_port.h"
#include "sim/sim_thread.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace holvex {
namespace {

using gateway::GatewayControl;
using gateway::GatewayPage;

constexpr const char* kInstallation = R"({
  "turnaroundMs": 5,
  "gateway": {"service": {"product": "Ferrin"}},
  "meters": []
})";

constexpr int kAnswerBound = 5000; // ms

class GatewayPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        QDir().mkpath(ProgramHome::accountFolder());
        ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));

        QString error;
        ASSERT_TRUE(m_sim.start(QByteArray(kInstallation), &error)) << error.toStdString();
        ASSERT_TRUE(m_sim.record(m_home.filePath(QStringLiteral("record.txt"))));
        const QString tty = m_home.filePath(QStringLiteral("ttyGW"));
        ASSERT_TRUE(m_sim.addPty(tty, &error)) << error.toStdString();

        m_controller =
            std::make_unique<AppController>(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
        m_main = m_controller->mainWindow();
        Settings& settings = m_main->settings();
        settings.PortName = tty;
        settings.Speed = QStringLiteral("9600");
        m_main->searchGroup()->setResponseTimeout(300);
        m_controller->start();
        AccessGrant admin;
        admin.level = QStringLiteral("Administrator");
        admin.communicationAllowed = true;
        emit m_controller->loginWindow()->loginSucceeded(admin);
        m_page = m_main->findChild<GatewayPage*>();
        ASSERT_NE(m_page, nullptr);
        m_main->pages()->setCurrentIndex(MainWindow::CommunicationPage);
    }

    void TearDown() override {
        m_controller.reset();
        m_sim.stop();
    }

    template <typename T> T* control(const char* name) {
        T* found = m_page->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    bool logHas(const QString& text) {
        const QStringList lines = m_main->logPane()->lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    // The text lines the service port received so far.
    QStringList received() {
        QFile file(m_home.filePath(QStringLiteral("record.txt")));
        QStringList lines;
        if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            for (const QString& line : QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'))) {
                if (line.startsWith(QStringLiteral("TEXT "))) {
                    lines.append(line.mid(5));
                }
            }
        }
        return lines;
    }

    QByteArray setting(const char* key) {
        const std::optional<sim::GatewayServicePort> port = m_sim.gatewayService();
        return port ? port->setting(key) : QByteArray();
    }

    // Types into a field as the operator would, the field's key filter included.
    void type(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }

    QTimer& answerTimer() { return *m_main->timers()->timer(TimerId::FreeCommand); }

    // Presses the control's button and waits until the answer timer has shown what came back.
    void pressAndAwait(GatewayControl which, const QString& answer) {
        QTest::mouseClick(m_page->button(which), Qt::LeftButton);
        EXPECT_TRUE(answerTimer().isActive());
        EXPECT_TRUE(QTest::qWaitFor([&] { return logHas(answer); }, kAnswerBound)) << answer.toStdString();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !answerTimer().isActive(); }, kAnswerBound));
    }

    QTemporaryDir m_home;
    sim::SimThread m_sim;
    std::unique_ptr<AppController> m_controller;
    MainWindow* m_main = nullptr;
    GatewayPage* m_page = nullptr;
};

TEST_F(GatewayPageTest, SettingsAndRequestsReachTheServicePortAndTheAnswersTheLog) {
    EXPECT_FALSE(m_main->commandLine()->hexMode()); // page 2 shows answers as text

    // An IP typed with a stray letter: the key filter keeps it out.
    type(control<QLineEdit>("Edit_gw_ipv4"), QStringLiteral("192.168.1.7x0"));
    EXPECT_EQ(control<QLineEdit>("Edit_gw_ipv4")->text(), QStringLiteral("192.168.1.70"));
    pressAndAwait(GatewayControl::OwnIp, QStringLiteral("Own IP: 192.168.1.70"));
    EXPECT_TRUE(logHas(QStringLiteral("Changing own IP of Ferrin2...")));
    EXPECT_EQ(setting("IPV4"), QByteArray("192.168.1.70"));

    control<QSpinBox>("UD_gw_pito")->setValue(5);
    pressAndAwait(GatewayControl::PingTimeout, QStringLiteral("Ping server timeout: 05"));

    // "#3" alone: ticking it clears "#1".
    m_page->operatorBox(0)->click();
    m_page->operatorBox(2)->click();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_page->operatorBox(i)->isChecked(), i == 2) << i;
    }
    type(control<QLineEdit>("Edit_gw_ipop"), QStringLiteral("10.1.1.3"));
    EXPECT_EQ(m_main->operatorServer(), QStringLiteral("10.1.1.3")); // saved as IPO1 at close
    pressAndAwait(GatewayControl::OperatorIp, QStringLiteral("Operator IP #3: 10.1.1.3"));
    EXPECT_EQ(setting("IPO1"), QByteArray("0.0.0.0"));

    // A wrong IP is refused before anything is written.
    type(control<QLineEdit>("Edit_gw_mask"), QStringLiteral("255.255.300.0"));
    QTest::mouseClick(m_page->button(GatewayControl::Netmask), Qt::LeftButton);
    EXPECT_TRUE(logHas(QStringLiteral("Wrong IP value, please correct...")));
    EXPECT_FALSE(answerTimer().isActive());

    pressAndAwait(GatewayControl::MainInfo, QStringLiteral("Ferrin-2 Ethernet gateway"));
    EXPECT_EQ(received(),
              (QStringList{"SET IPV4=192.168.1.70", "SET PITO=05", "SET IPO3=10.1.1.3", "GET MAIN"}));
    EXPECT_FALSE(m_main->runState().PortOpen); // the answer's tick closed the port
}

TEST_F(GatewayPageTest, TheProductSelectorEnablesItsControlsThePinAndThePhone) {
    QLineEdit* ownIp = control<QLineEdit>("Edit_gw_ipv4");
    QLineEdit* pin = control<QLineEdit>("Edit_gw_pin");
    QPushButton* gprsInfo = m_page->button(GatewayControl::GprsInfo);
    EXPECT_TRUE(m_page->ferrinBox()->isChecked());
    EXPECT_FALSE(m_page->galdorBox()->isChecked());
    EXPECT_TRUE(ownIp->isEnabled());
    EXPECT_TRUE(m_page->button(GatewayControl::RetryTimeout)->isEnabled());
    EXPECT_FALSE(pin->isEnabled());
    EXPECT_FALSE(gprsInfo->isEnabled());
    EXPECT_TRUE(m_page->button(GatewayControl::MainInfo)->isEnabled());

    m_page->galdorBox()->click();
    EXPECT_FALSE(m_page->ferrinBox()->isChecked());
    EXPECT_FALSE(ownIp->isEnabled());
    EXPECT_FALSE(control<QSpinBox>("UD_gw_retn")->isEnabled());
    EXPECT_TRUE(pin->isEnabled());
    EXPECT_TRUE(gprsInfo->isEnabled());
    EXPECT_TRUE(m_page->button(GatewayControl::Phone)->isEnabled());
    // Unticking the one ticked product ticks the other: one product is always chosen.
    m_page->galdorBox()->click();
    EXPECT_TRUE(m_page->ferrinBox()->isChecked());
    EXPECT_FALSE(pin->isEnabled());
    m_page->galdorBox()->click();

    // Three digits (a letter does not even get in) are refused.
    type(pin, QStringLiteral("12a3"));
    EXPECT_EQ(pin->text(), QStringLiteral("123"));
    QTest::mouseClick(m_page->button(GatewayControl::Pin), Qt::LeftButton);
    EXPECT_TRUE(logHas(QStringLiteral("PIN must be 4 digits, skipping...")));

    // The phone number 0 deletes it; its answer is not awaited.
    type(control<QLineEdit>("Edit_gw_phone"), QStringLiteral("0"));
    QTest::mouseClick(m_page->button(GatewayControl::Phone), Qt::LeftButton);
    EXPECT_TRUE(logHas(QStringLiteral("Setting phone number for GPRS connection...")));
    EXPECT_FALSE(answerTimer().isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received().isEmpty(); }, kAnswerBound));
    EXPECT_EQ(received(), QStringList{"SET PHON=0"});
}

TEST_F(GatewayPageTest, CaptionsFollowTheLanguageAndTheServerVersionTakesOnlyTheOtherSettings) {
    QGroupBox* network = control<QGroupBox>("Group_gw_network");
    QLabel* ownIp = control<QLabel>("Label_gw_ipv4");
    QPushButton* set = m_page->button(GatewayControl::OwnIp);
    QPushButton* ops = m_page->button(GatewayControl::OperatorInfo);
    QTabWidget* tabs = m_main->pages();
    m_main->chooseItalian();
    EXPECT_EQ(network->title(), QStringLiteral("   Impostazioni di rete   "));
    EXPECT_EQ(ownIp->text(), QStringLiteral("IPv4"));
    EXPECT_EQ(set->text(), QStringLiteral("Imposta"));
    EXPECT_EQ(ops->text(), QStringLiteral("Info OP"));
    EXPECT_EQ(control<QLabel>("Label_gw_neto")->text(),
              QStringLiteral("Timeout risposte M-BUS  (0.3 - 2.5s)"));
    EXPECT_EQ(m_page->button(GatewayControl::AsServer)->text(), QStringLiteral("Set as server"));
    EXPECT_EQ(tabs->tabText(MainWindow::CommunicationPage), QStringLiteral("   Comunicazione    "));
    m_main->chooseEnglish();
    EXPECT_EQ(network->title(), QStringLiteral("   Network related options   "));
    EXPECT_EQ(ownIp->text(), QStringLiteral("Set Own IPv4"));
    EXPECT_EQ(set->text(), QStringLiteral("Set"));
    EXPECT_EQ(ops->text(), QStringLiteral("OPs info"));
    EXPECT_EQ(control<QLabel>("Label_gw_reti")->text(), QStringLiteral("Set retry timeoue (0.1 - 5s)"));
    EXPECT_EQ(tabs->tabText(MainWindow::CommunicationPage), QStringLiteral("   Communication devices   "));

    // The server fields show the window's IPMA / IPCO / IPO1.
    EXPECT_EQ(control<QLineEdit>("Edit_gw_ipma")->text(), m_main->manufacturerServer());
    EXPECT_EQ(control<QLineEdit>("Edit_gw_ipco")->text(), m_main->controlServer());

    // With the gateway of the server version chosen, the IP group is refused while the ping time-out still
    // goes out on the serial port, and its answer is shown.
    m_main->settings().UseFerrinServ = true;
    type(control<QLineEdit>("Edit_gw_ipv4"), QStringLiteral("192.168.1.71"));
    QTest::mouseClick(set, Qt::LeftButton);
    EXPECT_TRUE(logHas(QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!")));
    EXPECT_FALSE(answerTimer().isActive());
    pressAndAwait(GatewayControl::PingTimeout, QStringLiteral("Ping server timeout: 01"));
    EXPECT_EQ(received(), QStringList{"SET PITO=01"});

    // Without the right to set communication the page is out of reach.
    m_main->applyAccessGrant(AccessGrant{});
    EXPECT_FALSE(tabs->isTabVisible(MainWindow::CommunicationPage));
}

} // namespace
} // namespace holvex
