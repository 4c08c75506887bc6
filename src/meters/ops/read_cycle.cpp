#include "meters/ops/read_cycle.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/bus_requests.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/primary_scan.h"
#include "meters/ops/reply_collection.h"
#include "settings/settings.h"

#include <QTimer>

namespace holvex {

ReadCycle::ReadCycle(BusContext& context, DecodeApplication& decoder, PrimaryScan& scan, QTimer& respondTimer,
                     QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_scan(scan), m_respondTimer(respondTimer) {
    connect(&m_respondTimer, &QTimer::timeout, this, &ReadCycle::tick);
}

void ReadCycle::setUseSndNke(bool on) {
    m_context.inputs.useSndNke = on;
}

void ReadCycle::setBroadcast(bool on) {
    m_context.inputs.broadcast = on;
}

bool ReadCycle::useSndNke() const {
    return m_context.inputs.useSndNke;
}

bool ReadCycle::broadcast() const {
    return m_context.inputs.broadcast;
}

void ReadCycle::beginSingleRead() {
    const bool reset = m_context.inputs.useSndNke;
    std::optional<int> target;
    if (m_context.inputs.broadcast) {
        target = codec::address::kBroadcastReply;
    } else if (m_context.state.SelectedAddress != QStringLiteral("256")) {
        target = primaryAddressOf(m_context.state.SelectedAddress);
    }
    if (target) {
        if (reset) {
            sendLinkReset(m_context, *target);
        } else {
            sendReadRequest(m_context, *target);
        }
    }
    m_context.state.ScanRunning = false;
    m_awaitingResetAck = reset;
    m_respondTimer.start();
}

void ReadCycle::startExchange(bool sentLinkReset) {
    m_awaitingResetAck = sentLinkReset;
    m_context.state.ScanRunning = false;
    m_respondTimer.start();
}

void ReadCycle::tick() {
    const links::ReplyRead reply = replyCollection(m_context, links::ReplyTimer::Respond);
    if (reply.waitAnotherPeriod) {
        return;
    }
    if (m_context.state.ScanRunning) {
        m_scan.handleReply(reply.bytes);
        return;
    }
    handleSingleReply(reply.bytes);
}

void ReadCycle::handleSingleReply(const QByteArray& reply) {
    RunState& state = m_context.state;
    switch (codec::classifyReply(reply)) {
    case codec::ReplyKind::Empty:
        m_context.log.logLine(QStringLiteral("No response from address ") + state.SelectedAddress);
        m_respondTimer.stop();
        state.FullReadRequested = false;
        state.MoreRecordsPending = false;
        // A read that was to follow an acknowledgement would otherwise fire after some later exchange.
        m_readAfterAck = false;
        // The exchange is over: release the channel as every other ending does, so the serial port is not
        // left open (and its settings locked) after a meter stayed silent.
        m_context.channel.closeChannel();
        return;
    case codec::ReplyKind::Acknowledge:
        m_context.log.logLine(QStringLiteral("0xE5 (Acknowledge) 1"));
        state.GatewayReply.clear();
        // Only a link reset's acknowledgement leads to the read: an acknowledged read is not read again.
        if (m_context.inputs.useSndNke && m_awaitingResetAck) {
            m_awaitingResetAck = false;
            readSelectedTarget();
            return;
        }
        break;
    case codec::ReplyKind::Telegram:
        m_decoder.apply(reply);
        break;
    }
    m_awaitingResetAck = false;
    followUpOrEnd();
}

void ReadCycle::readSelectedTarget() {
    if (m_context.inputs.broadcast) {
        sendReadRequest(m_context, codec::address::kBroadcastReply);
    } else if (const std::optional<int> address = primaryAddressOf(m_context.state.SelectedAddress)) {
        sendReadRequest(m_context, *address);
    }
}

void ReadCycle::followUpOrEnd() {
    RunState& state = m_context.state;
    if (m_readAfterAck) {
        state.GatewayReply.clear();
        state.RawReply.clear();
        readSelectedTarget();
        m_readAfterAck = false;
        return;
    }
    if (state.MoreRecordsPending && m_context.settings.Multitelegram) {
        m_context.channel.discardInput();
        readSelectedTarget();
        state.MoreRecordsPending = false;
        return;
    }
    endExchange();
}

void ReadCycle::endExchange() {
    m_respondTimer.stop();
    m_context.state.FullReadRequested = false;
    m_context.channel.closeChannel();
}

} // namespace holvex
