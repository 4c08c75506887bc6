#include "cli/json_text.h"
#include "cli/record_json.h"

#include <gtest/gtest.h>

namespace holvex::cli {
namespace {

struct Case {
    QString text;
    QByteArray literal;
};

// The text of a JsonBuffer's content.
QByteArray bytesOf(const JsonBuffer& buffer) {
    return QByteArray(buffer.data(), buffer.size());
}

// Every writer (the one straight into the buffer for ASCII, short and long texts, and the UTF-8 one for the
// rest) gives the same bytes into a QByteArray and into a JsonBuffer.
TEST(JsonTextTest, StringLiteralsAndFields) {
    const QString longPlain = QStringLiteral("Respond: 68 1D 1D 68 08 05 72 78 56 34 12 43 04 ");
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
        // Long texts (32 characters and more) are checked as a whole before they are copied.
        {longPlain, '"' + longPlain.toLatin1() + '"'},
        {QString(31, QLatin1Char('x')) + QLatin1Char('"'), '"' + QByteArray(31, 'x') + "\\\"\""},
        {QLatin1Char('\\') + QString(40, QLatin1Char('y')), "\"\\\\" + QByteArray(40, 'y') + '"'},
        {QString(40, QLatin1Char('z')) + QChar(0x7F) + QChar(0x1B),
         '"' + QByteArray(40, 'z') + "\x7F\\u001b\""},
        {QString(40, QLatin1Char('z')) + QChar(0xE9), '"' + QByteArray(40, 'z') + "\xC3\xA9\""},
    };
    for (const Case& c : cases) {
        QByteArray out("[");
        appendJsonString(out, c.text);
        EXPECT_EQ(out, "[" + c.literal) << c.text.toStdString();
        JsonBuffer buffer;
        buffer.append("[");
        appendJsonString(buffer, c.text);
        EXPECT_EQ(bytesOf(buffer), "[" + c.literal) << c.text.toStdString();
        QByteArray field;
        appendJsonField(field, "unit", c.text);
        appendJsonField(field, "last", c.text, false);
        EXPECT_EQ(field, "\"unit\":" + c.literal + ",\"last\":" + c.literal) << c.text.toStdString();
        JsonBuffer fieldBuffer;
        appendJsonField(fieldBuffer, "unit", c.text);
        appendJsonField(fieldBuffer, "last", c.text, false);
        EXPECT_EQ(bytesOf(fieldBuffer), field) << c.text.toStdString();
    }
}

// The buffer keeps what it holds when it grows, and clear() starts a new block.
TEST(JsonTextTest, BufferGrowsAndClears) {
    JsonBuffer buffer;
    QByteArray expected;
    for (int i = 0; i < 5000; ++i) {
        const QString text = QString::number(i) + QString(i % 50, QLatin1Char('a'));
        appendJsonField(buffer, "n", text, i % 2 == 0);
        appendJsonField(expected, "n", text, i % 2 == 0);
    }
    EXPECT_EQ(bytesOf(buffer), expected);
    buffer.clear();
    EXPECT_EQ(buffer.size(), 0);
    appendJsonRaw(buffer, "null");
    EXPECT_EQ(bytesOf(buffer), "null");
}

// Records go out whole when all their texts are ASCII, field by field otherwise (escaped or as UTF-8); both
// give the same members in the same order, in either buffer.
TEST(JsonTextTest, RecordTables) {
    const QVector<mbus::RecordRow> records = {
        {QStringLiteral("1"), QStringLiteral("-0.001"), QStringLiteral("m3"), QString(),
         QStringLiteral("04 "), QStringLiteral("13"), QString()},
        {QStringLiteral("2"), QStringLiteral("12"), QStringLiteral("\u00B0C"), QStringLiteral("text"),
         QStringLiteral("01 "), QStringLiteral("7C"), QStringLiteral("FD 3A ")},
        {QStringLiteral("3"), QStringLiteral("a\"b"), QString(), QString(), QStringLiteral("0D "),
         QStringLiteral("FD"), QStringLiteral("0C ")},
    };
    const QByteArray expected =
        R"([{"number":"1","value":"-0.001","unit":"m3","qualifier":"","dif":"04 ","vif":"13","vife":""},)"
        "{\"number\":\"2\",\"value\":\"12\",\"unit\":\"\xC2\xB0"
        R"(C","qualifier":"text","dif":"01 ","vif":"7C","vife":"FD 3A "},)"
        R"({"number":"3","value":"a\"b","unit":"","qualifier":"","dif":"0D ","vif":"FD","vife":"0C "}])";
    QByteArray out;
    appendRecordsJson(out, records);
    EXPECT_EQ(out, expected);
    JsonBuffer buffer;
    appendRecordsJson(buffer, records);
    EXPECT_EQ(bytesOf(buffer), expected);
    QByteArray none;
    appendRecordsJson(none, QVector<mbus::RecordRow>());
    EXPECT_EQ(none, "[]");
}

} // namespace
} // namespace holvex::cli
