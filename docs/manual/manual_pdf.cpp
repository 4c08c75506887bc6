// Turns a user manual written in Markdown into the PDF that "Help" / "User Manual" opens: A4 pages with the
// program's title, the page numbers at the foot, and the text laid out by Qt's rich-text engine.
//
//     holvex-manual-pdf IN.md OUT.pdf "Title"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextStream>
#include <QUrl>

namespace {

constexpr int kMarginMm = 18;

// The text column is about this wide in the document's units; wider pictures are scaled down to it.
constexpr double kColumnWidth = 460;

void fitPictures(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat picture = fragment.charFormat().toImageFormat();
            if (!picture.isValid()) {
                continue;
            }
            const QImage image =
                document.resource(QTextDocument::ImageResource, QUrl(picture.name())).value<QImage>();
            if (image.isNull() || image.width() <= kColumnWidth) {
                continue;
            }
            picture.setWidth(kColumnWidth);
            picture.setHeight(kColumnWidth * image.height() / image.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
}

int fail(const QString& message) {
    QTextStream(stderr) << "holvex-manual-pdf: " << message << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Fonts and layout need a GUI application; no display is opened (the build runs it offscreen).
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 4) {
        return fail(QStringLiteral("usage: holvex-manual-pdf IN.md OUT.pdf TITLE"));
    }
    QFile in(arguments.at(1));
    if (!in.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("cannot read ") + arguments.at(1));
    }
    const QString markdown = QString::fromUtf8(in.readAll());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(arguments.at(2));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm), QPageLayout::Millimeter);
    printer.setDocName(arguments.at(3));
    printer.setCreator(QStringLiteral("Holvex"));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(10);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(
        QStringLiteral("table { border-collapse: collapse; } th, td { padding: 3px; }"));
    // The pictures are named relative to the text.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(arguments.at(1)).absolutePath() + QLatin1Char('/')));
    document.setMetaInformation(
        QTextDocument::DocumentUrl,
        QUrl::fromLocalFile(QFileInfo(arguments.at(1)).absoluteFilePath()).toString());
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    fitPictures(document);
    document.setMetaInformation(QTextDocument::DocumentTitle, arguments.at(3));
    // No ligatures anywhere (headings and code too): "fi" stays two letters that a viewer's search finds.
    QTextCursor all(&document);
    all.select(QTextCursor::Document);
    QTextCharFormat plainLetters;
    plainLetters.setFontStyleStrategy(QFont::PreferNoShaping);
    all.mergeCharFormat(plainLetters);
    // print() paginates and numbers the pages.
    document.print(&printer);
    if (!QFile::exists(arguments.at(2))) {
        return fail(QStringLiteral("cannot write ") + arguments.at(2));
    }
    return 0;
}
