#pragma once

#include <QByteArray>
#include <QObject>

class QTimer;

namespace holvex {

struct BusContext;
class DecodeApplication;
class PrimaryScan;

// Timer_respond: the reply period of the primary scan and of every single-meter exchange (a read of the
// selected meter, and the configuration commands that end with a read). Each tick collects the reply; while a
// scan runs it goes to PrimaryScan, otherwise it is handled here:
// - nothing: "No response from address " + SelectedAddress, end of the exchange;
// - 0xE5: "0xE5 (Acknowledge) 1"; with "Use SND_NKE" the acknowledged link reset is followed by REQ_UD2;
// - a telegram: decoded into the meter table;
// then, in this order, a read after the acknowledgement of a configuration command (ReadAfterAck), the next
// telegram of a meter that announced more ("Multitelegram"), or the end of the exchange.
//
// Wiring for the window: construct it with Timer_respond (its timeout is connected to Tick here), keep
// setUseSndNke / setBroadcast in step with the page-1 check boxes. A single exchange disables nothing.
// Commands that send their own request and then wait for the answer call startExchange().
class ReadCycle : public QObject {
    Q_OBJECT

public:
    ReadCycle(BusContext& context, DecodeApplication& decoder, PrimaryScan& scan, QTimer& respondTimer,
              QObject* parent = nullptr);

    // "Use SND_NKE" and "work on broadcast (0xFE)" of page 1.
    void setUseSndNke(bool on);
    void setBroadcast(bool on);
    bool useSndNke() const;
    bool broadcast() const;

    // Sends the single read of the selected meter: to 0xFE with broadcast ticked, else to SelectedAddress
    // when it holds an address (otherwise nothing is sent and the tick reports no response); SND_NKE first
    // with "Use SND_NKE" ticked. Then ScanRunning = false and Timer_respond runs.
    void beginSingleRead();
    // A request was sent by someone else: wait one reply period for its answer. `sentLinkReset`: that request
    // was a SND_NKE, so its acknowledgement is followed by the read.
    void startExchange(bool sentLinkReset = false);

    // ReadAfterAck: a configuration command sets it before it starts the exchange, so that the meter is read
    // again once it has acknowledged the command. Cleared when that read is sent (or nothing answered).
    void setReadAfterAck(bool on) { m_readAfterAck = on; }
    bool readAfterAck() const { return m_readAfterAck; }

    // The Timer_respond tick.
    void tick();

private:
    void handleSingleReply(const QByteArray& reply);
    void followUpOrEnd();
    // 0xFE with broadcast ticked, otherwise SelectedAddress when it is an address.
    void readSelectedTarget();
    void endExchange();

    BusContext& m_context;
    DecodeApplication& m_decoder;
    PrimaryScan& m_scan;
    QTimer& m_respondTimer;
    bool m_awaitingResetAck = false; // the last single request was SND_NKE
    bool m_readAfterAck = false;
};

} // namespace holvex
