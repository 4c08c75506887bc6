#include "meters/ops/direct_selection.h"

#include "bus/bus_context.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "codec/config_frames.h"
#include "codec/frame_codec.h"
#include "codec/search_digits.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/bus_requests.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/read_cycle.h"
#include "meters/ops/reply_collection.h"

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
    connect(&m_secondaryTimer, &QTimer::timeout, this, &DirectSelection::tick);
    connect(&m_respondTimer, &QTimer::timeout, this, &DirectSelection::afterRespondTick);
}

bool DirectSelection::selectMeterById(const QString& id) {
    const QByteArray frame = codec::selectionFrameForId(id);
    if (frame.isEmpty()) {
        return false;
    }
    const QString words = QStringLiteral("reading by secondary ") + id;
    m_context.channel.sendFrame(
        frame, codec::PacketKind::Command,
        links::OperationWords::withLead(QStringLiteral("Socket exception - ") + words + QStringLiteral(", "),
                                        words));
    return true;
}

void DirectSelection::beginDirectRead(const QString& fieldText) {
    if (!m_context.channel.openChannel()) {
        return;
    }
    RunState& state = m_context.state;
    // A read never writes an address, whatever an abandoned exchange left behind.
    state.AddressWritePending = false;
    m_noResponseId = fieldText;
    m_awaitingEnd = false;
    m_lastReadDecoded = false;
    // Stale input goes before the selection is sent: dropped after it, a quick acknowledgement went with it.
    m_context.channel.discardInput();
    selectMeterById(fieldText);
    state.GatewayReply.clear();
    m_secondaryTimer.start();
}

void DirectSelection::beginAddressWrite(int newAddress) {
    RunState& state = m_context.state;
    m_context.channel.discardInput();
    state.AddressWritePending = true;
    m_newAddress = newAddress;
    // Every step of this exchange concerns the meter of SelectedId, so a silence names it.
    m_noResponseId = state.SelectedId;
    m_awaitingEnd = false;
    m_lastReadDecoded = false;
    selectMeterById(state.SelectedId);
    m_secondaryTimer.start();
}

bool DirectSelection::running() const {
    return m_secondaryTimer.isActive() || (m_awaitingEnd && m_respondTimer.isActive());
}

void DirectSelection::tick() {
    RunState& state = m_context.state;
    const links::ReplyRead reply = replyCollection(m_context, links::ReplyTimer::Secondary);
    if (reply.waitAnotherPeriod) {
        return;
    }
    switch (codec::classifyReply(reply.bytes)) {
    case codec::ReplyKind::Empty:
        m_context.log.logLine(QStringLiteral("No response from device ") +
                              (state.AddressWritePending ? state.SelectedId : m_noResponseId));
        m_secondaryTimer.stop();
        state.AddressWritePending = false;
        if (state.AutoAddressRunning) {
            m_autoAddressTimer.start();
        } else {
            m_context.channel.closeChannel();
            emit exchangeEnded();
        }
        return;
    case codec::ReplyKind::Acknowledge:
        m_context.log.logLine(QStringLiteral("0xE5 (Acknowledge)"));
        state.GatewayReply.clear();
        state.RawReply.clear();
        if (state.AddressWritePending) {
            // The channel drops stale input before it sends; dropping input after the write could only
            // lose its acknowledgement.
            sendAddressWrite();
            state.AddressWritePending = false;
        } else {
            sendReadRequest(m_context, codec::address::kSelected);
        }
        return;
    case codec::ReplyKind::Telegram:
        state.MatchRowById = true;
        m_lastReadDecoded = m_decoder.apply(reply.bytes);
        state.GatewayReply.clear();
        state.RawReply.clear();
        m_secondaryTimer.stop();
        state.MatchRowById = false;
        state.AddressWritePending = false;
        state.ScanRunning = false;
        endAfterTelegram();
        return;
    }
}

void DirectSelection::sendAddressWrite() {
    const QByteArray frame =
        codec::setPrimaryAddressFrame(codec::address::kSelected, static_cast<std::uint8_t>(m_newAddress));
    m_context.channel.sendFrame(
        frame, codec::PacketKind::Command,
        {QStringLiteral("secondary set"),
         QStringLiteral("setting primary address, old is ") + m_context.state.SelectedAddress});
}

void DirectSelection::endAfterTelegram() {
    sendLinkReset(m_context, codec::address::kSelected);
    RunState& state = m_context.state;
    if (state.AutoAddressRunning) {
        if (m_context.waitProcessingEvents) {
            m_context.waitProcessingEvents(kAutoAddressPause);
        } else {
            waitProcessingEvents(kAutoAddressPause);
        }
        m_context.channel.discardAll();
        // The run may have been stopped during the pause; its next row is then not to come.
        if (state.AutoAddressRunning) {
            m_autoAddressTimer.start();
        }
        return;
    }
    m_awaitingEnd = true;
    if (m_readCycle != nullptr) {
        m_readCycle->startExchange(false);
    } else {
        state.ScanRunning = false;
        m_respondTimer.start();
    }
}

void DirectSelection::afterRespondTick() {
    if (m_awaitingEnd && !m_respondTimer.isActive()) {
        m_awaitingEnd = false;
        emit exchangeEnded();
    }
}

} // namespace holvex
