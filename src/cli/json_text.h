#pragma once

#include <QByteArray>
#include <QString>

namespace holvex::cli {

// A JSON string literal of the text (UTF-8, control characters escaped).
inline void appendJsonString(QByteArray& out, const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.append('"');
    const QByteArray utf8 = text.toUtf8();
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

// "name":"value" followed by a comma unless it is the last member.
inline void appendJsonField(QByteArray& out, const char* name, const QString& value, bool comma = true) {
    out.append('"');
    out.append(name);
    out.append("\":");
    appendJsonString(out, value);
    if (comma) {
        out.append(',');
    }
}

} // namespace holvex::cli
