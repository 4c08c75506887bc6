#include "devices/display/display_command_sender.h"

#include "bus/bus_context.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/free_command_console.h"

namespace holvex::display {

namespace {

links::OperationWords lineWords(const QByteArray& line) {
    return {QStringLiteral("setting Lumet parameters"), QString::fromLatin1(line), false};
}

bool isGatewayRoad(links::LinkKind road) {
    return road == links::LinkKind::CallingGateway || road == links::LinkKind::ServerGateway ||
           road == links::LinkKind::WirelessAdapter;
}

} // namespace

DisplayCommandSender::DisplayCommandSender(BusContext& context, FreeCommandConsole& console)
    : m_context(context), m_console(console) {}

DisplaySendOutcome DisplayCommandSender::deliver(const DisplayCommand& command, bool answerTimer) {
    links::Channel& channel = m_context.channel;
    if (channel.kind() == links::LinkKind::Serial) {
        // The serial road logs the text before it writes the line.
        m_context.log.logLine(command.logText);
        if (!channel.sendLine(command.line, lineWords(command.line))) {
            return DisplaySendOutcome::NotSent;
        }
    } else {
        // A network road whose connection is down sends nothing, logs nothing and awaits nothing.
        if (!channel.sendLine(command.line, lineWords(command.line))) {
            channel.closeChannel();
            return DisplaySendOutcome::NotSent;
        }
        m_context.log.logLine(command.logText);
    }
    if (answerTimer) {
        m_console.startAnswerTimer();
    }
    return DisplaySendOutcome::Sent;
}

DisplaySendOutcome DisplayCommandSender::send(const DisplayCommand& command) {
    if (!command.refusal.isEmpty()) {
        m_context.log.logLine(command.refusal);
        return DisplaySendOutcome::Refused;
    }
    if (!command.sends()) {
        return DisplaySendOutcome::Refused;
    }
    if (!m_context.channel.openChannel()) {
        return DisplaySendOutcome::NotSent;
    }
    const bool serial = m_context.channel.kind() == links::LinkKind::Serial;
    return deliver(command, !serial || command.answerTimerOnSerial);
}

DisplaySendOutcome DisplayCommandSender::sendLock() {
    links::Channel& channel = m_context.channel;
    switch (channel.kind()) {
    case links::LinkKind::LanAdapter:
        return DisplaySendOutcome::NotSent;
    case links::LinkKind::Serial:
        if (!channel.openChannel()) {
            return DisplaySendOutcome::NotSent;
        }
        break;
    default:
        // Through a gateway the line goes on the connection there is; the link checks it.
        break;
    }
    return deliver(displayLockCommand(), true);
}

DisplaySendOutcome DisplayCommandSender::createSortTable() {
    links::Channel& channel = m_context.channel;
    const links::LinkKind road = channel.kind();
    if (isGatewayRoad(road) &&
        !(m_confirmation && m_confirmation(kSortConfirmationTitle, kSortConfirmationQuestion))) {
        return DisplaySendOutcome::NotSent;
    }
    const bool ready = road == links::LinkKind::LanAdapter ? channel.openChannel()
                                                           : channel.openRoad(links::LinkKind::Serial);
    if (!ready) {
        return DisplaySendOutcome::NotSent;
    }
    const DisplayCommand command = displaySortTableCommand();
    if (!channel.sendLine(command.line, lineWords(command.line))) {
        channel.closeChannel();
        return DisplaySendOutcome::NotSent;
    }
    m_context.log.logLine(command.logText);
    m_console.startAnswerTimer();
    return DisplaySendOutcome::Sent;
}

} // namespace holvex::display
