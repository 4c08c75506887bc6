#include "accounts/login_window.h"

#include "accounts/account_file.h"
#include "lang/message_language.h"
#include "ui/dialog_accessibility.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace holvex {

namespace {
constexpr int TypedLimit = 15;
const QString LoginFailTitle = QStringLiteral("Login fail");
} // namespace

LoginWindow::LoginWindow(QString accountFilePath, const MessageLanguage& language, QWidget* parent)
    : QWidget(parent, Qt::Window), m_accountFilePath(std::move(accountFilePath)), m_language(language) {
    setWindowTitle(QStringLiteral("Login "));
    m_messageHook = [this](AccountMessageKind kind, const QString& title, const QString& text) {
        showAccountMessageBox(this, kind, title, text);
    };

    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("Edit_user"));
    m_user->setMaxLength(TypedLimit);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Edit_password"));
    m_password->setMaxLength(TypedLimit);
    useStarEcho(m_password);

    m_enter = new QPushButton(QStringLiteral("Enter"), this);
    m_enter->setObjectName(QStringLiteral("Butt_enter"));
    m_enter->setAutoDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Butt_cancel"));
    m_cancel->setAutoDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Username:"), m_user);
    fields->addRow(QStringLiteral("Password:"), m_password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_enter);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_enter, &QPushButton::clicked, this, &LoginWindow::enter);
    connect(m_user, &QLineEdit::returnPressed, this, &LoginWindow::enter);
    connect(m_password, &QLineEdit::returnPressed, this, &LoginWindow::enter);
    connect(m_cancel, &QPushButton::clicked, this, &LoginWindow::close);
    behaveAsDialog(this);
}

void LoginWindow::setMessageHook(AccountMessageHook hook) {
    m_messageHook = std::move(hook);
}

void LoginWindow::enter() {
    const LoginOutcome outcome = AccountFile(m_accountFilePath).login(m_user->text(), m_password->text());
    switch (outcome.status) {
    case LoginStatus::MissingFile:
        message(AccountMessageKind::Warning, LoginFailTitle,
                QStringLiteral("Missing account file!\nContact administrator"));
        close();
        return;
    case LoginStatus::EmptyFile:
        message(AccountMessageKind::Warning, LoginFailTitle,
                QStringLiteral("Account file is empty (no valid accounts)!\nContact administrator"));
        close();
        return;
    case LoginStatus::ReadError:
        message(AccountMessageKind::Error, LoginFailTitle, outcome.errorText);
        return;
    case LoginStatus::WrongCredentials:
        message(AccountMessageKind::Plain, accountMessageTitle(),
                QStringLiteral("Wrong username or password!"));
        m_password->clear();
        return;
    case LoginStatus::Granted:
        m_password->clear();
        emit loginSucceeded(outcome.grant);
        hide();
        return;
    }
}

void LoginWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit quitRequested();
    }
}

void LoginWindow::message(AccountMessageKind kind, const QString& title, const QString& text) {
    if (m_messageHook) {
        m_messageHook(kind, title, text);
    }
}

} // namespace holvex
