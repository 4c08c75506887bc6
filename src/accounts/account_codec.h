#pragma once

#include "accounts/account_record.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace holvex {

// The account file is a run of fixed 67-byte records without a header. Each text is a length byte followed
// by a fixed field of character bytes; bytes beyond the length are don't-care (written as 0).
//
//   0  name length (0..10),      1 name, each byte XOR 0x3C
//  11  password length (0..10), 12 password, each byte XOR 0xC3
//  22  level length (0..15),    23 level, each byte XOR 0x3C
//  38  date length (0..15),     39 registration date, plain
//  54  3, devices code   58  3, communication code   62  3, display code
//  66  0
//
// Texts are single-byte characters (Latin-1); a character outside it is stored as "?".
inline constexpr int AccountRecordSize = 67;
inline constexpr int AccountNameWidth = 10;
inline constexpr int AccountPasswordWidth = 10;
inline constexpr int AccountLevelWidth = 15;
inline constexpr int AccountDateWidth = 15;

// The whole 67-byte record. Texts longer than their field are cut to it.
QByteArray encodeAccountRecord(const AccountRecord& record);

// Decodes one record from at most the first 67 bytes given. A length byte larger than its field is
// clamped to the field; a right whose length byte is not 3 reads as an empty (denied) code; fields that lie
// beyond the bytes given read as empty. Never reads past the bytes given.
AccountRecord decodeAccountRecord(QByteArrayView bytes);

// Every whole record of the file's bytes, in order; a trailing partial record is ignored.
QList<AccountRecord> decodeAccountFile(QByteArrayView bytes);

// Number of whole records in a file of the given size.
qsizetype accountRecordCount(qsizetype fileSize);

// A stored record with its password, level and three rights replaced by those of changes; the name and
// registration date bytes stay exactly as they were. stored must hold a whole record.
QByteArray rewriteAccountRecord(QByteArrayView stored, const AccountRecord& changes);

} // namespace holvex
