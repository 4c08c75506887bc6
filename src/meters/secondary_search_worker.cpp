#include "meters/secondary_search_worker.h"

#include "meters/secondary_search.h"

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

SecondarySearchWorker::SecondarySearchWorker(SecondarySearch& agent, bool lsbFirst, QObject* parent)
    : QThread(parent), m_agent(agent), m_lsbFirst(lsbFirst) {}

SecondarySearchWorker::~SecondarySearchWorker() {
    // The owner waits before deleting; this only guards against a thread object dying while it runs.
    Abandon();
    wait();
}

void SecondarySearchWorker::Abandon() {
    m_abandoned.store(true);
    m_stop.store(true);
}

QString SecondarySearchWorker::FailureLine(int code) {
    return QStringLiteral("Unknown exception in secondary search, code #%1...").arg(code);
}

template <typename Call> auto SecondarySearchWorker::OnAgentThread(Call call) -> decltype(call()) {
    using Result = decltype(call());
    Result result{};
    if (m_abandoned.load()) {
        return result;
    }
    QMetaObject::invokeMethod(
        &m_agent, [&result, &call] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

void SecondarySearchWorker::Fail(int code) {
    emit logLine(FailureLine(code));
    m_stop.store(true);
}

void SecondarySearchWorker::WaitOneTimeout() {
    const int timeout = OnAgentThread([this] { return m_agent.AgentResponseTimeout(); });
    const QDeadlineTimer deadline(std::max(timeout, 0));
    while (!m_abandoned.load()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0) {
            return;
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, kSleepSliceMs)));
    }
}

ProbeResult SecondarySearchWorker::Probe(const SearchDigits& mask) {
    if (!OnAgentThread([this, &mask] { return m_agent.AgentSendSelection(mask); })) {
        if (!m_abandoned.load()) {
            Fail(1001);
        }
        return ProbeResult::Silent;
    }
    WaitOneTimeout();
    const SecondarySearch::AttemptReply attempt =
        OnAgentThread([this] { return m_agent.AgentTakeAttemptReply(); });
    if (attempt.failed) {
        Fail(1002);
        return ProbeResult::Silent;
    }
    if (attempt.noConnection) {
        m_stop.store(true);
        return ProbeResult::Silent;
    }
    if (!attempt.answered) {
        return ProbeResult::Silent;
    }

    // One acknowledgement or a garbled mixture of several: read whatever is selected now.
    if (!OnAgentThread([this] { return m_agent.AgentSendSelectedRead(); })) {
        if (!m_abandoned.load()) {
            Fail(1001);
        }
        return ProbeResult::Silent;
    }
    WaitOneTimeout();
    const SecondarySearch::SelectedRead read =
        OnAgentThread([this] { return m_agent.AgentDecodeSelectedReply(); });
    if (read.failed) {
        Fail(1002);
        return ProbeResult::Silent;
    }
    return read.hit ? ProbeResult::Hit : ProbeResult::Collision;
}

void SecondarySearchWorker::run() {
    SearchProbe bus;
    bus.probe = [this](const SearchDigits& mask) {
        return Probe(mask);
    };
    bus.stopRequested = [this] {
        return m_stop.load();
    };
    bus.retries = [this] {
        return OnAgentThread([this] { return m_agent.AgentRetries(); });
    };
    bus.topLevelStep = [this] {
        emit topLevelStepped();
    };
    bus.log = [this](const QString& line) {
        emit logLine(line);
    };
    try {
        RunWildcardSearch(bus, m_lsbFirst);
    } catch (const std::exception&) {
        // Every exception of the probe is caught inside it; what is left comes from setting the digits.
        Fail(1000);
    } catch (...) {
        Fail(1000);
    }
    m_stop.store(true);
}

} // namespace holvex
