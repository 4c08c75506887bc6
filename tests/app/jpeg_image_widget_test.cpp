#include "app/about_dialog.h"
#include "app/jpeg_image.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRandomGenerator>
#include <gtest/gtest.h>

static QByteArray aboutPicture() {
    Q_INIT_RESOURCE(about);
    QFile file(QString::fromLatin1(holvex::AboutDialog::kPictureResource));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace holvex {
namespace {

TEST(DecodeJpeg, DecodesTheAboutPicture) {
    const QByteArray bytes = aboutPicture();
    ASSERT_FALSE(bytes.isEmpty());
    const JpegDecodeResult result = decodeJpeg(bytes);
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.image.format(), QImage::Format_RGB888);
    EXPECT_EQ(result.image.size(), QSize(240, 160));
    EXPECT_EQ(result.warningCount, 0);
    // The white bar near the bottom and the blue background survive the compression.
    const QColor bar = result.image.pixelColor(120, 132);
    EXPECT_GT(bar.lightness(), 200);
    const QColor background = result.image.pixelColor(5, 5);
    EXPECT_GT(background.blue(), background.red());
}

class TruncatedJpeg : public ::testing::TestWithParam<int> {};

TEST_P(TruncatedJpeg, NeverCrashesAndSaysWhatHappened) {
    const QByteArray bytes = aboutPicture();
    const int keep = GetParam() < 0 ? static_cast<int>(bytes.size()) + GetParam() : GetParam();
    const JpegDecodeResult result = decodeJpeg(bytes.left(keep));
    if (result.ok()) {
        // Cut inside the picture data: shown partly, with a warning about the missing end.
        EXPECT_GT(result.warningCount, 0) << "kept " << keep;
        EXPECT_EQ(result.image.size(), QSize(240, 160));
    } else {
        EXPECT_FALSE(result.error.isEmpty()) << "kept " << keep;
        EXPECT_TRUE(result.image.isNull());
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, TruncatedJpeg, ::testing::Values(0, 1, 2, 3, 20, 100, 400, 1000, 3000, -2));

TEST(DecodeJpeg, HeaderCutShortIsAnError) {
    const JpegDecodeResult result = decodeJpeg(aboutPicture().left(100));
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
}

TEST(DecodeJpeg, RejectsBytesThatAreNoJpeg) {
    const QByteArray inputs[] = {
        QByteArray("not a picture at all"),
        QByteArray::fromHex("FFD8"),
        QByteArray::fromHex("FFD8FFE000104A46494600"),
        QByteArray::fromHex("89504E470D0A1A0A0000000D49484452"),
        QByteArray(4096, '\0'),
    };
    for (const QByteArray& input : inputs) {
        const JpegDecodeResult result = decodeJpeg(input);
        EXPECT_FALSE(result.ok()) << input.toHex().toStdString();
        EXPECT_FALSE(result.error.isEmpty());
    }
}

TEST(DecodeJpeg, RandomBytesAfterAValidStartDoNotCrash) {
    const QByteArray good = aboutPicture();
    QRandomGenerator random(1234);
    for (int round = 0; round < 40; ++round) {
        QByteArray damaged = good;
        // Keep the start of image marker, scramble a stretch somewhere after it.
        const int start = 2 + static_cast<int>(random.bounded(static_cast<quint32>(damaged.size() - 40)));
        for (int i = start; i < start + 32 && i < damaged.size(); ++i) {
            damaged[i] = static_cast<char>(random.bounded(256));
        }
        const JpegDecodeResult result = decodeJpeg(damaged);
        EXPECT_TRUE(result.ok() || !result.error.isEmpty());
    }
}

TEST(DecodeJpeg, RefusesHugeDimensionsBeforeAllocating) {
    QByteArray bytes = aboutPicture();
    const int sof = static_cast<int>(bytes.indexOf(QByteArray::fromHex("FFC0")));
    ASSERT_GT(sof, 0);
    // Marker, length (2), precision (1), then height and width, big-endian.
    for (int i = sof + 5; i < sof + 9; ++i) {
        bytes[i] = static_cast<char>(0xFF);
    }
    const JpegDecodeResult result = decodeJpeg(bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error.isEmpty());
}

TEST(AboutDialog, ShowsPictureVersionAndCloseWithoutBlocking) {
    AboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Holvex -> About"));
    EXPECT_FALSE(about.isModal());
    EXPECT_FALSE(about.picture().isNull());
    EXPECT_EQ(about.picture().size(), QSize(240, 160));
    auto* version = about.findChild<QLabel*>(QStringLiteral("Label_version"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Holvex v1.0.2.213"));
    auto* close = about.findChild<QPushButton*>(QStringLiteral("Butt_close"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("Close"));
    about.show();
    close->click();
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutDialog, DamagedPictureLeavesAnEmptyPictureBox) {
    AboutDialog about;
    EXPECT_FALSE(about.setPictureBytes(QByteArray("garbage")));
    EXPECT_TRUE(about.picture().isNull());
    EXPECT_TRUE(about.setPictureBytes(aboutPicture()));
}

} // namespace
} // namespace holvex
