#pragma once

#include <QByteArray>
#include <QObject>

#include <array>
#include <functional>

class QTimer;

namespace holvex {

struct BusContext;
class DecodeApplication;

// What the row runner sends to each marked row (RunState::TableOperation).
enum class TableOperation : int {
    None = 0,
    Baud = 1,       // the baud command with the chosen baud code
    PulseWidth = 2, // the pulse-width command
    MediumUnit = 3, // the type command from the medium, unit and constant boxes
    Read = 4,       // REQ_UD2
};

// Timer_set: works through the marked rows of the meter table in table order, sending the same operation to
// each row's primary address (column 1). A row moves on at once when it answers with a decodable telegram;
// otherwise it gets 1 + "Retry" requests (so a configuration command, answered by a lone acknowledgement, is
// sent 1 + "Retry" times). A marked row whose address cell is empty is passed over without a request.
//
// Wiring for the window: construct it with Timer_set (its timeout is connected to Tick here).
// - rowRunStarted(): disable the search group (and, for the configuration commands, whatever they name).
// - rowRunFinished(readAllCaption): enable the search group and the configuration group again and set the
//   read-all button's caption ("Read all meters" / "Leggi tutti i dispositivi").
// Operations 1..3 are sent by the configuration commands' own senders: setOperationSender() gives each a
// function that sends the command to one address and returns false when the send failed. Operation 4 needs
// none.
class RowRunner : public QObject {
    Q_OBJECT

public:
    // Sends the operation's request to one primary address; false when sending failed.
    using OperationSender = std::function<bool(int address)>;

    RowRunner(BusContext& context, DecodeApplication& decoder, QTimer& setTimer, QObject* parent = nullptr);

    void setOperationSender(TableOperation operation, OperationSender sender);

    // Starts a run: TableOperation = operation, CurrentRow = the first marked row, RetryCount = 0,
    // rowRunStarted, the request to that row (when its address cell holds an address), Timer_set started,
    // progress 1 .. marks + 1 at 1. The channel must already be open. Returns false (and does nothing) when
    // no row is marked or the operation has no sender.
    bool begin(TableOperation operation);
    bool running() const;

    // The Timer_set tick.
    void tick();

    QString readAllCaption() const;

signals:
    void rowRunStarted();
    void rowRunFinished(const QString& readAllCaption);

private:
    int nextMarkedRow(int after) const;
    // Sends the operation to a row's address; false when the send failed. Rows without an address are not
    // sent to and count as sent.
    bool sendTo(int row);
    void repeat();
    void advanceRow();
    void finish();

    BusContext& m_context;
    DecodeApplication& m_decoder;
    QTimer& m_setTimer;
    std::array<OperationSender, 5> m_senders{};
};

} // namespace holvex
