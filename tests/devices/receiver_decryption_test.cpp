#include "devices/receiver/aes_cbc.h"
#include "devices/receiver/key_table.h"
#include "devices/receiver/radio_application.h"
#include "devices/receiver/radio_header.h"

#include "../mbus/qstring_print.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::receiver {
namespace {

using test::hex;

// Published examples of security mode 5, as the radio sends them (L first, no CRCs). The receiver relays
// them between a 0x68 and a 0x16.
//
// EN 13757-3:2003 annex P, table P.1 (repeated as example N.2.1 of OMS volume 2, there with
// the configuration word 20 25): a gas meter of ELS, ID 12345678, two encrypted blocks, key
// 01 02 ... 0F 11. The same table gives the telegram unencrypted, configuration word 00 00.
constexpr const char* kTableP1Encrypted =
    "2E 44 93 15 78 56 34 12 33 03 7A 2A 00 20 05 59 23 C9 5A AA 26 D1 B2 E7 49"
    " 3B 01 3E C4 A6 F6 D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3";
constexpr const char* kTableP1Plain =
    "2E 44 93 15 78 56 34 12 33 03 7A 2A 00 00 00 2F 2F 0C 14 27 04 85 02 04 6D"
    " 32 37 1F 15 02 FD 17 00 00 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F";
constexpr const char* kOmsN21Encrypted =
    "2E 44 93 15 78 56 34 12 33 03 7A 2A 00 20 25 59 23 C9 5A AA 26 D1 B2 E7 49"
    " 3B 01 3E C4 A6 F6 D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3";
constexpr const char* kTableP1Key = "0102030405060708090A0B0C0D0E0F11";

// A long header (CI 0x72) in mode 5 with three encrypted blocks: the radio converter AMB 57000044, key
// CAFEBABE 12345678 9ABCDEF0 CAFEBABE, the published "Long Header - Encrypted Mode 5" example of the
// wireless-mbus-parser project's application layer tests.
constexpr const char* kAmbLongHeader =
    "46 44 A2 05 44 00 00 57 0C 37 72 44 00 00 57 A2 05 0C 37 A3 00 30 05 D8 98 C6"
    " 4F D0 C9 BD 26 34 36 50 84 E4 DF 94 67 36 C7 1A 21 03 E4 5A 19 0C AA 1A 49"
    " B6 02 E4 6C 9F 45 FC EE 79 AF BE 34 F0 C1 67 FD 85 7F 65 9E";
constexpr const char* kAmbKey = "CAFEBABE123456789ABCDEF0CAFEBABE";

// The relayed form: 0x68, the radio telegram, 0x16.
QByteArray relayed(const char* radio) {
    return hex("68") + hex(radio) + hex("16");
}

AesKey key(const char* text) {
    return parseHexKey(QString::fromLatin1(text)).value();
}

mbus::DecodeOptions fullRead() {
    mbus::DecodeOptions options;
    options.fullRead = true;
    options.reportStamp = QStringLiteral("12:00:00, 01.01.2024");
    return options;
}

QStringList recordTexts(const mbus::DecodeResult& result) {
    QStringList texts;
    for (const mbus::RecordRow& row : result.records) {
        texts.append(row.value + QLatin1Char('|') + row.unit);
    }
    return texts;
}

TEST(ReceiverDecryption, PublishedExamplesDecryptToTheirRecords) {
    const RadioDecodeResult plain = decodeRelayedTelegram(relayed(kTableP1Plain), std::nullopt, fullRead());
    ASSERT_TRUE(plain.decoded.ok) << plain.decoded.log.join(QLatin1Char('\n')).toStdString();
    ASSERT_FALSE(plain.decoded.records.isEmpty());

    for (const char* encrypted : {kTableP1Encrypted, kOmsN21Encrypted}) {
        SCOPED_TRACE(encrypted);
        const RadioDecodeResult result =
            decodeRelayedTelegram(relayed(encrypted), key(kTableP1Key), fullRead());
        EXPECT_EQ(result.securityMode, 5);
        ASSERT_TRUE(result.decoded.ok) << result.decoded.log.join(QLatin1Char('\n')).toStdString();
        // The decrypted records are the unencrypted telegram's, byte for byte.
        EXPECT_EQ(result.plainApplication.mid(5), hex(kTableP1Plain).mid(15));
        EXPECT_EQ(recordTexts(result.decoded), recordTexts(plain.decoded));
        EXPECT_EQ(result.decoded.reportLines.first(),
                  QStringLiteral("ID:12345678, Mfr: ELS, Main medium: Gas"));
    }
    EXPECT_EQ(recordTexts(plain.decoded).first(), QStringLiteral("28504.270|m3"));

    const RadioDecodeResult amb = decodeRelayedTelegram(relayed(kAmbLongHeader), key(kAmbKey), fullRead());
    EXPECT_EQ(amb.securityMode, 5);
    ASSERT_TRUE(amb.decoded.ok) << amb.decoded.log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(amb.decoded.reportLines.first(), QStringLiteral("ID:57000044, Mfr: AMB, Main medium: Unknown"));
    ASSERT_EQ(amb.decoded.records.size(), 2);
    EXPECT_EQ(recordTexts(amb.decoded).first(), QStringLiteral("0.675|m3"));
    // The second record is the converter's name as variable-length text, shown in the order received.
    EXPECT_EQ(amb.decoded.records[1].unit, QStringLiteral("Customer"));
    EXPECT_TRUE(amb.decoded.records[1].value.contains(QStringLiteral("REBMA")))
        << amb.decoded.records[1].value.toStdString();
}

TEST(ReceiverDecryption, FailuresSayWhyAndDecodeNothing) {
    struct Case {
        const char* what;
        QByteArray telegram;
        std::optional<AesKey> key;
        const char* line;
        int mode;
    };
    const QByteArray p1 = relayed(kTableP1Encrypted);
    QByteArray threeBlocks = p1;
    threeBlocks[14] = 0x30; // configuration word 30 05: three blocks, but only two follow
    QByteArray mode7 = p1;
    mode7[15] = 0x07;
    const Case cases[] = {
        {"wrong key", p1, key(kAmbKey), "decryption failed: the first two bytes are not 2F 2F", 5},
        {"no key", p1, std::nullopt, "decryption failed: no key for the meter 12345678", 0},
        {"more blocks than bytes", threeBlocks, key(kTableP1Key),
         "decryption failed: the telegram is shorter than its encrypted blocks", 0},
        {"security mode 7", mode7, key(kTableP1Key), "security mode 7 is not supported, nothing decoded", 7},
        {"extended link layer", relayed("0E 44 93 15 78 56 34 12 33 03 8C 20 00 00 00"), key(kTableP1Key),
         "CI-field 0x8C is not decoded", 0},
        {"short header cut short", relayed("0C 44 93 15 78 56 34 12 33 03 7A 2A 00"), std::nullopt,
         "the telegram is too short for its header", 0},
        {"long header cut short", relayed("10 44 93 15 78 56 34 12 33 03 72 78 56 34 12 93 15"), std::nullopt,
         "the telegram is too short for its header", 0},
        {"no CI-field", relayed("09 44 93 15 78 56 34 12 33 03"), std::nullopt,
         "the telegram is too short for its header", 0},
    };
    for (const Case& c : cases) {
        const RadioDecodeResult result = decodeRelayedTelegram(c.telegram, c.key, fullRead());
        EXPECT_FALSE(result.decoded.ok) << c.what;
        EXPECT_EQ(result.decoded.log, QStringList{QString::fromLatin1(c.line)}) << c.what;
        EXPECT_TRUE(result.decoded.records.isEmpty()) << c.what;
        EXPECT_TRUE(result.decoded.reportLines.isEmpty()) << c.what;
        EXPECT_FALSE(result.decoded.row.has_value()) << c.what;
        if (c.mode != 0) {
            EXPECT_EQ(result.securityMode, c.mode) << c.what;
        }
    }
}

TEST(ReceiverDecryption, InitializationVectorOfTheShortHeaderExample) {
    // Manufacturer, ID, version and device of the link layer, then the access number 0x2A eight times.
    const auto link = linkAddressOfTelegram(relayed(kTableP1Encrypted));
    ASSERT_TRUE(link.has_value());
    const AesBlock iv = mode5Iv(*link, 0x2A);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(iv.data()), static_cast<int>(iv.size())),
              hex("93 15 78 56 34 12 33 03 2A 2A 2A 2A 2A 2A 2A 2A"));
}

TEST(ReceiverDecryption, LongHeaderEncryptsUnderTheMetersOwnAddress) {
    // A converter (link layer AMB 57000044) relays a water meter (long header ELS 44332211, version 1,
    // device 7): the records are encrypted under the meter's address, not the converter's.
    const AesKey meterKey = key(kTableP1Key);
    const QByteArray header = hex("72 11 22 33 44 93 15 01 07 05 00 10 05");
    const QByteArray records = hex("2F 2F 04 13 39 30 00 00 2F 2F 2F 2F 2F 2F 2F 2F");
    RadioAddress meter;
    meter.manufacturer = 0x1593;
    meter.id = {0x11, 0x22, 0x33, 0x44};
    meter.version = 0x01;
    meter.device = 0x07;
    const auto encrypted = encryptAesCbc(meterKey, mode5Iv(meter, 0x05), records);
    ASSERT_TRUE(encrypted.has_value());
    const QByteArray link = hex("44 A2 05 44 00 00 57 0C 37");
    const QByteArray radio =
        QByteArray(1, static_cast<char>(link.size() + header.size() + encrypted->size())) + link + header +
        *encrypted;
    const QByteArray telegram = hex("68") + radio + hex("16");

    const RadioDecodeResult result = decodeRelayedTelegram(telegram, meterKey, {});
    ASSERT_TRUE(result.decoded.ok) << result.decoded.log.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(result.decoded.row.has_value());
    EXPECT_EQ(result.decoded.row->id, QStringLiteral("44332211"));
    EXPECT_EQ(result.decoded.row->manufacturer, QStringLiteral("ELS"));
    EXPECT_EQ(result.decoded.row->value, QStringLiteral("12.345"));
    EXPECT_EQ(result.decoded.row->unit, QStringLiteral("m3"));
    EXPECT_EQ(result.decoded.row->medium, QStringLiteral("Water"));
    EXPECT_EQ(result.plainApplication, header + records);

    // The key is filed under the meter's ID, which the receiver table shows as the auxiliary ID.
    const auto row = radioHeaderRow(telegram, {}, {});
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(keyIdOfRow(*row), QStringLiteral("44332211"));
}

TEST(ReceiverDecryption, RowsDecodeLikeTheirTelegrams) {
    const KeyTable table = parseKeyTable("# meter;key\n"
                                         "12345678;01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 11\n"
                                         "\n"
                                         "57000044 ; cafebabe123456789abcdef0cafebabe\r\n"
                                         "1234567;0102030405060708090A0B0C0D0E0F11\n"
                                         "ABCDEF01;0102\n"
                                         "no separator\n");
    EXPECT_EQ(table.keys.size(), 2);
    EXPECT_EQ(table.problems, (QStringList{QStringLiteral("keys file line 5: the ID must be 8 hex digits"),
                                           QStringLiteral("keys file line 6: the key must be 32 hex digits"),
                                           QStringLiteral("keys file line 7: expected ID;key")}));
    EXPECT_EQ(keyForMeter(table, QStringLiteral("57000044")), key(kAmbKey));
    EXPECT_EQ(keyForMeter(table, QStringLiteral("99999999")), std::nullopt);

    // The receiver may add bytes (here an RSSI byte) before the end byte: L tells where the data stop.
    for (const QByteArray& telegram :
         {relayed(kTableP1Encrypted), hex("68") + hex(kTableP1Encrypted) + hex("C5 16"),
          relayed(kAmbLongHeader)}) {
        const auto row = radioHeaderRow(telegram, {}, {});
        ASSERT_TRUE(row.has_value());
        const auto rowKey = keyForMeter(table, keyIdOfRow(*row));
        ASSERT_TRUE(rowKey.has_value()) << row->id.toStdString();
        const RadioDecodeResult fromRow = decodeReceiverRow(*row, rowKey, fullRead());
        const RadioDecodeResult fromTelegram = decodeRelayedTelegram(telegram, rowKey, fullRead());
        ASSERT_TRUE(fromRow.decoded.ok) << fromRow.decoded.log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(fromRow.decoded.reportLines, fromTelegram.decoded.reportLines);
        EXPECT_EQ(fromRow.plainApplication, fromTelegram.plainApplication);
    }

    // An imported row without its note still decodes (the end byte is left out); one whose telegram cell is
    // not hex says so.
    auto imported = radioHeaderRow(relayed(kTableP1Plain), {}, {});
    ASSERT_TRUE(imported.has_value());
    imported->note.clear();
    EXPECT_TRUE(decodeReceiverRow(*imported, std::nullopt, fullRead()).decoded.ok);
    imported->telegram = QStringLiteral("7A 2A 0");
    EXPECT_EQ(decodeReceiverRow(*imported, std::nullopt, fullRead()).decoded.log,
              QStringList{QStringLiteral("the row's telegram is not written as hex bytes")});
    // A short header needs the row's own address cells for the meter's address.
    imported = radioHeaderRow(relayed(kTableP1Plain), {}, {});
    imported->manufacturer = QStringLiteral("E");
    EXPECT_EQ(decodeReceiverRow(*imported, std::nullopt, fullRead()).decoded.log,
              QStringList{QStringLiteral("the meter's address is not known")});
}

TEST(ReceiverDecryption, CipherTakesWholeBlocksOnly) {
    const AesKey anyKey{};
    const AesBlock iv{};
    EXPECT_FALSE(decryptAesCbc(anyKey, iv, QByteArray(15, '\0')).has_value());
    EXPECT_FALSE(decryptAesCbc(anyKey, iv, QByteArray(17, '\0')).has_value());
    EXPECT_EQ(decryptAesCbc(anyKey, iv, QByteArray()), QByteArray());
    const auto encrypted = encryptAesCbc(anyKey, iv, QByteArray(32, 'x'));
    ASSERT_TRUE(encrypted.has_value());
    EXPECT_EQ(decryptAesCbc(anyKey, iv, *encrypted), QByteArray(32, 'x'));
}

} // namespace
} // namespace holvex::receiver
