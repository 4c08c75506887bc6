#include "meters/reply_collection.h"

#include "app/run_state.h"
#include "meters/bus_context.h"

namespace holvex {

transport::ReplyRead ReplyCollection(BusContext& context, transport::ReplyTimer timer) {
    transport::ReplyRead reply = context.channel.ReadReply(timer);
    if (!reply.waitAnotherPeriod) {
        context.state.GatewayReply.clear();
        context.state.RawReply.clear();
    }
    return reply;
}

} // namespace holvex
