#include "settings/ini_document.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace holvex {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isQuoted(const QString& text) {
    return text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'));
}

} // namespace

IniDocument::LoadResult IniDocument::load(const QString& path) {
    *this = IniDocument();
    QFile file(path);
    if (!file.exists()) {
        return LoadResult::Missing;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) {
        return LoadResult::Unreadable;
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize) {
        return LoadResult::Unreadable;
    }
    // Files written by older tools may be in a single-byte code page: fall back to Latin-1 rather than
    // turning their accented titles into replacement characters.
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    const bool latin1 = decoder.hasError();
    if (latin1) {
        text = QString::fromLatin1(bytes);
    }
    const bool bom = bytes.startsWith(kUtf8Bom);
    *this = fromText(text);
    m_bom = bom;
    m_latin1 = latin1;
    return LoadResult::Loaded;
}

IniDocument IniDocument::fromText(const QString& text) {
    IniDocument doc;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF))) {
        body.remove(0, 1);
        doc.m_bom = true;
    }
    if (body.contains(QLatin1String("\r\n"))) {
        doc.m_newline = QStringLiteral("\r\n");
    }
    QStringList lines = body.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast(); // the final line end does not start another line
    }
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        doc.m_lines.append(parseLine(line));
    }
    return doc;
}

IniDocument::Line IniDocument::parseLine(const QString& text) {
    Line line;
    line.text = text;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))) {
        return line;
    }
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
        line.kind = Kind::Section;
        line.name = (close > 0 ? trimmed.mid(1, close - 1) : trimmed.mid(1)).trimmed();
        return line;
    }
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals <= 0) {
        return line;
    }
    const QString name = trimmed.left(equals).trimmed();
    if (name.isEmpty()) {
        return line;
    }
    line.kind = Kind::Key;
    line.name = name;
    line.value = trimmed.mid(equals + 1).trimmed();
    if (isQuoted(line.value)) {
        line.value = line.value.mid(1, line.value.size() - 2);
    }
    return line;
}

QString IniDocument::encodeValue(const QString& value) {
    QString out = value;
    // One key per line: a line break inside a value would start a new key.
    out.replace(QLatin1Char('\r'), QLatin1Char(' '));
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    // Blanks at either end and a value that is itself quoted survive reading only inside quotes.
    if (out != out.trimmed() || isQuoted(out)) {
        out = QLatin1Char('"') + out + QLatin1Char('"');
    }
    return out;
}

int IniDocument::findSection(const QString& section) const {
    for (int i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).kind == Kind::Section && sameName(m_lines.at(i).name, section)) {
            return i;
        }
    }
    return -1;
}

int IniDocument::findKey(const QString& section, const QString& key) const {
    bool inSection = false;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Kind::Section) {
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == Kind::Key && sameName(line.name, key)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const int index = findKey(section, key);
    if (index < 0) {
        return std::nullopt;
    }
    return m_lines.at(index).value;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QString encoded = encodeValue(value);
    const int index = findKey(section, key);
    if (index >= 0) {
        Line& line = m_lines[index];
        line.text = line.name + QLatin1Char('=') + encoded;
        line.value = value;
        return;
    }
    Line keyLine = parseLine(key + QLatin1Char('=') + encoded);
    keyLine.value = value;
    const int header = findSection(section);
    if (header < 0) {
        m_lines.append(parseLine(QLatin1Char('[') + section + QLatin1Char(']')));
        m_lines.append(keyLine);
        return;
    }
    // After the section's last key, so blank lines and comments before the next section stay there.
    int insertAt = header + 1;
    for (int i = header + 1; i < m_lines.size() && m_lines.at(i).kind != Kind::Section; ++i) {
        if (m_lines.at(i).kind == Kind::Key) {
            insertAt = i + 1;
        }
    }
    m_lines.insert(insertAt, keyLine);
}

QString IniDocument::toText() const {
    QString text;
    for (const Line& line : m_lines) {
        text += line.text;
        text += m_newline;
    }
    return text;
}

bool IniDocument::save(const QString& path) const {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || !info.isWritable())) {
        return false;
    }
    QSaveFile file(path);
    // A folder that is read-only but holds a writable file still lets us write the file itself.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QString text = toText();
    const bool fitsLatin1 =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
    QByteArray bytes;
    if (m_latin1 && fitsLatin1) {
        bytes = text.toLatin1();
    } else {
        bytes = m_bom ? kUtf8Bom : QByteArray();
        bytes += text.toUtf8();
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace holvex
