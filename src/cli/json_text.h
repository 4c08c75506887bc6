#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

namespace holvex::cli {

// A growing byte buffer for output written in large blocks (a batch decode writes megabytes of JSON): room is
// handed out as a plain pointer, so writing a field costs no library call.
class JsonBuffer {
public:
    // Room for `extra` more bytes after the end; the bytes count once end(...) is told where writing stopped.
    char* room(qsizetype extra) {
        if (m_capacity - m_size < extra) {
            grow(m_size + extra);
        }
        return m_bytes.get() + m_size;
    }
    // Marks `end` (inside the room last handed out) as the new end of the content.
    void setEnd(const char* end) { m_size = end - m_bytes.get(); }
    void append(std::string_view bytes) {
        char* dst = room(static_cast<qsizetype>(bytes.size()));
        std::memcpy(dst, bytes.data(), bytes.size());
        setEnd(dst + bytes.size());
    }
    const char* data() const { return m_bytes.get(); }
    qsizetype size() const { return m_size; }
    void clear() { m_size = 0; } // keeps the memory for the next block

private:
    void grow(qsizetype needed) {
        const qsizetype capacity = std::max(needed, 2 * m_capacity);
        auto bytes = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(capacity));
        if (m_size > 0) {
            std::memcpy(bytes.get(), m_bytes.get(), static_cast<std::size_t>(m_size));
        }
        m_bytes = std::move(bytes);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_bytes;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};

// The JSON writers below work on a QByteArray or a JsonBuffer through these two: room at the end, then
// where the writing stopped.
inline char* jsonRoom(JsonBuffer& out, qsizetype extra) {
    return out.room(extra);
}
inline void jsonEnd(JsonBuffer& out, const char* end) {
    out.setEnd(end);
}
inline char* jsonRoom(QByteArray& out, qsizetype extra) {
    const qsizetype start = out.size();
    if (out.capacity() < start + extra) {
        out.reserve(std::max(start + extra, 2 * out.capacity()));
    }
    out.resize(start + extra);
    return out.data() + start;
}
inline void jsonEnd(QByteArray& out, const char* end) {
    out.resize(end - out.constData());
}

// Characters a JSON string literal escapes as \uXXXX, \" or \\ etc.: every control character, quote and
// backslash.
inline bool jsonNeedsEscape(char16_t unit) {
    return unit < 0x20 || unit == u'"' || unit == u'\\';
}

// Writes one escaped ASCII character (6 bytes at most) at dst; returns the end.
inline char* writeJsonEscape(char* dst, char ch) {
    static constexpr char kHex[] = "0123456789abcdef";
    *dst++ = '\\';
    switch (ch) {
    case '"':
    case '\\':
        *dst++ = ch;
        break;
    case '\n':
        *dst++ = 'n';
        break;
    case '\r':
        *dst++ = 'r';
        break;
    case '\t':
        *dst++ = 't';
        break;
    default: {
        const auto byte = static_cast<unsigned char>(ch);
        std::memcpy(dst, "u00", 3);
        dst += 3;
        *dst++ = kHex[byte >> 4];
        *dst++ = kHex[byte & 0x0F];
    }
    }
    return dst;
}

// A JSON string literal of UTF-8 bytes, control characters escaped.
template <class Out> void appendJsonUtf8(Out& out, const QByteArray& utf8) {
    char* dst = jsonRoom(out, 6 * utf8.size() + 2);
    *dst++ = '"';
    for (const char ch : utf8) {
        if (jsonNeedsEscape(static_cast<unsigned char>(ch))) {
            dst = writeJsonEscape(dst, ch);
        } else {
            *dst++ = ch;
        }
    }
    *dst++ = '"';
    jsonEnd(out, dst);
}

// Writes the text as a JSON string literal at `dst` (room for 6 bytes a character and the quotes), escaping
// control characters; returns the end, or nullptr when the text is not ASCII.
inline char* writeAsciiJsonString(char* dst, const QString& text) {
    // constData(), unlike utf16(), never copies a literal's text to add a terminator.
    const QChar* const chars = text.constData();
    const qsizetype size = text.size();
    *dst++ = '"';
    // Nearly every text is printable ASCII without quotes or backslashes. A short one (most are a few
    // characters) is copied until the first other character; a long one is checked in one pass and copied in
    // another, both simple enough for the compiler to do many characters at a time.
    qsizetype plain = 0;
    if (size < 32) {
        while (plain < size) {
            const char16_t unit = chars[plain].unicode();
            if (unit >= 0x80 || jsonNeedsEscape(unit)) {
                break;
            }
            dst[plain++] = static_cast<char>(unit);
        }
    } else {
        unsigned special = 0;
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t unit = chars[i].unicode();
            special |= static_cast<unsigned>(unit < 0x20) | static_cast<unsigned>(unit >= 0x80) |
                       static_cast<unsigned>(unit == u'"') | static_cast<unsigned>(unit == u'\\');
        }
        if (special == 0) {
            for (qsizetype i = 0; i < size; ++i) {
                dst[i] = static_cast<char>(chars[i].unicode());
            }
            plain = size;
        }
    }
    dst += plain;
    for (qsizetype i = plain; i < size; ++i) {
        const char16_t unit = chars[i].unicode();
        if (unit >= 0x80) {
            return nullptr;
        }
        if (jsonNeedsEscape(unit)) {
            dst = writeJsonEscape(dst, static_cast<char>(unit));
        } else {
            *dst++ = static_cast<char>(unit);
        }
    }
    *dst++ = '"';
    return dst;
}

// A JSON string literal of the text (UTF-8, control characters escaped). A batch decode writes millions of
// these: ASCII text is escaped straight into the buffer, anything else goes through QString's UTF-8
// conversion.
template <class Out> void appendJsonString(Out& out, const QString& text) {
    char* const first = jsonRoom(out, 6 * text.size() + 2);
    if (char* const end = writeAsciiJsonString(first, text)) {
        jsonEnd(out, end);
        return;
    }
    jsonEnd(out, first); // a QByteArray has grown by the room: take it back
    appendJsonUtf8(out, text.toUtf8());
}

// Bytes as they are, straight into the buffer.
template <class Out> void appendJsonRaw(Out& out, std::string_view bytes) {
    char* const dst = jsonRoom(out, static_cast<qsizetype>(bytes.size()));
    std::memcpy(dst, bytes.data(), bytes.size());
    jsonEnd(out, dst + bytes.size());
}

// "name":"value" followed by a comma unless it is the last member.
template <class Out>
void appendJsonField(Out& out, std::string_view name, const QString& value, bool comma = true) {
    const auto nameSize = static_cast<qsizetype>(name.size());
    char* dst = jsonRoom(out, nameSize + 3 + 6 * value.size() + 2 + 1);
    *dst++ = '"';
    std::memcpy(dst, name.data(), name.size());
    dst += nameSize;
    *dst++ = '"';
    *dst++ = ':';
    if (char* const end = writeAsciiJsonString(dst, value)) {
        dst = end;
        if (comma) {
            *dst++ = ',';
        }
        jsonEnd(out, dst);
        return;
    }
    jsonEnd(out, dst);
    appendJsonUtf8(out, value.toUtf8());
    if (comma) {
        appendJsonRaw(out, ",");
    }
}

} // namespace holvex::cli
