#include "links/channel.h"

#include "bus/clock_text.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "links/gateway_client.h"
#include "links/lan_adapter_client.h"
#include "links/serial_channel.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <cstdint>

namespace holvex::links {

Channel::Channel(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
                 QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log), m_language(language),
      m_serial(new SerialChannel(settings, state, log, language, this)),
      m_lan(new LanAdapterClient(settings, state, log, this)),
      m_client(new GatewayClient(settings, state, log, this)),
      m_server(new GatewayServer(settings, state, log, this)) {
    connect(m_serial, &SerialChannel::statusTextChanged, this, &Channel::statusTextChanged);
    connect(m_serial, &SerialChannel::serialFieldsEnabled, this, &Channel::serialFieldsEnabled);
    connect(m_serial, &SerialChannel::portCaptionChanged, this, &Channel::portCaptionChanged);
    connect(m_server, &GatewayServer::peerAccepted, this, &Channel::peerAccepted);
    connect(m_server, &GatewayServer::automaticActionRequested, this, &Channel::automaticActionRequested);
    connect(m_server, &GatewayServer::keepAliveDue, this, &Channel::sendKeepAlivePing);
    connect(m_client, &GatewayClient::foreignNetworkSeen, m_server, &GatewayServer::dropForeignGateway);
}

Channel::~Channel() = default;

bool Channel::serialChosen() const {
    return !m_settings.UseEthernet && !m_settings.UseLanXp && !m_settings.UseFerrinServ;
}

void Channel::advanceSequence() {
    // The counter wraps like the 32-bit signed number it is, without undefined overflow.
    m_state.PacketSequence =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(m_state.PacketSequence) + 1U);
}

bool Channel::openChannel() {
    if (serialChosen()) {
        if (!m_state.PortOpen) {
            m_serial->toggle();
        }
        if (!m_state.PortOpen) {
            return false;
        }
        m_serial->discardBoth();
        return true;
    }
    bool ready = false;
    if (m_settings.UseLanXp) {
        m_lan->connectXPort();
        ready = m_state.XPortConnected;
    } else if (m_settings.UseFerrinServ) {
        m_client->connectGateway();
        ready = m_state.GatewayClientConnected;
    }
    if (m_settings.UseEthernet) {
        m_state.GatewayReply.clear();
        ready = m_state.GatewayCalledIn || ready;
    }
    return ready;
}

void Channel::sendToGateway(const QByteArray& packet, const OperationWords& words) {
    QString failure;
    bool sent = false;
    bool connected = false;
    if (m_settings.UseEthernet && (m_state.ServerListening || m_state.GatewayCalledIn)) {
        connected = m_server->hasPeer();
        sent = connected && m_server->send(packet, &failure);
    } else if (m_settings.UseFerrinServ && m_state.GatewayClientConnected) {
        connected = true;
        sent = m_client->send(packet, &failure);
    }
    if (sent) {
        advanceSequence();
    } else if (connected) {
        m_log.logLine(words.socketLine(failure));
    }
}

void Channel::sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) {
    if (words.readRequest && m_settings.UseNerit1 && m_settings.UseEthernet) {
        // A wireless interface adapter takes the read request as it is.
        if (m_state.ServerListening || m_state.GatewayCalledIn) {
            m_state.RawReply.clear();
            QString failure;
            if (m_server->hasPeer() && !m_server->send(frame, &failure)) {
                m_log.logLine(words.socketLine(failure));
            }
        }
        return;
    }
    if (m_settings.UseEthernet || m_settings.UseFerrinServ) {
        if (m_settings.UseEthernet && (m_state.ServerListening || m_state.GatewayCalledIn)) {
            const QByteArray packet =
                codec::wrapPacket(frame, kind, m_state.NetworkNumber, m_state.PacketSequence);
            if (packet.isEmpty()) {
                return;
            }
            forgetEarlierGatewayPackets();
            sendToGateway(packet, words);
        } else if (m_settings.UseFerrinServ && m_state.GatewayClientConnected) {
            m_state.GatewayReply.clear();
            if (const auto network = codec::parseNetworkNumber(m_settings.NetNumber)) {
                m_state.NetworkNumber = *network;
            }
            const QByteArray packet =
                codec::wrapPacket(frame, kind, m_state.NetworkNumber, m_state.PacketSequence);
            if (packet.isEmpty()) {
                return;
            }
            sendToGateway(packet, words);
        }
        return;
    }
    if (m_settings.UseLanXp) {
        m_state.RawReply.clear();
        if (m_state.XPortConnected) {
            m_lan->send(frame, nullptr);
        }
        return;
    }
    if (m_state.PortOpen && !m_serial->write(frame)) {
        m_log.logLine(QStringLiteral("Can not write to COM port - ") + words.serial);
    }
}

void Channel::sendDeviceCommand(const QByteArray& text) {
    const QByteArray packet =
        codec::wrapPacket(text, codec::PacketKind::Read, m_state.NetworkNumber, m_state.PacketSequence);
    if (packet.isEmpty()) {
        return;
    }
    forgetEarlierGatewayPackets();
    sendToGateway(packet, OperationWords{QStringLiteral("setting Lumet parameters"), {}});
}

// A new request starts a new wait: the identification packet of a gateway that just called in, or a late
// answer to an earlier request, must not be taken as this request's answer.
void Channel::forgetEarlierGatewayPackets() {
    m_state.GatewayReply.clear();
    m_state.PacketArrived = false;
    m_state.ReloadCount = 0;
}

ReplyRead Channel::readReply(ReplyTimer timer) {
    ReplyRead reply;
    const bool readTimer = timer == ReplyTimer::Respond || timer == ReplyTimer::ReadAll;
    if (readTimer && m_settings.UseNerit1 && m_settings.UseEthernet) {
        reply.bytes = m_state.RawReply;
        return reply;
    }
    if (m_settings.UseEthernet) {
        if (m_state.PacketArrived) {
            reply.bytes = m_state.GatewayReply;
            m_state.PacketArrived = false;
            m_state.ReloadCount = 0;
            return reply;
        }
        ++m_state.ReloadCount;
        if (m_state.ReloadCount <= m_settings.TReload) {
            reply.waitAnotherPeriod = true;
            return reply;
        }
        m_log.logLine(timer == ReplyTimer::Respond ? QStringLiteral("Timer overload...")
                                                   : QStringLiteral("Timer overload"));
        m_state.ReloadCount = 0;
        m_state.PacketArrived = false;
        reply.bytes = m_state.GatewayReply;
        return reply;
    }
    if (m_settings.UseFerrinServ) {
        reply.bytes = m_state.GatewayReply;
        return reply;
    }
    if (m_settings.UseLanXp) {
        reply.bytes = m_state.RawReply;
        return reply;
    }
    if (m_state.PortOpen) {
        reply.bytes = m_serial->takeAll();
        return reply;
    }
    const bool dots = timer == ReplyTimer::Respond || timer == ReplyTimer::Secondary;
    m_log.logLine(dots ? QStringLiteral("No valid physical connection... ")
                       : QStringLiteral("No valid physical connection :) "));
    return reply;
}

SearchReply Channel::takeSearchReply() {
    SearchReply reply;
    if (m_settings.UseEthernet || m_settings.UseFerrinServ) {
        reply.bytes = m_state.GatewayReply;
        m_state.PacketArrived = false;
        return reply;
    }
    if (m_settings.UseLanXp) {
        reply.bytes = m_state.RawReply;
        return reply;
    }
    if (m_state.PortOpen) {
        reply.bytes = m_serial->takeAll();
        return reply;
    }
    reply.noConnection = true;
    return reply;
}

void Channel::closeChannel() {
    if (m_settings.UseEthernet) {
        m_state.GatewayReply.clear();
    }
    m_state.FullReadRequested = false;
    // The serial port is open only while an operation runs, whichever channel the settings name now.
    if (m_state.PortOpen || m_serial->isOpen()) {
        m_serial->discardBoth();
        m_serial->close();
    }
    if (m_settings.UseLanXp) {
        if (m_state.XPortConnected) {
            m_lan->drop();
        }
        m_state.XPortConnected = false;
    }
    if (m_settings.UseFerrinServ && m_settings.CloseTcp) {
        if (m_state.GatewayClientConnected) {
            m_client->drop();
        }
        m_state.GatewayClientConnected = false;
    }
}

bool Channel::sendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText) {
    const bool refused = m_settings.UseLanXp || m_settings.UseEthernet ||
                         (scope == GatewayLineScope::NetworkSetting && m_settings.UseFerrinServ);
    if (refused) {
        m_log.logLine(QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!"));
        return false;
    }
    if (!m_state.PortOpen) {
        m_serial->toggle();
    }
    if (!m_state.PortOpen) {
        return false;
    }
    if (!logText.isEmpty()) {
        m_log.logLine(logText);
    }
    if (!m_serial->write(line)) {
        m_log.logLine(QStringLiteral("Can not write to COM port - ") + QString::fromLatin1(line));
        return false;
    }
    return true;
}

void Channel::discardSerialInput() {
    m_serial->discardInput();
}

void Channel::discardSerialBuffers() {
    m_serial->discardBoth();
}

void Channel::stopKeepAlive() {
    m_server->stopKeepAlive();
}

void Channel::sendKeepAlivePing() {
    m_log.logLine(QStringLiteral("Ping on ") + clockTime());
    sendFrame(codec::shortFrame(codec::control::kSndNke, codec::address::kKeepAlive),
              codec::PacketKind::Command, OperationWords::sndNke(codec::address::kKeepAlive));
}

void Channel::toggleSerialPort() {
    m_serial->toggle();
}

void Channel::closeSerialPort() {
    m_serial->close();
}

void Channel::toggleServerSocket(const QString& portText) {
    m_server->toggle(portText);
}

void Channel::connectXPort() {
    m_lan->connectXPort();
}

void Channel::connectGateway() {
    m_client->connectGateway();
}

void Channel::onMainWindowActivated() {
    if (m_settings.UseEthernet) {
        if (!m_state.ServerListening && !m_state.GatewayCalledIn) {
            m_server->toggle(m_settings.ListenPort);
        }
    } else if (m_settings.UseFerrinServ) {
        if (const auto network = codec::parseNetworkNumber(m_settings.NetNumber)) {
            m_state.NetworkNumber = *network;
        }
    }
}

void Channel::onSettingsApplied() {
    m_server->closeForNewPort();
}

void Channel::setIdleTimer(QTimer* timer) {
    m_server->setIdleTimer(timer);
}

void Channel::setKeepAliveTimer(QTimer* timer) {
    m_server->setKeepAliveTimer(timer);
}

QString Channel::peerAddress() const {
    return m_server->peerAddress();
}

QString Channel::peerHost() const {
    return m_server->peerHost();
}

quint16 Channel::peerPort() const {
    return m_server->peerPort();
}

quint16 Channel::listeningPort() const {
    return m_server->listeningPort();
}

} // namespace holvex::links
