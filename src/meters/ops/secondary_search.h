#pragma once

#include "codec/search_digits.h"
#include "meters/ops/primary_scan.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTimer;

namespace holvex {

struct BusContext;
class DecodeApplication;
class SecondaryIDThread;

// "Find" beside "By Secondary address:": a direct read of one known ID, or (ID "FFFFFFFF") the wildcard
// search of the whole bus run by a SecondaryIDThread. This object lives on the user-interface thread and
// is the worker's agent: the worker calls the Agent* methods through blocking queued calls, so every send,
// every reply taken and every table write happens on this thread.
//
// Wiring for the window:
// - "Find" (secondary) calls find(field text); "Find all" puts "FFFFFFFF" into the field and calls Find.
// - "Stop secondary search" calls RequestStop.
// - searchStarted: disable the configuration group, both "Find" buttons, "Find all", the ID field, "Read all
//   meters", "Read selected", "Auto address", "Load", "Save / Export", "work on broadcast (0xFE)" and the
//   command "Send"; show "Stop secondary search".
// - searchFinished: enable them again and hide "Stop secondary search". It comes after the finish (timers
//   stopped, channel closed, "Secondary search thread terminated normally." logged).
// - setDirectRead: what starts the direct read of an ID other than "FFFFFFFF" (Timer_secondary's exchange).
// - setClearQuestion: "Do you want to clear the table?"; without a hook the table is kept.
class SecondarySearch : public QObject {
    Q_OBJECT

public:
    using DirectRead = std::function<void(const QString& id)>;

    static constexpr int kIdLength = 8;
    // The progress bar of a search: one step per top-level digit value.
    static constexpr int kProgressFirst = 1;
    static constexpr int kProgressLast = 10;

    static QString allMetersId() { return QStringLiteral("FFFFFFFF"); }

    enum class FindOutcome {
        IncorrectId, // "Incorrect ID entered" logged
        DirectRead,  // handed to the direct read
        Searching,   // a worker runs
        NotStarted,  // Cancel to the question, a channel that is not ready, or a search already running
    };

    SecondarySearch(BusContext& context, DecodeApplication& decoder, QTimer& respondTimer,
                    QTimer& secondaryTimer, QObject* parent = nullptr);
    // A worker still running is stopped and waited for; it gets no answers any more.
    ~SecondarySearch() override;

    void setClearQuestion(PrimaryScan::ClearQuestion question) { m_clearQuestion = std::move(question); }
    void setDirectRead(DirectRead directRead) { m_directRead = std::move(directRead); }

    // "Find" with the ID field's text.
    FindOutcome find(const QString& idText);
    // The bus search (ID "FFFFFFFF"): the table question, the channel, the global link reset, then the
    // worker. Returns whether a worker runs.
    bool startSearch();
    // "Stop secondary search": the search ends after the current attempt.
    void requestStop();
    // A worker runs (or the search is starting).
    bool running() const;

    // What the worker asks of this thread. Each returns false in `ok` (or a failed flag) when an exception
    // was caught, so the worker can log its code and stop.
    struct AttemptReply {
        bool answered = false;     // any byte at all came back
        bool noConnection = false; // the serial port is closed: the search ends
        bool failed = false;       // taking the reply failed (#1002)
    };
    struct SelectedRead {
        bool hit = false;    // the selected meter's telegram decoded; it is in the table
        bool failed = false; // taking the reply failed (#1002)
    };
    int agentRetries() const;
    int agentResponseTimeout() const;
    // With "End the wait when the answer is complete": how often the worker looks whether the answer is in
    // (milliseconds); 0 when the setting is off and the worker waits the whole timeout.
    int agentAnswerLookInterval() const;
    // The answer to the request under way is in and the line quiet.
    bool agentAnswerSettled();
    // TrySelection up to the wait: "Checking " + mask + "...", discard the serial buffers, send the selection
    // frame (packet kind A1). False when building or sending failed (#1001).
    bool agentSendSelection(const codec::SearchDigits& mask);
    // TrySelection after the wait: take the reply without the gateway reload wait, clear both replies.
    AttemptReply agentTakeAttemptReply();
    // ReadSelected up to the wait: discard the serial buffers, clear GatewayReply, REQ_UD2 to 0xFD.
    bool agentSendSelectedRead();
    // ReadSelected after the wait: take the reply, clear both replies, decode it with MatchRowById set. A
    // failure inside the decoder is logged (#1003) and the search goes on.
    SelectedRead agentDecodeSelectedReply();

signals:
    void searchStarted();
    void searchFinished();

private:
    void onWorkerLine(const QString& text);
    void onTopLevelStep();
    // The end of the worker: runs on this thread when its finished signal arrives.
    void finish();

    BusContext& m_context;
    DecodeApplication& m_decoder;
    QTimer& m_respondTimer;
    QTimer& m_secondaryTimer;
    PrimaryScan::ClearQuestion m_clearQuestion;
    DirectRead m_directRead;
    std::unique_ptr<SecondaryIDThread> m_worker;
    bool m_starting = false; // inside the pause after the global link reset
    bool m_closing = false;  // being destroyed: the worker's calls get no answers
};

} // namespace holvex
