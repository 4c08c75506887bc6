// Feeds arbitrary bytes to the settings file reader, as a settings file would (UTF-8, else Latin-1), and
// writes the result back: every value read must respect its field's length and range.
#include "settings/ini_document.h"
#include "settings/settings_file.h"

#include <QStringDecoder>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        text = QString::fromLatin1(bytes);
    }
    const holvex::IniDocument doc = holvex::IniDocument::fromText(text);
    const holvex::Settings settings = holvex::settingsFromDocument(doc);
    if (settings.Retry < 0 || settings.Retry > 9 || settings.Titles.size() != holvex::Settings::kMaxTitles ||
        settings.TitleCount < 0 || settings.TitleCount > holvex::Settings::kMaxTitles ||
        settings.RemoteIp.size() > 15 || settings.PortName.size() > 255) {
        __builtin_trap();
    }
    (void)doc.toText();
    return 0;
}
