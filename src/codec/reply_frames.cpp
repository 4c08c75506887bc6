#include "codec/reply_frames.h"

#include <cstdint>

namespace holvex::codec {

namespace {

constexpr std::uint8_t kAck = 0xE5;
constexpr std::uint8_t kShortStart = 0x10;
constexpr std::uint8_t kLongStart = 0x68;
constexpr std::uint8_t kStop = 0x16;
constexpr int kShortSize = 5;
constexpr int kLastPrimaryAddress = 250;

std::uint8_t at(const QByteArray& bytes, qsizetype index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

struct Piece {
    qsizetype size = 0;         // 0: no frame starts here
    std::optional<int> address; // the address field of a short or long frame
    bool incomplete = false;    // a frame starts here and its end has not arrived
};

// The frame that starts at `from`, judged by its start, length and stop bytes only: the checksum is the
// decoder's to judge, so a damaged frame is still handed on as today.
Piece pieceAt(const QByteArray& bytes, qsizetype from) {
    const qsizetype left = bytes.size() - from;
    const std::uint8_t start = at(bytes, from);
    if (start == kAck) {
        return {1, std::nullopt, false};
    }
    if (start == kShortStart) {
        if (left < kShortSize) {
            return {0, std::nullopt, true};
        }
        if (at(bytes, from + kShortSize - 1) != kStop) {
            return {};
        }
        return {kShortSize, at(bytes, from + 2), false};
    }
    if (start != kLongStart) {
        return {};
    }
    if (left < 4) {
        // 68 alone, or 68 L L: too little to tell yet.
        const bool headerSoFar = left < 3 || at(bytes, from + 1) == at(bytes, from + 2);
        return {0, std::nullopt, headerSoFar};
    }
    if (at(bytes, from + 1) != at(bytes, from + 2) || at(bytes, from + 3) != kLongStart) {
        return {};
    }
    const qsizetype size = at(bytes, from + 1) + 6;
    if (left < size) {
        return {0, std::nullopt, true};
    }
    if (at(bytes, from + size - 1) != kStop || size < 7) {
        return {};
    }
    return {size, at(bytes, from + 5), false};
}

} // namespace

std::optional<int> awaitedAddressOf(const QByteArray& request) {
    if (request.size() != kShortSize || at(request, 0) != kShortStart || at(request, 4) != kStop) {
        return std::nullopt;
    }
    const int address = at(request, 2);
    if (address > kLastPrimaryAddress) {
        return std::nullopt;
    }
    return address;
}

AwaitedReply takeAwaitedReply(const QByteArray& bytes, std::optional<int> awaited) {
    AwaitedReply reply;
    if (!awaited) {
        reply.bytes = bytes;
    }
    QByteArray asked;   // the asked meter's complete frames
    QByteArray unasked; // acknowledgements and the frames of no address
    qsizetype from = 0;
    while (from < bytes.size()) {
        const Piece piece = pieceAt(bytes, from);
        if (piece.size == 0) {
            reply.incomplete = piece.incomplete;
            break;
        }
        if (awaited && piece.address && *piece.address != *awaited) {
            reply.ignored.append(*piece.address);
        } else if (piece.address) {
            asked.append(bytes.mid(from, piece.size));
        } else {
            unasked.append(bytes.mid(from, piece.size));
        }
        from += piece.size;
    }
    const bool wholeFrames = from == bytes.size() && !reply.incomplete;
    if (!awaited) {
        reply.complete = wholeFrames && from > 0;
        return reply;
    }
    reply.complete = wholeFrames && !(asked.isEmpty() && unasked.isEmpty());
    // Two frames of the asked address are two meters at one address answering at once: handed on together,
    // they fail the checks as the collision they are.
    reply.bytes = asked.isEmpty() ? unasked : asked;
    reply.bytes.append(bytes.mid(from));
    return reply;
}

} // namespace holvex::codec
