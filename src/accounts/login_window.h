#pragma once

#include "accounts/access_grant.h"
#include "accounts/account_message_box.h"

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace holvex {

class MessageLanguage;

// The first window of the program and its principal one: closing it (cancel, a missing or empty account
// file, or the main window closing it) ends the program, announced by quitRequested().
//
// Controls by objectName: "Edit_user" (user name, at most 15), "Edit_password" (at most 15, echoes "*"),
// "Butt_enter" (Return in either field presses it), "Butt_cancel".
class LoginWindow : public QWidget {
    Q_OBJECT
public:
    LoginWindow(QString accountFilePath, const MessageLanguage& language, QWidget* parent = nullptr);

    void setMessageHook(AccountMessageHook hook);

    // The enter button: checks the typed name and password against the account file.
    void enter();

signals:
    void loginSucceeded(const holvex::AccessGrant& grant);
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void message(AccountMessageKind kind, const QString& title, const QString& text);

    QString m_accountFilePath;
    const MessageLanguage& m_language; // the ticked language; the login texts exist in English only
    AccountMessageHook m_messageHook;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_enter = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace holvex
