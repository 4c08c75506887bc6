#include "accounts/account_codec.h"
#include "accounts/account_file.h"

#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace holvex;
using holvex::test::readFile;
using holvex::test::writeFile;

namespace {

AccountRecord account(const QString& name, const QString& password, const QString& level, bool devices = true,
                      bool communication = true, bool display = true, const QString& date = "01/01/20") {
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

QByteArray recordBytes(const QList<AccountRecord>& records) {
    QByteArray bytes;
    for (const AccountRecord& record : records) {
        bytes += encodeAccountRecord(record);
    }
    return bytes;
}

class AccountFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes) { return writeFile(m_dir, "files/users.dat", bytes); }
    QString write(const QList<AccountRecord>& records) { return write(recordBytes(records)); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(AccountFileTest, LoginOutcomes) {
    const QString path = write({account("admin", "admin", "Administrator"), account("op", "Pw", "Operator")});
    struct Row {
        const char* name;
        const char* password;
        LoginStatus status;
    };
    const Row rows[] = {
        {"admin", "admin", LoginStatus::Granted},
        {"admin", "Admin", LoginStatus::WrongCredentials},
        {"Admin", "admin", LoginStatus::WrongCredentials},
        {"admin ", "admin", LoginStatus::WrongCredentials},
        {"op", "Pw", LoginStatus::Granted},
        {"op", "admin", LoginStatus::WrongCredentials},
        {"", "", LoginStatus::WrongCredentials},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AccountFile(path).login(row.name, row.password).status, row.status)
            << row.name << row.password;
    }
}

TEST_F(AccountFileTest, MissingAndEmptyFiles) {
    EXPECT_EQ(AccountFile(m_dir.filePath("files/users.dat")).login("a", "b").status,
              LoginStatus::MissingFile);
    EXPECT_EQ(AccountFile(write(QByteArray())).login("a", "b").status, LoginStatus::EmptyFile);
    // Less than one whole record holds no account either.
    const QByteArray one = encodeAccountRecord(account("a", "b", "Operator"));
    EXPECT_EQ(AccountFile(write(one.left(40))).login("a", "b").status, LoginStatus::EmptyFile);
}

TEST_F(AccountFileTest, GrantFollowsLevelAndRights) {
    const QString path = write({account("setup", "s", "Setup", false, true, false),
                                account("admin", "a", "Administrator", true, false, true)});
    const LoginOutcome setup = AccountFile(path).login("setup", "s");
    ASSERT_EQ(setup.status, LoginStatus::Granted);
    EXPECT_EQ(setup.grant.level, "Setup");
    EXPECT_FALSE(setup.grant.usersEntryEnabled);
    EXPECT_TRUE(setup.grant.settingsEntryEnabled);
    EXPECT_FALSE(setup.grant.devicesAllowed);
    EXPECT_TRUE(setup.grant.communicationAllowed);
    EXPECT_FALSE(setup.grant.displayAllowed);

    const LoginOutcome admin = AccountFile(path).login("admin", "a");
    EXPECT_TRUE(admin.grant.usersEntryEnabled);
    EXPECT_TRUE(admin.grant.settingsEntryEnabled);
    EXPECT_TRUE(admin.grant.devicesAllowed);
    EXPECT_FALSE(admin.grant.communicationAllowed);
}

TEST_F(AccountFileTest, UnknownLevelKeepsTheEarlierMatchOrOpensOnlyOperator) {
    const QString path = write({account("u", "p", "Setup"), account("u", "p", "Wizard", false, false, false),
                                account("v", "p", "Wizard")});
    const LoginOutcome twice = AccountFile(path).login("u", "p");
    EXPECT_EQ(twice.grant.level, "Setup");
    EXPECT_TRUE(twice.grant.settingsEntryEnabled);
    EXPECT_FALSE(twice.grant.devicesAllowed); // rights come from the last match

    const LoginOutcome unknown = AccountFile(path).login("v", "p");
    ASSERT_EQ(unknown.status, LoginStatus::Granted);
    EXPECT_EQ(unknown.grant.level, "Operator");
    EXPECT_FALSE(unknown.grant.usersEntryEnabled);
    EXPECT_FALSE(unknown.grant.settingsEntryEnabled);
}

TEST_F(AccountFileTest, ChangeKeepsNameAndRegistrationDate) {
    const QString path = write({account("admin", "a", "Administrator"), account("bob", "old", "Operator")});
    const AccountChange change = AccountFile(path).addOrChange(
        account("bob", "new", "Setup", false, true, false, "ignored"), "31/12/99");
    EXPECT_EQ(change.status, AccountFileStatus::Done);
    EXPECT_FALSE(change.appended);
    const QList<AccountRecord> records = decodeAccountFile(readFile(path));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[1].userName, "bob");
    EXPECT_EQ(records[1].password, "new");
    EXPECT_EQ(records[1].level, "Setup");
    EXPECT_EQ(records[1].registrationDate, "01/01/20");
    EXPECT_FALSE(records[1].allowed(AccountRight::Devices));
    EXPECT_TRUE(records[1].allowed(AccountRight::Communication));
    EXPECT_EQ(AccountFile(path).login("bob", "new").status, LoginStatus::Granted);
}

TEST_F(AccountFileTest, AddAppendsWithTodaysDate) {
    const QString path = write({account("admin", "a", "Administrator")});
    const AccountChange change = AccountFile(path).addOrChange(account("Admin", "x", "Operator"), "02/03/24");
    EXPECT_TRUE(change.appended); // names are case-sensitive: "Admin" is a new user
    const QByteArray bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 2 * AccountRecordSize);
    EXPECT_EQ(decodeAccountFile(bytes)[1].registrationDate, "02/03/24");
    EXPECT_EQ(decodeAccountFile(bytes)[1].userName, "Admin");
}

TEST_F(AccountFileTest, AddOverTrailingPartialRecordKeepsAlignment) {
    const QByteArray admin = encodeAccountRecord(account("admin", "a", "Administrator"));
    const QString path = write(admin + admin.left(20));
    AccountFile(path).addOrChange(account("new", "n", "Operator"), "d");
    const QByteArray bytes = readFile(path);
    ASSERT_EQ(bytes.size(), 2 * AccountRecordSize);
    EXPECT_EQ(decodeAccountFile(bytes)[1].userName, "new");
}

TEST_F(AccountFileTest, DeleteMovesLaterRecordsUpAndCutsTheFile) {
    const QList<AccountRecord> all = {account("a", "1", "Administrator"), account("b", "2", "Operator"),
                                      account("c", "3", "Setup"), account("d", "4", "Operator")};
    const QString path = write(all);
    const AccountDeletion deletion = AccountFile(path).remove("b");
    EXPECT_EQ(deletion.status, AccountFileStatus::Done);
    EXPECT_EQ(deletion.outcome, DeleteOutcome::Deleted);
    EXPECT_EQ(readFile(path), recordBytes({all[0], all[2], all[3]}));

    EXPECT_EQ(AccountFile(path).remove("B").outcome, DeleteOutcome::NotFound);
    EXPECT_EQ(readFile(path).size(), 3 * AccountRecordSize);

    EXPECT_EQ(AccountFile(path).remove("d").outcome, DeleteOutcome::Deleted);
    EXPECT_EQ(readFile(path), recordBytes({all[0], all[2]}));
}

TEST_F(AccountFileTest, DeleteRefusedWithoutAdministrator) {
    const QByteArray bytes = recordBytes({account("b", "2", "Operator"), account("c", "3", "administrator")});
    const QString path = write(bytes);
    EXPECT_EQ(AccountFile(path).remove("b").outcome, DeleteOutcome::NoAdministrator);
    EXPECT_EQ(readFile(path), bytes);
}

TEST_F(AccountFileTest, MissingFileIsNeverCreated) {
    const QString path = m_dir.filePath("users.dat");
    EXPECT_EQ(AccountFile(path).list().status, AccountFileStatus::Missing);
    EXPECT_EQ(AccountFile(path).addOrChange(account("x", "y", "Operator"), "d").status,
              AccountFileStatus::Missing);
    EXPECT_EQ(AccountFile(path).remove("x").status, AccountFileStatus::Missing);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(AccountFileTest, OversizedLengthBytesReadWhatIsSound) {
    QByteArray bytes =
        recordBytes({account("admin", "admin", "Administrator"), account("op", "op", "Operator")});
    bytes[0] = char(0xFF);                      // name length far beyond the field
    bytes[AccountRecordSize + 22] = char(0xFF); // level length too
    bytes += QByteArray(66, char(0xFF));        // and a partial record of garbage
    const QString path = write(bytes);
    const AccountListing listing = AccountFile(path).list();
    ASSERT_EQ(listing.status, AccountFileStatus::Done);
    ASSERT_EQ(listing.records.size(), 2);
    EXPECT_EQ(listing.records[0].userName.size(), AccountNameWidth);
    EXPECT_EQ(listing.records[1].userName, "op");
    EXPECT_EQ(listing.records[1].level.size(), AccountLevelWidth);
    EXPECT_EQ(AccountFile(path).login("op", "op").grant.level, "Operator");
    EXPECT_EQ(AccountFile(path).login("admin", "admin").status, LoginStatus::WrongCredentials);
}

TEST_F(AccountFileTest, DefaultFileHoldsTheAdministrator) {
    const QString path = m_dir.filePath("home/files/users.dat");
    ASSERT_TRUE(writeDefaultAccountFile(path));
    EXPECT_EQ(readFile(path).size(), AccountRecordSize);
    const LoginOutcome outcome = AccountFile(path).login("admin", "admin");
    ASSERT_EQ(outcome.status, LoginStatus::Granted);
    EXPECT_EQ(outcome.grant.level, "Administrator");
    EXPECT_TRUE(outcome.grant.usersEntryEnabled);
    EXPECT_TRUE(outcome.grant.devicesAllowed);
    EXPECT_TRUE(outcome.grant.communicationAllowed);
    EXPECT_TRUE(outcome.grant.displayAllowed);
}

// The passwords are masked, not encrypted: the program creates the file owner-only, closes it to others
// whenever it rewrites it, and tells which existing files are open to others.
TEST_F(AccountFileTest, FileIsKeptOwnerOnly) {
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QFileDevice::Permissions shared = ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto ownerBits = [ownerOnly](const QString& path) {
        return QFile::permissions(path) & (ownerOnly | QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                           QFileDevice::ReadOther | QFileDevice::WriteOther);
    };

    const QString fresh = m_dir.filePath("home/files/users.dat");
    ASSERT_TRUE(writeDefaultAccountFile(fresh));
    EXPECT_EQ(ownerBits(fresh), ownerOnly);
    EXPECT_FALSE(accountFileReadableByOthers(fresh));
    ASSERT_TRUE(QFile::setPermissions(fresh, shared));
    EXPECT_TRUE(accountFileReadableByOthers(fresh));
    ASSERT_TRUE(writeDefaultAccountFile(fresh)); // replaced
    EXPECT_EQ(ownerBits(fresh), ownerOnly);
    EXPECT_FALSE(accountFileReadableByOthers(m_dir.filePath("nowhere/users.dat")));

    const QString path = write({account("admin", "admin", "Administrator"), account("ann", "x", "Operator")});
    ASSERT_TRUE(QFile::setPermissions(path, shared));
    ASSERT_EQ(AccountFile(path).list().status, AccountFileStatus::Done); // reading leaves it as it is
    EXPECT_EQ(ownerBits(path), shared);
    ASSERT_EQ(AccountFile(path).addOrChange(account("bob", "y", "Operator"), "02/02/20").status,
              AccountFileStatus::Done);
    EXPECT_EQ(ownerBits(path), ownerOnly);
    ASSERT_TRUE(QFile::setPermissions(path, shared));
    ASSERT_EQ(AccountFile(path).remove("ann").outcome, DeleteOutcome::Deleted);
    EXPECT_EQ(ownerBits(path), ownerOnly);
}
