#include "lang/caption_table.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

TEST(LanguageForCode, OnlyTwoIsItalian) {
    EXPECT_EQ(languageForCode(1), TickedLanguage::English);
    EXPECT_EQ(languageForCode(2), TickedLanguage::Italian);
    EXPECT_EQ(languageForCode(3), TickedLanguage::English);
    EXPECT_EQ(languageForCode(0), TickedLanguage::English);
    EXPECT_EQ(languageForCode(-2), TickedLanguage::English);
}

TEST(CaptionTable, EnglishOnlyRowsAreLeftAloneByItalian) {
    CaptionTable table;
    table.add(QStringLiteral("Butt_a"), QStringLiteral("Set"), QStringLiteral("Imposta"));
    table.addEnglishOnly(QStringLiteral("Head_b"), QStringLiteral("MFR "));
    EXPECT_EQ(table.caption(QStringLiteral("Butt_a"), TickedLanguage::Italian), QStringLiteral("Imposta"));
    EXPECT_EQ(table.caption(QStringLiteral("Head_b"), TickedLanguage::English), QStringLiteral("MFR "));
    EXPECT_FALSE(table.caption(QStringLiteral("Head_b"), TickedLanguage::Italian).has_value());
    EXPECT_FALSE(table.caption(QStringLiteral("missing"), TickedLanguage::English).has_value());
}

TEST(CaptionTable, PagesAppendTheirRows) {
    CaptionTable table = mainWindowCaptions();
    const std::size_t before = table.rows().size();
    CaptionTable page;
    page.add(QStringLiteral("Butt_read_all"), QStringLiteral("Read all meters"),
             QStringLiteral("Leggi tutti"));
    table.append(page);
    EXPECT_EQ(table.rows().size(), before + 1);
    EXPECT_EQ(table.caption(QStringLiteral("Butt_read_all"), TickedLanguage::Italian),
              QStringLiteral("Leggi tutti"));
}

TEST(MainWindowCaptions, HoldsBothLanguagesOfTheSearchGroupAndMenu) {
    const CaptionTable table = mainWindowCaptions();
    struct Row {
        const char* name;
        const char* english;
        const char* italian;
    };
    const Row rows[] = {
        {"Group_search", "   Search network   ", "   Scansione Rete   "},
        {"Tab_comm", "   Communication devices   ", "   Comunicazione    "},
        {"Tab_mbus", "   M-bus devices   ", "   M-bus devices   "},
        {"Menu_tools", "Tools", "Strumenti"},
        {"Menu_about", "About", "Info"},
        {"Butt_find_id", "Find", "Trova"},
        {"Butt_clear_log", "Clear log", "Cancella log"},
    };
    for (const Row& row : rows) {
        const QString name = QString::fromLatin1(row.name);
        EXPECT_EQ(table.caption(name, TickedLanguage::English), QString::fromLatin1(row.english)) << row.name;
        EXPECT_EQ(table.caption(name, TickedLanguage::Italian), QString::fromLatin1(row.italian)) << row.name;
    }
    // The language entries themselves never change.
    EXPECT_FALSE(table.caption(QStringLiteral("Menu_english"), TickedLanguage::Italian).has_value());
    EXPECT_FALSE(table.caption(QStringLiteral("Menu_italian"), TickedLanguage::English).has_value());
}

TEST(MeterTableHeadings, TwelveFixedColumnsThenTheExtraTitles) {
    QStringList titles;
    for (int i = 1; i <= 15; ++i) {
        titles << QStringLiteral("Extra %1").arg(i);
    }
    EXPECT_EQ(meterTableHeadings(TickedLanguage::English, 0, titles).size(), 12);
    const QStringList all = meterTableHeadings(TickedLanguage::English, 15, titles);
    ASSERT_EQ(all.size(), 27);
    EXPECT_EQ(all.at(11), QStringLiteral("Batt [V] or Power "));
    EXPECT_EQ(all.last(), QStringLiteral("Extra 15"));
    // Out-of-range counts cannot make more columns than there are titles, nor fewer than the fixed ones.
    EXPECT_EQ(meterTableHeadings(TickedLanguage::English, 40, titles).size(), 27);
    EXPECT_EQ(meterTableHeadings(TickedLanguage::English, -1, titles).size(), 12);
    EXPECT_EQ(meterTableHeadings(TickedLanguage::English, 3, {}).size(), 15);
}

TEST(MeterTableHeadings, ItalianChangesOnlyTheTranslatedColumns) {
    const QStringList english = meterTableHeadings(TickedLanguage::English, 0, {});
    const QStringList italian = meterTableHeadings(TickedLanguage::Italian, 0, {});
    EXPECT_EQ(italian.at(2), QStringLiteral("Produttore "));
    EXPECT_EQ(italian.at(5), QStringLiteral("Consumo "));
    EXPECT_EQ(english.at(5), QStringLiteral("Medium "));
    EXPECT_EQ(italian.at(0), english.at(0));
    EXPECT_EQ(italian.at(11), english.at(11));
}

TEST(OtherHeadings, DisplayReceiverAndMonths) {
    EXPECT_EQ(displayTableHeadings(TickedLanguage::Italian).value(5), QStringLiteral("Num. utente "));
    EXPECT_EQ(displayTableHeadings(TickedLanguage::English).value(12),
              QStringLiteral("Free text second row (TFT) "));
    EXPECT_EQ(displayTableHeadings(TickedLanguage::English).size(), 10);
    EXPECT_EQ(receiverTableHeadings().value(9), QStringLiteral("Time and Date "));
    EXPECT_FALSE(receiverTableHeadings().contains(5));
    const QMap<int, QString> months = monthHeadings(TickedLanguage::Italian);
    EXPECT_EQ(months.firstKey(), 12);
    EXPECT_EQ(months.lastKey(), 23);
    EXPECT_EQ(months.value(16), QStringLiteral("Mag"));
    EXPECT_EQ(monthHeadings(TickedLanguage::English).value(23), QStringLiteral("Dec"));
}

} // namespace
} // namespace holvex
