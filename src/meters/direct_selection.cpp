#include "meters/direct_selection.h"

#include "app/run_state.h"
#include "log/log_sink.h"
#include "meters/bus_context.h"
#include "meters/bus_requests.h"
#include "meters/config_frames.h"
#include "meters/decode_application.h"
#include "meters/read_cycle.h"
#include "meters/reply_collection.h"
#include "meters/search_digits.h"
#include "transport/channel_interface.h"
#include "transport/event_loop_wait.h"
#include "transport/frame_codec.h"

#include <QTimer>

namespace holvex {

namespace {

// The pause after each addressed meter before the next row, so the meter has finished with its SND_NKE.
constexpr int kAutoAddressPause = 200;

} // namespace

DirectSelection::DirectSelection(BusContext& context, DecodeApplication& decoder, QTimer& secondaryTimer,
                                 QTimer& respondTimer, QTimer& autoAddressTimer, QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_secondaryTimer(secondaryTimer),
      m_respondTimer(respondTimer), m_autoAddressTimer(autoAddressTimer) {
    connect(&m_secondaryTimer, &QTimer::timeout, this, &DirectSelection::Tick);
    connect(&m_respondTimer, &QTimer::timeout, this, &DirectSelection::AfterRespondTick);
}

bool DirectSelection::SelectMeterById(const QString& id) {
    const QByteArray frame = SelectionFrameForId(id);
    if (frame.isEmpty()) {
        return false;
    }
    const QString words = QStringLiteral("reading by secondary ") + id;
    m_context.channel.SendFrame(frame, transport::PacketKind::Command,
                                transport::OperationWords::WithLead(QStringLiteral("Socket exception - ") +
                                                                        words + QStringLiteral(", "),
                                                                    words));
    return true;
}

void DirectSelection::BeginDirectRead(const QString& fieldText) {
    if (!m_context.channel.OpenChannel()) {
        return;
    }
    RunState& state = m_context.state;
    // A read never writes an address, whatever an abandoned exchange left behind.
    state.AddressWritePending = false;
    m_noResponseId = fieldText;
    m_awaitingEnd = false;
    m_lastReadDecoded = false;
    SelectMeterById(fieldText);
    m_context.channel.DiscardSerialInput();
    state.GatewayReply.clear();
    m_secondaryTimer.start();
}

void DirectSelection::BeginAddressWrite(int newAddress) {
    RunState& state = m_context.state;
    m_context.channel.DiscardSerialInput();
    state.AddressWritePending = true;
    m_newAddress = newAddress;
    // Every step of this exchange concerns the meter of SelectedId, so a silence names it.
    m_noResponseId = state.SelectedId;
    m_awaitingEnd = false;
    m_lastReadDecoded = false;
    SelectMeterById(state.SelectedId);
    m_secondaryTimer.start();
}

bool DirectSelection::Running() const {
    return m_secondaryTimer.isActive() || (m_awaitingEnd && m_respondTimer.isActive());
}

void DirectSelection::Tick() {
    RunState& state = m_context.state;
    const transport::ReplyRead reply = ReplyCollection(m_context, transport::ReplyTimer::Secondary);
    if (reply.waitAnotherPeriod) {
        return;
    }
    switch (transport::ClassifyReply(reply.bytes)) {
    case transport::ReplyKind::Empty:
        m_context.log.LogLine(QStringLiteral("No response from device ") +
                              (state.AddressWritePending ? state.SelectedId : m_noResponseId));
        m_secondaryTimer.stop();
        state.AddressWritePending = false;
        if (state.AutoAddressRunning) {
            m_autoAddressTimer.start();
        } else {
            m_context.channel.CloseChannel();
            emit exchangeEnded();
        }
        return;
    case transport::ReplyKind::Acknowledge:
        m_context.log.LogLine(QStringLiteral("0xE5 (Acknowledge)"));
        state.GatewayReply.clear();
        state.RawReply.clear();
        if (state.AddressWritePending) {
            SendAddressWrite();
            state.AddressWritePending = false;
            m_context.channel.DiscardSerialInput();
        } else {
            SendReadRequest(m_context, transport::address::kSelected);
        }
        return;
    case transport::ReplyKind::Telegram:
        state.MatchRowById = true;
        m_lastReadDecoded = m_decoder.Apply(reply.bytes);
        state.GatewayReply.clear();
        state.RawReply.clear();
        m_secondaryTimer.stop();
        state.MatchRowById = false;
        state.AddressWritePending = false;
        state.ScanRunning = false;
        EndAfterTelegram();
        return;
    }
}

void DirectSelection::SendAddressWrite() {
    const QByteArray frame =
        SetPrimaryAddressFrame(transport::address::kSelected, static_cast<std::uint8_t>(m_newAddress));
    m_context.channel.SendFrame(
        frame, transport::PacketKind::Command,
        {QStringLiteral("secondary set"),
         QStringLiteral("setting primary address, old is ") + m_context.state.SelectedAddress});
}

void DirectSelection::EndAfterTelegram() {
    SendLinkReset(m_context, transport::address::kSelected);
    RunState& state = m_context.state;
    if (state.AutoAddressRunning) {
        if (m_context.waitProcessingEvents) {
            m_context.waitProcessingEvents(kAutoAddressPause);
        } else {
            transport::WaitProcessingEvents(kAutoAddressPause);
        }
        m_context.channel.DiscardSerialBuffers();
        // The run may have been stopped during the pause; its next row is then not to come.
        if (state.AutoAddressRunning) {
            m_autoAddressTimer.start();
        }
        return;
    }
    m_awaitingEnd = true;
    if (m_readCycle != nullptr) {
        m_readCycle->StartExchange(false);
    } else {
        state.ScanRunning = false;
        m_respondTimer.start();
    }
}

void DirectSelection::AfterRespondTick() {
    if (m_awaitingEnd && !m_respondTimer.isActive()) {
        m_awaitingEnd = false;
        emit exchangeEnded();
    }
}

} // namespace holvex
