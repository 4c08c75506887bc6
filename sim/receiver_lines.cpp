#include "sim/receiver_lines.h"

namespace holvex::sim {

namespace {

constexpr qsizetype kVerbAndBlank = 4;         // "set "
constexpr qsizetype kPrefixLength = 9;         // "set bind="
constexpr qsizetype kLongestFirstArgument = 8; // the ID of "set akey="

// The next position from `from` on where a receiver line begins; the chunk's size when none does.
qsizetype nextLineStart(const QByteArray& chunk, qsizetype from) {
    for (qsizetype p = from; p < chunk.size(); ++p) {
        if (startsReceiverLine(chunk, p)) {
            return p;
        }
    }
    return chunk.size();
}

qsizetype lineEnd(const QByteArray& chunk, qsizetype start) {
    const int raw = rawArgumentBytes(chunk.mid(start, kPrefixLength));
    if (raw == 0) {
        return nextLineStart(chunk, start + kVerbAndBlank);
    }
    const qsizetype first = start + kPrefixLength;
    const qsizetype comma = chunk.indexOf(',', first);
    if (comma < 0 || comma - first > kLongestFirstArgument) {
        return nextLineStart(chunk, first);
    }
    const qsizetype end = comma + 1 + raw;
    if (end >= chunk.size()) {
        return chunk.size();
    }
    return startsReceiverLine(chunk, end) ? end : nextLineStart(chunk, end);
}

} // namespace

bool startsReceiverLine(const QByteArray& bytes, qsizetype at) {
    if (at < 0 || at + kVerbAndBlank > bytes.size()) {
        return false;
    }
    const QByteArray verb = bytes.mid(at, kVerbAndBlank);
    return verb == "set " || verb == "get " || verb == "del ";
}

int rawArgumentBytes(const QByteArray& line) {
    if (line.startsWith("set bind=")) {
        return 8;
    }
    if (line.startsWith("set encr=") || line.startsWith("set akey=")) {
        return 16;
    }
    return 0;
}

QList<QByteArray> splitReceiverLines(const QByteArray& chunk) {
    if (!startsReceiverLine(chunk, 0)) {
        return {chunk};
    }
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < chunk.size()) {
        const qsizetype end = lineEnd(chunk, start);
        lines.append(chunk.mid(start, end - start));
        start = end;
    }
    return lines;
}

} // namespace holvex::sim
