#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace holvex {

struct BusContext;
class DecodeApplication;

// "Read all meters": reads every row of the meter table in turn with REQ_UD2 to its address (column 1), one
// row per reply period of Timer_readall, retrying a row up to "Retry" times. A row with an empty address
// cell (the empty row a scan leaves at the end) costs one period and sends nothing. There is no stop button.
//
// Wiring for the window: construct it with Timer_readall (its timeout is connected to Tick here); the button
// and the menu entry call start().
// - readAllStarted(): disable the search group, the configuration group, the command "Send", "Auto address"
//   and "Read selected".
// - readAllFinished(caption): enable them again and set the read-all button's caption ("Read all meters" /
//   "Leggi tutti i dispositivi").
class ReadAllCycle : public QObject {
    Q_OBJECT

public:
    ReadAllCycle(BusContext& context, DecodeApplication& decoder, QTimer& readAllTimer,
                 QObject* parent = nullptr);

    // Returns whether the run started: not for a table holding only the heading and one row with an empty
    // address cell, nor when the channel is not ready.
    bool start();
    bool running() const;

    // The Timer_readall tick.
    void tick();

    QString readAllCaption() const;

signals:
    void readAllStarted();
    void readAllFinished(const QString& caption);

private:
    // Empties both serial buffers and both reply buffers, then reads the current row when its address cell
    // holds an address. Returns whether the cell held one.
    bool readCurrentRow();
    // A row nothing can be sent to: its period passes without a request.
    void passOverRow();
    void retry();
    void advance();
    void finish();

    BusContext& m_context;
    DecodeApplication& m_decoder;
    QTimer& m_readAllTimer;
};

} // namespace holvex
