#include "meters/ops/reply_collection.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "log/log_sink.h"

namespace holvex {

links::ReplyRead replyCollection(BusContext& context, links::ReplyTimer timer) {
    links::ReplyRead reply = context.channel.readReply(timer);
    if (!reply.waitAnotherPeriod) {
        context.state.GatewayReply.clear();
        context.state.RawReply.clear();
    }
    return reply;
}

links::ReplyRead deviceLineAnswer(BusContext& context, const QString& noPortLine) {
    links::Channel& channel = context.channel;
    const bool serial = channel.kind() == links::LinkKind::Serial;
    if (serial && !context.state.PortOpen) {
        context.log.logLine(noPortLine);
        return {};
    }
    links::ReplyRead reply = replyCollection(context, links::ReplyTimer::FreeCommand);
    if (!reply.waitAnotherPeriod && serial) {
        channel.discardInput();
    }
    return reply;
}

} // namespace holvex
