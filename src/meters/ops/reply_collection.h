#pragma once

#include "links/channel.h"

namespace holvex {

struct BusContext;

// The first step of every reply timer tick: what arrived within one response timeout on the active channel.
// When something was taken, GatewayReply and RawReply are emptied so that the same bytes are never handed on
// twice. When a gateway packet is still awaited (`waitAnotherPeriod`), the caller ends its tick with the
// timer running and uses no retry.
links::ReplyRead replyCollection(BusContext& context, links::ReplyTimer timer);

} // namespace holvex
