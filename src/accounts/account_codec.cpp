#include "accounts/account_codec.h"

#include <algorithm>

namespace holvex {

namespace {

constexpr int NameOffset = 0;
constexpr int PasswordOffset = 11;
constexpr int LevelOffset = 22;
constexpr int DateOffset = 38;
constexpr int DevicesOffset = 54;
constexpr int CommunicationOffset = 58;
constexpr int DisplayOffset = 62;
constexpr int RightWidth = 3;

constexpr unsigned char NameMask = 0x3C;
constexpr unsigned char PasswordMask = 0xC3;
constexpr unsigned char LevelMask = 0x3C;

// Writes a length byte and up to width masked characters at offset; the rest of the field becomes 0.
void putField(QByteArray& record, int offset, int width, const QString& text, unsigned char mask) {
    const QByteArray bytes = text.toLatin1().left(width);
    record[offset] = static_cast<char>(bytes.size());
    for (int i = 0; i < width; ++i) {
        const char value =
            i < bytes.size() ? static_cast<char>(static_cast<unsigned char>(bytes[i]) ^ mask) : 0;
        record[offset + 1 + i] = value;
    }
}

// Reads a length-prefixed field, clamped to its width and to the bytes actually present.
QString getField(QByteArrayView record, int offset, int width, unsigned char mask) {
    if (offset >= record.size()) {
        return {};
    }
    qsizetype length = static_cast<unsigned char>(record[offset]);
    length = std::min<qsizetype>(length, width);
    length = std::min<qsizetype>(length, record.size() - offset - 1);
    QByteArray plain(length, '\0');
    for (qsizetype i = 0; i < length; ++i) {
        plain[i] = static_cast<char>(static_cast<unsigned char>(record[offset + 1 + i]) ^ mask);
    }
    return QString::fromLatin1(plain);
}

// A right's code counts only with its proper length byte; anything else is unsound and so denied.
QString getRight(QByteArrayView record, int offset) {
    if (offset + RightWidth >= record.size() || static_cast<unsigned char>(record[offset]) != RightWidth) {
        return {};
    }
    return getField(record, offset, RightWidth, 0);
}

void putRights(QByteArray& record, const AccountRecord& source) {
    putField(record, DevicesOffset, RightWidth, source.devicesCode, 0);
    putField(record, CommunicationOffset, RightWidth, source.communicationCode, 0);
    putField(record, DisplayOffset, RightWidth, source.displayCode, 0);
}

} // namespace

QByteArray encodeAccountRecord(const AccountRecord& record) {
    QByteArray bytes(AccountRecordSize, '\0');
    putField(bytes, NameOffset, AccountNameWidth, record.userName, NameMask);
    putField(bytes, PasswordOffset, AccountPasswordWidth, record.password, PasswordMask);
    putField(bytes, LevelOffset, AccountLevelWidth, record.level, LevelMask);
    putField(bytes, DateOffset, AccountDateWidth, record.registrationDate, 0);
    putRights(bytes, record);
    bytes[AccountRecordSize - 1] = 0;
    return bytes;
}

AccountRecord decodeAccountRecord(QByteArrayView bytes) {
    const QByteArrayView record = bytes.first(std::min<qsizetype>(bytes.size(), AccountRecordSize));
    AccountRecord out;
    out.userName = getField(record, NameOffset, AccountNameWidth, NameMask);
    out.password = getField(record, PasswordOffset, AccountPasswordWidth, PasswordMask);
    out.level = getField(record, LevelOffset, AccountLevelWidth, LevelMask);
    out.registrationDate = getField(record, DateOffset, AccountDateWidth, 0);
    out.devicesCode = getRight(record, DevicesOffset);
    out.communicationCode = getRight(record, CommunicationOffset);
    out.displayCode = getRight(record, DisplayOffset);
    return out;
}

qsizetype accountRecordCount(qsizetype fileSize) {
    return fileSize > 0 ? fileSize / AccountRecordSize : 0;
}

QList<AccountRecord> decodeAccountFile(QByteArrayView bytes) {
    QList<AccountRecord> records;
    const qsizetype count = accountRecordCount(bytes.size());
    records.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        records.append(decodeAccountRecord(bytes.sliced(i * AccountRecordSize, AccountRecordSize)));
    }
    return records;
}

QByteArray rewriteAccountRecord(QByteArrayView stored, const AccountRecord& changes) {
    QByteArray record = stored.first(std::min<qsizetype>(stored.size(), AccountRecordSize)).toByteArray();
    record.resize(AccountRecordSize, '\0');
    putField(record, PasswordOffset, AccountPasswordWidth, changes.password, PasswordMask);
    putField(record, LevelOffset, AccountLevelWidth, changes.level, LevelMask);
    putRights(record, changes);
    return record;
}

} // namespace holvex
