#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace holvex {

struct BusContext;
class DecodeApplication;
class ReadCycle;

// Timer_secondary: the exchanges that reach one meter through its ID (secondary addressing).
// - A direct read ("Find" with an ID of eight digits): selection frame -> 0xE5 -> REQ_UD2 to 0xFD -> the
//   telegram decoded into the row with the same ID (MatchRowById) -> SND_NKE to 0xFD -> Timer_respond takes
//   its acknowledgement and ends the exchange.
// - A primary-address write (AddressWritePending): selection frame -> 0xE5 -> set-primary-address frame to
//   0xFD -> 0xE5 -> REQ_UD2 to 0xFD -> telegram -> SND_NKE to 0xFD.
// With AutoAddressRunning set, the end of either exchange (a telegram, after a 200 ms pause, or silence)
// starts Timer_auto_address instead of ending the exchange.
//
// Wiring for the window: construct it with Timer_secondary (its timeout is connected to Tick here),
// Timer_respond and Timer_auto_address, and give it the ReadCycle that owns Timer_respond (setReadCycle), so
// the closing SND_NKE's acknowledgement is taken as a fresh single exchange. Construct it after that
// ReadCycle: it watches Timer_respond's ticks (after the cycle's own slot) to see the exchange end.
class DirectSelection : public QObject {
    Q_OBJECT

public:
    DirectSelection(BusContext& context, DecodeApplication& decoder, QTimer& secondaryTimer,
                    QTimer& respondTimer, QTimer& autoAddressTimer, QObject* parent = nullptr);

    // SelectMeterById: sends the selection frame of an 8-digit ID (packet kind A8). A character that is not
    // a decimal digit ends the building and nothing is sent; returns whether the frame was sent. `id` is
    // the ID named in the send-failure lines ("... reading by secondary " + ID).
    bool selectMeterById(const QString& id);

    // "Find" with an ID other than "FFFFFFFF": OpenChannel (gives up when not ready), SelectMeterById,
    // discard the serial input, clear GatewayReply, start Timer_secondary. `fieldText` is the ID field's
    // text, named in "No response from device " + text.
    void beginDirectRead(const QString& fieldText);

    // The set-primary-address command's path through a selection: discard the serial input, set
    // AddressWritePending, remember `newAddress`, selectMeterById(SelectedId), start Timer_secondary. The
    // channel must already be open.
    void beginAddressWrite(int newAddress);

    // The Timer_secondary tick.
    void tick();

    bool running() const;

    void setReadCycle(ReadCycle& readCycle) { m_readCycle = &readCycle; }

    // Whether the last exchange's read at 0xFD decoded a valid telegram (the meter answered to the end).
    bool lastReadDecoded() const { return m_lastReadDecoded; }

    // The exchange that ended with the SND_NKE handed to Timer_respond is over once a Timer_respond tick has
    // left that timer stopped. Connected to Timer_respond's timeout; tests that tick by hand call it after
    // ReadCycle::Tick.
    void afterRespondTick();

signals:
    // The exchange is over (after Timer_respond took the SND_NKE's acknowledgement, or nothing answered), so
    // a command-line run knows when to stop. Not emitted when automatic addressing takes over.
    void exchangeEnded();

private:
    // Sends the set-primary-address frame to 0xFD (the acknowledged selection's meter).
    void sendAddressWrite();
    void endAfterTelegram();

    BusContext& m_context;
    DecodeApplication& m_decoder;
    QTimer& m_secondaryTimer;
    QTimer& m_respondTimer;
    QTimer& m_autoAddressTimer;
    ReadCycle* m_readCycle = nullptr;
    int m_newAddress = 0;
    QString m_noResponseId;     // named in "No response from device " + ID
    bool m_awaitingEnd = false; // the closing SND_NKE's acknowledgement is awaited by Timer_respond
    bool m_lastReadDecoded = false;
};

} // namespace holvex
