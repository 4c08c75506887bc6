#pragma once

#include "meters/search_digits.h"

#include <QString>
#include <QThread>

#include <atomic>

namespace holvex {

class SecondarySearch;

// SecondaryIDThread: the wildcard narrowing of one bus search, on a thread of its own so that the window
// stays alive through thousands of reply waits. It touches no widget and no I/O object: every send, every
// reply taken and every table write is asked of the search agent (a SecondarySearch living on the
// user-interface thread) through a blocking queued call. Only the waits happen here. Its own log lines and
// the progress steps go out as queued signals; QThread::finished tells the agent to run the finish.
//
// A new worker is made for every search.
class SecondarySearchWorker : public QThread {
    Q_OBJECT

public:
    SecondarySearchWorker(SecondarySearch& agent, bool lsbFirst, QObject* parent = nullptr);
    ~SecondarySearchWorker() override;

    // StopSecondarySearch: checked before every attempt; an attempt already waiting completes its wait.
    void RequestStop() { m_stop.store(true); }
    bool StopRequested() const { return m_stop.load(); }
    // The agent is going away: stop, cut the current wait short and ask nothing more of it.
    void Abandon();

    bool LsbFirst() const { return m_lsbFirst; }

    // "Unknown exception in secondary search, code #" + code + "...".
    static QString FailureLine(int code);

signals:
    void logLine(const QString& text);
    // A top-level digit value is done: the progress bar steps.
    void topLevelStepped();

protected:
    void run() override;

private:
    // One attempt: the selection, one response timeout, the reply; when anything answered, the read of the
    // selected meter at 0xFD after another response timeout.
    ProbeResult Probe(const SearchDigits& mask);
    // Sleeps one response timeout, the setting read at this moment.
    void WaitOneTimeout();
    void Fail(int code);

    // Runs `call` on the agent's thread and waits for it; gives a default result once abandoned.
    template <typename Call> auto OnAgentThread(Call call) -> decltype(call());

    SecondarySearch& m_agent;
    const bool m_lsbFirst;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_abandoned{false};
};

} // namespace holvex
