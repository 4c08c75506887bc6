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

AccountRecord account(const QString& name, const QString& password, const QString& level, bool devices,
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
            test::writeFile(m_dir, "files/users.dat",
                            encodeAccountRecord(account("admin", "a", "Administrator", true, true, true)) +
                                encodeAccountRecord(account("bob", "b", "Operator", false, true, false)));
        m_window = std::make_unique<UsersWindow>(m_path, m_language);
        m_window->setMessageHook(
            [this](AccountMessageKind, const QString&, const QString& text) { m_shown.append(text); });
    }
    template <typename T> T* get(const char* name) {
        T* control = m_window->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QTableWidget* grid() { return get<QTableWidget>("Grid_users"); }
    QString cell(int row, int column) {
        const QTableWidgetItem* item = grid()->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    QString heading(int column) { return grid()->horizontalHeaderItem(column)->text(); }
    void fill(const QString& user, const QString& password, const QString& repeat, int level) {
        get<QLineEdit>("Edit_user")->setText(user);
        get<QLineEdit>("Edit_password")->setText(password);
        get<QLineEdit>("Edit_repassword")->setText(repeat);
        get<QComboBox>("Combo_access")->setCurrentIndex(level);
    }
    void click(const char* name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    QList<AccountRecord> stored() { return decodeAccountFile(test::readFile(m_path)); }

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
    EXPECT_EQ(get<QLabel>("Label_user")->text(), "Username:");
    EXPECT_EQ(get<QCheckBox>("Check_devices")->text(), "Allow setting devices");
    EXPECT_EQ(get<QLineEdit>("Edit_user")->maxLength(), 10);
    EXPECT_EQ(get<QLineEdit>("Edit_password")->maxLength(), 10);
    EXPECT_EQ(get<QLineEdit>("Edit_repassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(get<QComboBox>("Combo_access")->currentIndex(), -1);
    ASSERT_EQ(grid()->columnCount(), 6);
    EXPECT_EQ(heading(0), "User");
    EXPECT_EQ(heading(5), "Display");
}

TEST_F(UsersWindowTest, ActivationListsInTheTickedLanguage) {
    QEvent activation(QEvent::WindowActivate);
    QCoreApplication::sendEvent(m_window.get(), &activation);
    EXPECT_EQ(m_window->windowTitle(), "Users and accounts");
    EXPECT_EQ(get<QLabel>("Label_user")->text(), "User:");
    EXPECT_EQ(get<QCheckBox>("Check_devices")->text(), "Allow settings devices");
    ASSERT_EQ(grid()->rowCount(), 3);
    const QStringList bob = {"bob", "Operator", "01/01/20", "No", "Yes", "No"};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(cell(1, column), bob[column]);
        EXPECT_TRUE(cell(2, column).isEmpty());
    }
    EXPECT_EQ(cell(0, 3), "Yes");

    m_language.setTicked(TickedLanguage::Italian);
    m_window->activate();
    EXPECT_EQ(m_window->windowTitle(), "Utenti e account");
    EXPECT_EQ(get<QLabel>("Label_user")->text(), "Nome utente:");
    EXPECT_EQ(get<QLabel>("Label_repassword")->text(), "Re-inserisci password:");
    EXPECT_EQ(get<QLabel>("Label_access")->text(), "Livello di accesso:");
    EXPECT_EQ(get<QCheckBox>("Check_communication")->text(), "Consenti config. comunicazione");
    EXPECT_EQ(get<QPushButton>("Butt_add")->text(), "Aggiungi/Change");
    EXPECT_EQ(get<QPushButton>("Butt_delete")->text(), "Cancella");
    EXPECT_EQ(get<QPushButton>("Butt_exit")->text(), "Esci");
    EXPECT_EQ(heading(0), "Utenti");
    EXPECT_EQ(heading(2), "Data res.");
    EXPECT_TRUE(m_shown.isEmpty());
}

TEST_F(UsersWindowTest, SelectingARowCopiesIt) {
    m_window->activate();
    m_window->selectRow(1);
    EXPECT_EQ(get<QLineEdit>("Edit_user")->text(), "bob");
    EXPECT_EQ(get<QComboBox>("Combo_access")->currentText(), "Operator");
    EXPECT_FALSE(get<QCheckBox>("Check_devices")->isChecked());
    EXPECT_TRUE(get<QCheckBox>("Check_communication")->isChecked());
    EXPECT_FALSE(get<QCheckBox>("Check_display")->isChecked());
    m_window->selectRow(2); // the empty row
    EXPECT_TRUE(get<QLineEdit>("Edit_user")->text().isEmpty());
    EXPECT_EQ(get<QComboBox>("Combo_access")->currentIndex(), -1);
    m_window->selectRow(7); // beyond the grid: nothing
}

TEST_F(UsersWindowTest, ClickingARowCopiesItAndListingDoesNot) {
    m_window->show();
    m_window->activate();
    const QRect cell = grid()->visualItemRect(grid()->item(0, 0));
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(get<QLineEdit>("Edit_user")->text(), "admin");
    EXPECT_EQ(get<QComboBox>("Combo_access")->currentText(), "Administrator");
    EXPECT_TRUE(get<QCheckBox>("Check_display")->isChecked());

    get<QLineEdit>("Edit_user")->setText("typed");
    m_window->activate(); // the refill is not a selection
    EXPECT_EQ(get<QLineEdit>("Edit_user")->text(), "typed");
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(get<QLineEdit>("Edit_user")->text(), "admin");
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
    const QByteArray before = test::readFile(m_path);
    for (const Row& row : rows) {
        m_shown.clear();
        fill(row.user, row.password, row.repeat, row.level);
        click("Butt_add");
        EXPECT_EQ(m_shown, QStringList{row.message});
    }
    EXPECT_EQ(test::readFile(m_path), before);
}

TEST_F(UsersWindowTest, AddAppendsAndChangeKeepsTheDate) {
    m_window->activate();
    fill("carl", "pw", "pw", 1);
    get<QCheckBox>("Check_display")->setChecked(true);
    click("Butt_add");
    EXPECT_TRUE(m_shown.isEmpty());
    ASSERT_EQ(stored().size(), 3);
    EXPECT_EQ(stored()[2].level, "Setup");
    EXPECT_EQ(stored()[2].registrationDate, todayRegistrationDate());
    EXPECT_TRUE(stored()[2].allowed(AccountRight::Display));
    EXPECT_TRUE(get<QLineEdit>("Edit_user")->text().isEmpty());
    EXPECT_TRUE(get<QLineEdit>("Edit_password")->text().isEmpty());
    EXPECT_EQ(grid()->rowCount(), 4);
    EXPECT_EQ(cell(2, 0), "carl");

    fill("bob", "new", "new", 0);
    click("Butt_add");
    ASSERT_EQ(stored().size(), 3);
    EXPECT_EQ(stored()[1].password, "new");
    EXPECT_EQ(stored()[1].level, "Administrator");
    EXPECT_EQ(stored()[1].registrationDate, "01/01/20");
    EXPECT_EQ(cell(1, 1), "Administrator");
}

TEST_F(UsersWindowTest, DeleteMovesUpOrRefuses) {
    m_window->activate();
    get<QLineEdit>("Edit_user")->setText("admin");
    click("Butt_delete");
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].userName, "bob");
    EXPECT_EQ(grid()->rowCount(), 2);
    EXPECT_EQ(cell(0, 0), "bob");

    // No administrator is left, so nothing more can be deleted.
    get<QLineEdit>("Edit_user")->setText("bob");
    click("Butt_delete");
    EXPECT_EQ(stored().size(), 1);
    EXPECT_TRUE(m_shown.isEmpty());
}

TEST_F(UsersWindowTest, MissingFileMessages) {
    QFile::remove(m_path);
    m_window->activate();
    m_window->activate(); // activation again after the box closed: no second box
    EXPECT_EQ(m_shown, QStringList{"Missing account file"});

    fill("carl", "pw", "pw", 2);
    click("Butt_add");
    EXPECT_EQ(m_shown.last(), "Missing account file!\nContact administrator");
    click("Butt_delete");
    EXPECT_EQ(m_shown.last(), "Missing account file!");
    EXPECT_FALSE(QFile::exists(m_path));

    m_shown.clear();
    m_window->close();
    m_window->activate(); // a new showing reports it again
    EXPECT_EQ(m_shown, QStringList{"Missing account file"});
}

TEST_F(UsersWindowTest, ClosingClearsFieldsAndBoxes) {
    m_window->show();
    fill("bob", "x", "x", 2);
    get<QCheckBox>("Check_devices")->setChecked(true);
    get<QCheckBox>("Check_display")->setChecked(true);
    click("Butt_exit");
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(get<QLineEdit>("Edit_user")->text().isEmpty());
    EXPECT_TRUE(get<QLineEdit>("Edit_repassword")->text().isEmpty());
    EXPECT_EQ(get<QComboBox>("Combo_access")->currentIndex(), -1);
    EXPECT_FALSE(get<QCheckBox>("Check_devices")->isChecked());
    EXPECT_FALSE(get<QCheckBox>("Check_display")->isChecked());
}
