#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace holvex {

// A profile file kept line by line, so that writing a few keys leaves every other line as it was: unknown
// sections and keys, comments, blank lines and the line-end style. Section and key names are matched without
// regard to case; the first matching key of the first matching section wins, as in the classic profile API.
class IniDocument {
public:
    enum class LoadResult { Loaded, Missing, Unreadable };

    // Files larger than this are refused as unreadable: a settings file is a few kilobytes.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    LoadResult load(const QString& path);
    static IniDocument fromText(const QString& text);

    std::optional<QString> value(const QString& section, const QString& key) const;

    // Replaces the value of an existing key in place (keeping the key's spelling), adds the key at the end of
    // its section, or appends the section.
    void setValue(const QString& section, const QString& key, const QString& value);

    QString toText() const;

    // Writes the whole document. Fails on a read-only file or folder; never leaves a half-written file where
    // the folder allows a safe replace.
    bool save(const QString& path) const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QString text;
        Kind kind = Kind::Other;
        QString name;  // section or key name, trimmed
        QString value; // key value, trimmed and unquoted
    };

    static Line parseLine(const QString& text);
    static QString encodeValue(const QString& value);
    int findKey(const QString& section, const QString& key) const;
    int findSection(const QString& section) const;

    QList<Line> m_lines;
    QString m_newline = QStringLiteral("\n");
    bool m_bom = false;
    bool m_latin1 = false; // read as a single-byte code page: written back the same way when it fits
};

} // namespace holvex
