#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QTimer;

namespace holvex {

struct BusContext;
class DecodeApplication;

// The operator's answer to "Do you want to clear the table?".
enum class ClearAnswer { Yes, No, Cancel };
using ClearQuestion = std::function<ClearAnswer(const QString& text, const QString& title)>;

// What the scans do with the meter table before they start: a gateway that has just called in to start one
// by itself gets an empty table (nobody is there to answer), otherwise the operator is asked "Do you want to
// clear the table?" ("Clear confirmation"); without a question the table is kept. False when the answer was
// Cancel: the scan does not start.
bool decideAboutTable(BusContext& context, const ClearQuestion& question);

// The primary scan: asks every primary address of the range "from".."to" with REQ_UD2 (or SND_NKE first, with
// "Use SND_NKE" ticked), one address per reply period of Timer_respond, and files every meter that answers
// into the last row of the meter table.
//
// Wiring for the window:
// - "Find" beside "By Primary address:" calls toggle(fromText, toText) (Start when idle, Stop while running).
// - Timer_respond's tick belongs to ReadCycle, which hands the replies of a running scan to HandleReply.
// - scanStarted(caption): set the button's caption ("Stop") and disable "Read all meters", "Read selected",
//   the configuration group, the secondary "Find", "Find all", the command "Send" and "Auto address".
// - scanFinished(caption): set the caption ("Find" / "Cerca") and enable those seven controls again. It comes
//   both after the last address and after stop().
// - rangeSwapped(from, to): "from" was above "to"; show the swapped values in the two spin boxes.
// - setClearQuestion(): the message box "Do you want to clear the table?" titled "Clear confirmation"
// (Italian
//   "Vuoi cancellare la tabella?", "Conferma cancellazione") with Yes / No / Cancel and the warning icon.
//   Without a hook the table is kept.
class PrimaryScan : public QObject {
    Q_OBJECT

public:
    using ClearQuestion = holvex::ClearQuestion;

    static constexpr int kGlobalInitPause = 1400; // ms after the link reset of every meter

    PrimaryScan(BusContext& context, DecodeApplication& decoder, QTimer& respondTimer, QTimer& readAllTimer,
                QTimer& secondaryTimer, QObject* parent = nullptr);

    void setClearQuestion(ClearQuestion question) { m_clearQuestion = std::move(question); }

    // "Find" pressed: starts a scan when none runs, otherwise stops it.
    void toggle(const QString& fromText, const QString& toText);
    // Returns whether the scan started. Either field empty (or not a number), "Cancel" to the question or a
    // channel that is not ready: nothing happens.
    bool start(const QString& fromText, const QString& toText);
    // "Stop" pressed.
    void stop();
    bool running() const;

    // One Timer_respond tick of a running scan, with the collected reply.
    void handleReply(const QByteArray& reply);

    int lastAddress() const { return m_to; }

    // The button's captions in the ticked language.
    QString findCaption() const;
    static QString stopCaption();

signals:
    void scanStarted(const QString& caption);
    void scanFinished(const QString& caption);
    void rangeSwapped(int from, int to);

private:
    void askCurrentAddress(bool logRead);
    void resend();
    void advance();
    void finish();

    BusContext& m_context;
    DecodeApplication& m_decoder;
    QTimer& m_respondTimer;
    QTimer& m_readAllTimer;
    QTimer& m_secondaryTimer;
    ClearQuestion m_clearQuestion;
    int m_to = 0;
    bool m_lastWasReset = false; // the last request of the scan was SND_NKE
    bool m_starting = false;     // inside the pause after the global link reset
};

} // namespace holvex
