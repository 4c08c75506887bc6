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
    connect(m_client, &GatewayClient::foreignNetworkSeen, m_server, &GatewayServer::DropForeignGateway);
}

Channel::~Channel() = default;

bool Channel::SerialChosen() const {
    return !m_settings.UseEthernet && !m_settings.UseLanXp && !m_settings.UseFerrinServ;
}

void Channel::advanceSequence() {
    // The counter wraps like the 32-bit signed number it is, without undefined overflow.
    m_state.PacketSequence =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(m_state.PacketSequence) + 1U);
}

bool Channel::OpenChannel() {
    if (SerialChosen()) {
        if (!m_state.PortOpen) {
            m_serial->Toggle();
        }
        if (!m_state.PortOpen) {
            return false;
        }
        m_serial->DiscardBoth();
        return true;
    }
    bool ready = false;
    if (m_settings.UseLanXp) {
        m_lan->ConnectXPort();
        ready = m_state.XPortConnected;
    } else if (m_settings.UseFerrinServ) {
        m_client->ConnectGateway();
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
        connected = m_server->HasPeer();
        sent = connected && m_server->Send(packet, &failure);
    } else if (m_settings.UseFerrinServ && m_state.GatewayClientConnected) {
        connected = true;
        sent = m_client->Send(packet, &failure);
    }
    if (sent) {
        advanceSequence();
    } else if (connected) {
        m_log.LogLine(words.SocketLine(failure));
    }
}

void Channel::SendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) {
    if (words.readRequest && m_settings.UseNerit1 && m_settings.UseEthernet) {
        // A wireless interface adapter takes the read request as it is.
        if (m_state.ServerListening || m_state.GatewayCalledIn) {
            m_state.RawReply.clear();
            QString failure;
            if (m_server->HasPeer() && !m_server->Send(frame, &failure)) {
                m_log.LogLine(words.SocketLine(failure));
            }
        }
        return;
    }
    if (m_settings.UseEthernet || m_settings.UseFerrinServ) {
        if (m_settings.UseEthernet && (m_state.ServerListening || m_state.GatewayCalledIn)) {
            const QByteArray packet =
                codec::WrapPacket(frame, kind, m_state.NetworkNumber, m_state.PacketSequence);
            if (packet.isEmpty()) {
                return;
            }
            forgetEarlierGatewayPackets();
            sendToGateway(packet, words);
        } else if (m_settings.UseFerrinServ && m_state.GatewayClientConnected) {
            m_state.GatewayReply.clear();
            if (const auto network = codec::ParseNetworkNumber(m_settings.NetNumber)) {
                m_state.NetworkNumber = *network;
            }
            const QByteArray packet =
                codec::WrapPacket(frame, kind, m_state.NetworkNumber, m_state.PacketSequence);
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
            m_lan->Send(frame, nullptr);
        }
        return;
    }
    if (m_state.PortOpen && !m_serial->Write(frame)) {
        m_log.LogLine(QStringLiteral("Can not write to COM port - ") + words.serial);
    }
}

void Channel::SendDeviceCommand(const QByteArray& text) {
    const QByteArray packet =
        codec::WrapPacket(text, codec::PacketKind::Read, m_state.NetworkNumber, m_state.PacketSequence);
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

ReplyRead Channel::ReadReply(ReplyTimer timer) {
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
        m_log.LogLine(timer == ReplyTimer::Respond ? QStringLiteral("Timer overload...")
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
        reply.bytes = m_serial->TakeAll();
        return reply;
    }
    const bool dots = timer == ReplyTimer::Respond || timer == ReplyTimer::Secondary;
    m_log.LogLine(dots ? QStringLiteral("No valid physical connection... ")
                       : QStringLiteral("No valid physical connection :) "));
    return reply;
}

SearchReply Channel::TakeSearchReply() {
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
        reply.bytes = m_serial->TakeAll();
        return reply;
    }
    reply.noConnection = true;
    return reply;
}

void Channel::CloseChannel() {
    if (m_settings.UseEthernet) {
        m_state.GatewayReply.clear();
    }
    m_state.FullReadRequested = false;
    // The serial port is open only while an operation runs, whichever channel the settings name now.
    if (m_state.PortOpen || m_serial->IsOpen()) {
        m_serial->DiscardBoth();
        m_serial->Close();
    }
    if (m_settings.UseLanXp) {
        if (m_state.XPortConnected) {
            m_lan->Drop();
        }
        m_state.XPortConnected = false;
    }
    if (m_settings.UseFerrinServ && m_settings.CloseTcp) {
        if (m_state.GatewayClientConnected) {
            m_client->Drop();
        }
        m_state.GatewayClientConnected = false;
    }
}

bool Channel::SendGatewayLine(const QByteArray& line, GatewayLineScope scope, const QString& logText) {
    const bool refused = m_settings.UseLanXp || m_settings.UseEthernet ||
                         (scope == GatewayLineScope::NetworkSetting && m_settings.UseFerrinServ);
    if (refused) {
        m_log.LogLine(QStringLiteral("Setting of Ferrin-2 or Galdor-5 is only RS-232!"));
        return false;
    }
    if (!m_state.PortOpen) {
        m_serial->Toggle();
    }
    if (!m_state.PortOpen) {
        return false;
    }
    if (!logText.isEmpty()) {
        m_log.LogLine(logText);
    }
    if (!m_serial->Write(line)) {
        m_log.LogLine(QStringLiteral("Can not write to COM port - ") + QString::fromLatin1(line));
        return false;
    }
    return true;
}

void Channel::DiscardSerialInput() {
    m_serial->DiscardInput();
}

void Channel::DiscardSerialBuffers() {
    m_serial->DiscardBoth();
}

void Channel::StopKeepAlive() {
    m_server->StopKeepAlive();
}

void Channel::sendKeepAlivePing() {
    m_log.LogLine(QStringLiteral("Ping on ") + ClockTime());
    SendFrame(codec::ShortFrame(codec::control::kSndNke, codec::address::kKeepAlive),
              codec::PacketKind::Command, OperationWords::SndNke(codec::address::kKeepAlive));
}

void Channel::ToggleSerialPort() {
    m_serial->Toggle();
}

void Channel::CloseSerialPort() {
    m_serial->Close();
}

void Channel::ToggleServerSocket(const QString& portText) {
    m_server->Toggle(portText);
}

void Channel::ConnectXPort() {
    m_lan->ConnectXPort();
}

void Channel::ConnectGateway() {
    m_client->ConnectGateway();
}

void Channel::OnMainWindowActivated() {
    if (m_settings.UseEthernet) {
        if (!m_state.ServerListening && !m_state.GatewayCalledIn) {
            m_server->Toggle(m_settings.ListenPort);
        }
    } else if (m_settings.UseFerrinServ) {
        if (const auto network = codec::ParseNetworkNumber(m_settings.NetNumber)) {
            m_state.NetworkNumber = *network;
        }
    }
}

void Channel::OnSettingsApplied() {
    m_server->CloseForNewPort();
}

void Channel::setIdleTimer(QTimer* timer) {
    m_server->setIdleTimer(timer);
}

void Channel::setKeepAliveTimer(QTimer* timer) {
    m_server->setKeepAliveTimer(timer);
}

QString Channel::PeerAddress() const {
    return m_server->PeerAddress();
}

QString Channel::PeerHost() const {
    return m_server->PeerHost();
}

quint16 Channel::PeerPort() const {
    return m_server->PeerPort();
}

quint16 Channel::ListeningPort() const {
    return m_server->ListeningPort();
}

} // namespace holvex::links
