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
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace holvex {
namespace {

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face == nullptr ? QString() : face->text(QAccessible::Name);
}

// A widget the Tab key stops at (whether enabled or not: a group greyed out today is enabled tomorrow).
bool isTabStop(const QWidget* widget, const QWidget* window) {
    return (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && widget->isVisibleTo(window) &&
           widget->focusProxy() == nullptr;
}

// The editor inside a spin box or an editable combo box stands for its owner.
QWidget* ownerControl(QWidget* widget) {
    QWidget* parent = widget->parentWidget();
    if (qobject_cast<QAbstractSpinBox*>(parent) || qobject_cast<QComboBox*>(parent)) {
        return parent;
    }
    return widget;
}

// The controls in the order Tab visits them, starting from the window.
std::vector<QWidget*> tabChain(QWidget* window) {
    std::vector<QWidget*> chain;
    for (QWidget* widget = window->nextInFocusChain(); widget != window && chain.size() < 500;
         widget = widget->nextInFocusChain()) {
        if (widget->window() == window && isTabStop(widget, window)) {
            chain.push_back(ownerControl(widget));
        }
    }
    return chain;
}

// Orders widgets of one parent as a reader meets them: rows from the top (a widget whose top lies above the
// middle of a row's first widget belongs to that row), left to right within a row.
void sortInReadingOrder(std::vector<QWidget*>& widgets) {
    std::stable_sort(widgets.begin(), widgets.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    std::vector<QWidget*> ordered;
    for (std::size_t first = 0; first < widgets.size();) {
        std::size_t end = first + 1;
        while (end < widgets.size() && widgets[end]->y() < widgets[first]->geometry().center().y()) {
            ++end;
        }
        std::vector<QWidget*> row(widgets.begin() + first, widgets.begin() + end);
        std::stable_sort(row.begin(), row.end(),
                         [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        ordered.insert(ordered.end(), row.begin(), row.end());
        first = end;
    }
    widgets = ordered;
}

// The controls as they appear on screen: each child widget is a block (a group, a column of fields, a
// control) taken in reading order, and a block's controls come before the next block's.
void collectOnScreen(QWidget* container, QWidget* window, std::vector<QWidget*>& controls) {
    std::vector<QWidget*> blocks;
    for (QObject* child : container->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && !widget->isWindow() && widget->isVisibleTo(window)) {
            blocks.push_back(widget);
        }
    }
    sortInReadingOrder(blocks);
    for (QWidget* block : blocks) {
        if (qobject_cast<QAbstractSpinBox*>(block) || qobject_cast<QComboBox*>(block) ||
            isTabStop(block, window)) {
            controls.push_back(block);
        } else {
            collectOnScreen(block, window, controls);
        }
    }
}

std::vector<std::string> describe(const std::vector<QWidget*>& controls) {
    std::vector<std::string> names;
    for (QWidget* control : controls) {
        QString name = control->objectName();
        if (name.isEmpty()) {
            name = QLatin1String(control->metaObject()->className()) + QLatin1Char(' ') +
                   accessibleName(control);
        }
        names.push_back(name.toStdString());
    }
    return names;
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

// Tab walks every control of each dialog once, in the order they appear: top to bottom, left to right, a
// group or a column of fields at a time; on the settings window for each of its pages.
TEST_F(DialogKeyboardTest, TabVisitsEveryControlInOnScreenOrder) {
    for (QWidget* dialog : dialogs()) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        auto* pages = dialog->findChild<QTabWidget*>();
        const int pageCount = pages == nullptr ? 1 : pages->count();
        for (int page = 0; page < pageCount; ++page) {
            if (pages != nullptr) {
                pages->setCurrentIndex(page);
            }
            const std::string where = dialog->windowTitle().toStdString() + " page " + std::to_string(page);
            std::vector<QWidget*> onScreen;
            collectOnScreen(dialog, dialog, onScreen);
            EXPECT_GE(onScreen.size(), 1U) << where;
            EXPECT_EQ(describe(tabChain(dialog)), describe(onScreen)) << where;
        }
        dialog->hide();
    }
}

} // namespace
} // namespace holvex
