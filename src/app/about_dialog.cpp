#include "app/about_dialog.h"

#include "app/jpeg_image.h"
#include "ui/dialog_accessibility.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

// The picture lives in a resource file compiled into a static library; naming it here pulls it into the
// program.
static void initAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace holvex {

namespace {
QLabel* makeLine(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QByteArray readResource(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    initAboutResources();
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("Holvex -> About"));
    setModal(false);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image_about"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumSize(240, 160);

    auto* version = makeLine(QStringLiteral("Label_version"), QStringLiteral("Holvex v1.0.2.213"), this);
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Butt_close"));

    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(makeLine(QStringLiteral("Label_about1"),
                             QStringLiteral("Configuration and read-out of M-Bus meters, gateways,"), this));
    text->addWidget(
        makeLine(QStringLiteral("Label_about2"),
                 QStringLiteral("display units and wireless receivers, by serial line or TCP/IP."), this));
    text->addWidget(makeLine(QStringLiteral("Label_about3"),
                             QStringLiteral("Designed and maintained by Sorvane, makers of M-Bus equipment."),
                             this));
    text->addSpacing(8);
    text->addWidget(makeLine(QStringLiteral("Label_web"), QStringLiteral("www.sorvane.example"), this));
    text->addWidget(makeLine(QStringLiteral("Label_mail"), QStringLiteral("support@sorvane.example"), this));
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(m_picture);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setPictureBytes(readResource(QString::fromLatin1(kPictureResource)));
    connect(close, &QPushButton::clicked, this, &AboutDialog::close);
    nameControlsForAssistiveTechnology(this);
}

QPixmap AboutDialog::picture() const {
    return m_picture->pixmap();
}

bool AboutDialog::setPictureBytes(const QByteArray& jpeg) {
    const JpegDecodeResult decoded = decodeJpeg(jpeg);
    if (!decoded.ok()) {
        m_picture->setPixmap(QPixmap());
        return false;
    }
    m_picture->setPixmap(QPixmap::fromImage(decoded.image));
    return true;
}

} // namespace holvex
