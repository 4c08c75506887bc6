#pragma once

#include "codec/search_digits.h"

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
class SecondaryIDThread : public QThread {
    Q_OBJECT

public:
    SecondaryIDThread(SecondarySearch& agent, bool lsbFirst, QObject* parent = nullptr);
    ~SecondaryIDThread() override;

    // StopSecondarySearch: checked before every attempt; an attempt already waiting completes its wait.
    void requestStop() { m_stopSecondarySearch.store(true); }
    bool stopRequested() const { return m_stopSecondarySearch.load(); }
    // The agent is going away: stop, cut the current wait short and ask nothing more of it.
    void abandon();

    bool lsbFirst() const { return m_searchLsbFirst; }

    // "Unknown exception in secondary search, code #" + code + "...".
    static QString failureLine(int code);

signals:
    void logLine(const QString& text);
    // A top-level digit value is done: the progress bar steps.
    void topLevelStepped();

protected:
    void run() override;

private:
    // One attempt: TrySelection, and ReadSelected when anything answered.
    codec::ProbeResult probe(const codec::SearchDigits& mask);
    // The selection of the mask, one response timeout, the reply: whether anything answered (one
    // acknowledgement or a garbled mixture of several). Failures stop the search and count as silence.
    bool trySelection(const codec::SearchDigits& mask);
    // REQ_UD2 to 0xFD, one response timeout, the reply decoded: a hit when it was one valid telegram.
    codec::ProbeResult readSelected();
    // Sleeps one response timeout, the setting read at this moment.
    void waitOneTimeout();
    void fail(int code);

    // Runs `call` on the agent's thread and waits for it; gives a default result once abandoned.
    template <typename Call> auto onAgentThread(Call call) -> decltype(call());

    SecondarySearch& m_agent;
    const bool m_searchLsbFirst;
    std::atomic<bool> m_stopSecondarySearch{false};
    std::atomic<bool> m_abandoned{false};
};

} // namespace holvex
