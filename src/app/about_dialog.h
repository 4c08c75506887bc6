#pragma once

#include <QDialog>

class QLabel;

namespace holvex {

// "Holvex -> About": the maker's picture, the version line, a few words about the program and its maker, and
// "Close". Shown without blocking the other windows.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kPictureResource = ":/about/sorvane_about.jpg";

    explicit AboutDialog(QWidget* parent = nullptr);

    // The picture shown; null when the picture could not be decoded.
    QPixmap picture() const;
    // Shows the picture decoded from JPEG bytes; false (and no picture) when they do not decode.
    bool setPictureBytes(const QByteArray& jpeg);

private:
    QLabel* m_picture = nullptr;
};

} // namespace holvex
