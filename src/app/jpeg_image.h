#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace holvex {

// The outcome of decoding a JPEG: an RGB888 image, or a null image and the decoder's reason. Warnings about
// damaged data (the picture is still shown, partly grey) are counted and the last one kept.
struct JpegDecodeResult {
    QImage image;
    QString error;
    int warningCount = 0;
    QString lastWarning;

    bool ok() const { return !image.isNull(); }
};

// Pictures larger than this on either side are refused rather than allocated.
inline constexpr int kMaxJpegSide = 8192;

// Decodes JPEG bytes with libjpeg. Any input is safe: damaged, truncated or foreign bytes give an error,
// never a crash or an exit of the program.
JpegDecodeResult decodeJpeg(const QByteArray& bytes);

} // namespace holvex
