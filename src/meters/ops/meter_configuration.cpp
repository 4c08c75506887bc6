#include "meters/ops/meter_configuration.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "codec/config_frames.h"
#include "codec/frame_codec.h"
#include "log/log_sink.h"
#include "meters/ops/bus_requests.h"
#include "meters/ops/config_values.h"
#include "meters/ops/direct_selection.h"
#include "meters/ops/free_command_console.h"
#include "meters/ops/read_cycle.h"
#include "meters/ops/row_runner.h"
#include "meters/table/string_grid_model.h"

#include <QTimer>

#include <utility>

namespace holvex {

namespace {

using links::OperationWords;

constexpr int kMfrColumn = 2;
constexpr int kMediumColumn = 5;
constexpr int kHighestPrimaryAddress = 249;
constexpr int kRelayDigits = 8;
constexpr int kPulseDigits = 8;

const QString kNoSelection = QStringLiteral("256");

QString number(int address) {
    return QString::number(address);
}

// The words of each command's send-failure lines ("Socket exception during " + socket + " - " + text on the
// gateways unless a lead replaces it, "Can not write to COM port - " + serial on the serial port).
OperationWords changeIdWords(int a) {
    return {QStringLiteral("changing ID"), QStringLiteral("changing ID ") + number(a)};
}
OperationWords baudWords(int a) {
    return {QStringLiteral("changing baud"), QStringLiteral("Change baud of device ") + number(a)};
}
OperationWords mediumWords(int a) {
    return {QStringLiteral("changing medium"), QStringLiteral("setting medium to ") + number(a)};
}
OperationWords typeWords(int a) {
    return {QStringLiteral("changing type and value"), QStringLiteral("setting unit to ") + number(a)};
}
OperationWords pulseWidthWords(int a) {
    return {QStringLiteral("changing pulse width"), QStringLiteral("setting pulse width to ") + number(a)};
}
// These three log only the failure text on the gateways.
OperationWords pulseValueWords(int a) {
    return OperationWords::withLead({}, QStringLiteral("setting pulse value ") + number(a));
}
OperationWords relayWords(int a) {
    return OperationWords::withLead({}, QStringLiteral("setting liters ") + number(a));
}
OperationWords counterTypeWords(int a) {
    return OperationWords::withLead({}, number(a));
}

std::uint8_t byte(int address) {
    return static_cast<std::uint8_t>(address);
}

bool allDigits(const QString& text) {
    for (const QChar ch : text) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

} // namespace

MeterConfiguration::MeterConfiguration(BusContext& context, ReadCycle& readCycle, RowRunner& rowRunner,
                                       DirectSelection& selection, FreeCommandConsole& console,
                                       QTimer& respondTimer, QTimer& autoAddressTimer, QObject* parent)
    : QObject(parent), m_context(context), m_readCycle(readCycle), m_rowRunner(rowRunner),
      m_selection(selection), m_console(console), m_respondTimer(respondTimer),
      m_autoAddressTimer(autoAddressTimer) {}

ConfigurationInputs MeterConfiguration::currentInputs() const {
    return m_inputs ? m_inputs() : ConfigurationInputs{};
}

bool MeterConfiguration::exactlyOne(const QString& refusal) {
    if (m_context.meterTable.markedRowCount() != 1) {
        m_context.log.logLine(refusal);
        return false;
    }
    return true;
}

int MeterConfiguration::openForMarks() {
    if (!m_context.channel.openChannel()) {
        return 0;
    }
    const int marks = oneOrMany();
    if (marks == 0) {
        giveUp();
    }
    return marks;
}

int MeterConfiguration::oneOrMany() {
    const int marks = m_context.meterTable.markedRowCount();
    if (marks == 0) {
        m_context.log.logLine(QStringLiteral("Nothing selected from the table..."));
    }
    return marks;
}

std::optional<int> MeterConfiguration::singleTarget() const {
    if (m_context.inputs.broadcast) {
        return codec::address::kBroadcastReply;
    }
    if (m_context.state.SelectedAddress == kNoSelection) {
        return std::nullopt;
    }
    return primaryAddressOf(m_context.state.SelectedAddress);
}

void MeterConfiguration::giveUp() {
    m_context.channel.closeChannel();
}

bool MeterConfiguration::sendSingle(const FrameBuilder& build,
                                    const std::function<links::OperationWords(int)>& words,
                                    const QString& failurePrefix, bool readBack, bool sentLinkReset) {
    m_context.state.ScanRunning = false;
    const std::optional<int> target = singleTarget();
    if (target) {
        QString failure;
        const QByteArray frame = build(byte(*target), &failure);
        if (frame.isEmpty()) {
            m_context.log.logLine(failurePrefix + failure);
            m_readCycle.setReadAfterAck(false);
            giveUp();
            return false;
        }
        m_context.channel.sendFrame(frame, codec::PacketKind::Command, words(*target));
    }
    // Without a selected meter nothing goes out and the reply period reports the silence, as a read does.
    m_readCycle.setReadAfterAck(readBack);
    m_readCycle.startExchange(sentLinkReset);
    return target.has_value();
}

bool MeterConfiguration::beginRows(TableOperation operation, RowSender rowSender) {
    // Every marked row of this run gets the frame the run was started for, built for that row.
    m_rowSender = std::move(rowSender);
    const bool started = m_rowRunner.begin(operation);
    if (!started) {
        m_rowSender = {};
        giveUp();
    }
    return started;
}

bool MeterConfiguration::sendRowOperation(TableOperation operation, int address) {
    if (operation == TableOperation::MediumUnit && m_rowSender) {
        return m_rowSender(address);
    }
    const ConfigurationInputs inputs = currentInputs();
    QByteArray frame;
    OperationWords words;
    switch (operation) {
    case TableOperation::Baud:
        frame = codec::changeBaudFrame(byte(address), m_baudCode);
        words = baudWords(address);
        break;
    case TableOperation::PulseWidth:
        frame = codec::pulseWidthFrame(byte(address), codec::pulseWidthCode(inputs.pulseWidth));
        words = pulseWidthWords(address);
        break;
    case TableOperation::MediumUnit:
        frame = codec::setTypeFrame(byte(address), configUnitCode(inputs.unit, inputs.constant),
                                    configMediumCode(inputs.medium));
        words = typeWords(address);
        break;
    case TableOperation::None:
    case TableOperation::Read:
        return false;
    }
    if (frame.isEmpty()) {
        return false;
    }
    m_context.channel.sendFrame(frame, codec::PacketKind::Command, words);
    return true;
}

bool MeterConfiguration::reset() {
    if (!exactlyOne(QStringLiteral("Nothing selected from the table or too many selected..."))) {
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    m_context.state.ScanRunning = false;
    std::optional<int> target;
    if (m_context.inputs.broadcast) {
        target = codec::address::kBroadcastReply;
    } else if (m_context.state.SelectedAddress != kNoSelection) {
        target = primaryAddressOf(m_context.state.SelectedAddress);
    }
    if (!target) {
        // A reset of "no meter" would go to a wrapped-around address; say so instead.
        m_context.log.logLine(QStringLiteral("Reset: no meter selected, nothing sent"));
        giveUp();
        return false;
    }
    sendLinkReset(m_context, *target);
    m_readCycle.setReadAfterAck(false);
    m_readCycle.startExchange(true);
    return true;
}

bool MeterConfiguration::setPrimaryAddress() {
    if (!exactlyOne(QStringLiteral("Nothing selected from the table or too many selected..."))) {
        return false;
    }
    const int newAddress = currentInputs().newPrimaryAddress;
    if (newAddress < 0 || newAddress > kHighestPrimaryAddress) {
        m_context.log.logLine(QStringLiteral("Incorrect primary address, must be under 250..."));
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    RunState& state = m_context.state;
    state.ScanRunning = false;
    if (m_context.inputs.broadcast && state.SelectedAddress != kNoSelection) {
        // Timer_respond takes the acknowledgement; no selection follows, so no address write is left pending.
        m_context.channel.sendFrame(
            codec::setPrimaryAddressFrame(codec::address::kBroadcastReply, byte(newAddress)),
            codec::PacketKind::Command,
            {QStringLiteral("secondary set"),
             QStringLiteral("setting primary address, old is ") + state.SelectedAddress});
        m_readCycle.setReadAfterAck(false);
        m_readCycle.startExchange(false);
        return true;
    }
    if (!state.SelectedId.isEmpty()) {
        m_selection.beginAddressWrite(newAddress);
        return true;
    }
    if (state.AutoAddressRunning) {
        // A row without an ID is passed over: the next row follows after one period.
        m_autoAddressTimer.start();
        return false;
    }
    giveUp();
    return false;
}

bool MeterConfiguration::changeId() {
    if (!exactlyOne(QStringLiteral("Nothing selected from the table or too many selected..."))) {
        return false;
    }
    const QString newId = currentInputs().newId;
    if (newId.size() != 8) {
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    return sendSingle(
        [&newId](std::uint8_t address, QString* failure) {
            const QByteArray frame = codec::changeIdFrame(address, newId);
            if (frame.isEmpty()) {
                *failure = QStringLiteral("the new ID must be 8 decimal digits");
            }
            return frame;
        },
        &changeIdWords, QStringLiteral("Exception changing address - "), true);
}

bool MeterConfiguration::setMedium() {
    const ConfigurationInputs inputs = currentInputs();
    if (inputs.medium.isEmpty()) {
        m_context.log.logLine(QStringLiteral("Incomplete data entered to program medium ..."));
        return false;
    }
    const int marks = openForMarks();
    if (marks == 0) {
        return false;
    }
    const std::uint8_t medium = configMediumCode(inputs.medium);
    if (marks > 1) {
        // Every marked meter gets the chosen medium, its ID left as it is (the wildcard ID).
        return beginRows(TableOperation::MediumUnit, [this, medium](int address) {
            bool overridden = false;
            const QByteArray frame = codec::setMediumFrame(
                byte(address), codec::mediumIdBytes(QStringLiteral("FFFFFFFF"), &overridden), medium);
            m_context.channel.sendFrame(frame, codec::PacketKind::Command, mediumWords(address));
            return true;
        });
    }
    const QString id = m_context.inputs.broadcast ? QStringLiteral("FFFFFFFF") : m_context.state.SelectedId;
    return sendSingle(
        [this, &id, medium](std::uint8_t address, QString*) {
            bool overridden = false;
            const std::array<std::uint8_t, 4> idBytes = codec::mediumIdBytes(id, &overridden);
            if (overridden) {
                m_context.log.logLine(QStringLiteral("ID overrided with FFFFFFFF, exception..."));
            }
            return codec::setMediumFrame(address, idBytes, medium);
        },
        &mediumWords, QStringLiteral("Exception changing medium - "), true);
}

bool MeterConfiguration::setUnit() {
    const ConfigurationInputs inputs = currentInputs();
    if (!isKnownUnitText(inputs.unit)) {
        m_context.log.logLine(QStringLiteral("Incorrect unit. Allowable units are l,Wh,kJ,N/A..."));
        return false;
    }
    const int marks = openForMarks();
    if (marks == 0) {
        return false;
    }
    const std::uint8_t medium =
        configMediumCode(m_context.meterTable.cell(m_context.state.FocusedRow, kMediumColumn).trimmed());
    const std::uint8_t unit = configUnitCode(inputs.unit, inputs.constant);
    if (marks > 1) {
        // Every marked meter keeps its own medium: a unit must never change what a meter measures.
        const QString boxMedium = inputs.medium;
        return beginRows(TableOperation::MediumUnit, [this, unit, boxMedium](int address) {
            const QString rowMedium =
                m_context.meterTable.cell(m_context.state.CurrentRow, kMediumColumn).trimmed();
            const std::uint8_t rowCode = knownMediumCode(rowMedium).value_or(configMediumCode(boxMedium));
            m_context.channel.sendFrame(codec::setTypeFrame(byte(address), unit, rowCode),
                                        codec::PacketKind::Command, typeWords(address));
            return true;
        });
    }
    if (inputs.relay) {
        return relayCounter(inputs);
    }
    return sendSingle(
        [unit, medium](std::uint8_t address, QString*) { return codec::setTypeFrame(address, unit, medium); },
        &typeWords, QStringLiteral("Exception setting type - "), true);
}

bool MeterConfiguration::relayCounter(const ConfigurationInputs& inputs) {
    if (inputs.unit.isEmpty()) {
        m_context.log.logLine(QStringLiteral("Enter unit - l,Wh,kJ,N/A..."));
        giveUp();
        return false;
    }
    if (inputs.constant.isEmpty()) {
        m_context.log.logLine(QStringLiteral("Enter constant - 0.001,0.01,0.1,1,etc..."));
        giveUp();
        return false;
    }
    const QString value = inputs.relayCounter.trimmed();
    if (value.size() > kRelayDigits) {
        // Eight BCD digits are all the frame carries; a cut value would set a wrong counter.
        m_context.log.logLine(QStringLiteral("Relay counter value has more than 8 digits, nothing sent..."));
        giveUp();
        return false;
    }
    const QString padded = value.rightJustified(kRelayDigits, QLatin1Char('0'));
    const std::uint8_t unit = configUnitCode(inputs.unit, inputs.constant);
    RunState& state = m_context.state;
    state.ScanRunning = false;
    if (!m_context.inputs.broadcast) {
        if (state.SelectedAddress == kNoSelection) {
            giveUp();
            return false;
        }
        if (m_context.meterTable.cell(state.FocusedRow, kMfrColumn).trimmed() != QLatin1String("REL")) {
            m_context.log.logLine(QStringLiteral("This m-bus device is NOT Relay! Skipping..."));
            // Nothing was sent: no read may follow some later acknowledgement.
            m_readCycle.setReadAfterAck(false);
            giveUp();
            return false;
        }
    }
    return sendSingle(
        [unit, &padded](std::uint8_t address, QString* failure) {
            const QByteArray frame = codec::relayCounterFrame(address, unit, padded);
            if (frame.isEmpty()) {
                *failure = QStringLiteral("the relay counter is not a number");
            }
            return frame;
        },
        &relayWords, QStringLiteral("Exception changing counter - "), true);
}

bool MeterConfiguration::changeBaud() {
    const QString baud = currentInputs().baud;
    if (!codec::isKnownBaudText(baud)) {
        m_context.log.logLine(QStringLiteral("Wrong baud..."));
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    const std::optional<std::uint8_t> code = codec::baudCode(baud);
    if (!code) {
        m_context.log.logLine(QStringLiteral("Incorrect baud selected, permitted are 300,2400,4800..."));
        giveUp();
        return false;
    }
    const int marks = oneOrMany();
    if (marks == 0) {
        giveUp();
        return false;
    }
    if (marks > 1) {
        m_baudCode = *code;
        return beginRows(TableOperation::Baud);
    }
    const std::uint8_t chosen = *code;
    return sendSingle(
        [chosen](std::uint8_t address, QString*) { return codec::changeBaudFrame(address, chosen); },
        &baudWords, QStringLiteral("Exception changing baud - "), false);
}

bool MeterConfiguration::setPulseWidth() {
    const QString width = currentInputs().pulseWidth;
    if (width.isEmpty()) {
        m_context.log.logLine(QStringLiteral("Wrong pulse width..."));
        return false;
    }
    const int marks = openForMarks();
    if (marks == 0) {
        return false;
    }
    if (marks > 1) {
        return beginRows(TableOperation::PulseWidth);
    }
    const std::uint8_t code = codec::pulseWidthCode(width);
    return sendSingle(
        [code](std::uint8_t address, QString*) { return codec::pulseWidthFrame(address, code); },
        &pulseWidthWords, QStringLiteral("Exception setting pulse width - "), false);
}

bool MeterConfiguration::setPulseValue() {
    const QString text = currentInputs().pulseValue.trimmed();
    if (text.isEmpty()) {
        m_context.log.logLine(QStringLiteral("Pulse value is not entered..."));
        return false;
    }
    if (text.size() > kPulseDigits || !allDigits(text)) {
        m_context.log.logLine(QStringLiteral("Pulse value must be a number of at most 8 digits..."));
        return false;
    }
    const auto pulses = static_cast<std::uint32_t>(text.toULong());
    if (!m_context.channel.openChannel()) {
        return false;
    }
    if (!exactlyOne(QStringLiteral(
            "Not or too much counters/inputs selected. Setting value is for one input at a time!"))) {
        giveUp();
        return false;
    }
    return sendSingle(
        [pulses](std::uint8_t address, QString*) { return codec::pulseValueFrame(address, pulses); },
        &pulseValueWords, QStringLiteral("Exception setting pulse value - "), true);
}

bool MeterConfiguration::setCounterType() {
    const QString type = currentInputs().counterType;
    if (type.isEmpty()) {
        m_context.log.logLine(QStringLiteral("Nothing selected to do..."));
        return false;
    }
    const std::optional<std::array<std::uint8_t, 2>> bytes = codec::counterTypeBytes(type);
    if (!bytes) {
        m_context.log.logLine(QStringLiteral("Not a proper selection from Combo box..."));
        return false;
    }
    if (!m_context.channel.openChannel()) {
        return false;
    }
    if (!exactlyOne(QStringLiteral(
            "Not or too much counters/inputs selected. Select only FIRST input of a counter!"))) {
        giveUp();
        return false;
    }
    RunState& state = m_context.state;
    state.ScanRunning = false;
    // Never broadcast: the counter type belongs to the one selected input.
    const std::optional<int> address =
        state.SelectedAddress == kNoSelection ? std::nullopt : primaryAddressOf(state.SelectedAddress);
    if (!address) {
        giveUp();
        return false;
    }
    m_context.channel.sendFrame(codec::counterTypeFrame(byte(*address), (*bytes)[0], (*bytes)[1]),
                                codec::PacketKind::Command, counterTypeWords(*address));
    // The meter's answer is shown as hexadecimal bytes.
    m_console.setAsciiTicked(false);
    emit hexModeRequested();
    m_console.startAnswerTimer();
    return true;
}

} // namespace holvex
