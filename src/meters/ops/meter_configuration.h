#pragma once

#include "links/channel.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QTimer;

namespace holvex {

struct BusContext;
class DirectSelection;
class FreeCommandConsole;
class ReadCycle;
class RowRunner;
enum class TableOperation : int;

// What the "   Configuration     " group holds when a command is pressed.
struct ConfigurationInputs {
    int newPrimaryAddress = 1; // "Set Primary Address to:" spin box 0..250
    QString newId;             // "Set new ID to:"
    QString medium;            // "Set Medium to:" box text
    QString unit;              // "Set Unit to:" unit box text
    QString constant;          // constant box text
    bool relay = false;        // "Relay" (Check_sorvane)
    QString relayCounter;      // the meter page's hidden relay counter field
    QString baud;              // "Set baud to:" box text
    QString pulseWidth;        // "Set pulse width" box text
    QString pulseValue;        // "Set value in PULSES:"
    QString counterType;       // "Set counter special:" box text
};

// The configuration commands: each validates its inputs, applies its selection rule to the meter table's
// marks (exactly-one or one-or-many), opens the channel and sends its frame to the selected meter (0xFE with
// "work on broadcast (0xFE)" ticked), or starts the row runner over several marked rows (TableOperation 1
// baud, 2 pulse width, 3 medium/unit). Read-back commands set ReadCycle's ReadAfterAck so that the meter is
// read again after its acknowledgement. Every refusal is logged; nothing is sent then.
//
// Wiring for the window: setInputs() gives a function returning the group's current inputs (read at each
// press). hexModeRequested(): tick the command line's "Hex" box (the counter-type answer is shown in hex).
// The row runner's rowRunStarted/rowRunFinished disable and enable the search and configuration groups.
class MeterConfiguration : public QObject {
    Q_OBJECT

public:
    MeterConfiguration(BusContext& context, ReadCycle& readCycle, RowRunner& rowRunner,
                       DirectSelection& selection, FreeCommandConsole& console, QTimer& respondTimer,
                       QTimer& autoAddressTimer, QObject* parent = nullptr);

    void setInputs(std::function<ConfigurationInputs()> inputs) { m_inputs = std::move(inputs); }

    // Each returns whether something was sent (or an exchange started).
    bool reset();
    bool setPrimaryAddress();
    bool changeId();
    bool setMedium();
    bool setUnit(); // the relay counter value when "Relay" is ticked
    bool changeBaud();
    bool setPulseWidth();
    bool setPulseValue();
    bool setCounterType();

    // The row runner's sender for TableOperation 1 (baud, the code chosen at the press), 2 (pulse width from
    // the box) and 3 (set type: medium code from the medium box, unit code from the unit and constant boxes).
    // The first marked row of a run may get its starting command's own frame instead (set medium). Returns
    // false when nothing could be sent.
    bool sendRowOperation(TableOperation operation, int address);

signals:
    void hexModeRequested();

private:
    using FrameBuilder = std::function<QByteArray(std::uint8_t address, QString* failure)>;
    using RowSender = std::function<bool(int address)>;

    ConfigurationInputs currentInputs() const;
    bool exactlyOne(const QString& refusal);
    // The number of marks, 0 after logging the refusal.
    int oneOrMany();
    // Opens the channel and applies the one-or-many rule: the number of marks, 0 when the command stops here
    // (the channel is released again).
    int openForMarks();
    // 0xFE with broadcast ticked, else SelectedAddress when it holds an address.
    std::optional<int> singleTarget() const;
    // The single-meter path: the frame to the target, then one Timer_respond exchange (ReadAfterAck for a
    // read back). A frame that cannot be built logs `failurePrefix` + why and ends the command.
    bool sendSingle(const FrameBuilder& build, const std::function<links::OperationWords(int)>& words,
                    const QString& failurePrefix, bool readBack, bool sentLinkReset = false);
    // The multi-row path; `firstRow`, when given, sends the first marked row's frame.
    bool beginRows(TableOperation operation, RowSender rowSender = {});
    bool relayCounter(const ConfigurationInputs& inputs);
    // A command that opened the channel and then refused releases it again.
    void giveUp();

    BusContext& m_context;
    ReadCycle& m_readCycle;
    RowRunner& m_rowRunner;
    DirectSelection& m_selection;
    FreeCommandConsole& m_console;
    QTimer& m_respondTimer;
    QTimer& m_autoAddressTimer;
    std::function<ConfigurationInputs()> m_inputs;
    std::uint8_t m_baudCode = 0;
    RowSender m_rowSender;
};

} // namespace holvex
