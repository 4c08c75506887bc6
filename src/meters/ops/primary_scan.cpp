#include "meters/ops/primary_scan.h"

#include "bus/bus_context.h"
#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/bus_requests.h"
#include "meters/ops/decode_application.h"
#include "meters/table/meter_table.h"
#include "settings/settings.h"

#include <QTimer>

#include <utility>

namespace holvex {

namespace {

std::optional<int> rangeValue(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 255) {
        return std::nullopt;
    }
    return value;
}

} // namespace

PrimaryScan::PrimaryScan(BusContext& context, DecodeApplication& decoder, QTimer& respondTimer,
                         QTimer& readAllTimer, QTimer& secondaryTimer, QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_respondTimer(respondTimer),
      m_readAllTimer(readAllTimer), m_secondaryTimer(secondaryTimer) {}

bool PrimaryScan::running() const {
    return m_context.state.ScanRunning;
}

QString PrimaryScan::findCaption() const {
    return m_context.language.pick(QStringLiteral("Find"), QStringLiteral("Cerca"));
}

QString PrimaryScan::stopCaption() {
    return QStringLiteral("Stop");
}

void PrimaryScan::toggle(const QString& fromText, const QString& toText) {
    if (m_starting) {
        return;
    }
    if (running()) {
        stop();
    } else {
        start(fromText, toText);
    }
}

bool decideAboutTable(BusContext& context, const ClearQuestion& question) {
    const Settings& settings = context.settings;
    // The first exchange after a gateway called in to start a scan or a search by itself: nobody is there to
    // answer the question.
    if (settings.UseEthernet && (settings.AutoMbus || settings.AutoSec) &&
        context.state.PacketSequence == 1) {
        clearMeterTable(context.meterTable);
        return true;
    }
    ClearAnswer answer = ClearAnswer::No;
    if (question) {
        answer = question(context.language.pick(QStringLiteral("Do you want to clear the table?"),
                                                QStringLiteral("Vuoi cancellare la tabella?")),
                          context.language.pick(QStringLiteral("Clear confirmation"),
                                                QStringLiteral("Conferma cancellazione")));
    }
    if (answer == ClearAnswer::Cancel) {
        return false;
    }
    if (answer == ClearAnswer::Yes) {
        clearMeterTable(context.meterTable);
    }
    return true;
}

bool PrimaryScan::start(const QString& fromText, const QString& toText) {
    if (m_starting) {
        return false;
    }
    if (fromText.trimmed().isEmpty() || toText.trimmed().isEmpty()) {
        return false;
    }
    std::optional<int> from = rangeValue(fromText);
    std::optional<int> to = rangeValue(toText);
    if (!from || !to) {
        return false;
    }
    if (!decideAboutTable(m_context, m_clearQuestion)) {
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    m_context.channel.stopKeepAlive();

    if (*from > *to) {
        std::swap(from, to);
        emit rangeSwapped(*from, *to);
    }
    RunState& state = m_context.state;
    state.CurrentAddress = *from;
    m_to = *to;

    if (m_context.settings.GlobalInit) {
        sendLinkReset(m_context, codec::address::kBroadcast);
        // The window keeps running during the pause: a second "Find" must not start a scan inside this one.
        m_starting = true;
        if (m_context.waitProcessingEvents) {
            m_context.waitProcessingEvents(kGlobalInitPause);
        } else {
            waitProcessingEvents(kGlobalInitPause);
        }
        m_starting = false;
    }

    askCurrentAddress(false);

    state.RetryCount = 0;
    state.ScanRunning = true;
    emit scanStarted(stopCaption());

    m_context.progress.startProgress(m_to - *from);

    m_readAllTimer.stop();
    m_secondaryTimer.stop();
    m_respondTimer.start();
    return true;
}

void PrimaryScan::stop() {
    m_respondTimer.stop();
    m_context.state.ScanRunning = false;
    emit scanFinished(findCaption());
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
}

void PrimaryScan::askCurrentAddress(bool logRead) {
    const int address = m_context.state.CurrentAddress;
    if (m_context.inputs.useSndNke) {
        m_lastWasReset = true;
        sendLinkReset(m_context, address);
        return;
    }
    m_lastWasReset = false;
    if (logRead) {
        m_context.log.logLine(readingDeviceLine(address));
    }
    sendReadRequest(m_context, address);
}

void PrimaryScan::resend() {
    if (!m_context.inputs.useSndNke) {
        m_context.state.GatewayReply.clear();
    }
    askCurrentAddress(true);
}

void PrimaryScan::handleReply(const QByteArray& reply) {
    RunState& state = m_context.state;
    switch (codec::classifyReply(reply)) {
    case codec::ReplyKind::Empty:
        ++state.RetryCount;
        if (state.RetryCount <= m_context.settings.Retry) {
            resend();
            return;
        }
        break;
    case codec::ReplyKind::Acknowledge:
        m_context.log.logLine(QStringLiteral("0xE5 (Acknowledge) 1"));
        state.GatewayReply.clear();
        // Only the acknowledgement of the link reset leads to the read; a meter that acknowledged the read
        // itself would otherwise be read again for ever.
        if (m_context.inputs.useSndNke && m_lastWasReset) {
            m_lastWasReset = false;
            m_context.log.logLine(readingDeviceLine(state.CurrentAddress));
            sendReadRequest(m_context, state.CurrentAddress);
            return;
        }
        break;
    case codec::ReplyKind::Telegram:
        if (!m_decoder.apply(reply)) {
            ++state.RetryCount;
            if (state.RetryCount <= m_context.settings.Retry) {
                resend();
                return;
            }
        }
        break;
    }
    advance();
}

void PrimaryScan::advance() {
    RunState& state = m_context.state;
    ++state.CurrentAddress;
    state.RetryCount = 0;
    if (state.CurrentAddress > m_to) {
        finish();
        return;
    }
    state.GatewayReply.clear();
    state.RawReply.clear();
    ProgressSink& progress = m_context.progress;
    if (m_context.inputs.useSndNke) {
        if (progress.progressPosition() < progress.progressMaximum()) {
            progress.stepProgress();
        }
    } else if (progress.progressPosition() < progress.progressMaximum() - 1) {
        progress.stepProgress();
    }
    askCurrentAddress(true);
}

void PrimaryScan::finish() {
    m_respondTimer.stop();
    RunState& state = m_context.state;
    state.FullReadRequested = false;
    state.ScanRunning = false;
    emit scanFinished(findCaption());
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
}

} // namespace holvex
