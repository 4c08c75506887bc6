#include "accounts/account_file.h"
#include "accounts/login_window.h"
#include "accounts/users_window.h"
#include "app/about_dialog.h"
#include "app/app_controller.h"
#include "app/report_window.h"
#include "settings/program_home.h"
#include "settings/settings_dialog.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace holvex {
namespace {

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face == nullptr ? QString() : face->text(QAccessible::Name);
}

class DialogKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_home.isValid());
        ProgramHome::set(m_home.path());
        QDir().mkpath(ProgramHome::accountFolder());
        ASSERT_TRUE(writeDefaultAccountFile(ProgramHome::accountFilePath()));
        m_controller =
            std::make_unique<AppController>(ProgramHome::settingsFilePath(), ProgramHome::accountFilePath());
    }

    std::vector<QWidget*> dialogs() const {
        return {m_controller->loginWindow(), m_controller->usersWindow(), m_controller->settingsDialog(),
                m_controller->aboutDialog(), m_controller->reportWindow()};
    }

    QTemporaryDir m_home;
    std::unique_ptr<AppController> m_controller;
};

// Screen readers meet every window other than the main one as a dialog, and every control by a name.
TEST_F(DialogKeyboardTest, EveryDialogIsADialogWithNamedControls) {
    for (QWidget* dialog : dialogs()) {
        const std::string window = dialog->windowTitle().toStdString();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(dialog);
        ASSERT_NE(face, nullptr) << window;
        EXPECT_EQ(face->role(), QAccessible::Dialog) << window;
        std::vector<QWidget*> controls;
        for (QWidget* control : dialog->findChildren<QWidget*>()) {
            // The table's corner button is the table's own.
            if (QLatin1String(control->metaObject()->className()) == QLatin1String("QTableCornerButton")) {
                continue;
            }
            if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSpinBox*>(control)) {
                controls.push_back(control);
            }
        }
        for (QWidget* control : controls) {
            // A line edit inside a box or spin box is named through its owner.
            if (qobject_cast<QLineEdit*>(control) &&
                (qobject_cast<QComboBox*>(control->parentWidget()) ||
                 qobject_cast<QAbstractSpinBox*>(control->parentWidget()))) {
                continue;
            }
            EXPECT_FALSE(accessibleName(control).isEmpty())
                << window << ": " << control->metaObject()->className() << " "
                << control->objectName().toStdString();
        }
    }
}

// Escape closes each dialog; on the login window it is Cancel, which ends the program.
TEST_F(DialogKeyboardTest, EscapeClosesEveryDialog) {
    QSignalSpy quit(m_controller->loginWindow(), &LoginWindow::quitRequested);
    for (QWidget* dialog : dialogs()) {
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        QWidget* focus = dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(dialog->isVisible()) << dialog->windowTitle().toStdString();
    }
    EXPECT_EQ(quit.count(), 1);
}

// The login window: the user name first, then the password, Enter and Cancel; Return logs in.
TEST_F(DialogKeyboardTest, LoginTabOrderAndReturn) {
    LoginWindow* login = m_controller->loginWindow();
    auto* user = login->findChild<QLineEdit*>(QStringLiteral("Edit_user"));
    auto* password = login->findChild<QLineEdit*>(QStringLiteral("Edit_password"));
    auto* enter = login->findChild<QAbstractButton*>(QStringLiteral("Butt_enter"));
    auto* cancel = login->findChild<QAbstractButton*>(QStringLiteral("Butt_cancel"));
    ASSERT_TRUE(user && password && enter && cancel);
    EXPECT_EQ(user->nextInFocusChain(), password);
    EXPECT_EQ(password->nextInFocusChain(), enter);
    EXPECT_EQ(enter->nextInFocusChain(), cancel);
    EXPECT_EQ(accessibleName(user), QStringLiteral("Username"));
    EXPECT_EQ(accessibleName(password), QStringLiteral("Password"));

    QSignalSpy granted(login, &LoginWindow::loginSucceeded);
    user->setText(QStringLiteral("admin"));
    password->setText(QStringLiteral("admin"));
    QTest::keyClick(user, Qt::Key_Return);
    EXPECT_EQ(granted.count(), 1);
}

} // namespace
} // namespace holvex
