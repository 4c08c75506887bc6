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

constexpr KeyEntry TextKey(const char* section, const char* key, KeyGroup group, QString Settings::*field,
                           int maxLength, bool emptyIsDefault = false) {
    KeyEntry entry{section, key, group, KeyKind::Text};
    entry.text = field;
    entry.max = maxLength;
    entry.emptyIsDefault = emptyIsDefault;
    return entry;
}

constexpr KeyEntry FlagKey(const char* section, const char* key, KeyGroup group, bool Settings::*field) {
    KeyEntry entry{section, key, group, KeyKind::Flag};
    entry.flag = field;
    return entry;
}

// min > max: no range.
constexpr KeyEntry NumberKey(const char* section, const char* key, KeyGroup group, int Settings::*field,
                             int min, int max) {
    KeyEntry entry{section, key, group, KeyKind::Number};
    entry.number = field;
    entry.min = min;
    entry.max = max;
    return entry;
}

// In the order of the file's sections, so that a new file reads naturally.
const std::array kKeys{
    TextKey("Com port", "Name", KeyGroup::Communication, &Settings::PortName, kPortNameLength),
    TextKey("Com port", "Speed", KeyGroup::Communication, &Settings::Speed, 6),
    TextKey("Com port", "Parity", KeyGroup::Communication, &Settings::Parity, 5),
    FlagKey("Com port", "RTS", KeyGroup::Communication, &Settings::Rts),
    FlagKey("Com port", "DTR", KeyGroup::Communication, &Settings::Dtr),
    TextKey("Misc", "ExportSeparator", KeyGroup::Communication, &Settings::ExportSeparator, 1, true),
    TextKey("Misc", "DecSeparator", KeyGroup::Communication, &Settings::DecSeparator, 1, true),
    NumberKey("Misc", "Retry", KeyGroup::Communication, &Settings::Retry, 0, 9),
    FlagKey("Misc", "UseEthernet", KeyGroup::Communication, &Settings::UseEthernet),
    FlagKey("Misc", "UseLANXP", KeyGroup::Communication, &Settings::UseLanXp),
    FlagKey("Misc", "UseFerrinServ", KeyGroup::Communication, &Settings::UseFerrinServ),
    FlagKey("Misc", "UseNerit1", KeyGroup::Communication, &Settings::UseNerit1),
    FlagKey("Misc", "Use5B", KeyGroup::Communication, &Settings::Use5B),
    FlagKey("Misc", "GlobalInit", KeyGroup::Communication, &Settings::GlobalInit),
    FlagKey("Misc", "MSBSearch", KeyGroup::Communication, &Settings::MsbSearch),
    FlagKey("Misc", "LSBSearch", KeyGroup::Communication, &Settings::LsbSearch),
    FlagKey("Misc", "Multitelegram", KeyGroup::Communication, &Settings::Multitelegram),
    FlagKey("Misc", "wApator", KeyGroup::Communication, &Settings::WApator),
    FlagKey("Misc", "wTechem", KeyGroup::Communication, &Settings::WTechem),
    TextKey("Misc", "Dir", KeyGroup::MainWindow, &Settings::Dir, 0),
    NumberKey("Misc", "Language", KeyGroup::MainWindow, &Settings::Language, 1, 0),
    TextKey("Ethernet", "Port", KeyGroup::Communication, &Settings::ListenPort, 0),
    FlagKey("Ethernet", "AutoOpen", KeyGroup::Communication, &Settings::AutoOpen),
    FlagKey("Ethernet", "AutoLumet", KeyGroup::Communication, &Settings::AutoLumet),
    FlagKey("Ethernet", "AutoMbus", KeyGroup::Communication, &Settings::AutoMbus),
    FlagKey("Ethernet", "AutoSec", KeyGroup::Communication, &Settings::AutoSec),
    FlagKey("Ethernet", "KeepAlive", KeyGroup::Communication, &Settings::KeepAlive),
    NumberKey("Ethernet", "TReload", KeyGroup::Communication, &Settings::TReload, 0, 9),
    TextKey("LANXP", "IP", KeyGroup::Communication, &Settings::RemoteIp, 15),
    TextKey("LANXP", "Port", KeyGroup::Communication, &Settings::RemotePort, 5),
    TextKey("LANXP", "NetNumber", KeyGroup::Communication, &Settings::NetNumber, 0),
    NumberKey("LANXP", "EthTimeout", KeyGroup::Communication, &Settings::EthTimeout, 20, 999),
    FlagKey("LANXP", "CloseTCP", KeyGroup::Communication, &Settings::CloseTcp),
    NumberKey("Mbus", "SearchFrom", KeyGroup::MainWindow, &Settings::SearchFrom, 0, 255),
    NumberKey("Mbus", "SearchTo", KeyGroup::MainWindow, &Settings::SearchTo, 0, 255),
    NumberKey("Mbus", "Timeout", KeyGroup::MainWindow, &Settings::Timeout, 300, 30000),
    TextKey("IPaddress", "IPMA", KeyGroup::MainWindow, &Settings::Ipma, 0),
    TextKey("IPaddress", "IPCO", KeyGroup::MainWindow, &Settings::Ipco, 0),
    TextKey("IPaddress", "IPO1", KeyGroup::MainWindow, &Settings::Ipo1, 0),
};

const QString kTitlesSection = QStringLiteral("Titles");

QString TitleKey(int index) {
    return QStringLiteral("Title%1").arg(index + 1);
}

// A decimal number, or nothing when the text is not one; large values still clamp correctly.
std::optional<qint64> ParseNumber(const QString& text) {
    bool ok = false;
    const qint64 number = text.trimmed().toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

int ReadNumber(const IniDocument& doc, const QString& section, const QString& key, int fallback, int min,
               int max) {
    const std::optional<QString> stored = doc.value(section, key);
    if (!stored) {
        return fallback;
    }
    const std::optional<qint64> number = ParseNumber(*stored);
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

void ReadKey(const IniDocument& doc, const KeyEntry& entry, Settings& s) {
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
        s.*entry.flag = ReadNumber(doc, section, key, s.*entry.flag ? 1 : 0, 1, 0) != 0;
        return;
    case KeyKind::Number:
        s.*entry.number = ReadNumber(doc, section, key, s.*entry.number, entry.min, entry.max);
        return;
    }
}

void WriteKey(IniDocument& doc, const KeyEntry& entry, const Settings& s) {
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

void WriteGroup(IniDocument& doc, KeyGroup group, const Settings& s) {
    for (const KeyEntry& entry : kKeys) {
        if (entry.group == group) {
            WriteKey(doc, entry, s);
        }
    }
}

void WriteTitles(IniDocument& doc, const Settings& s) {
    doc.setValue(kTitlesSection, QStringLiteral("Count"), QString::number(s.TitleCount));
    for (int i = 0; i < Settings::kMaxTitles; ++i) {
        const QString title = i < s.Titles.size() ? s.Titles.at(i).left(Settings::kTitleLength) : QString();
        doc.setValue(kTitlesSection, TitleKey(i), title);
    }
}

// Loads what is there (a missing file starts empty), lets the writer set its keys and saves. An existing
// file that cannot be read is not overwritten: its other lines would be lost.
template <typename Writer> bool Update(const QString& path, Writer write) {
    IniDocument doc;
    if (doc.load(path) == IniDocument::LoadResult::Unreadable) {
        return false;
    }
    write(doc);
    return doc.save(path);
}

} // namespace

Settings LoadSettingsFile(const QString& path) {
    Settings s;
    IniDocument doc;
    if (doc.load(path) != IniDocument::LoadResult::Loaded) {
        return s;
    }
    for (const KeyEntry& entry : kKeys) {
        ReadKey(doc, entry, s);
    }
    s.TitleCount =
        ReadNumber(doc, kTitlesSection, QStringLiteral("Count"), s.TitleCount, 0, Settings::kMaxTitles);
    s.Titles = QStringList(Settings::kMaxTitles, QString());
    for (int i = 0; i < Settings::kMaxTitles; ++i) {
        s.Titles[i] = doc.value(kTitlesSection, TitleKey(i)).value_or(QString()).left(Settings::kTitleLength);
    }
    return s;
}

bool SaveCommunicationKeys(const QString& path, const Settings& s) {
    return Update(path, [&s](IniDocument& doc) { WriteGroup(doc, KeyGroup::Communication, s); });
}

bool SaveTitleKeys(const QString& path, const Settings& s) {
    return Update(path, [&s](IniDocument& doc) { WriteTitles(doc, s); });
}

bool SaveMainWindowKeys(const QString& path, const Settings& s) {
    return Update(path, [&s](IniDocument& doc) { WriteGroup(doc, KeyGroup::MainWindow, s); });
}

bool SaveAllSettings(const QString& path, const Settings& s) {
    return Update(path, [&s](IniDocument& doc) {
        // [Titles] goes before [Mbus], as in the table of keys.
        bool titlesWritten = false;
        for (const KeyEntry& entry : kKeys) {
            if (!titlesWritten && QLatin1String(entry.section) == QLatin1String("Mbus")) {
                WriteTitles(doc, s);
                titlesWritten = true;
            }
            WriteKey(doc, entry, s);
        }
        if (!titlesWritten) {
            WriteTitles(doc, s);
        }
    });
}

} // namespace holvex
