#include "settings/settings_file.h"

#include "settings/ini_document.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace holvex {

namespace {

enum class KeyGroup { Communication, MainWindow };
enum class KeyKind { Text, Flag, Number };

struct KeyEntry {
    const char* section;
    const char* key;
    KeyGroup group;
    KeyKind kind;
    QString Settings::*text = nullptr;
    bool Settings::*flag = nullptr;
    int Settings::*number = nullptr;
    int min = 0; // numbers: the range, none when min > max
    int max = 0; // texts: the longest value kept, 0 for no limit
    bool emptyIsDefault = false;
};

constexpr int kPortNameLength = 255;

constexpr KeyEntry textKey(const char* section, const char* key, KeyGroup group, QString Settings::*field,
                           int maxLength, bool emptyIsDefault = false) {
    KeyEntry entry{section, key, group, KeyKind::Text};
    entry.text = field;
    entry.max = maxLength;
    entry.emptyIsDefault = emptyIsDefault;
    return entry;
}

constexpr KeyEntry flagKey(const char* section, const char* key, KeyGroup group, bool Settings::*field) {
    KeyEntry entry{section, key, group, KeyKind::Flag};
    entry.flag = field;
    return entry;
}

// min > max: no range.
constexpr KeyEntry numberKey(const char* section, const char* key, KeyGroup group, int Settings::*field,
                             int min, int max) {
    KeyEntry entry{section, key, group, KeyKind::Number};
    entry.number = field;
    entry.min = min;
    entry.max = max;
    return entry;
}

// In the order of the file's sections, so that a new file reads naturally.
const std::array kKeys{
    textKey("Com port", "Name", KeyGroup::Communication, &Settings::PortName, kPortNameLength),
    textKey("Com port", "Speed", KeyGroup::Communication, &Settings::Speed, 6),
    textKey("Com port", "Parity", KeyGroup::Communication, &Settings::Parity, 5),
    flagKey("Com port", "RTS", KeyGroup::Communication, &Settings::Rts),
    flagKey("Com port", "DTR", KeyGroup::Communication, &Settings::Dtr),
    textKey("Misc", "ExportSeparator", KeyGroup::Communication, &Settings::ExportSeparator, 1, true),
    textKey("Misc", "DecSeparator", KeyGroup::Communication, &Settings::DecSeparator, 1, true),
    numberKey("Misc", "Retry", KeyGroup::Communication, &Settings::Retry, 0, 9),
    flagKey("Misc", "UseEthernet", KeyGroup::Communication, &Settings::UseEthernet),
    flagKey("Misc", "UseLANXP", KeyGroup::Communication, &Settings::UseLanXp),
    flagKey("Misc", "UseFerrinServ", KeyGroup::Communication, &Settings::UseFerrinServ),
    flagKey("Misc", "UseNerit1", KeyGroup::Communication, &Settings::UseNerit1),
    flagKey("Misc", "Use5B", KeyGroup::Communication, &Settings::Use5B),
    flagKey("Misc", "GlobalInit", KeyGroup::Communication, &Settings::GlobalInit),
    flagKey("Misc", "MSBSearch", KeyGroup::Communication, &Settings::MsbSearch),
    flagKey("Misc", "LSBSearch", KeyGroup::Communication, &Settings::LsbSearch),
    flagKey("Misc", "Multitelegram", KeyGroup::Communication, &Settings::Multitelegram),
    flagKey("Misc", "wApator", KeyGroup::Communication, &Settings::WApator),
    flagKey("Misc", "wTechem", KeyGroup::Communication, &Settings::WTechem),
    textKey("Misc", "Dir", KeyGroup::MainWindow, &Settings::Dir, 0),
    numberKey("Misc", "Language", KeyGroup::MainWindow, &Settings::Language, 1, 0),
    textKey("Ethernet", "Port", KeyGroup::Communication, &Settings::ListenPort, 0),
    flagKey("Ethernet", "AutoOpen", KeyGroup::Communication, &Settings::AutoOpen),
    flagKey("Ethernet", "AutoLumet", KeyGroup::Communication, &Settings::AutoLumet),
    flagKey("Ethernet", "AutoMbus", KeyGroup::Communication, &Settings::AutoMbus),
    flagKey("Ethernet", "AutoSec", KeyGroup::Communication, &Settings::AutoSec),
    flagKey("Ethernet", "KeepAlive", KeyGroup::Communication, &Settings::KeepAlive),
    numberKey("Ethernet", "TReload", KeyGroup::Communication, &Settings::TReload, 0, 9),
    textKey("LANXP", "IP", KeyGroup::Communication, &Settings::RemoteIp, 15),
    textKey("LANXP", "Port", KeyGroup::Communication, &Settings::RemotePort, 5),
    textKey("LANXP", "NetNumber", KeyGroup::Communication, &Settings::NetNumber, 0),
    numberKey("LANXP", "EthTimeout", KeyGroup::Communication, &Settings::EthTimeout, 20, 999),
    flagKey("LANXP", "CloseTCP", KeyGroup::Communication, &Settings::CloseTcp),
    numberKey("Mbus", "SearchFrom", KeyGroup::MainWindow, &Settings::SearchFrom, 0, 255),
    numberKey("Mbus", "SearchTo", KeyGroup::MainWindow, &Settings::SearchTo, 0, 255),
    numberKey("Mbus", "Timeout", KeyGroup::MainWindow, &Settings::Timeout, 300, 30000),
    flagKey("Mbus", "FastReply", KeyGroup::Communication, &Settings::FastReply),
    textKey("IPaddress", "IPMA", KeyGroup::MainWindow, &Settings::Ipma, 0),
    textKey("IPaddress", "IPCO", KeyGroup::MainWindow, &Settings::Ipco, 0),
    textKey("IPaddress", "IPO1", KeyGroup::MainWindow, &Settings::Ipo1, 0),
};

const QString kTitlesSection = QStringLiteral("Titles");

QString titleKey(int index) {
    return QStringLiteral("Title%1").arg(index + 1);
}

// A decimal number, or nothing when the text is not one; large values still clamp correctly.
std::optional<qint64> parseNumber(const QString& text) {
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

int readNumber(const IniDocument& doc, const QString& section, const QString& key, int fallback, int min,
               int max) {
    const std::optional<QString> stored = doc.value(section, key);
    if (!stored) {
        return fallback;
    }
    const std::optional<qint64> number = parseNumber(*stored);
    if (!number) {
        return fallback;
    }
    if (min <= max) {
        return static_cast<int>(std::clamp<qint64>(*number, min, max));
    }
    if (*number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max()) {
        return fallback;
    }
    return static_cast<int>(*number);
}

void readKey(const IniDocument& doc, const KeyEntry& entry, Settings& s) {
    const QString section = QLatin1String(entry.section);
    const QString key = QLatin1String(entry.key);
    switch (entry.kind) {
    case KeyKind::Text: {
        const std::optional<QString> stored = doc.value(section, key);
        if (!stored || (stored->isEmpty() && entry.emptyIsDefault)) {
            return;
        }
        s.*entry.text = entry.max > 0 ? stored->left(entry.max) : *stored;
        return;
    }
    case KeyKind::Flag:
        s.*entry.flag = readNumber(doc, section, key, s.*entry.flag ? 1 : 0, 1, 0) != 0;
        return;
    case KeyKind::Number:
        s.*entry.number = readNumber(doc, section, key, s.*entry.number, entry.min, entry.max);
        return;
    }
}

void writeKey(IniDocument& doc, const KeyEntry& entry, const Settings& s) {
    const QString section = QLatin1String(entry.section);
    const QString key = QLatin1String(entry.key);
    switch (entry.kind) {
    case KeyKind::Text:
        doc.setValue(section, key, s.*entry.text);
        return;
    case KeyKind::Flag:
        doc.setValue(section, key, s.*entry.flag ? QStringLiteral("1") : QStringLiteral("0"));
        return;
    case KeyKind::Number:
        doc.setValue(section, key, QString::number(s.*entry.number));
        return;
    }
}

void writeGroup(IniDocument& doc, KeyGroup group, const Settings& s) {
    for (const KeyEntry& entry : kKeys) {
        if (entry.group == group) {
            writeKey(doc, entry, s);
        }
    }
}

void writeTitles(IniDocument& doc, const Settings& s) {
    doc.setValue(kTitlesSection, QStringLiteral("Count"), QString::number(s.TitleCount));
    for (int i = 0; i < Settings::kMaxTitles; ++i) {
        const QString title = i < s.Titles.size() ? s.Titles.at(i).left(Settings::kTitleLength) : QString();
        doc.setValue(kTitlesSection, titleKey(i), title);
    }
}

// Loads what is there (a missing file starts empty), lets the writer set its keys and saves. An existing
// file that cannot be read is not overwritten: its other lines would be lost.
template <typename Writer> bool update(const QString& path, Writer write) {
    IniDocument doc;
    if (doc.load(path) == IniDocument::LoadResult::Unreadable) {
        return false;
    }
    write(doc);
    return doc.save(path);
}

} // namespace

Settings loadSettingsFile(const QString& path) {
    IniDocument doc;
    if (doc.load(path) != IniDocument::LoadResult::Loaded) {
        return Settings();
    }
    return settingsFromDocument(doc);
}

Settings settingsFromDocument(const IniDocument& doc) {
    Settings s;
    for (const KeyEntry& entry : kKeys) {
        readKey(doc, entry, s);
    }
    s.TitleCount =
        readNumber(doc, kTitlesSection, QStringLiteral("Count"), s.TitleCount, 0, Settings::kMaxTitles);
    s.Titles = QStringList(Settings::kMaxTitles, QString());
    for (int i = 0; i < Settings::kMaxTitles; ++i) {
        s.Titles[i] = doc.value(kTitlesSection, titleKey(i)).value_or(QString()).left(Settings::kTitleLength);
    }
    return s;
}

bool saveCommunicationKeys(const QString& path, const Settings& s) {
    return update(path, [&s](IniDocument& doc) { writeGroup(doc, KeyGroup::Communication, s); });
}

bool saveTitleKeys(const QString& path, const Settings& s) {
    return update(path, [&s](IniDocument& doc) { writeTitles(doc, s); });
}

bool saveMainWindowKeys(const QString& path, const Settings& s) {
    return update(path, [&s](IniDocument& doc) { writeGroup(doc, KeyGroup::MainWindow, s); });
}

bool saveAllSettings(const QString& path, const Settings& s) {
    return update(path, [&s](IniDocument& doc) {
        // [Titles] goes before [Mbus], as in the table of keys.
        bool titlesWritten = false;
        for (const KeyEntry& entry : kKeys) {
            if (!titlesWritten && QLatin1String(entry.section) == QLatin1String("Mbus")) {
                writeTitles(doc, s);
                titlesWritten = true;
            }
            writeKey(doc, entry, s);
        }
        if (!titlesWritten) {
            writeTitles(doc, s);
        }
    });
}

} // namespace holvex
