#include "links/channel.h"

#include "bus/run_state.h"
#include "links/link_selection.h"
#include "links/link_set.h"
#include "log/log_sink.h"

namespace holvex::links {

Channel::Channel(const Settings& settings, RunState& state, LogSink& log, LinkSet& links)
    : m_settings(settings), m_state(state), m_log(log), m_links(links) {}

Link& Channel::current() {
    return m_open != nullptr ? *m_open : m_links.link(linkKindFor(m_settings));
}

LinkKind Channel::kind() const {
    return m_open != nullptr ? m_open->kind() : linkKindFor(m_settings);
}

bool Channel::openChannel() {
    m_gatewayAnswerOnSerial = false;
    m_open = &m_links.link(linkKindFor(m_settings));
    return m_open->open();
}

bool Channel::openRoad(LinkKind road) {
    m_open = &m_links.link(road);
    return m_open->open();
}

bool Channel::sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) {
    return current().sendFrame(frame, kind, words);
}

bool Channel::sendLine(const QByteArray& line, const OperationWords& words) {
    return current().sendLine(line, words);
}

ReplyRead Channel::readReply(ReplyTimer timer) {
    if (timer == ReplyTimer::FreeCommand && m_gatewayAnswerOnSerial) {
        return m_links.link(LinkKind::Serial).takeReply(timer);
    }
    return current().takeReply(timer);
}

SearchReply Channel::takeSearchReply() {
    return current().takeSearchReply();
}

void Channel::closeChannel() {
    Link& link = current();
    m_open = nullptr;
    m_gatewayAnswerOnSerial = false;
    m_state.FullReadRequested = false;
    link.close();
    Link& serial = m_links.link(LinkKind::Serial);
    if (&serial != &link) {
        serial.close();
    }
}

void Channel::discardInput() {
    current().discardInput();
}

void Channel::discardAll() {
    current().discardAll();
}

void Channel::stopKeepAlive() {
    m_links.stopKeepAlive();
}

void Channel::prepare() {
    m_links.link(linkKindFor(m_settings)).prepare();
}

bool gatewayLineRefused(GatewayLineScope scope, LinkKind road) {
    return road == LinkKind::LanAdapter || road == LinkKind::CallingGateway ||
           road == LinkKind::WirelessAdapter ||
           (scope == GatewayLineScope::NetworkSetting && road == LinkKind::ServerGateway);
}

bool Channel::sendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText) {
    if (gatewayLineRefused(scope, kind())) {
        m_log.logLine(QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!"));
        return false;
    }
    Link& serial = m_links.link(LinkKind::Serial);
    if (!serial.open()) {
        return false;
    }
    if (!logText.isEmpty()) {
        m_log.logLine(logText);
    }
    OperationWords words;
    words.serial = QString::fromLatin1(line);
    if (!serial.sendLine(line, words)) {
        return false;
    }
    // With the gateway of the server version chosen the road is not the serial port, yet the answer is there.
    m_gatewayAnswerOnSerial = true;
    return true;
}

bool Channel::serialPortOpen() const {
    return m_state.PortOpen;
}

bool Channel::writeSerialLine(const QByteArray& line, const OperationWords& words) {
    if (!m_state.PortOpen) {
        return false;
    }
    return m_links.link(LinkKind::Serial).sendLine(line, words);
}

QByteArray Channel::takeSerialBytes() {
    if (!m_state.PortOpen) {
        return {};
    }
    return m_links.link(LinkKind::Serial).takeReply(ReplyTimer::FreeCommand).bytes;
}

void Channel::discardSerialInput() {
    if (m_state.PortOpen) {
        m_links.link(LinkKind::Serial).discardInput();
    }
}

} // namespace holvex::links
