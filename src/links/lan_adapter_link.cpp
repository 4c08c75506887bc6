#include "links/lan_adapter_link.h"

#include "bus/clock_text.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <algorithm>
#include <exception>

namespace holvex::links {

namespace {
constexpr int kWaitStepMs = 10;
}

LanAdapterLink::LanAdapterLink(Settings& settings, RunState& state, LogSink& log, QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log), m_client(log) {
    connect(&m_client, &TcpClient::connected, this, &LanAdapterLink::onConnected);
    connect(&m_client, &TcpClient::disconnected, this, &LanAdapterLink::onDisconnected);
    connect(&m_client, &TcpClient::readyRead, this, &LanAdapterLink::onReadyRead);
}

void LanAdapterLink::connectAdapter() {
    const auto endpoint = parseRemoteEndpoint(m_settings.RemoteIp, m_settings.RemotePort, kDefaultPort);
    if (!endpoint) {
        m_log.logLine(QStringLiteral("Remote IP and Port are not properly set..."));
        m_client.drop();
        m_state.XPortConnected = false;
        return;
    }
    if (m_state.XPortConnected && m_client.isConnected()) {
        return;
    }
    try {
        // A connect attempt still pending from an earlier wait starts over.
        m_client.startConnecting(*endpoint);
        m_log.logLine(QStringLiteral("Trying to connect to Lumet-R7 ethernet..."));
        waitProcessingEvents(std::max(0, m_settings.EthTimeout) * kWaitStepMs);
    } catch (const std::exception&) {
        m_log.logLine(QStringLiteral("Unexpected exception when connecting to Lumet ethernet..."));
        m_client.drop();
    }
}

bool LanAdapterLink::open() {
    connectAdapter();
    return m_state.XPortConnected;
}

bool LanAdapterLink::sendFrame(const QByteArray& frame, codec::PacketKind, const OperationWords& words) {
    return sendLine(frame, words);
}

bool LanAdapterLink::sendLine(const QByteArray& line, const OperationWords&) {
    m_state.RawReply.clear();
    if (!m_state.XPortConnected) {
        return false;
    }
    m_client.send(line, nullptr);
    return true;
}

ReplyRead LanAdapterLink::takeReply(ReplyTimer) {
    return ReplyRead{m_state.RawReply, false};
}

SearchReply LanAdapterLink::takeSearchReply() {
    return SearchReply{m_state.RawReply, false};
}

QByteArray LanAdapterLink::peekReply() {
    return m_state.RawReply;
}

void LanAdapterLink::close() {
    if (m_state.XPortConnected) {
        m_client.drop();
    }
    m_state.XPortConnected = false;
}

void LanAdapterLink::onConnected() {
    m_log.logLine(QStringLiteral("Connected TCP/IP, at ") + clockTime());
    m_state.XPortConnected = true;
}

void LanAdapterLink::onDisconnected() {
    m_log.logLine(QStringLiteral("Disconnected TCP/IP connection at ") + clockTime());
    m_state.XPortConnected = false;
}

void LanAdapterLink::onReadyRead() {
    m_state.RawReply.append(m_client.read());
}

} // namespace holvex::links
