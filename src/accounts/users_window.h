#pragma once

#include "accounts/account_message_box.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace holvex {

class MessageLanguage;

// The account editor: lists the account file on every activation, adds, changes and deletes accounts.
// Stays on top of the other windows; "Exit" or closing hides it and clears its fields.
//
// Controls by objectName: "Grid_users" (columns user, access, date reg., m-bus, comm, display; one empty row
// after the accounts), "Edit_user" (at most 10), "Edit_password" and "Edit_repassword" (at most 10 each,
// echo "*"), "Combo_access", "Check_devices", "Check_communication", "Check_display", "Butt_add",
// "Butt_delete", "Butt_exit"; labels "Label_user", "Label_password", "Label_repassword", "Label_access".
class UsersWindow : public QWidget {
    Q_OBJECT
public:
    UsersWindow(QString accountFilePath, const MessageLanguage& language, QWidget* parent = nullptr);

    void setMessageHook(AccountMessageHook hook);

    // What every activation does: the texts of the ticked language and the listing of the account file.
    void activate();

    void addOrChange();   // "Add/Change"
    void deleteAccount(); // "Delete"
    void selectRow(int row);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void applyLanguage();
    void listAccounts();
    void clearFields();
    void message(AccountMessageKind kind, const QString& title, const QString& text);

    QString m_accountFilePath;
    const MessageLanguage& m_language;
    AccountMessageHook m_messageHook;
    // Activation follows the closing of any box this window showed, so a missing file is reported once per
    // showing of the window rather than again after every box.
    bool m_missingReported = false;

    QTableWidget* m_grid = nullptr;
    QLabel* m_userLabel = nullptr;
    QLabel* m_passwordLabel = nullptr;
    QLabel* m_repeatLabel = nullptr;
    QLabel* m_levelLabel = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_repeat = nullptr;
    QComboBox* m_level = nullptr;
    QCheckBox* m_devices = nullptr;
    QCheckBox* m_communication = nullptr;
    QCheckBox* m_display = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_exit = nullptr;
};

} // namespace holvex
