#include "meters/ops/secondary_search.h"

#include "bus/bus_context.h"
#include "bus/event_loop_wait.h"
#include "bus/line_timing.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/bus_requests.h"
#include "meters/ops/decode_application.h"
#include "meters/ops/secondary_id_thread.h"
#include "meters/table/meter_table.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <algorithm>

#include <exception>

namespace holvex {

namespace {
constexpr int kStopPollMs = 5;
constexpr int kAnswerLookMs = 10;
} // namespace

SecondarySearch::SecondarySearch(BusContext& context, DecodeApplication& decoder, QTimer& respondTimer,
                                 QTimer& secondaryTimer, QObject* parent)
    : QObject(parent), m_context(context), m_decoder(decoder), m_respondTimer(respondTimer),
      m_secondaryTimer(secondaryTimer) {}

SecondarySearch::~SecondarySearch() {
    if (!m_worker) {
        return;
    }
    // The worker may be waiting in a blocking call to this thread: keep answering (with nothing) until it
    // has seen the stop.
    m_closing = true;
    m_worker->abandon();
    while (!m_worker->wait(kStopPollMs)) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
    m_worker.reset();
}

bool SecondarySearch::running() const {
    return m_worker != nullptr || m_starting;
}

SecondarySearch::FindOutcome SecondarySearch::find(const QString& idText) {
    if (running()) {
        return FindOutcome::NotStarted;
    }
    if (idText.size() != kIdLength) {
        m_context.log.logLine(QStringLiteral("Incorrect ID entered"));
        return FindOutcome::IncorrectId;
    }
    if (idText.compare(allMetersId(), Qt::CaseInsensitive) != 0) {
        if (m_directRead) {
            m_directRead(idText);
        }
        return FindOutcome::DirectRead;
    }
    return startSearch() ? FindOutcome::Searching : FindOutcome::NotStarted;
}

bool SecondarySearch::startSearch() {
    if (running()) {
        return false;
    }
    if (!decideAboutTable(m_context, m_clearQuestion)) {
        return false;
    }
    links::Channel& channel = m_context.channel;
    if (!channel.openChannel()) {
        return false;
    }
    channel.stopKeepAlive();

    if (m_context.settings.GlobalInit) {
        sendLinkReset(m_context, codec::address::kBroadcast);
        // The window keeps running during the pause: a second "Find" must not start a search inside this one.
        m_starting = true;
        if (m_context.waitProcessingEvents) {
            m_context.waitProcessingEvents(PrimaryScan::kGlobalInitPause);
        } else {
            waitProcessingEvents(PrimaryScan::kGlobalInitPause);
        }
        m_starting = false;
    }

    RunState& state = m_context.state;
    channel.discardAll();
    state.GatewayReply.clear();
    state.RawReply.clear();
    state.RetryCount = 0;

    m_context.progress.startProgressRange(kProgressFirst, kProgressLast, kProgressFirst);

    // SearchLsbFirst is taken now; the worker never reads the settings.
    m_worker = std::make_unique<SecondaryIDThread>(*this, m_context.settings.LsbSearch);
    connect(m_worker.get(), &SecondaryIDThread::logLine, this, &SecondarySearch::onWorkerLine);
    connect(m_worker.get(), &SecondaryIDThread::topLevelStepped, this, &SecondarySearch::onTopLevelStep);
    connect(m_worker.get(), &QThread::finished, this, &SecondarySearch::finish);
    emit searchStarted();
    m_worker->start();
    return true;
}

void SecondarySearch::requestStop() {
    if (m_worker) {
        m_worker->requestStop();
    }
}

int SecondarySearch::agentRetries() const {
    return m_closing ? 0 : m_context.settings.Retry;
}

int SecondarySearch::agentResponseTimeout() const {
    return m_closing ? 0 : m_context.settings.Timeout;
}

int SecondarySearch::agentAnswerLookInterval() const {
    if (m_closing || !m_context.settings.FastReply) {
        return 0;
    }
    // Several meters may answer a selection, so its wait ends only a whole answer delay after the last byte:
    // where that is no shorter than the timeout, looking would gain nothing. Looking every 10 ms is close
    // enough against a window of some 190 ms at 2400 baud.
    const qint64 windowNs = LineTiming::ofSpeed(m_context.settings.Speed).answerDelayNs();
    if (windowNs >= qint64(m_context.settings.Timeout) * 1000000) {
        return 0;
    }
    return kAnswerLookMs;
}

bool SecondarySearch::agentAnswerSettled() {
    return !m_closing && m_context.settings.FastReply && m_context.channel.answerSettled();
}

bool SecondarySearch::agentSendSelection(const codec::SearchDigits& mask) {
    if (m_closing) {
        return false;
    }
    try {
        m_context.log.logLine(QStringLiteral("Checking ") + mask.text() + QStringLiteral("..."));
        m_context.channel.discardAll();
        const QByteArray frame = codec::selectionFrame(mask.idBytes());
        if (frame.isEmpty()) {
            return false;
        }
        // A gateway's failure is logged as its bare text.
        m_context.channel.sendFrame(
            frame, codec::PacketKind::Read,
            links::OperationWords::withLead(QString(), QStringLiteral("searching by secondary...")));
        return true;
    } catch (...) {
        return false;
    }
}

SecondarySearch::AttemptReply SecondarySearch::agentTakeAttemptReply() {
    AttemptReply attempt;
    if (m_closing) {
        return attempt;
    }
    try {
        const links::SearchReply reply = m_context.channel.takeSearchReply();
        m_context.state.GatewayReply.clear();
        m_context.state.RawReply.clear();
        if (reply.noConnection) {
            m_context.log.logLine(QStringLiteral("No valid physical connection..."));
            attempt.noConnection = true;
            return attempt;
        }
        attempt.answered = !reply.bytes.isEmpty();
    } catch (...) {
        attempt.failed = true;
    }
    return attempt;
}

bool SecondarySearch::agentSendSelectedRead() {
    if (m_closing) {
        return false;
    }
    try {
        m_context.channel.discardAll();
        m_context.state.GatewayReply.clear();
        sendReadRequest(m_context, codec::address::kSelected);
        return true;
    } catch (...) {
        return false;
    }
}

SecondarySearch::SelectedRead SecondarySearch::agentDecodeSelectedReply() {
    SelectedRead read;
    if (m_closing) {
        return read;
    }
    RunState& state = m_context.state;
    QByteArray bytes;
    try {
        const links::SearchReply reply = m_context.channel.takeSearchReply();
        if (reply.noConnection) {
            m_context.log.logLine(QStringLiteral("No valid physical connection :) "));
        } else {
            bytes = reply.bytes;
        }
        state.GatewayReply.clear();
        state.RawReply.clear();
    } catch (...) {
        read.failed = true;
        return read;
    }
    if (bytes.isEmpty()) {
        return read;
    }
    state.MatchRowById = true;
    try {
        read.hit = m_decoder.apply(bytes);
    } catch (...) {
        m_context.log.logLine(SecondaryIDThread::failureLine(1003));
    }
    state.MatchRowById = false;
    return read;
}

void SecondarySearch::onWorkerLine(const QString& text) {
    if (!m_closing) {
        m_context.log.logLine(text);
    }
}

void SecondarySearch::onTopLevelStep() {
    if (m_closing) {
        return;
    }
    ProgressSink& progress = m_context.progress;
    if (progress.progressPosition() < progress.progressMaximum() - 1) {
        progress.stepProgress();
    }
}

void SecondarySearch::finish() {
    if (!m_worker || m_closing) {
        return;
    }
    m_worker->wait();
    m_worker.reset();

    m_respondTimer.stop();
    m_secondaryTimer.stop();
    RunState& state = m_context.state;
    m_context.channel.discardAll();
    state.ScanRunning = false;
    state.AutoAddressRunning = false;
    m_context.progress.endProgress();
    m_context.channel.closeChannel();
    m_context.log.logLine(QStringLiteral("Secondary search thread terminated normally."));
    emit searchFinished();
}

} // namespace holvex
