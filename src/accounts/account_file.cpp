#include "accounts/account_file.h"

#include "accounts/access_gate.h"
#include "accounts/account_codec.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>

namespace holvex {

namespace {

constexpr QIODevice::OpenMode ReadWriteExisting = QIODevice::ReadWrite | QIODevice::ExistingOnly;

// The passwords are only masked, so the file is kept readable by its owner alone.
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Reads the whole file; false (with the system's text) when the read fails part way.
bool readWhole(QFile& file, QByteArray& bytes, QString& errorText) {
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        errorText = file.errorString();
        return false;
    }
    return true;
}

// Replaces the whole file through a temporary file and a rename, so that a failed write (a full disk, a
// crash) never leaves half an account file; the new file is owner-only, which also closes a file that was
// left open to others.
bool replaceWhole(const QString& path, const QByteArray& bytes, QString& errorText) {
    QSaveFile file(path);
    // A folder that is read-only but holds a writable file still lets us write the file itself.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(OwnerOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

AccountFile::AccountFile(QString path) : m_path(std::move(path)) {}

LoginOutcome AccountFile::login(const QString& userName, const QString& password) const {
    LoginOutcome outcome;
    QFile file(m_path);
    if (!file.exists()) {
        outcome.status = LoginStatus::MissingFile;
        return outcome;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        outcome.status = LoginStatus::ReadError;
        outcome.errorText = file.errorString();
        return outcome;
    }
    QByteArray bytes;
    if (!readWhole(file, bytes, outcome.errorText)) {
        outcome.status = LoginStatus::ReadError;
        return outcome;
    }
    const QList<AccountRecord> records = decodeAccountFile(bytes);
    if (records.isEmpty()) {
        outcome.status = LoginStatus::EmptyFile;
        return outcome;
    }
    QString level;
    for (const AccountRecord& record : records) {
        if (record.userName == userName && record.password == password) {
            level = nextLevel(record.level, level);
            outcome.grant = grantAccess(level, record);
            outcome.status = LoginStatus::Granted;
        }
    }
    return outcome;
}

AccountListing AccountFile::list() const {
    AccountListing listing;
    QFile file(m_path);
    if (!file.open(ReadWriteExisting)) {
        return listing;
    }
    QByteArray bytes;
    if (!readWhole(file, bytes, listing.errorText)) {
        listing.status = AccountFileStatus::IoError;
        return listing;
    }
    listing.records = decodeAccountFile(bytes);
    listing.status = AccountFileStatus::Done;
    return listing;
}

AccountChange AccountFile::addOrChange(const AccountRecord& entry, const QString& today) const {
    AccountChange change;
    QFile file(m_path);
    if (!file.open(ReadWriteExisting)) {
        return change;
    }
    QByteArray bytes;
    if (!readWhole(file, bytes, change.errorText)) {
        change.status = AccountFileStatus::IoError;
        return change;
    }
    const QList<AccountRecord> records = decodeAccountFile(bytes);
    // The name is compared as stored, so it is cut to its field first like the stored one was.
    const QString storedName = decodeAccountRecord(encodeAccountRecord(entry)).userName;
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records.at(i).userName == storedName) {
            const qsizetype offset = i * AccountRecordSize;
            const QByteArray rewritten =
                rewriteAccountRecord(QByteArrayView(bytes).sliced(offset, AccountRecordSize), entry);
            file.close();
            change.status =
                replaceWhole(m_path, bytes.left(offset) + rewritten + bytes.mid(offset + AccountRecordSize),
                             change.errorText)
                    ? AccountFileStatus::Done
                    : AccountFileStatus::IoError;
            return change;
        }
    }
    AccountRecord added = entry;
    added.registrationDate = today;
    // Appending after the last whole record keeps the records aligned even behind a partial tail; the new
    // record is longer than any partial tail, so it covers it completely.
    const qint64 offset = records.size() * qint64{AccountRecordSize};
    change.appended = true;
    file.close();
    change.status = replaceWhole(m_path, bytes.left(offset) + encodeAccountRecord(added), change.errorText)
                        ? AccountFileStatus::Done
                        : AccountFileStatus::IoError;
    return change;
}

AccountDeletion AccountFile::remove(const QString& userName) const {
    AccountDeletion deletion;
    QFile file(m_path);
    if (!file.open(ReadWriteExisting)) {
        return deletion;
    }
    QByteArray bytes;
    if (!readWhole(file, bytes, deletion.errorText)) {
        deletion.status = AccountFileStatus::IoError;
        return deletion;
    }
    deletion.status = AccountFileStatus::Done;
    const QList<AccountRecord> records = decodeAccountFile(bytes);
    const bool anyAdministrator =
        std::any_of(records.cbegin(), records.cend(),
                    [](const AccountRecord& record) { return record.level == AdministratorLevel; });
    if (!anyAdministrator) {
        deletion.outcome = DeleteOutcome::NoAdministrator;
        return deletion;
    }
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records.at(i).userName != userName) {
            continue;
        }
        const qint64 offset = i * qint64{AccountRecordSize};
        const qint64 wholeSize = records.size() * qint64{AccountRecordSize};
        const QByteArray later =
            bytes.mid(offset + AccountRecordSize, wholeSize - offset - AccountRecordSize);
        file.close();
        if (!replaceWhole(m_path, bytes.left(offset) + later, deletion.errorText)) {
            deletion.status = AccountFileStatus::IoError;
            return deletion;
        }
        deletion.outcome = DeleteOutcome::Deleted;
        return deletion;
    }
    deletion.outcome = DeleteOutcome::NotFound;
    return deletion;
}

QString todayRegistrationDate() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

bool writeDefaultAccountFile(const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    AccountRecord admin;
    admin.userName = QStringLiteral("admin");
    admin.password = QStringLiteral("admin");
    admin.level = AdministratorLevel;
    admin.registrationDate = todayRegistrationDate();
    admin.setRight(AccountRight::Devices, true);
    admin.setRight(AccountRight::Communication, true);
    admin.setRight(AccountRight::Display, true);
    QString errorText;
    return replaceWhole(path, encodeAccountRecord(admin), errorText);
}

bool accountFileReadableByOthers(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && (info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) != 0;
}

} // namespace holvex
