#include "accounts/access_gate.h"
#include "accounts/account_codec.h"

#include "test_support.h"

#include <gtest/gtest.h>

using namespace holvex;
using holvex::test::hex;

namespace {

// "admin" / "1234", level "Setup", registered "01/02/24", devices allowed, communication denied, display
// allowed; worked out byte by byte from the masks.
const char* const SetupRecordHex = "05 5D 58 51 55 52 00 00 00 00 00"                // name, XOR 3C
                                   "04 F2 F1 F0 F7 00 00 00 00 00 00"                // password, XOR C3
                                   "05 6F 59 48 49 4C 00 00 00 00 00 00 00 00 00 00" // level, XOR 3C
                                   "08 30 31 2F 30 32 2F 32 34 00 00 00 00 00 00 00" // date, plain
                                   "03 71 37 4B"                                     // q7K
                                   "03 7A 39 4D"                                     // z9M
                                   "03 68 36 50"                                     // h6P
                                   "00";

AccountRecord setupRecord() {
    AccountRecord record;
    record.userName = "admin";
    record.password = "1234";
    record.level = "Setup";
    record.registrationDate = "01/02/24";
    record.setRight(AccountRight::Devices, true);
    record.setRight(AccountRight::Communication, false);
    record.setRight(AccountRight::Display, true);
    return record;
}

} // namespace

TEST(AccountCodec, EncodesTheHandWrittenRecord) {
    const QByteArray expected = hex(SetupRecordHex);
    ASSERT_EQ(expected.size(), AccountRecordSize);
    EXPECT_EQ(encodeAccountRecord(setupRecord()), expected);
}

TEST(AccountCodec, DecodesTheHandWrittenRecord) {
    const AccountRecord record = decodeAccountRecord(hex(SetupRecordHex));
    EXPECT_EQ(record.userName, "admin");
    EXPECT_EQ(record.password, "1234");
    EXPECT_EQ(record.level, "Setup");
    EXPECT_EQ(record.registrationDate, "01/02/24");
    EXPECT_EQ(record.devicesCode, "q7K");
    EXPECT_EQ(record.communicationCode, "z9M");
    EXPECT_EQ(record.displayCode, "h6P");
    EXPECT_TRUE(record.allowed(AccountRight::Devices));
    EXPECT_FALSE(record.allowed(AccountRight::Communication));
    EXPECT_TRUE(record.allowed(AccountRight::Display));
}

TEST(AccountCodec, CutsTextsToTheirFields) {
    AccountRecord record = setupRecord();
    record.userName = "abcdefghijKLM";
    record.password = "0123456789xyz";
    record.level = "AdministratorXYZ";
    record.registrationDate = "2024-02-01 long date";
    const QByteArray bytes = encodeAccountRecord(record);
    ASSERT_EQ(bytes.size(), AccountRecordSize);
    const AccountRecord back = decodeAccountRecord(bytes);
    EXPECT_EQ(back.userName, "abcdefghij");
    EXPECT_EQ(back.password, "0123456789");
    EXPECT_EQ(back.level, "AdministratorXY");
    EXPECT_EQ(back.registrationDate, "2024-02-01 long");
    EXPECT_EQ(back.devicesCode, "q7K");
}

TEST(AccountCodec, ClampsOversizedLengthBytesToTheField) {
    QByteArray bytes = hex(SetupRecordHex);
    bytes[0] = char(0xFF);  // name claims 255 characters
    bytes[11] = char(0x0B); // password claims 11 of 10
    bytes[38] = char(0x40); // date claims 64
    const AccountRecord record = decodeAccountRecord(bytes);
    EXPECT_EQ(record.userName.size(), AccountNameWidth);
    EXPECT_TRUE(record.userName.startsWith("admin"));
    EXPECT_EQ(record.password.size(), AccountPasswordWidth);
    EXPECT_EQ(record.registrationDate.size(), AccountDateWidth);
    EXPECT_EQ(record.level, "Setup");
}

TEST(AccountCodec, RightsCountOnlyWithTheExactCode) {
    struct Row {
        int offset;
        const char* field; // length byte and three characters
        AccountRight right;
        bool allowed;
    };
    const Row rows[] = {
        {54, "03 71 37 4B", AccountRight::Devices, true},        // q7K
        {54, "03 77 32 52", AccountRight::Devices, false},       // w2R
        {54, "03 51 37 4B", AccountRight::Devices, false},       // Q7K: case counts
        {54, "02 71 37 4B", AccountRight::Devices, false},       // length 2
        {54, "04 71 37 4B", AccountRight::Devices, false},       // length beyond the field
        {58, "03 6A 34 54", AccountRight::Communication, true},  // j4T
        {58, "03 68 36 50", AccountRight::Communication, false}, // another right's code
        {62, "03 68 36 50", AccountRight::Display, true},        // h6P
        {62, "03 78 33 4E", AccountRight::Display, false},       // x3N
    };
    for (const Row& row : rows) {
        QByteArray bytes = hex(SetupRecordHex);
        bytes.replace(row.offset, 4, hex(row.field));
        EXPECT_EQ(decodeAccountRecord(bytes).allowed(row.right), row.allowed) << row.field;
    }
}

TEST(AccountCodec, ShortInputReadsOnlyWhatIsThere) {
    const QByteArray whole = hex(SetupRecordHex);
    for (int size = 0; size < AccountRecordSize; ++size) {
        // A copy of exactly size bytes, so a sanitizer build catches any read beyond it.
        const QByteArray part = whole.left(size);
        const AccountRecord record = decodeAccountRecord(part);
        EXPECT_LE(record.userName.size(), AccountNameWidth);
        if (size >= 6) {
            EXPECT_EQ(record.userName, "admin");
        }
        if (size < 66) {
            EXPECT_FALSE(record.allowed(AccountRight::Display)) << size;
        }
    }
    EXPECT_EQ(decodeAccountRecord(whole.left(3)).userName, "ad");
}

TEST(AccountCodec, FileKeepsWholeRecordsOnly) {
    const QByteArray one = hex(SetupRecordHex);
    EXPECT_TRUE(decodeAccountFile(QByteArray()).isEmpty());
    EXPECT_TRUE(decodeAccountFile(one.left(66)).isEmpty());
    EXPECT_EQ(decodeAccountFile(one + one.left(30)).size(), 1);
    EXPECT_EQ(decodeAccountFile(one + one).size(), 2);
}

TEST(AccountCodec, RewriteKeepsNameAndDateBytes) {
    QByteArray stored = hex(SetupRecordHex);
    stored[7] = char(0x99); // a don't-care byte behind the name stays as it was
    AccountRecord changes;
    changes.userName = "ignored";
    changes.password = "pw";
    changes.level = "Operator";
    changes.registrationDate = "never";
    changes.setRight(AccountRight::Devices, false);
    changes.setRight(AccountRight::Communication, true);
    changes.setRight(AccountRight::Display, false);
    const QByteArray rewritten = rewriteAccountRecord(stored, changes);
    ASSERT_EQ(rewritten.size(), AccountRecordSize);
    EXPECT_EQ(rewritten.left(11), stored.left(11));
    EXPECT_EQ(rewritten.mid(38, 16), stored.mid(38, 16));
    const AccountRecord back = decodeAccountRecord(rewritten);
    EXPECT_EQ(back.password, "pw");
    EXPECT_EQ(back.level, "Operator");
    EXPECT_EQ(back.communicationCode, "j4T");
    EXPECT_EQ(back.devicesCode, "w2R");
}

TEST(AccessGate, ToolsEntriesFollowTheLevel) {
    struct Row {
        const char* level;
        const char* granted;
        bool users;
        bool settings;
    };
    const Row rows[] = {
        {"Administrator", "Administrator", true, true},
        {"Setup", "Setup", false, true},
        {"Operator", "Operator", false, false},
        {"", "Operator", false, false},
        {"setup", "Operator", false, false},
    };
    for (const Row& row : rows) {
        const AccessGrant grant = grantAccess(row.level, setupRecord());
        EXPECT_EQ(grant.level, row.granted) << row.level;
        EXPECT_EQ(grant.usersEntryEnabled, row.users) << row.level;
        EXPECT_EQ(grant.settingsEntryEnabled, row.settings) << row.level;
        EXPECT_TRUE(grant.devicesAllowed);
        EXPECT_FALSE(grant.communicationAllowed);
        EXPECT_TRUE(grant.displayAllowed);
    }
}

TEST(AccessGate, UnknownLevelKeepsTheLevelBefore) {
    EXPECT_EQ(nextLevel("Setup", "Administrator"), "Setup");
    EXPECT_EQ(nextLevel("Guru", "Administrator"), "Administrator");
    EXPECT_EQ(nextLevel("administrator", ""), "");
}
