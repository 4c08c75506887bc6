#include "log/log_file.h"
#include "log/log_pages.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace holvex {
namespace {

struct PaginationCase {
    int lineCount;
    std::vector<std::pair<int, int>> pages; // first and last line; last < first for a heading-only page
};

class PaginateLogTest : public ::testing::TestWithParam<PaginationCase> {};

TEST_P(PaginateLogTest, SplitsAfterEveryThirtyFifthLine) {
    const PaginationCase& c = GetParam();
    const std::vector<LogPage> pages = paginateLog(c.lineCount);
    ASSERT_EQ(pages.size(), c.pages.size());
    int printed = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        EXPECT_EQ(pages[p].firstLine, c.pages[p].first) << "page " << p;
        EXPECT_EQ(pages[p].lastLine, c.pages[p].second) << "page " << p;
        printed += pages[p].lineCount();
    }
    EXPECT_EQ(printed, c.lineCount);
}

INSTANTIATE_TEST_SUITE_P(Cases, PaginateLogTest,
                         ::testing::Values(PaginationCase{0, {{0, -1}}},  // heading page only
                                           PaginationCase{1, {{0, 0}}},   //
                                           PaginationCase{35, {{0, 34}}}, // line 34 breaks nothing
                                           PaginationCase{36, {{0, 35}, {36, 35}}},
                                           PaginationCase{71, {{0, 35}, {36, 70}, {71, 70}}},
                                           PaginationCase{72, {{0, 35}, {36, 70}, {71, 71}}},
                                           PaginationCase{106, {{0, 35}, {36, 70}, {71, 105}, {106, 105}}}));

TEST(PaginateLog, LaterPagesStartOneSlotBelowTheTopLine) {
    const std::vector<LogPage> pages = paginateLog(80);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].firstLine - pages[0].slotBase, 0); // line 0 on the top line position
    EXPECT_EQ(pages[1].firstLine - pages[1].slotBase, 1); // line 36 one double line lower
    EXPECT_EQ(pages[1].lastLine - pages[1].slotBase, 35);
    EXPECT_EQ(pages[2].firstLine - pages[2].slotBase, 1);
}

TEST(ProposedLogFileName, JoinsFolderAndNameWithOneSeparator) {
    EXPECT_EQ(proposedLogFileName(QStringLiteral("/home/op")), QStringLiteral("/home/op/log.txt"));
    EXPECT_EQ(proposedLogFileName(QStringLiteral("/home/op/")), QStringLiteral("/home/op/log.txt"));
    EXPECT_EQ(proposedLogFileName(QString()), QStringLiteral("log.txt"));
}

TEST(WriteLogFile, WritesOneLinePerLogLine) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("log.txt"));
    ASSERT_TRUE(writeLogFile(path, {QStringLiteral("first"), QString(), QStringLiteral("68 03 03 68")}));
    EXPECT_EQ(test::readFile(path), QByteArray("first\n\n68 03 03 68\n"));
}

TEST(WriteLogFile, FailsWhereNoFileCanBeMadeAndLeavesNothingBehind) {
    QTemporaryDir dir;
    // A plain file standing where the folder should be: no user, root included, can write below it.
    const QString blocker = test::writeFile(dir, QStringLiteral("not-a-folder"), "x");
    EXPECT_FALSE(writeLogFile(blocker + QStringLiteral("/log.txt"), {QStringLiteral("line")}));
    EXPECT_EQ(test::readFile(blocker), QByteArray("x"));
}

} // namespace
} // namespace holvex
