#include "cli/json_text.h"

#include <gtest/gtest.h>

namespace holvex::cli {
namespace {

struct Case {
    QString text;
    QByteArray literal;
};

// Both writers (the one straight into the buffer for ASCII, the UTF-8 one for the rest) give the same bytes.
TEST(JsonTextTest, StringLiteralsAndFields) {
    const QList<Case> cases = {
        {QString(), R"("")"},
        {QStringLiteral("12.565"), R"("12.565")"},
        {QStringLiteral("say \"hi\" \\ there"), R"("say \"hi\" \\ there")"},
        {QStringLiteral("a\nb\rc\td"), R"("a\nb\rc\td")"},
        {QString(QChar(0x01)) + QChar(0x1F), R"("\u0001\u001f")"},
        {QStringLiteral("\u00B0C"), QByteArray("\"\xC2\xB0"
                                               "C\"")},
        {QStringLiteral("\u00B0C\n\"x\""), QByteArray("\"\xC2\xB0"
                                                      "C\\n\\\"x\\\"\"")},
        {QStringLiteral("\u20AC"), QByteArray("\"\xE2\x82\xAC\"")},
    };
    for (const Case& c : cases) {
        QByteArray out("[");
        appendJsonString(out, c.text);
        EXPECT_EQ(out, "[" + c.literal) << c.text.toStdString();
        QByteArray field;
        appendJsonField(field, "unit", c.text);
        appendJsonField(field, "last", c.text, false);
        EXPECT_EQ(field, "\"unit\":" + c.literal + ",\"last\":" + c.literal) << c.text.toStdString();
    }
}

} // namespace
} // namespace holvex::cli
