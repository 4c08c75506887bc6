#include "meters/ops/reply_collection.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"

namespace holvex {

links::ReplyRead replyCollection(BusContext& context, links::ReplyTimer timer) {
    links::ReplyRead reply = context.channel.readReply(timer);
    if (!reply.waitAnotherPeriod) {
        context.state.GatewayReply.clear();
        context.state.RawReply.clear();
    }
    return reply;
}

} // namespace holvex
