#include "meters/table/csv_line_parser.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

struct LineCase {
    const char* line;
    const char* separator;
    int limit;
    QStringList fields;
    bool tooMany;
};

TEST(ParseCsvLine, SplitsOnlyOnAOneCharacterSeparator) {
    const LineCase cases[] = {
        {"a;b;c;", ";", 21, {"a", "b", "c"}, false},
        {"a;b;tail", ";", 21, {"a", "b"}, false}, // text after the last separator is not used
        {"no separator", ";", 21, {}, false},
        {";;", ";", 21, {"", ""}, false},
        {"", ";", 21, {}, false},
        {"a;;b;", ";;", 21, {}, false}, // a two-character separator never matches
        {"a;b;", "", 21, {}, false},
        {"1,5;x;", ",", 21, {"1"}, false},
        {"a;b;c;", ";", 2, {"a", "b"}, true}, // the third field is one too many
        {"a;b;", ";", 2, {"a", "b"}, false},
    };
    for (const LineCase& c : cases) {
        const CsvLineFields parsed =
            parseCsvLine(QString::fromUtf8(c.line), QString::fromUtf8(c.separator), c.limit);
        EXPECT_EQ(parsed.fields, c.fields) << c.line << " / " << c.separator;
        EXPECT_EQ(parsed.tooMany, c.tooMany) << c.line;
    }
}

TEST(ParseCsvLine, TwentyOneFieldsPassAndTwentyTwoAreTooMany) {
    const QString line21 = QString(QStringLiteral("f;")).repeated(21);
    EXPECT_FALSE(parseCsvLine(line21, QStringLiteral(";"), 21).tooMany);
    EXPECT_EQ(parseCsvLine(line21, QStringLiteral(";"), 21).fields.size(), 21);
    EXPECT_TRUE(parseCsvLine(line21 + QStringLiteral("f;"), QStringLiteral(";"), 21).tooMany);
    // An unfinished 22nd field is not a field.
    EXPECT_FALSE(parseCsvLine(line21 + QStringLiteral("f"), QStringLiteral(";"), 21).tooMany);
}

TEST(ParseCsvLine, FieldsAreCutToFiftyCharacters) {
    const QString sixty = QString(60, QChar(u'7'));
    const CsvLineFields parsed = parseCsvLine(sixty + QStringLiteral(";b;"), QStringLiteral(";"), 21);
    ASSERT_EQ(parsed.fields.size(), 2);
    EXPECT_EQ(parsed.fields[0], QString(50, QChar(u'7')));
    EXPECT_EQ(parsed.fields[1], QStringLiteral("b"));
}

TEST(ParseCsvLine, TheCutDoesNotSplitACharacterOutsideTheBasicPlane) {
    // 49 letters, then a character made of two UTF-16 units straddling the cut.
    const QString line =
        QString(49, QChar(u'a')) + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral(";");
    const CsvLineFields parsed = parseCsvLine(line, QStringLiteral(";"), 21);
    ASSERT_EQ(parsed.fields.size(), 1);
    EXPECT_EQ(parsed.fields[0], QString(49, QChar(u'a')));
}

struct SplitCase {
    const char* text;
    int maxLines;
    QStringList lines;
    bool more;
};

TEST(SplitCsvLines, AcceptsEveryLineBreakAndNoEmptyLineAtTheEnd) {
    const SplitCase cases[] = {
        {"a\r\nb\r\n", -1, {"a", "b"}, false},
        {"a\nb", -1, {"a", "b"}, false},
        {"a\rb\r", -1, {"a", "b"}, false},
        {"a\r\n\r\nb", -1, {"a", "", "b"}, false},
        {"", -1, {}, false},
        {"\r\n", -1, {""}, false},
        {"a\nb\nc\n", 2, {"a", "b"}, true},
        {"a\nb\n", 2, {"a", "b"}, false},
        {"a\nb\nc", 2, {"a", "b"}, true},
        {"a", 0, {}, true},
    };
    for (const SplitCase& c : cases) {
        const CsvTextLines split = splitCsvLines(QString::fromUtf8(c.text), c.maxLines);
        EXPECT_EQ(split.lines, c.lines) << c.text;
        EXPECT_EQ(split.more, c.more) << c.text;
    }
}

} // namespace
} // namespace holvex
