#include "devices/receiver/receiver_command_sender.h"

#include "bus/bus_context.h"
#include "bus/event_loop_wait.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/free_command_console.h"

namespace holvex::receiver {

namespace {

links::OperationWords lineWords(const ReceiverCommand& command) {
    // The argument may hold raw key bytes; the failure line names the command only.
    return {QStringLiteral("setting Ravik parameters"), QString::fromLatin1(command.prefix), false};
}

void logUnlessEmpty(LogSink& log, const QString& text) {
    if (!text.isEmpty()) {
        log.logLine(text);
    }
}

} // namespace

ReceiverCommandSender::ReceiverCommandSender(BusContext& context, FreeCommandConsole& console)
    : m_context(context), m_console(console) {}

ReceiverSendOutcome ReceiverCommandSender::dispatch(const ReceiverCommand& command) {
    if (!m_context.channel.openChannel()) {
        return ReceiverSendOutcome::NotSent;
    }
    return deliver(command);
}

ReceiverSendOutcome ReceiverCommandSender::deliver(const ReceiverCommand& command) {
    links::Channel& channel = m_context.channel;
    if (channel.kind() == links::LinkKind::Serial) {
        logUnlessEmpty(m_context.log, command.logText);
        if (!channel.sendLine(command.line(), lineWords(command))) {
            return ReceiverSendOutcome::NotSent;
        }
    } else {
        if (!channel.sendLine(command.line(), lineWords(command))) {
            channel.closeChannel();
            return ReceiverSendOutcome::NotSent;
        }
        logUnlessEmpty(m_context.log, command.logText);
    }
    m_console.startAnswerTimer();
    return ReceiverSendOutcome::Sent;
}

ReceiverSendOutcome ReceiverCommandSender::dispatch(const ReceiverCommands& commands) {
    if (!commands.refusal.isEmpty()) {
        m_context.log.logLine(commands.refusal);
        return ReceiverSendOutcome::Refused;
    }
    if (commands.commands.isEmpty()) {
        return ReceiverSendOutcome::Refused;
    }
    // The channel is opened once: opening the serial port again would empty it of the first line's answer.
    if (!m_context.channel.openChannel()) {
        return ReceiverSendOutcome::NotSent;
    }
    for (qsizetype i = 0; i < commands.commands.size(); ++i) {
        if (i > 0) {
            pauseBetweenLines();
        }
        const ReceiverSendOutcome outcome = deliver(commands.commands.at(i));
        if (outcome != ReceiverSendOutcome::Sent) {
            return outcome;
        }
    }
    return ReceiverSendOutcome::Sent;
}

void ReceiverCommandSender::pauseBetweenLines() {
    if (m_context.waitProcessingEvents) {
        m_context.waitProcessingEvents(kLineGapMs);
    } else {
        waitProcessingEvents(kLineGapMs);
    }
}

void ReceiverCommandSender::sendPlain(const ReceiverCommand& command) {
    m_context.channel.sendLine(command.line(), lineWords(command));
    logUnlessEmpty(m_context.log, command.logText);
}

} // namespace holvex::receiver
