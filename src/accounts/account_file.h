#pragma once

#include "accounts/access_grant.h"
#include "accounts/account_record.h"

#include <QList>
#include <QString>

namespace holvex {

// What became of an action on the account file.
enum class AccountFileStatus {
    Done,    // the action ran (it may still have found nothing to do, see the result's fields)
    Missing, // the file does not exist or cannot be opened as the action needs
    IoError, // reading or writing failed part way; errorText holds the system's text
};

enum class LoginStatus { Granted, MissingFile, EmptyFile, WrongCredentials, ReadError };

struct LoginOutcome {
    LoginStatus status = LoginStatus::WrongCredentials;
    AccessGrant grant;
    QString errorText;
};

struct AccountListing {
    AccountFileStatus status = AccountFileStatus::Missing;
    QList<AccountRecord> records;
    QString errorText;
};

struct AccountChange {
    AccountFileStatus status = AccountFileStatus::Missing;
    bool appended = false; // false: an existing record was rewritten in place
    QString errorText;
};

enum class DeleteOutcome { Deleted, NotFound, NoAdministrator };

struct AccountDeletion {
    AccountFileStatus status = AccountFileStatus::Missing;
    DeleteOutcome outcome = DeleteOutcome::NotFound;
    QString errorText;
};

// The account file ("files/users.dat" in the program's folder; the path is given). Only whole 67-byte
// records count: a trailing partial record is never read, and the next append or delete overwrites or
// drops it so that the records stay aligned.
class AccountFile {
public:
    explicit AccountFile(QString path);

    const QString& path() const { return m_path; }

    // Matches the typed name and password exactly (case counts) against every record in order. When
    // several records match, the last decides the rights and the last known level among them decides the
    // level. The file only needs to be readable.
    LoginOutcome login(const QString& userName, const QString& password) const;

    // Every record, for the users window; the file must open for reading and writing.
    AccountListing list() const;

    // The record whose name equals entry.userName gets entry's password, level and rights (its name and
    // registration date stay); without one, entry is appended with the given date text.
    AccountChange addOrChange(const AccountRecord& entry, const QString& today) const;

    // Removes the first record named userName, moving the later ones up and cutting the file by one
    // record; refused when no record holds the level "Administrator".
    AccountDeletion remove(const QString& userName) const;

private:
    QString m_path;
};

// Today's date as the registration date: the system's short date format.
QString todayRegistrationDate();

// Creates (or replaces) the file with the one account "admin" / "admin", level "Administrator", all three
// rights allowed, registered today; creates the folder when it is missing.
bool writeDefaultAccountFile(const QString& path);

// The file is written owner-only (0600): the passwords in it are masked, not encrypted. True when an
// existing file can be read by the group or by everyone, which the program reports in the event log.
bool accountFileReadableByOthers(const QString& path);

} // namespace holvex
