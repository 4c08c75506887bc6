#include "accounts/account_codec.h"
#include "accounts/login_window.h"
#include "lang/message_language.h"

#include "test_support.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace holvex;

namespace {

struct Shown {
    AccountMessageKind kind;
    QString title;
    QString text;
};

AccountRecord account(const QString& name, const QString& password, const QString& level) {
    AccountRecord record;
    record.userName = name;
    record.password = password;
    record.level = level;
    record.registrationDate = "01/01/20";
    record.setRight(AccountRight::Devices, true);
    record.setRight(AccountRight::Communication, false);
    record.setRight(AccountRight::Display, true);
    return record;
}

class LoginWindowTest : public ::testing::Test {
protected:
    void open(const QString& path) {
        m_window = std::make_unique<LoginWindow>(path, m_language);
        m_window->setMessageHook([this](AccountMessageKind kind, const QString& title, const QString& text) {
            m_shown.push_back({kind, title, text});
        });
        QObject::connect(m_window.get(), &LoginWindow::loginSucceeded,
                         [this](const AccessGrant& grant) { m_grant = grant; });
        QObject::connect(m_window.get(), &LoginWindow::quitRequested, [this] { ++m_quits; });
        m_window->show();
    }
    void openWith(const QList<AccountRecord>& records) {
        QByteArray bytes;
        for (const AccountRecord& record : records) {
            bytes += encodeAccountRecord(record);
        }
        open(test::writeFile(m_dir, "files/users.dat", bytes));
    }
    QLineEdit* userField() { return m_window->findChild<QLineEdit*>("Edit_user"); }
    QLineEdit* passwordField() { return m_window->findChild<QLineEdit*>("Edit_password"); }
    void type(const QString& user, const QString& password) {
        userField()->setText(user);
        passwordField()->setText(password);
    }
    void click(const char* name) {
        QTest::mouseClick(m_window->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    QTemporaryDir m_dir;
    MessageLanguage m_language;
    std::unique_ptr<LoginWindow> m_window;
    std::vector<Shown> m_shown;
    std::optional<AccessGrant> m_grant;
    int m_quits = 0;
};

} // namespace

TEST_F(LoginWindowTest, Controls) {
    openWith({account("admin", "admin", "Administrator")});
    EXPECT_EQ(m_window->windowTitle(), "Login ");
    EXPECT_EQ(userField()->maxLength(), 15);
    EXPECT_EQ(passwordField()->maxLength(), 15);
    EXPECT_EQ(passwordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        passwordField()->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, passwordField()),
        '*');
    EXPECT_NE(m_window->findChild<QPushButton*>("Butt_cancel"), nullptr);
}

TEST_F(LoginWindowTest, SuccessHandsOverTheGrantAndHides) {
    openWith({account("op", "x", "Operator"), account("setup", "Secret", "Setup")});
    type("setup", "Secret");
    click("Butt_enter");
    ASSERT_TRUE(m_grant.has_value());
    EXPECT_EQ(m_grant->level, "Setup");
    EXPECT_FALSE(m_grant->usersEntryEnabled);
    EXPECT_TRUE(m_grant->settingsEntryEnabled);
    EXPECT_TRUE(m_grant->devicesAllowed);
    EXPECT_FALSE(m_grant->communicationAllowed);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(passwordField()->text().isEmpty());
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_quits, 0);
}

TEST_F(LoginWindowTest, ReturnInThePasswordFieldEnters) {
    openWith({account("admin", "admin", "Administrator")});
    type("admin", "admin");
    QTest::keyClick(passwordField(), Qt::Key_Return);
    ASSERT_TRUE(m_grant.has_value());
    EXPECT_TRUE(m_grant->usersEntryEnabled);
}

TEST_F(LoginWindowTest, WrongCredentialsKeepTheWindow) {
    openWith({account("admin", "admin", "Administrator")});
    const std::pair<QString, QString> attempts[] = {
        {"admin", "wrong"}, {"Admin", "admin"}, {"admin", "ADMIN"}};
    for (const auto& [user, password] : attempts) {
        m_shown.clear();
        type(user, password);
        click("Butt_enter");
        ASSERT_EQ(m_shown.size(), 1u) << user.toStdString();
        EXPECT_EQ(m_shown[0].text, "Wrong username or password!");
        EXPECT_TRUE(passwordField()->text().isEmpty());
        EXPECT_EQ(userField()->text(), user);
    }
    EXPECT_FALSE(m_grant.has_value());
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_quits, 0);
}

TEST_F(LoginWindowTest, MissingOrEmptyFileEndsTheProgram) {
    struct Row {
        bool create;
        QByteArray bytes;
        const char* text;
    };
    const Row rows[] = {
        {false, {}, "Missing account file!\nContact administrator"},
        {true, {}, "Account file is empty (no valid accounts)!\nContact administrator"},
        {true, QByteArray(66, 'x'), "Account file is empty (no valid accounts)!\nContact administrator"},
    };
    for (const Row& row : rows) {
        m_shown.clear();
        m_quits = 0;
        const QString path =
            row.create ? test::writeFile(m_dir, "users.dat", row.bytes) : m_dir.filePath("none.dat");
        open(path);
        type("admin", "admin");
        click("Butt_enter");
        ASSERT_EQ(m_shown.size(), 1u) << row.text;
        EXPECT_EQ(m_shown[0].kind, AccountMessageKind::Warning);
        EXPECT_EQ(m_shown[0].title, "Login fail");
        EXPECT_EQ(m_shown[0].text, row.text);
        EXPECT_FALSE(m_window->isVisible());
        EXPECT_EQ(m_quits, 1);
    }
}

TEST_F(LoginWindowTest, CancelCloses) {
    openWith({account("admin", "admin", "Administrator")});
    click("Butt_cancel");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_EQ(m_quits, 1);
    EXPECT_FALSE(m_grant.has_value());
}
