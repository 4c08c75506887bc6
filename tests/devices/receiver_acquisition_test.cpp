#include "devices/receiver/radio_header.h"
#include "devices/receiver/telegram_finder.h"

#include "../mbus/qstring_print.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::receiver {
namespace {

using test::hex;

// A short relayed telegram: L 0x0A covers C, manufacturer, ID, version, device and CI.
constexpr const char* kShort = "68 0A 44 93 15 78 56 34 12 33 03 78 16";
// A gas meter's telegram with a short header (CI 0x7A), and a radio converter's with a long one (CI 0x72).
constexpr const char* kShortHeader = "68 0E 44 93 15 78 56 34 12 33 03 7A 2A 00 00 00 16";
constexpr const char* kLongHeader = "68 12 44 A2 05 44 00 00 57 0C 37 72 21 43 65 87 A2 05 0C 07 16";

QStringList spaced(const QVector<QByteArray>& telegrams) {
    QStringList out;
    for (const QByteArray& telegram : telegrams) {
        out.append(test::spacedHex(telegram).trimmed());
    }
    return out;
}

QStringList spacedTexts(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts) {
        out.append(QString::fromLatin1(t));
    }
    return out;
}

TEST(ReceiverTelegramFinder, FindsKeepsAndDrops) {
    struct Case {
        const char* what;
        QByteArray buffer;
        ScanOutcome outcome;
        QStringList telegrams;
        int consumed;
    };
    const QByteArray shortTelegram = hex(kShort);
    const int shortSize = static_cast<int>(shortTelegram.size());
    const Case cases[] = {
        {"empty", {}, ScanOutcome::Nothing, {}, 0},
        {"the answer to the transparent switch", QByteArray("Done!\n"), ScanOutcome::Done, {}, 6},
        {"a whole telegram", shortTelegram, ScanOutcome::Telegrams, spacedTexts({kShort}), shortSize},
        {"garbage before it", hex("00 FF 16 12") + shortTelegram, ScanOutcome::Telegrams,
         spacedTexts({kShort}), shortSize + 4},
        {"text other than Done! is dropped", QByteArray("Done!\r\n"), ScanOutcome::Waiting, {}, 7},
        {"first part of a split telegram is kept", shortTelegram.left(7), ScanOutcome::Waiting, {}, 0},
        {"garbage before a split telegram goes",
         hex("01 02") + shortTelegram.left(7),
         ScanOutcome::Waiting,
         {},
         2},
        {"L pointing past the end", hex("68 FF 01 02 16 16"), ScanOutcome::Waiting, {}, 0},
        {"a start byte alone at the end", hex("01 68"), ScanOutcome::Waiting, {}, 1},
        {"two telegrams in one read", shortTelegram + hex("00") + shortTelegram, ScanOutcome::Telegrams,
         spacedTexts({kShort, kShort}), 2 * shortSize + 1},
        {"a telegram and the start of the next", shortTelegram + shortTelegram.left(4),
         ScanOutcome::Telegrams, spacedTexts({kShort}), shortSize},
        {"bytes the receiver adds before the end byte", hex("68 0A 44 93 15 78 56 34 12 33 03 78 C5 00 16"),
         ScanOutcome::Telegrams, spacedTexts({"68 0A 44 93 15 78 56 34 12 33 03 78 C5 00 16"}), 15},
        {"a last data byte of 0x16 ends the telegram", hex("68 0A 44 93 15 78 56 34 12 33 03 16 16"),
         ScanOutcome::Telegrams, spacedTexts({"68 0A 44 93 15 78 56 34 12 33 03 16"}), 13},
        {"a start byte whose window passed without an end byte is skipped",
         hex("68 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00") + shortTelegram,
         ScanOutcome::Telegrams, spacedTexts({kShort}), 23 + shortSize},
        {"a start byte inside an unfinished telegram is not taken",
         hex("68 20 00 68 01 00 16"),
         ScanOutcome::Waiting,
         {},
         0},
    };
    for (const Case& c : cases) {
        const TelegramScan scan = scanTelegrams(c.buffer);
        EXPECT_EQ(scan.outcome, c.outcome) << c.what;
        EXPECT_EQ(spaced(scan.telegrams), c.telegrams) << c.what;
        EXPECT_EQ(scan.consumed, c.consumed) << c.what;
        EXPECT_EQ(scan.purgePort, c.outcome == ScanOutcome::Done) << c.what;
    }
}

TEST(ReceiverTelegramFinder, SplitTelegramCompletesOnTheNextTick) {
    const QByteArray telegram = hex(kShortHeader);
    QByteArray kept;
    for (const QByteArray& arrived : {hex("FF") + telegram.left(5), telegram.mid(5, 6), telegram.mid(11)}) {
        kept += arrived;
        const TelegramScan scan = scanTelegrams(kept);
        kept = kept.mid(scan.consumed);
        if (scan.outcome == ScanOutcome::Telegrams) {
            ASSERT_EQ(scan.telegrams.size(), 1);
            EXPECT_EQ(scan.telegrams.front(), telegram);
            EXPECT_TRUE(kept.isEmpty());
            return;
        }
        EXPECT_EQ(scan.outcome, ScanOutcome::Waiting);
    }
    FAIL() << "the telegram was never found";
}

TEST(ReceiverTelegramFinder, KeptBytesStayBounded) {
    // Start bytes whose length points far ahead, and noise: what is kept never exceeds one telegram's window.
    for (const QByteArray& flood : {QByteArray(10000, 0x68), QByteArray(10000, '\xFF').prepend('\x68'),
                                    QByteArray(5000, 0x16).prepend(hex("68 FF"))}) {
        const TelegramScan scan = scanTelegrams(flood);
        EXPECT_LE(flood.size() - scan.consumed, 2 + 255 + kMaxAddedBytes + 1);
    }
}

TEST(ReceiverRadioHeader, RowsOfRelayedTelegrams) {
    const auto shortRow =
        radioHeaderRow(hex(kShortHeader), QStringLiteral("01.02.24"), QStringLiteral("10:11:12"));
    ASSERT_TRUE(shortRow.has_value());
    EXPECT_EQ(
        shortRow->cells(),
        (QStringList{QStringLiteral("12345678"), QString(), QStringLiteral("ELS"), QStringLiteral("51"),
                     QStringLiteral("3"), QStringLiteral("Gas"), QStringLiteral("L=0x0E, C=0x44"), QString(),
                     QStringLiteral("7A 2A 00 00 00 16 "), QStringLiteral("01.02.24, 10:11:12")}));

    const auto longRow = radioHeaderRow(hex(kLongHeader), QStringLiteral("d"), QStringLiteral("t"));
    ASSERT_TRUE(longRow.has_value());
    EXPECT_EQ(longRow->id, QStringLiteral("57000044"));
    EXPECT_EQ(longRow->manufacturer, QStringLiteral("AMB"));
    EXPECT_EQ(longRow->version, QStringLiteral("12"));
    EXPECT_EQ(longRow->device, QStringLiteral("55"));
    EXPECT_EQ(longRow->medium, QString()); // device type 55 has no medium name
    EXPECT_EQ(longRow->auxiliaryId, QStringLiteral("87654321"));
    EXPECT_EQ(longRow->note, QStringLiteral("L=0x12, C=0x44"));

    // CI 0x72 without the four bytes of the long header's ID, and a telegram that ends before its CI-field.
    const auto cut = radioHeaderRow(hex("68 0B 44 93 15 78 56 34 12 33 03 72 21 16"), {}, {});
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->auxiliaryId, QString());
    EXPECT_FALSE(radioHeaderRow(hex("68 09 44 93 15 78 56 34 12 33 16"), {}, {}).has_value());
    EXPECT_FALSE(radioHeaderRow(hex("68 16"), {}, {}).has_value());
}

TEST(ReceiverRadioHeader, ExcludeIdenticalAndRowPlacement) {
    const QByteArray telegram = hex(kShortHeader);
    const QString trace = test::spacedHex(telegram);
    QStringList full;
    for (int i = 0; i < kMaxReceiverRows; ++i) {
        full.append(QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')));
    }
    struct Case {
        const char* what;
        QStringList tableIds;
        bool exclude;
        RowPlacement placement;
        bool logged;
    };
    const Case cases[] = {
        {"fresh table", {QString()}, true, RowPlacement::FillFirstRow, true},
        {"another meter in the table", {QStringLiteral("11111111")}, true, RowPlacement::AppendRow, true},
        {"same meter, exclude identical",
         {QStringLiteral("11111111"), QStringLiteral("12345678")},
         true,
         RowPlacement::Dropped,
         false},
        {"same meter, identical allowed", {QStringLiteral("12345678")}, false, RowPlacement::AppendRow, true},
        {"first row empty but more rows",
         {QString(), QStringLiteral("11111111")},
         false,
         RowPlacement::AppendRow,
         true},
        {"full table", full, false, RowPlacement::OverwriteLastRow, true},
    };
    for (const Case& c : cases) {
        const AcquiredTelegram result = acquireTelegram(telegram, c.tableIds, c.exclude, {}, {});
        EXPECT_EQ(result.placement, c.placement) << c.what;
        EXPECT_EQ(result.row.has_value(), c.placement != RowPlacement::Dropped) << c.what;
        EXPECT_EQ(result.log, c.logged ? QStringList{trace} : QStringList()) << c.what;
    }
    // Receiving the same meter twice with "Exclude identical" adds one row.
    QStringList ids{QString()};
    for (int i = 0; i < 2; ++i) {
        const AcquiredTelegram result = acquireTelegram(telegram, ids, true, {}, {});
        if (result.placement == RowPlacement::FillFirstRow) {
            ids[0] = result.row->id;
        } else if (result.placement == RowPlacement::AppendRow) {
            ids.append(result.row->id);
        }
    }
    EXPECT_EQ(ids, QStringList{QStringLiteral("12345678")});
    // A telegram too short for its header is logged and makes no row.
    const AcquiredTelegram tooShort = acquireTelegram(hex("68 02 44 93 16"), {QString()}, true, {}, {});
    EXPECT_EQ(tooShort.placement, RowPlacement::Dropped);
    EXPECT_EQ(tooShort.log, QStringList{QStringLiteral("68 02 44 93 16 ")});
}

} // namespace
} // namespace holvex::receiver
