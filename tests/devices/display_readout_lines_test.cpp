// The read-out decoders over answers worded in several ways: only the markers and field positions count.
#include "devices/display/readout_lines.h"

#include "../mbus/qstring_print.h"

#include <gtest/gtest.h>

namespace holvex::display {
namespace {

QStringList linesOf(const char* answer) {
    return answerLines(QByteArray(answer));
}

struct AddressCase {
    const char* answer;
    bool found;
    QStringList addresses;
};

TEST(ReadoutLines, TheAddressListOnTheMarkerLineOrOnePerLine) {
    const AddressCase cases[] = {
        {"Active devices: 5", true, {"5"}},
        {"Active devices: 9-7", true, {}},
        {"Active devices: 1,3,7-9", true, {"1", "3", "7", "8", "9"}},
        {"Active devices: 4-4,x-2,12a,", true, {"4", "12a"}},
        {"GET ADDR\r\nActive devices: 2,250", true, {"2", "250"}},
        {"Active devices: \r\n3\r\n17\r\n\r\n", true, {"3", "17"}},
        {"Active devices: ", true, {}},
        {"No active devices", false, {}},
        {"", false, {}},
    };
    for (const AddressCase& c : cases) {
        const AddressList list = decodeAddressList(linesOf(c.answer), 250);
        EXPECT_EQ(list.found, c.found) << c.answer;
        EXPECT_EQ(list.addresses, c.addresses) << c.answer;
    }
    // A range never takes more addresses than the table has rows.
    EXPECT_EQ(decodeAddressList(linesOf("Active devices: 1-100000"), 250).addresses.size(), 250);
    EXPECT_EQ(decodeAddressList(linesOf("Active devices: 1,2,3"), 2).addresses, (QStringList{"1", "2"}));
}

struct EntryCase {
    const char* answer;
    bool decoded;
    std::optional<QString> unit;
    std::optional<QString> start;
    QString multDiv;
    std::optional<QString> total;
};

TEST(ReadoutLines, EntryValuesFollowTheFactorLine) {
    const EntryCase cases[] = {
        {"Entry 5\r\nTotal pulses: 120\r\nUser mult/div: 10/1\r\nInitial: 12.5 m3\r\nTotal: 1212.5 m3", true,
         "m3", "12.5", "10/1", "1212.5"},
        // No factor line right after the pulses: the factor follows the "*".
        {"Entry 5\r\nTotal pulses: 120 *1/1000 imp\r\nInitial: 3 kWh\r\nTotal: 3.12 kWh", true, "kWh", "3",
         "1/1000", "3.12"},
        {"Total pulses 120\r\nstart=7\r\nsum 8", true, "", "7", "", "8"},
        // A factor line further away is not the anchor.
        {"Total pulses: 9 *2/1\r\nInitial: 1 MJ\r\nUser mult/div: 5/5\r\nTotal: 19 MJ", true, "MJ", "1",
         "2/1", "5/5"},
        {"Total pulses: 9\r\nUser mult/div: 1/1\r\nab", true, std::nullopt, std::nullopt, "1/1",
         std::nullopt},
        {"Total pulses: 9\r\nUser mult/div: 1/1\r\nno digits here\r\nTotal: 4", true, "", "", "1/1", "4"},
        {"Total pulses: 9\r\na\r\nb\r\nc\r\nd\r\ne", false, {}, {}, "", {}},
        {"Entry 5 is not active", false, {}, {}, "", {}},
    };
    for (const EntryCase& c : cases) {
        const std::optional<EntryValues> values = decodeEntryValues(linesOf(c.answer));
        ASSERT_EQ(values.has_value(), c.decoded) << c.answer;
        if (!values) {
            continue;
        }
        EXPECT_EQ(values->unit, c.unit) << c.answer;
        EXPECT_EQ(values->start, c.start) << c.answer;
        EXPECT_EQ(values->multDiv, c.multDiv) << c.answer;
        EXPECT_EQ(values->total, c.total) << c.answer;
    }
}

TEST(ReadoutLines, UserDataTariffsAndValues) {
    const auto user = decodeUserData(linesOf("Entry 5\r\nUser #: 12\r\nText: Flat 3"));
    ASSERT_TRUE(user.has_value());
    EXPECT_EQ(user->userNumber, QStringLiteral("12"));
    EXPECT_EQ(user->freeText, QStringLiteral("Flat 3"));
    const auto last = decodeUserData(linesOf("User #:7"));
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->userNumber, QString());
    EXPECT_EQ(last->freeText, QString());
    EXPECT_FALSE(decodeUserData(linesOf("User #: 12\r\nText: a\r\nText 2: b\r\nmore")).has_value());

    EXPECT_EQ(
        decodeTariff(linesOf("Entry 5 tariff 2\r\nTotal pulses: 40\r\nUser mult/div: 1/2\r\nUnit: m3\r\n"
                             "Value: 20 m3")),
        QStringLiteral("20"));
    EXPECT_EQ(decodeTariff(linesOf("Total pulses: 40 *1/2\r\nUnit: m3\r\nValue: 20.5 m3")),
              QStringLiteral("20.5"));
    EXPECT_EQ(decodeTariff(linesOf("Total pulses: 40 *1/2\r\nUnit: m3\r\nV")), std::nullopt);
    EXPECT_EQ(decodeTariff(linesOf("tariff 2 not set")), std::nullopt);

    EXPECT_EQ(valueFromFirstDigit(QStringLiteral("Total: 1212.5 m3")), QStringLiteral("1212.5"));
    EXPECT_EQ(valueFromFirstDigit(QStringLiteral("Total: none")), QString());
}

struct HistoryCase {
    QByteArray answer;
    bool found;
    int month;
    const char* value;
    const char* logLine;
};

TEST(ReadoutLines, HistoryAnswersGiveTheirMonth) {
    const HistoryCase cases[] = {
        {"Entry 5 record 1\r\nHist values: 1 234.5\r\nDate: 31/Mar/26", true, 3, "1234.5", ""},
        {"Hist values: 7\r\nT1: 1\r\nT2: 2\r\nT3: 4\r\nDate: 30/Nov/25", true, 11, "7", ""},
        {"Hist values: 7\r\n15/Noe/25", true, 11, "7", ""},
        {"Hist values: 8\r\nDate: 15/   /13", true, 12, "8", ""},
        {"Hist values: 0\r\nDate: 00/---/00", true, 0, "0", ""},
        {"Hist values: 9\r\nDate: 31/Mar/00", true, 0, "9", ""},
        {"Hist values: 9\r\nDate: 31/Mar", true, 0, "9", ""},
        {"Hist values: 9\r\nDate: 31/Ma", true, 0, "9", "Unrecognizable month value, returned by Lumet..."},
        {"Hist values: 9", true, 0, "9", "Unrecognizable month value, returned by Lumet..."},
        {"Hist values: 9\r\nDate: 31/mar/26", true, 0, "9", ""},
        // "Мар" in Windows-1251.
        {"Hist values: 5\r\n31/\xCC\xE0\xF0/26", true, 3, "5", ""},
        {"record 4 empty", false, 0, "", ""},
    };
    for (const HistoryCase& c : cases) {
        const HistoryValue history = decodeHistory(answerLines(c.answer));
        EXPECT_EQ(history.found, c.found) << c.answer.toStdString();
        EXPECT_EQ(history.month, c.month) << c.answer.toStdString();
        EXPECT_EQ(history.value, QString::fromLatin1(c.value)) << c.answer.toStdString();
        EXPECT_EQ(history.logLine, QString::fromLatin1(c.logLine)) << c.answer.toStdString();
        EXPECT_EQ(history.monthText.isEmpty(), history.month == 0) << c.answer.toStdString();
    }
    EXPECT_EQ(historyMonthNumber(QStringLiteral("Dec")), 12);
    EXPECT_EQ(historyMonthNumber(QStringLiteral("   ")), 0);
}

} // namespace
} // namespace holvex::display
