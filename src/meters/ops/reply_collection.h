#pragma once

#include "links/channel.h"

namespace holvex {

struct BusContext;

// The first step of every reply timer tick: what arrived within one response timeout on the active channel.
// When something was taken, GatewayReply and RawReply are emptied so that the same bytes are never handed on
// twice. When a gateway packet is still awaited (`waitAnotherPeriod`), the caller ends its tick with the
// timer running and uses no retry.
links::ReplyRead replyCollection(BusContext& context, links::ReplyTimer timer);

// A maker's device's answer to the last text line, on Timer_free_command's tick, for the row runs that
// program a device line by line. With the serial road chosen and its port closed nothing is read and
// `noPortLine` is logged. The serial port's input is dropped after the answer is taken, so that a late line
// is never taken for the next row's answer.
links::ReplyRead deviceLineAnswer(BusContext& context, const QString& noPortLine);

// One answer of a row run that retries each row: the row moves on when the answer was accepted, or when
// it has had its retries.
inline void countRowAnswer(bool accepted, int& row, int& retryCount, int retries) {
    if (accepted || ++retryCount > retries) {
        retryCount = 0;
        ++row;
    }
}

} // namespace holvex
