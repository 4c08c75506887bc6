#include "sim/text_line.h"

namespace holvex::sim {

namespace {

constexpr int kVerbLength = 3;
constexpr int kKeyLength = 4;
constexpr std::uint8_t kLongStartLetter = 0x68; // 'h' is the long frame's start byte

bool isKeyCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

bool startsTextLine(std::uint8_t first) {
    return first > 0x20 && first < 0x7F && first != kLongStartLetter;
}

QList<QByteArray> TextLine::argumentList(int maxParts) const {
    QList<QByteArray> parts;
    qsizetype from = 0;
    while (static_cast<int>(parts.size()) + 1 < maxParts) {
        const qsizetype comma = arguments.indexOf(',', from);
        if (comma < 0) {
            break;
        }
        parts.append(arguments.mid(from, comma - from));
        from = comma + 1;
    }
    parts.append(arguments.mid(from));
    return parts;
}

std::optional<TextLine> parseTextLine(const QByteArray& line) {
    if (line.size() < kVerbLength + 1 + kKeyLength || line.at(kVerbLength) != ' ') {
        return std::nullopt;
    }
    TextLine parsed;
    parsed.verb = line.left(kVerbLength);
    parsed.key = line.mid(kVerbLength + 1, kKeyLength);
    for (char c : parsed.verb) {
        if (!isLetter(c)) {
            return std::nullopt;
        }
    }
    for (char c : parsed.key) {
        if (!isKeyCharacter(c)) {
            return std::nullopt;
        }
    }
    const qsizetype rest = kVerbLength + 1 + kKeyLength;
    if (line.size() == rest) {
        return parsed;
    }
    if (line.at(rest) != '=') {
        return std::nullopt;
    }
    parsed.hasEquals = true;
    parsed.arguments = line.mid(rest + 1);
    return parsed;
}

std::optional<int> decimalNumber(const QByteArray& text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

QByteArray answerLines(const QList<QByteArray>& lines) {
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            out += "\r\n";
        }
        out += lines.at(i);
    }
    return out;
}

QByteArray escapedLine(const QByteArray& line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(line.size());
    for (char c : line) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QByteArray> unescapedLine(const QByteArray& escaped) {
    const auto hexDigit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    };
    QByteArray out;
    out.reserve(escaped.size());
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char c = escaped.at(i);
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return std::nullopt; // written escaped
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        const char kind = i + 1 < escaped.size() ? escaped.at(i + 1) : '\0';
        if (kind == '\\' || kind == 'r' || kind == 'n') {
            out += kind == '\\' ? '\\' : kind == 'r' ? '\r' : '\n';
            ++i;
            continue;
        }
        const int high = i + 2 < escaped.size() ? hexDigit(escaped.at(i + 2)) : -1;
        const int low = i + 3 < escaped.size() ? hexDigit(escaped.at(i + 3)) : -1;
        const int value = high * 16 + low;
        // Only the control bytes other than CR and LF are written in hex.
        if (kind != 'x' || high < 0 || low < 0 || (value >= 0x20 && value != 0x7F) || value == '\r' ||
            value == '\n') {
            return std::nullopt;
        }
        out += static_cast<char>(value);
        i += 3;
    }
    return out;
}

} // namespace holvex::sim
