#include "settings/ini_document.h"

#include "test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace holvex {
namespace {

TEST(IniDocument, FindsSectionsAndKeysWithoutRegardToCase) {
    const IniDocument doc =
        IniDocument::fromText(QStringLiteral("[Ethernet]\nport=1234\n[LANXP]\nPORT = 77 \n"));
    EXPECT_EQ(doc.value(QStringLiteral("ethernet"), QStringLiteral("Port")), QStringLiteral("1234"));
    EXPECT_EQ(doc.value(QStringLiteral("lanxp"), QStringLiteral("port")), QStringLiteral("77"));
    EXPECT_FALSE(doc.value(QStringLiteral("Misc"), QStringLiteral("Port")).has_value());
}

TEST(IniDocument, KeysBeforeAnySectionAndCommentsAreNotKeys) {
    const IniDocument doc =
        IniDocument::fromText(QStringLiteral("Port=1\n[Misc]\n;Retry=5\n#Retry=6\nnoequals\n=3\nRetry=2\n"));
    EXPECT_EQ(doc.value(QStringLiteral("Misc"), QStringLiteral("Retry")), QStringLiteral("2"));
    EXPECT_FALSE(doc.value(QStringLiteral("Misc"), QStringLiteral("Port")).has_value());
}

TEST(IniDocument, FirstOfDuplicatedKeysWins) {
    const IniDocument doc =
        IniDocument::fromText(QStringLiteral("[Misc]\nRetry=2\nretry=3\n[misc]\nRetry=4\n"));
    EXPECT_EQ(doc.value(QStringLiteral("Misc"), QStringLiteral("Retry")), QStringLiteral("2"));
}

TEST(IniDocument, SetValueKeepsOtherLinesAndKeySpelling) {
    IniDocument doc =
        IniDocument::fromText(QStringLiteral("; settings\n[Ethernet]\nport=1\nVendor=x\n\n[Other]\nA=b\n"));
    doc.setValue(QStringLiteral("Ethernet"), QStringLiteral("Port"), QStringLiteral("59615"));
    doc.setValue(QStringLiteral("Ethernet"), QStringLiteral("KeepAlive"), QStringLiteral("1"));
    doc.setValue(QStringLiteral("Titles"), QStringLiteral("Count"), QStringLiteral("0"));
    EXPECT_EQ(doc.toText(), QStringLiteral("; settings\n[Ethernet]\nport=59615\nVendor=x\nKeepAlive=1\n\n"
                                           "[Other]\nA=b\n[Titles]\nCount=0\n"));
}

TEST(IniDocument, KeepsWindowsLineEnds) {
    IniDocument doc = IniDocument::fromText(QStringLiteral("[Misc]\r\nRetry=1\r\n"));
    doc.setValue(QStringLiteral("Misc"), QStringLiteral("Retry"), QStringLiteral("3"));
    EXPECT_EQ(doc.toText(), QStringLiteral("[Misc]\r\nRetry=3\r\n"));
}

TEST(IniDocument, ValuesRoundTripExactly) {
    const QStringList values{QStringLiteral(" "),     QStringLiteral(";"),   QStringLiteral("\"q\""),
                             QStringLiteral(" lead"), QStringLiteral("a=b"), QString()};
    for (const QString& value : values) {
        IniDocument doc;
        doc.setValue(QStringLiteral("Misc"), QStringLiteral("Key"), value);
        const IniDocument reread = IniDocument::fromText(doc.toText());
        EXPECT_EQ(reread.value(QStringLiteral("Misc"), QStringLiteral("Key")), value) << value.toStdString();
    }
}

TEST(IniDocument, LineBreaksInsideAValueDoNotAddKeys) {
    IniDocument doc;
    doc.setValue(QStringLiteral("Titles"), QStringLiteral("Title1"), QStringLiteral("a\n[Misc]\nRetry=9"));
    const IniDocument reread = IniDocument::fromText(doc.toText());
    EXPECT_FALSE(reread.value(QStringLiteral("Misc"), QStringLiteral("Retry")).has_value());
}

TEST(IniDocument, LatinOneFileIsReadAndWrittenBackAsLatinOne) {
    QTemporaryDir dir;
    const QString path = test::writeFile(dir, QStringLiteral("a.ini"),
                                         QByteArray("[Titles]\nTitle1=Temp \xB0"
                                                    "C\n"));
    IniDocument doc;
    ASSERT_EQ(doc.load(path), IniDocument::LoadResult::Loaded);
    EXPECT_EQ(doc.value(QStringLiteral("Titles"), QStringLiteral("Title1")), QStringLiteral("Temp \u00B0C"));
    ASSERT_TRUE(doc.save(path));
    EXPECT_EQ(test::readFile(path), QByteArray("[Titles]\nTitle1=Temp \xB0"
                                               "C\n"));
}

TEST(IniDocument, MissingAndOversizedFiles) {
    QTemporaryDir dir;
    IniDocument doc;
    EXPECT_EQ(doc.load(dir.filePath(QStringLiteral("none.ini"))), IniDocument::LoadResult::Missing);
    const QString big =
        test::writeFile(dir, QStringLiteral("big.ini"), QByteArray(IniDocument::kMaxFileSize + 1, 'x'));
    EXPECT_EQ(doc.load(big), IniDocument::LoadResult::Unreadable);
}

} // namespace
} // namespace holvex
