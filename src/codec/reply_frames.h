#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace holvex::codec {

// The meter a request asks: the address of a short frame (REQ_UD2, SND_NKE) to one primary address 0..250.
// Nothing for a long frame, a selection (253), the broadcasts or any other bytes: their answers are taken
// as they come.
std::optional<int> awaitedAddressOf(const QByteArray& request);

// What a reply timer takes out of the bytes that arrived after a request to one meter.
struct AwaitedReply {
    QByteArray bytes;        // the answer to hand on: the asked meter's frame, or the bytes no frame explains
    QList<int> ignored;      // address fields of other meters' complete frames, left out, in arrival order
    bool incomplete = false; // the bytes end inside a frame that has begun and is not complete yet
    // The bytes are whole frames and hold an answer: the asked meter's frame or an acknowledgement, or,
    // without an awaited address, at least one frame. Stray bytes or a frame still arriving leave it false.
    bool complete = false;
};

// Cuts the bytes into frames (the single 0xE5, short frames, long frames by their length field). A complete
// short or long frame whose address field is another meter's never becomes this meter's answer: a late
// answer of the previous meter often lands in the same buffer as the asked one's. The asked meter's frames
// are the answer (and the acknowledgements when it sent none); bytes that start no frame follow as they
// came, for the checks to log as garbled, as ever. Without an awaited address nothing is left out.
AwaitedReply takeAwaitedReply(const QByteArray& bytes, std::optional<int> awaited);

} // namespace holvex::codec
