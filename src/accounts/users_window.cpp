#include "accounts/users_window.h"

#include "accounts/account_file.h"
#include "accounts/account_record.h"
#include "lang/message_language.h"
#include "ui/dialog_accessibility.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace holvex {

namespace {

constexpr int FieldLimit = 10;
enum Column {
    UserColumn,
    AccessColumn,
    DateColumn,
    DevicesColumn,
    CommunicationColumn,
    DisplayColumn,
    ColumnCount
};

const QString YesText = QStringLiteral("Yes");
const QString NoText = QStringLiteral("No");
const QString MissingAccountFile = QStringLiteral("Missing account file!");

QString yesNo(bool allowed) {
    return allowed ? YesText : NoText;
}

// The account file stores one byte per character, so the fields take only what it can hold.
void limitField(QLineEdit* field) {
    field->setMaxLength(FieldLimit);
    static const QRegularExpression singleByte(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*"));
    field->setValidator(new QRegularExpressionValidator(singleByte, field));
}

} // namespace

UsersWindow::UsersWindow(QString accountFilePath, const MessageLanguage& language, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_accountFilePath(std::move(accountFilePath)),
      m_language(language) {
    setWindowTitle(QStringLiteral("Holvex -> Users and accounts"));
    m_messageHook = [this](AccountMessageKind kind, const QString& title, const QString& text) {
        showAccountMessageBox(this, kind, title, text);
    };
    buildControls();

    connect(m_add, &QPushButton::clicked, this, &UsersWindow::addOrChange);
    connect(m_delete, &QPushButton::clicked, this, &UsersWindow::deleteAccount);
    connect(m_exit, &QPushButton::clicked, this, &UsersWindow::close);
    connect(m_grid, &QTableWidget::cellClicked, this, &UsersWindow::selectRow);
    connect(m_grid, &QTableWidget::currentCellChanged, this, &UsersWindow::selectRow);
    behaveAsDialog(this);
}

void UsersWindow::buildControls() {
    m_grid = new QTableWidget(1, ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("Grid_users"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("User"), QStringLiteral("Access"),
                                       QStringLiteral("Date reg."), QStringLiteral("m-bus"),
                                       QStringLiteral("Comm"), QStringLiteral("Display")});
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->hide();

    m_userLabel = new QLabel(QStringLiteral("Username:"), this);
    m_userLabel->setObjectName(QStringLiteral("Label_user"));
    m_passwordLabel = new QLabel(QStringLiteral("Password:"), this);
    m_passwordLabel->setObjectName(QStringLiteral("Label_password"));
    m_repeatLabel = new QLabel(QStringLiteral("Re-type password:"), this);
    m_repeatLabel->setObjectName(QStringLiteral("Label_repassword"));
    m_levelLabel = new QLabel(QStringLiteral("Access level:"), this);
    m_levelLabel->setObjectName(QStringLiteral("Label_access"));

    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("Edit_user"));
    limitField(m_user);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("Edit_password"));
    limitField(m_password);
    useStarEcho(m_password);
    m_repeat = new QLineEdit(this);
    m_repeat->setObjectName(QStringLiteral("Edit_repassword"));
    limitField(m_repeat);
    useStarEcho(m_repeat);
    m_level = new QComboBox(this);
    m_level->setObjectName(QStringLiteral("Combo_access"));
    m_level->addItems({AdministratorLevel, SetupLevel, OperatorLevel});
    m_level->setCurrentIndex(-1);

    m_devices = new QCheckBox(QStringLiteral("Allow setting devices"), this);
    m_devices->setObjectName(QStringLiteral("Check_devices"));
    m_communication = new QCheckBox(QStringLiteral("Allow setting communication"), this);
    m_communication->setObjectName(QStringLiteral("Check_communication"));
    m_display = new QCheckBox(QStringLiteral("Allow setting display"), this);
    m_display->setObjectName(QStringLiteral("Check_display"));

    m_add = new QPushButton(QStringLiteral("Add/Change"), this);
    m_add->setObjectName(QStringLiteral("Butt_add"));
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_delete->setObjectName(QStringLiteral("Butt_delete"));
    m_exit = new QPushButton(QStringLiteral("Exit"), this);
    m_exit->setObjectName(QStringLiteral("Butt_exit"));

    auto* fields = new QGridLayout;
    // Each label names its field for the keyboard and for screen readers.
    m_userLabel->setBuddy(m_user);
    m_passwordLabel->setBuddy(m_password);
    m_repeatLabel->setBuddy(m_repeat);
    m_levelLabel->setBuddy(m_level);
    fields->addWidget(m_userLabel, 0, 0);
    fields->addWidget(m_user, 0, 1);
    fields->addWidget(m_passwordLabel, 1, 0);
    fields->addWidget(m_password, 1, 1);
    fields->addWidget(m_repeatLabel, 2, 0);
    fields->addWidget(m_repeat, 2, 1);
    fields->addWidget(m_levelLabel, 3, 0);
    fields->addWidget(m_level, 3, 1);
    fields->addWidget(m_devices, 4, 0, 1, 2);
    fields->addWidget(m_communication, 5, 0, 1, 2);
    fields->addWidget(m_display, 6, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(m_exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grid);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

void UsersWindow::setMessageHook(AccountMessageHook hook) {
    m_messageHook = std::move(hook);
}

bool UsersWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        activate();
    }
    return QWidget::event(event);
}

void UsersWindow::activate() {
    listAccounts();
    applyLanguage();
}

void UsersWindow::applyLanguage() {
    const MessageLanguage& l = m_language;
    setWindowTitle(l.pick(QStringLiteral("Users and accounts"), QStringLiteral("Utenti e account")));
    m_userLabel->setText(l.pick(QStringLiteral("User:"), QStringLiteral("Nome utente:")));
    m_passwordLabel->setText(l.pick(QStringLiteral("Password:"), QStringLiteral("Password:")));
    m_repeatLabel->setText(
        l.pick(QStringLiteral("Re-type password:"), QStringLiteral("Re-inserisci password:")));
    m_levelLabel->setText(l.pick(QStringLiteral("Access level:"), QStringLiteral("Livello di accesso:")));
    m_devices->setText(
        l.pick(QStringLiteral("Allow settings devices"), QStringLiteral("Consenti config. dispositivi")));
    m_communication->setText(l.pick(QStringLiteral("Allow setting communication"),
                                    QStringLiteral("Consenti config. comunicazione")));
    m_display->setText(
        l.pick(QStringLiteral("Allow setting display"), QStringLiteral("Consenti config. display")));
    m_add->setText(l.pick(QStringLiteral("Add/Change"), QStringLiteral("Aggiungi/Change")));
    m_delete->setText(l.pick(QStringLiteral("Delete"), QStringLiteral("Cancella")));
    m_exit->setText(l.pick(QStringLiteral("Exit"), QStringLiteral("Esci")));
    m_grid->setHorizontalHeaderLabels({l.pick(QStringLiteral("User"), QStringLiteral("Utenti")),
                                       l.pick(QStringLiteral("Access"), QStringLiteral("Accesso")),
                                       l.pick(QStringLiteral("Date reg."), QStringLiteral("Data res.")),
                                       QStringLiteral("m-bus"), QStringLiteral("Comm"),
                                       QStringLiteral("Display")});
}

void UsersWindow::listAccounts() {
    const AccountListing listing = AccountFile(m_accountFilePath).list();
    if (listing.status == AccountFileStatus::Missing) {
        if (!m_missingReported) {
            m_missingReported = true;
            message(AccountMessageKind::Plain, accountMessageTitle(), QStringLiteral("Missing account file"));
        }
        return;
    }
    if (listing.status == AccountFileStatus::IoError) {
        message(AccountMessageKind::Error, accountMessageTitle(), listing.errorText);
        return;
    }
    m_missingReported = false;
    // Refilling the grid must not count as the user selecting a row.
    const QSignalBlocker blocker(m_grid);
    m_grid->clearContents();
    m_grid->setRowCount(static_cast<int>(listing.records.size()) + 1);
    for (int row = 0; row < listing.records.size(); ++row) {
        const AccountRecord& record = listing.records.at(row);
        const QStringList cells = {record.userName,
                                   record.level,
                                   record.registrationDate,
                                   yesNo(record.allowed(AccountRight::Devices)),
                                   yesNo(record.allowed(AccountRight::Communication)),
                                   yesNo(record.allowed(AccountRight::Display))};
        for (int column = 0; column < ColumnCount; ++column) {
            m_grid->setItem(row, column, new QTableWidgetItem(cells.at(column)));
        }
    }
    m_grid->clearSelection();
    m_grid->setCurrentCell(-1, -1);
}

void UsersWindow::selectRow(int row) {
    if (row < 0 || row >= m_grid->rowCount()) {
        return;
    }
    const auto cell = [this, row](int column) {
        const QTableWidgetItem* item = m_grid->item(row, column);
        return item != nullptr ? item->text() : QString();
    };
    m_user->setText(cell(UserColumn));
    m_level->setCurrentIndex(m_level->findText(cell(AccessColumn)));
    m_devices->setChecked(cell(DevicesColumn) == YesText);
    m_communication->setChecked(cell(CommunicationColumn) == YesText);
    m_display->setChecked(cell(DisplayColumn) == YesText);
}

void UsersWindow::addOrChange() {
    const QString title = accountMessageTitle();
    if (m_user->text().isEmpty()) {
        message(AccountMessageKind::Plain, title, QStringLiteral("Enter username"));
        return;
    }
    if (m_password->text().isEmpty() || m_repeat->text().isEmpty()) {
        message(AccountMessageKind::Plain, title, QStringLiteral("Enter password (both fields)"));
        return;
    }
    if (m_level->currentIndex() < 0) {
        message(AccountMessageKind::Plain, title, QStringLiteral("Select access level for this user"));
        return;
    }
    if (m_password->text() != m_repeat->text()) {
        message(AccountMessageKind::Plain, title, QStringLiteral("Passwords does not match!"));
        return;
    }
    AccountRecord entry;
    entry.userName = m_user->text();
    entry.password = m_password->text();
    entry.level = m_level->currentText();
    entry.setRight(AccountRight::Devices, m_devices->isChecked());
    entry.setRight(AccountRight::Communication, m_communication->isChecked());
    entry.setRight(AccountRight::Display, m_display->isChecked());
    const AccountChange change = AccountFile(m_accountFilePath).addOrChange(entry, todayRegistrationDate());
    if (change.status == AccountFileStatus::Missing) {
        message(AccountMessageKind::Error, QStringLiteral("Account error"),
                MissingAccountFile + QStringLiteral("\nContact administrator"));
        return;
    }
    if (change.status == AccountFileStatus::IoError) {
        message(AccountMessageKind::Error, QStringLiteral("Account error"), change.errorText);
        return;
    }
    m_user->clear();
    m_password->clear();
    m_repeat->clear();
    m_level->setCurrentIndex(-1);
    listAccounts();
}

void UsersWindow::deleteAccount() {
    const AccountDeletion deletion = AccountFile(m_accountFilePath).remove(m_user->text());
    if (deletion.status == AccountFileStatus::Missing) {
        message(AccountMessageKind::Plain, accountMessageTitle(), MissingAccountFile);
        return;
    }
    if (deletion.status == AccountFileStatus::IoError) {
        message(AccountMessageKind::Error, QStringLiteral("Account error"), deletion.errorText);
        return;
    }
    if (deletion.outcome == DeleteOutcome::Deleted) {
        listAccounts();
        applyLanguage();
    }
}

void UsersWindow::clearFields() {
    m_user->clear();
    m_password->clear();
    m_repeat->clear();
    m_level->setCurrentIndex(-1);
    m_devices->setChecked(false);
    m_communication->setChecked(false);
    m_display->setChecked(false);
}

void UsersWindow::closeEvent(QCloseEvent* event) {
    clearFields();
    m_missingReported = false;
    QWidget::closeEvent(event);
}

void UsersWindow::message(AccountMessageKind kind, const QString& title, const QString& text) {
    if (m_messageHook) {
        m_messageHook(kind, title, text);
    }
}

} // namespace holvex
