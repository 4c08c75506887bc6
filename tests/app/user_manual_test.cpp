#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

struct Manual {
    const char* file;
    const char* title;
    std::vector<const char*> phrases; // what an installer looks for, one per chapter
};

// The text a PDF viewer shows and searches, as pdftotext extracts it.
QString pdfText(const QString& path, const QStringList& options = {}) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), options + QStringList{path, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

TEST(UserManual, BothManualsHoldEveryChapterAsSearchableText) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    if (!QFileInfo::exists(folder + QStringLiteral("/UsrMan.pdf"))) {
        GTEST_SKIP() << "the manuals are built with the windows only";
    }
    const std::vector<Manual> manuals = {
        {"UsrMan.pdf",
         "Holvex User Manual",
         {"admin", "Use Ferrin-2 server version", "By Primary address", "FFFFFFFF", "Find all",
          "Read all meters", "Full read", "Set Primary Address to", "Auto address", "Communication devices",
          "Local display Lumet", "Wireless receiver Ravik-Q", "Save / Export", "holvex-cli read-all --table",
          "No response from address"}},
        {"UsrManIt.pdf",
         "Holvex Manuale Utente",
         {"admin", "Use Ferrin-2 server version", "Per Ind. Primario", "FFFFFFFF", "Trova tutti",
          "Leggi tutti", "Full read", "Imposta Ind. Primario", "Auto address", "Comunicazione",
          "Display Locale Lumet", "Wireless receiver Ravik-Q", "Salva / Esporta",
          "holvex-cli read-all --table", "contatore"}},
    };
    for (const Manual& manual : manuals) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(manual.file);
        const QString text = pdfText(path);
        ASSERT_FALSE(text.isEmpty()) << manual.file;
        for (const char* phrase : manual.phrases) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(phrase))) << manual.file << ": " << phrase;
        }
        // The viewer's window title and more than a leaflet.
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {path});
        info.waitForFinished(30000);
        const QString details = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_TRUE(details.contains(QStringLiteral("Title:           ") + QLatin1String(manual.title)))
            << details.toStdString();
        const qsizetype pages =
            details.section(QStringLiteral("Pages:"), 1).trimmed().section(u'\n', 0, 0).toInt();
        EXPECT_GE(pages, 3) << manual.file;
        // The pictures of the login and main windows and of the gateway, display, readings and receiver
        // pages.
        QProcess pictures;
        pictures.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
        pictures.waitForFinished(30000);
        const qsizetype listed =
            QString::fromUtf8(pictures.readAllStandardOutput()).count(QStringLiteral(" image "));
        EXPECT_GE(listed, 6) << manual.file;
    }
}

} // namespace
