#include "links/road_links.h"

#include "bus/clock_text.h"
#include "codec/frame_codec.h"
#include "log/log_sink.h"

namespace holvex::links {

RoadLinks::RoadLinks(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
                     QTimer& idleTimer, QTimer& keepAliveTimer, QObject* parent)
    : QObject(parent), m_settings(settings), m_log(log), m_serial(settings, state, log, language),
      m_lan(settings, state, log), m_serverGateway(settings, state, log),
      m_server(settings, state, log, [&settings] { return serverRoleFor(settings); }),
      m_callingGateway(settings, state, log, m_server), m_wirelessAdapter(settings, state, log, m_server) {
    m_server.setIdleTimer(&idleTimer);
    m_server.setKeepAliveTimer(&keepAliveTimer);
    connect(&m_serial, &SerialLink::statusTextChanged, this, &RoadLinks::statusTextChanged);
    connect(&m_serial, &SerialLink::serialFieldsEnabled, this, &RoadLinks::serialFieldsEnabled);
    connect(&m_serial, &SerialLink::portCaptionChanged, this, &RoadLinks::portCaptionChanged);
    connect(&m_server, &CallInServer::peerAccepted, this, &RoadLinks::peerAccepted);
    connect(&m_server, &CallInServer::automaticActionRequested, this, &RoadLinks::automaticActionRequested);
    connect(&m_server, &CallInServer::keepAliveDue, this, &RoadLinks::sendKeepAlivePing);
    connect(&m_serverGateway, &ServerGatewayLink::foreignNetworkSeen, &m_server,
            &CallInServer::dropForeignGateway);
}

RoadLinks::~RoadLinks() = default;

Link& RoadLinks::link(LinkKind kind) {
    switch (kind) {
    case LinkKind::Serial:
        return m_serial;
    case LinkKind::LanAdapter:
        return m_lan;
    case LinkKind::ServerGateway:
        return m_serverGateway;
    case LinkKind::CallingGateway:
        return m_callingGateway;
    case LinkKind::WirelessAdapter:
        return m_wirelessAdapter;
    }
    return m_serial;
}

void RoadLinks::stopKeepAlive() {
    m_server.stopKeepAlive();
}

void RoadLinks::toggleSerialPort() {
    m_serial.toggle();
}

void RoadLinks::closeSerialPort() {
    m_serial.closePort();
}

void RoadLinks::toggleServerSocket(const QString& portText) {
    m_server.toggle(portText);
}

void RoadLinks::settingsApplied() {
    m_server.closeForNewPort();
}

// Timer_keepAlive: the gateway that called in is pinged with a link reset to address 249.
void RoadLinks::sendKeepAlivePing() {
    m_log.logLine(QStringLiteral("Ping on ") + clockTime());
    m_callingGateway.sendFrame(codec::shortFrame(codec::control::kSndNke, codec::address::kKeepAlive),
                               codec::PacketKind::Command,
                               OperationWords::sndNke(codec::address::kKeepAlive));
}

} // namespace holvex::links
