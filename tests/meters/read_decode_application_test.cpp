#include "meters/ops/decode_application.h"

#include "fake_link.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::meterTelegram;

TEST(DecodeApplicationTest, AnnouncementFollowsOnlyCheckedFrames) {
    test::Bench b;
    EXPECT_TRUE(b.decoder.apply(meterTelegram(1, "01 00 00 00", "01 00 00 00", true)));
    EXPECT_TRUE(b.state.MoreRecordsPending);

    QByteArray broken = meterTelegram(1);
    broken[broken.size() - 1] = 0x17;
    EXPECT_FALSE(b.decoder.apply(broken));
    EXPECT_TRUE(b.state.MoreRecordsPending); // a frame that failed its checks says nothing
    EXPECT_TRUE(b.log.has(QStringLiteral("Wrong STOP byte")));

    EXPECT_TRUE(b.decoder.apply(meterTelegram(1)));
    EXPECT_FALSE(b.state.MoreRecordsPending);
}

TEST(DecodeApplicationTest, RowUsesTheContextsTextsAndExtraColumns) {
    test::Bench b;
    b.context.decimalSeparator = [] {
        return QLatin1Char(',');
    };
    b.state.ExtraTitleCount = 1;
    b.table.setColumnCount(13);
    b.state.ScanRunning = true;
    int focused = -1;
    QObject::connect(&b.decoder, &DecodeApplication::rowFocused,
                     [&focused](int row, bool, const QString&) { focused = row; });
    ASSERT_TRUE(b.decoder.apply(meterTelegram(9, "09 00 00 00", "45 23 01 00")));
    EXPECT_EQ(b.table.cell(1, 1), QStringLiteral("9"));
    EXPECT_EQ(b.table.cell(1, 3), QStringLiteral("12,345"));
    EXPECT_EQ(b.table.cell(1, 6), QStringLiteral("10:00:00"));
    EXPECT_EQ(b.table.cell(1, 7), QStringLiteral("08/12/2026"));
    EXPECT_EQ(b.table.gridRowCount(), 3);
    EXPECT_EQ(focused, 1);
    EXPECT_EQ(b.state.SelectedAddress, QStringLiteral("9"));
}

TEST(DecodeApplicationTest, ReplyFromAnAddressNotInTheTableChangesNothing) {
    test::Bench b;
    b.fillAddresses({"3"});
    int focused = 0;
    QObject::connect(&b.decoder, &DecodeApplication::rowFocused,
                     [&focused](int, bool, const QString&) { ++focused; });
    EXPECT_TRUE(b.decoder.apply(meterTelegram(4)));
    EXPECT_EQ(b.table.gridRowCount(), 2);
    EXPECT_TRUE(b.table.cell(1, 0).isEmpty());
    EXPECT_EQ(focused, 0);
}

} // namespace
} // namespace holvex
