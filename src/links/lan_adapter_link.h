#pragma once

#include "links/link.h"
#include "links/tcp_client.h"

#include <QObject>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
} // namespace holvex

namespace holvex::links {

// A serial-to-Ethernet LAN adapter (the "Connect to Xport" road): frames and text lines travel unchanged over
// a TCP connection made for each operation, and whatever comes back is gathered into RawReply.
class LanAdapterLink : public QObject, public Link {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 10001;

    LanAdapterLink(Settings& settings, RunState& state, LogSink& log, QObject* parent = nullptr);

    LinkKind kind() const override { return LinkKind::LanAdapter; }
    bool open() override;
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) override;
    bool sendLine(const QByteArray& line, const OperationWords& words) override;
    ReplyRead takeReply(ReplyTimer timer) override;
    SearchReply takeSearchReply() override;
    QByteArray peekReply() override;
    void close() override;

    // Connects when not connected and waits "Ethernet timeout" x 10 ms, the whole time, with the event loop
    // running (the hidden "Connect to Xport" button does this too).
    void connectAdapter();

private:
    void onConnected();
    void onDisconnected();
    void onReadyRead();

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    TcpClient m_client;
};

} // namespace holvex::links
