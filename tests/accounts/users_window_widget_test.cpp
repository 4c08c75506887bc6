#include "accounts/account_codec.h"
#include "accounts/account_file.h"
#include "accounts/users_window.h"
#include "lang/message_language.h"

#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace holvex;

namespace {

AccountRecord Account(const QString& name, const QString& password, const QString& level, bool devices,
                      bool communication, bool display, const QString& date = "01/01/20") {
    AccountRecord record;
    record.userName = name;
    record.password = password;
    record.level = level;
    record.registrationDate = date;
    record.setRight(AccountRight::Devices, devices);
    record.setRight(AccountRight::Communication, communication);
    record.setRight(AccountRight::Display, display);
    return record;
}

class UsersWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_path =
            test::WriteFile(m_dir, "files/users.dat",
                            EncodeAccountRecord(Account("admin", "a", "Administrator", true, true, true)) +
                                EncodeAccountRecord(Account("bob", "b", "Operator", false, true, false)));
        m_window = std::make_unique<UsersWindow>(m_path, m_language);
        m_window->setMessageHook(
            [this](AccountMessageKind, const QString&, const QString& text) { m_shown.append(text); });
    }
    template <typename T> T* Get(const char* name) {
        T* control = m_window->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QTableWidget* Grid() { return Get<QTableWidget>("Grid_users"); }
    QString Cell(int row, int column) {
        const QTableWidgetItem* item = Grid()->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    QString Heading(int column) { return Grid()->horizontalHeaderItem(column)->text(); }
    void Fill(const QString& user, const QString& password, const QString& repeat, int level) {
        Get<QLineEdit>("Edit_user")->setText(user);
        Get<QLineEdit>("Edit_password")->setText(password);
        Get<QLineEdit>("Edit_repassword")->setText(repeat);
        Get<QComboBox>("Combo_access")->setCurrentIndex(level);
    }
    void Click(const char* name) { QTest::mouseClick(Get<QPushButton>(name), Qt::LeftButton); }
    QList<AccountRecord> Stored() { return DecodeAccountFile(test::ReadFile(m_path)); }

    QTemporaryDir m_dir;
    QString m_path;
    MessageLanguage m_language;
    std::unique_ptr<UsersWindow> m_window;
    QStringList m_shown;
};

} // namespace

TEST_F(UsersWindowTest, CreationTexts) {
    EXPECT_EQ(m_window->windowTitle(), "Holvex -> Users and accounts");
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Get<QLabel>("Label_user")->text(), "Username:");
    EXPECT_EQ(Get<QCheckBox>("Check_devices")->text(), "Allow setting devices");
    EXPECT_EQ(Get<QLineEdit>("Edit_user")->maxLength(), 10);
    EXPECT_EQ(Get<QLineEdit>("Edit_password")->maxLength(), 10);
    EXPECT_EQ(Get<QLineEdit>("Edit_repassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Get<QComboBox>("Combo_access")->currentIndex(), -1);
    ASSERT_EQ(Grid()->columnCount(), 6);
    EXPECT_EQ(Heading(0), "User");
    EXPECT_EQ(Heading(5), "Display");
}

TEST_F(UsersWindowTest, ActivationListsInTheTickedLanguage) {
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(m_window.get(), &activation);
    EXPECT_EQ(m_window->windowTitle(), "Users and accounts");
    EXPECT_EQ(Get<QLabel>("Label_user")->text(), "User:");
    EXPECT_EQ(Get<QCheckBox>("Check_devices")->text(), "Allow settings devices");
    ASSERT_EQ(Grid()->rowCount(), 3);
    const QStringList bob = {"bob", "Operator", "01/01/20", "No", "Yes", "No"};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(Cell(1, column), bob[column]);
        EXPECT_TRUE(Cell(2, column).isEmpty());
    }
    EXPECT_EQ(Cell(0, 3), "Yes");

    m_language.setTicked(TickedLanguage::Italian);
    m_window->activate();
    EXPECT_EQ(m_window->windowTitle(), "Utenti e account");
    EXPECT_EQ(Get<QLabel>("Label_user")->text(), "Nome utente:");
    EXPECT_EQ(Get<QLabel>("Label_repassword")->text(), "Re-inserisci password:");
    EXPECT_EQ(Get<QLabel>("Label_access")->text(), "Livello di accesso:");
    EXPECT_EQ(Get<QCheckBox>("Check_communication")->text(), "Consenti config. comunicazione");
    EXPECT_EQ(Get<QPushButton>("Butt_add")->text(), "Aggiungi/Change");
    EXPECT_EQ(Get<QPushButton>("Butt_delete")->text(), "Cancella");
    EXPECT_EQ(Get<QPushButton>("Butt_exit")->text(), "Esci");
    EXPECT_EQ(Heading(0), "Utenti");
    EXPECT_EQ(Heading(2), "Data res.");
    EXPECT_TRUE(m_shown.isEmpty());
}

TEST_F(UsersWindowTest, SelectingARowCopiesIt) {
    m_window->activate();
    m_window->selectRow(1);
    EXPECT_EQ(Get<QLineEdit>("Edit_user")->text(), "bob");
    EXPECT_EQ(Get<QComboBox>("Combo_access")->currentText(), "Operator");
    EXPECT_FALSE(Get<QCheckBox>("Check_devices")->isChecked());
    EXPECT_TRUE(Get<QCheckBox>("Check_communication")->isChecked());
    EXPECT_FALSE(Get<QCheckBox>("Check_display")->isChecked());
    m_window->selectRow(2); // the empty row
    EXPECT_TRUE(Get<QLineEdit>("Edit_user")->text().isEmpty());
    EXPECT_EQ(Get<QComboBox>("Combo_access")->currentIndex(), -1);
    m_window->selectRow(7); // beyond the grid: nothing
}

TEST_F(UsersWindowTest, ClickingARowCopiesItAndListingDoesNot) {
    m_window->show();
    m_window->activate();
    const QRect cell = Grid()->visualItemRect(Grid()->item(0, 0));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Get<QLineEdit>("Edit_user")->text(), "admin");
    EXPECT_EQ(Get<QComboBox>("Combo_access")->currentText(), "Administrator");
    EXPECT_TRUE(Get<QCheckBox>("Check_display")->isChecked());

    Get<QLineEdit>("Edit_user")->setText("typed");
    m_window->activate(); // the refill is not a selection
    EXPECT_EQ(Get<QLineEdit>("Edit_user")->text(), "typed");
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(Get<QLineEdit>("Edit_user")->text(), "admin");
}

TEST_F(UsersWindowTest, AddChecksInOrder) {
    struct Row {
        const char* user;
        const char* password;
        const char* repeat;
        int level;
        const char* message;
    };
    const Row rows[] = {
        {"", "", "", -1, "Enter username"},
        {"carl", "", "x", -1, "Enter password (both fields)"},
        {"carl", "x", "", 0, "Enter password (both fields)"},
        {"carl", "x", "y", -1, "Select access level for this user"},
        {"carl", "x", "y", 2, "Passwords does not match!"},
    };
    const QByteArray before = test::ReadFile(m_path);
    for (const Row& row : rows) {
        m_shown.clear();
        Fill(row.user, row.password, row.repeat, row.level);
        Click("Butt_add");
        EXPECT_EQ(m_shown, QStringList{row.message});
    }
    EXPECT_EQ(test::ReadFile(m_path), before);
}

TEST_F(UsersWindowTest, AddAppendsAndChangeKeepsTheDate) {
    m_window->activate();
    Fill("carl", "pw", "pw", 1);
    Get<QCheckBox>("Check_display")->setChecked(true);
    Click("Butt_add");
    EXPECT_TRUE(m_shown.isEmpty());
    ASSERT_EQ(Stored().size(), 3);
    EXPECT_EQ(Stored()[2].level, "Setup");
    EXPECT_EQ(Stored()[2].registrationDate, TodayRegistrationDate());
    EXPECT_TRUE(Stored()[2].allowed(AccountRight::Display));
    EXPECT_TRUE(Get<QLineEdit>("Edit_user")->text().isEmpty());
    EXPECT_TRUE(Get<QLineEdit>("Edit_password")->text().isEmpty());
    EXPECT_EQ(Grid()->rowCount(), 4);
    EXPECT_EQ(Cell(2, 0), "carl");

    Fill("bob", "new", "new", 0);
    Click("Butt_add");
    ASSERT_EQ(Stored().size(), 3);
    EXPECT_EQ(Stored()[1].password, "new");
    EXPECT_EQ(Stored()[1].level, "Administrator");
    EXPECT_EQ(Stored()[1].registrationDate, "01/01/20");
    EXPECT_EQ(Cell(1, 1), "Administrator");
}

TEST_F(UsersWindowTest, DeleteMovesUpOrRefuses) {
    m_window->activate();
    Get<QLineEdit>("Edit_user")->setText("admin");
    Click("Butt_delete");
    ASSERT_EQ(Stored().size(), 1);
    EXPECT_EQ(Stored()[0].userName, "bob");
    EXPECT_EQ(Grid()->rowCount(), 2);
    EXPECT_EQ(Cell(0, 0), "bob");

    // No administrator is left, so nothing more can be deleted.
    Get<QLineEdit>("Edit_user")->setText("bob");
    Click("Butt_delete");
    EXPECT_EQ(Stored().size(), 1);
    EXPECT_TRUE(m_shown.isEmpty());
}

TEST_F(UsersWindowTest, MissingFileMessages) {
    QFile::remove(m_path);
    m_window->activate();
    m_window->activate(); // activation again after the box closed: no second box
    EXPECT_EQ(m_shown, QStringList{"Missing account file"});

    Fill("carl", "pw", "pw", 2);
    Click("Butt_add");
    EXPECT_EQ(m_shown.last(), "Missing account file!\nContact administrator");
    Click("Butt_delete");
    EXPECT_EQ(m_shown.last(), "Missing account file!");
    EXPECT_FALSE(QFile::exists(m_path));

    m_shown.clear();
    m_window->close();
    m_window->activate(); // a new showing reports it again
    EXPECT_EQ(m_shown, QStringList{"Missing account file"});
}

TEST_F(UsersWindowTest, ClosingClearsFieldsAndBoxes) {
    m_window->show();
    Fill("bob", "x", "x", 2);
    Get<QCheckBox>("Check_devices")->setChecked(true);
    Get<QCheckBox>("Check_display")->setChecked(true);
    Click("Butt_exit");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(Get<QLineEdit>("Edit_user")->text().isEmpty());
    EXPECT_TRUE(Get<QLineEdit>("Edit_repassword")->text().isEmpty());
    EXPECT_EQ(Get<QComboBox>("Combo_access")->currentIndex(), -1);
    EXPECT_FALSE(Get<QCheckBox>("Check_devices")->isChecked());
    EXPECT_FALSE(Get<QCheckBox>("Check_display")->isChecked());
}
