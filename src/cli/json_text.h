#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>
#include <string_view>

namespace holvex::cli {

// A JSON string literal of UTF-8 bytes, control characters escaped.
inline void appendJsonUtf8(QByteArray& out, const QByteArray& utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.append('"');
    for (char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (byte < 0x20) {
                out.append("\\u00");
                out.append(kHex[byte >> 4]);
                out.append(kHex[byte & 0x0F]);
            } else {
                out.append(ch);
            }
        }
    }
    out.append('"');
}

// Room for `extra` more bytes without a reallocation, growing the buffer geometrically.
inline char* jsonReserve(QByteArray& out, qsizetype extra) {
    const qsizetype start = out.size();
    if (out.capacity() < start + extra) {
        out.reserve(qMax(start + extra, 2 * out.capacity()));
    }
    out.resize(start + extra);
    return out.data() + start;
}

// Writes the text as a JSON string literal at `dst` (room for 6 bytes a character and the quotes), escaping
// control characters; returns the end, or nullptr when the text is not ASCII.
inline char* writeAsciiJsonString(char* dst, const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    *dst++ = '"';
    for (const QChar qc : text) {
        const char16_t unit = qc.unicode();
        if (unit >= 0x80) {
            return nullptr;
        }
        const char ch = static_cast<char>(unit);
        switch (ch) {
        case '"':
        case '\\':
            *dst++ = '\\';
            *dst++ = ch;
            break;
        case '\n':
            *dst++ = '\\';
            *dst++ = 'n';
            break;
        case '\r':
            *dst++ = '\\';
            *dst++ = 'r';
            break;
        case '\t':
            *dst++ = '\\';
            *dst++ = 't';
            break;
        default:
            if (unit < 0x20) {
                std::memcpy(dst, "\\u00", 4);
                dst += 4;
                *dst++ = kHex[unit >> 4];
                *dst++ = kHex[unit & 0x0F];
            } else {
                *dst++ = ch;
            }
        }
    }
    *dst++ = '"';
    return dst;
}

// A JSON string literal of the text (UTF-8, control characters escaped). A batch decode writes millions of
// these: ASCII text is escaped straight into the buffer, anything else goes through QString's UTF-8
// conversion.
inline void appendJsonString(QByteArray& out, const QString& text) {
    const qsizetype start = out.size();
    char* const first = jsonReserve(out, 6 * text.size() + 2);
    if (char* const end = writeAsciiJsonString(first, text)) {
        out.resize(start + (end - first));
        return;
    }
    out.resize(start);
    appendJsonUtf8(out, text.toUtf8());
}

// Bytes as they are, straight into the buffer.
inline void appendJsonRaw(QByteArray& out, std::string_view bytes) {
    std::memcpy(jsonReserve(out, static_cast<qsizetype>(bytes.size())), bytes.data(), bytes.size());
}

// "name":"value" followed by a comma unless it is the last member.
inline void appendJsonField(QByteArray& out, std::string_view name, const QString& value, bool comma = true) {
    const qsizetype start = out.size();
    const auto nameSize = static_cast<qsizetype>(name.size());
    char* dst = jsonReserve(out, nameSize + 3 + 6 * value.size() + 2 + 1);
    char* const first = dst;
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
        out.resize(start + (dst - first));
        return;
    }
    out.resize(start + nameSize + 3);
    appendJsonUtf8(out, value.toUtf8());
    if (comma) {
        out.append(',');
    }
}

} // namespace holvex::cli
