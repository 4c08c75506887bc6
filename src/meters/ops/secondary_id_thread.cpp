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
    Abandon();
    wait();
}

void SecondaryIDThread::Abandon() {
    m_abandoned.store(true);
    m_stopSecondarySearch.store(true);
}

QString SecondaryIDThread::FailureLine(int code) {
    return QStringLiteral("Unknown exception in secondary search, code #%1...").arg(code);
}

template <typename Call> auto SecondaryIDThread::OnAgentThread(Call call) -> decltype(call()) {
    using Result = decltype(call());
    Result result{};
    if (m_abandoned.load()) {
        return result;
    }
    QMetaObject::invokeMethod(
        &m_agent, [&result, &call] { result = call(); }, Qt::BlockingQueuedConnection);
    return result;
}

void SecondaryIDThread::Fail(int code) {
    emit logLine(FailureLine(code));
    m_stopSecondarySearch.store(true);
}

void SecondaryIDThread::WaitOneTimeout() {
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

codec::ProbeResult SecondaryIDThread::Probe(const codec::SearchDigits& mask) {
    if (!TrySelection(mask)) {
        return codec::ProbeResult::Silent;
    }
    return ReadSelected();
}

bool SecondaryIDThread::TrySelection(const codec::SearchDigits& mask) {
    if (!OnAgentThread([this, &mask] { return m_agent.AgentSendSelection(mask); })) {
        if (!m_abandoned.load()) {
            Fail(1001);
        }
        return false;
    }
    WaitOneTimeout();
    const SecondarySearch::AttemptReply attempt =
        OnAgentThread([this] { return m_agent.AgentTakeAttemptReply(); });
    if (attempt.failed) {
        Fail(1002);
        return false;
    }
    if (attempt.noConnection) {
        m_stopSecondarySearch.store(true);
        return false;
    }
    return attempt.answered;
}

codec::ProbeResult SecondaryIDThread::ReadSelected() {
    if (!OnAgentThread([this] { return m_agent.AgentSendSelectedRead(); })) {
        if (!m_abandoned.load()) {
            Fail(1001);
        }
        return codec::ProbeResult::Silent;
    }
    WaitOneTimeout();
    const SecondarySearch::SelectedRead read =
        OnAgentThread([this] { return m_agent.AgentDecodeSelectedReply(); });
    if (read.failed) {
        Fail(1002);
        return codec::ProbeResult::Silent;
    }
    return read.hit ? codec::ProbeResult::Hit : codec::ProbeResult::Collision;
}

void SecondaryIDThread::run() {
    codec::SearchProbe bus;
    bus.probe = [this](const codec::SearchDigits& mask) {
        return Probe(mask);
    };
    bus.stopRequested = [this] {
        return m_stopSecondarySearch.load();
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
        codec::RunWildcardSearch(bus, m_searchLsbFirst);
    } catch (const std::exception&) {
        // Every exception of the probe is caught inside it; what is left comes from setting the digits.
        Fail(1000);
    } catch (...) {
        Fail(1000);
    }
    m_stopSecondarySearch.store(true);
}

} // namespace holvex
