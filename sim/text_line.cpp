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
    QByteArray out;
    out.reserve(line.size());
    for (char c : line) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace holvex::sim
