#include "meters/ops/secondary_id_thread.h"

#include "meters/ops/secondary_search.h"

#include <QDeadlineTimer>
#include <QMetaObject>

#include <algorithm>
#include <exception>

namespace holvex {

namespace {
// The wait is cut into slices so that an abandoned worker lets go quickly; the deadline keeps the slices from
// adding up to more than one response timeout.
constexpr int kSleepSliceMs = 20;
} // namespace

SecondaryIDThread::SecondaryIDThread(SecondarySearch& agent, bool lsbFirst, QObject* parent)
    : QThread(parent), m_agent(agent), m_searchLsbFirst(lsbFirst) {}

SecondaryIDThread::~SecondaryIDThread() {
    // The owner waits before deleting; this only guards against a thread object dying while it runs.
    abandon();
    wait();
}

void SecondaryIDThread::abandon() {
    m_abandoned.store(true);
    m_stopSecondarySearch.store(true);
}

QString SecondaryIDThread::failureLine(int code) {
    return QStringLiteral("Unknown exception in secondary search, code #%1...").arg(code);
}

template <typename Call> auto SecondaryIDThread::onAgentThread(Call call) -> decltype(call()) {
    using Result = decltype(call());
    Result result{};
    if (m_abandoned.load()) {
        return result;
    }
    QMetaObject::invokeMethod(
        &m_agent, [&result, &call] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

void SecondaryIDThread::fail(int code) {
    emit logLine(failureLine(code));
    m_stopSecondarySearch.store(true);
}

void SecondaryIDThread::waitOneTimeout() {
    const int timeout = onAgentThread([this] { return m_agent.agentResponseTimeout(); });
    const int lookInterval = onAgentThread([this] { return m_agent.agentAnswerLookInterval(); });
    const int slice = lookInterval > 0 ? lookInterval : kSleepSliceMs;
    const QDeadlineTimer deadline(std::max(timeout, 0), Qt::PreciseTimer);
    while (!m_abandoned.load()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            return;
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, slice)));
        if (lookInterval > 0 && onAgentThread([this] { return m_agent.agentAnswerSettled(); })) {
            return;
        }
    }
}

codec::ProbeResult SecondaryIDThread::probe(const codec::SearchDigits& mask) {
    if (!trySelection(mask)) {
        return codec::ProbeResult::Silent;
    }
    return readSelected();
}

bool SecondaryIDThread::trySelection(const codec::SearchDigits& mask) {
    if (!onAgentThread([this, &mask] { return m_agent.agentSendSelection(mask); })) {
        if (!m_abandoned.load()) {
            fail(1001);
        }
        return false;
    }
    waitOneTimeout();
    const SecondarySearch::AttemptReply attempt =
        onAgentThread([this] { return m_agent.agentTakeAttemptReply(); });
    if (attempt.failed) {
        fail(1002);
        return false;
    }
    if (attempt.noConnection) {
        m_stopSecondarySearch.store(true);
        return false;
    }
    return attempt.answered;
}

codec::ProbeResult SecondaryIDThread::readSelected() {
    if (!onAgentThread([this] { return m_agent.agentSendSelectedRead(); })) {
        if (!m_abandoned.load()) {
            fail(1001);
        }
        return codec::ProbeResult::Silent;
    }
    waitOneTimeout();
    const SecondarySearch::SelectedRead read =
        onAgentThread([this] { return m_agent.agentDecodeSelectedReply(); });
    if (read.failed) {
        fail(1002);
        return codec::ProbeResult::Silent;
    }
    return read.hit ? codec::ProbeResult::Hit : codec::ProbeResult::Collision;
}

void SecondaryIDThread::run() {
    codec::SearchProbe bus;
    bus.probe = [this](const codec::SearchDigits& mask) {
        return probe(mask);
    };
    bus.stopRequested = [this] {
        return m_stopSecondarySearch.load();
    };
    bus.retries = [this] {
        return onAgentThread([this] { return m_agent.agentRetries(); });
    };
    bus.topLevelStep = [this] {
        emit topLevelStepped();
    };
    bus.log = [this](const QString& line) {
        emit logLine(line);
    };
    try {
        codec::runWildcardSearch(bus, m_searchLsbFirst);
    } catch (const std::exception&) {
        // Every exception of the probe is caught inside it; what is left comes from setting the digits.
        fail(1000);
    } catch (...) {
        fail(1000);
    }
    m_stopSecondarySearch.store(true);
}

} // namespace holvex
