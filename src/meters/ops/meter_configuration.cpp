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

QString Number(int address) {
    return QString::number(address);
}

// The words of each command's send-failure lines ("Socket exception during " + socket + " - " + text on the
// gateways unless a lead replaces it, "Can not write to COM port - " + serial on the serial port).
OperationWords ChangeIdWords(int a) {
    return {QStringLiteral("changing ID"), QStringLiteral("changing ID ") + Number(a)};
}
OperationWords BaudWords(int a) {
    return {QStringLiteral("changing baud"), QStringLiteral("Change baud of device ") + Number(a)};
}
OperationWords MediumWords(int a) {
    return {QStringLiteral("changing medium"), QStringLiteral("setting medium to ") + Number(a)};
}
OperationWords TypeWords(int a) {
    return {QStringLiteral("changing type and value"), QStringLiteral("setting unit to ") + Number(a)};
}
OperationWords PulseWidthWords(int a) {
    return {QStringLiteral("changing pulse width"), QStringLiteral("setting pulse width to ") + Number(a)};
}
// These three log only the failure text on the gateways.
OperationWords PulseValueWords(int a) {
    return OperationWords::WithLead({}, QStringLiteral("setting pulse value ") + Number(a));
}
OperationWords RelayWords(int a) {
    return OperationWords::WithLead({}, QStringLiteral("setting liters ") + Number(a));
}
OperationWords CounterTypeWords(int a) {
    return OperationWords::WithLead({}, Number(a));
}

std::uint8_t Byte(int address) {
    return static_cast<std::uint8_t>(address);
}

bool AllDigits(const QString& text) {
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

ConfigurationInputs MeterConfiguration::Inputs() const {
    return m_inputs ? m_inputs() : ConfigurationInputs{};
}

bool MeterConfiguration::ExactlyOne(const QString& refusal) {
    if (m_context.meterTable.MarkedRowCount() != 1) {
        m_context.log.LogLine(refusal);
        return false;
    }
    return true;
}

int MeterConfiguration::OpenForMarks() {
    if (!m_context.channel.OpenChannel()) {
        return 0;
    }
    const int marks = OneOrMany();
    if (marks == 0) {
        GiveUp();
    }
    return marks;
}

int MeterConfiguration::OneOrMany() {
    const int marks = m_context.meterTable.MarkedRowCount();
    if (marks == 0) {
        m_context.log.LogLine(QStringLiteral("Nothing selected from the table..."));
    }
    return marks;
}

std::optional<int> MeterConfiguration::SingleTarget() const {
    if (m_context.inputs.broadcast) {
        return codec::address::kBroadcastReply;
    }
    if (m_context.state.SelectedAddress == kNoSelection) {
        return std::nullopt;
    }
    return PrimaryAddressOf(m_context.state.SelectedAddress);
}

void MeterConfiguration::GiveUp() {
    m_context.channel.CloseChannel();
}

bool MeterConfiguration::SendSingle(const FrameBuilder& build,
                                    const std::function<links::OperationWords(int)>& words,
                                    const QString& failurePrefix, bool readBack, bool sentLinkReset) {
    m_context.state.ScanRunning = false;
    const std::optional<int> target = SingleTarget();
    if (target) {
        QString failure;
        const QByteArray frame = build(Byte(*target), &failure);
        if (frame.isEmpty()) {
            m_context.log.LogLine(failurePrefix + failure);
            m_readCycle.setReadAfterAck(false);
            GiveUp();
            return false;
        }
        m_context.channel.SendFrame(frame, codec::PacketKind::Command, words(*target));
    }
    // Without a selected meter nothing goes out and the reply period reports the silence, as a read does.
    m_readCycle.setReadAfterAck(readBack);
    m_readCycle.StartExchange(sentLinkReset);
    return target.has_value();
}

bool MeterConfiguration::BeginRows(TableOperation operation, RowSender firstRow) {
    m_firstRowSender = std::move(firstRow);
    const bool started = m_rowRunner.Begin(operation);
    // A first row without an address is passed over; its frame must not go to the next row instead.
    m_firstRowSender = {};
    if (!started) {
        GiveUp();
    }
    return started;
}

bool MeterConfiguration::SendRowOperation(TableOperation operation, int address) {
    if (m_firstRowSender) {
        return m_firstRowSender(address);
    }
    const ConfigurationInputs inputs = Inputs();
    QByteArray frame;
    OperationWords words;
    switch (operation) {
    case TableOperation::Baud:
        frame = codec::ChangeBaudFrame(Byte(address), m_baudCode);
        words = BaudWords(address);
        break;
    case TableOperation::PulseWidth:
        frame = codec::PulseWidthFrame(Byte(address), codec::PulseWidthCode(inputs.pulseWidth));
        words = PulseWidthWords(address);
        break;
    case TableOperation::MediumUnit:
        frame = codec::SetTypeFrame(Byte(address), ConfigUnitCode(inputs.unit, inputs.constant),
                                    ConfigMediumCode(inputs.medium));
        words = TypeWords(address);
        break;
    case TableOperation::None:
    case TableOperation::Read:
        return false;
    }
    if (frame.isEmpty()) {
        return false;
    }
    m_context.channel.SendFrame(frame, codec::PacketKind::Command, words);
    return true;
}

bool MeterConfiguration::Reset() {
    if (!ExactlyOne(QStringLiteral("Nothing selected from the table or too many selected..."))) {
        return false;
    }
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    m_context.state.ScanRunning = false;
    std::optional<int> target;
    if (m_context.inputs.broadcast) {
        target = codec::address::kBroadcastReply;
    } else if (m_context.state.SelectedAddress != kNoSelection) {
        target = PrimaryAddressOf(m_context.state.SelectedAddress);
    }
    if (!target) {
        // A reset of "no meter" would go to a wrapped-around address; say so instead.
        m_context.log.LogLine(QStringLiteral("Reset: no meter selected, nothing sent"));
        GiveUp();
        return false;
    }
    SendLinkReset(m_context, *target);
    m_readCycle.setReadAfterAck(false);
    m_readCycle.StartExchange(true);
    return true;
}

bool MeterConfiguration::SetPrimaryAddress() {
    if (!ExactlyOne(QStringLiteral("Nothing selected from the table or too many selected..."))) {
        return false;
    }
    const int newAddress = Inputs().newPrimaryAddress;
    if (newAddress < 0 || newAddress > kHighestPrimaryAddress) {
        m_context.log.LogLine(QStringLiteral("Incorrect primary address, must be under 250..."));
        return false;
    }
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    RunState& state = m_context.state;
    state.ScanRunning = false;
    if (m_context.inputs.broadcast && state.SelectedAddress != kNoSelection) {
        // Timer_respond takes the acknowledgement; no selection follows, so no address write is left pending.
        m_context.channel.SendFrame(
            codec::SetPrimaryAddressFrame(codec::address::kBroadcastReply, Byte(newAddress)),
            codec::PacketKind::Command,
            {QStringLiteral("secondary set"),
             QStringLiteral("setting primary address, old is ") + state.SelectedAddress});
        m_readCycle.setReadAfterAck(false);
        m_readCycle.StartExchange(false);
        return true;
    }
    if (!state.SelectedId.isEmpty()) {
        m_selection.BeginAddressWrite(newAddress);
        return true;
    }
    if (state.AutoAddressRunning) {
        // A row without an ID is passed over: the next row follows after one period.
        m_autoAddressTimer.start();
        return false;
    }
    GiveUp();
    return false;
}

bool MeterConfiguration::ChangeId() {
    if (!ExactlyOne(QStringLiteral("Nothing selected from the table or too many selected..."))) {
        return false;
    }
    const QString newId = Inputs().newId;
    if (newId.size() != 8) {
        return false;
    }
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    return SendSingle(
        [&newId](std::uint8_t address, QString* failure) {
            const QByteArray frame = codec::ChangeIdFrame(address, newId);
            if (frame.isEmpty()) {
                *failure = QStringLiteral("the new ID must be 8 decimal digits");
            }
            return frame;
        },
        &ChangeIdWords, QStringLiteral("Exception changing address - "), true);
}

bool MeterConfiguration::SetMedium() {
    const ConfigurationInputs inputs = Inputs();
    if (inputs.medium.isEmpty()) {
        m_context.log.LogLine(QStringLiteral("Incomplete data entered to program medium ..."));
        return false;
    }
    const int marks = OpenForMarks();
    if (marks == 0) {
        return false;
    }
    const std::uint8_t medium = ConfigMediumCode(inputs.medium);
    if (marks > 1) {
        // The first row learns its medium with the wildcard ID; every further row gets the set-type frame.
        return BeginRows(TableOperation::MediumUnit, [this, medium](int address) {
            bool overridden = false;
            const QByteArray frame = codec::SetMediumFrame(
                Byte(address), codec::MediumIdBytes(QStringLiteral("FFFFFFFF"), &overridden), medium);
            m_context.channel.SendFrame(frame, codec::PacketKind::Command, MediumWords(address));
            return true;
        });
    }
    const QString id = m_context.inputs.broadcast ? QStringLiteral("FFFFFFFF") : m_context.state.SelectedId;
    return SendSingle(
        [this, &id, medium](std::uint8_t address, QString*) {
            bool overridden = false;
            const std::array<std::uint8_t, 4> idBytes = codec::MediumIdBytes(id, &overridden);
            if (overridden) {
                m_context.log.LogLine(QStringLiteral("ID overrided with FFFFFFFF, exception..."));
            }
            return codec::SetMediumFrame(address, idBytes, medium);
        },
        &MediumWords, QStringLiteral("Exception changing medium - "), true);
}

bool MeterConfiguration::SetUnit() {
    const ConfigurationInputs inputs = Inputs();
    if (!IsKnownUnitText(inputs.unit)) {
        m_context.log.LogLine(QStringLiteral("Incorrect unit. Allowable units are l,Wh,kJ,N/A..."));
        return false;
    }
    const int marks = OpenForMarks();
    if (marks == 0) {
        return false;
    }
    const std::uint8_t medium =
        ConfigMediumCode(m_context.meterTable.Cell(m_context.state.FocusedRow, kMediumColumn).trimmed());
    const std::uint8_t unit = ConfigUnitCode(inputs.unit, inputs.constant);
    if (marks > 1) {
        return BeginRows(TableOperation::MediumUnit, [this, unit, medium](int address) {
            m_context.channel.SendFrame(codec::SetTypeFrame(Byte(address), unit, medium),
                                        codec::PacketKind::Command, TypeWords(address));
            return true;
        });
    }
    if (inputs.relay) {
        return RelayCounter(inputs);
    }
    return SendSingle(
        [unit, medium](std::uint8_t address, QString*) { return codec::SetTypeFrame(address, unit, medium); },
        &TypeWords, QStringLiteral("Exception setting type - "), true);
}

bool MeterConfiguration::RelayCounter(const ConfigurationInputs& inputs) {
    if (inputs.unit.isEmpty()) {
        m_context.log.LogLine(QStringLiteral("Enter unit - l,Wh,kJ,N/A..."));
        GiveUp();
        return false;
    }
    if (inputs.constant.isEmpty()) {
        m_context.log.LogLine(QStringLiteral("Enter constant - 0.001,0.01,0.1,1,etc..."));
        GiveUp();
        return false;
    }
    const QString value = inputs.relayCounter.trimmed();
    if (value.size() > kRelayDigits) {
        // Eight BCD digits are all the frame carries; a cut value would set a wrong counter.
        m_context.log.LogLine(QStringLiteral("Relay counter value has more than 8 digits, nothing sent..."));
        GiveUp();
        return false;
    }
    const QString padded = value.rightJustified(kRelayDigits, QLatin1Char('0'));
    const std::uint8_t unit = ConfigUnitCode(inputs.unit, inputs.constant);
    RunState& state = m_context.state;
    state.ScanRunning = false;
    if (!m_context.inputs.broadcast) {
        if (state.SelectedAddress == kNoSelection) {
            GiveUp();
            return false;
        }
        if (m_context.meterTable.Cell(state.FocusedRow, kMfrColumn).trimmed() != QLatin1String("REL")) {
            m_context.log.LogLine(QStringLiteral("This m-bus device is NOT Relay! Skipping..."));
            // Nothing was sent: no read may follow some later acknowledgement.
            m_readCycle.setReadAfterAck(false);
            GiveUp();
            return false;
        }
    }
    return SendSingle(
        [unit, &padded](std::uint8_t address, QString* failure) {
            const QByteArray frame = codec::RelayCounterFrame(address, unit, padded);
            if (frame.isEmpty()) {
                *failure = QStringLiteral("the relay counter is not a number");
            }
            return frame;
        },
        &RelayWords, QStringLiteral("Exception changing counter - "), true);
}

bool MeterConfiguration::ChangeBaud() {
    const QString baud = Inputs().baud;
    if (!codec::IsKnownBaudText(baud)) {
        m_context.log.LogLine(QStringLiteral("Wrong baud..."));
        return false;
    }
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    const std::optional<std::uint8_t> code = codec::BaudCode(baud);
    if (!code) {
        m_context.log.LogLine(QStringLiteral("Incorrect baud selected, permitted are 300,2400,4800..."));
        GiveUp();
        return false;
    }
    const int marks = OneOrMany();
    if (marks == 0) {
        GiveUp();
        return false;
    }
    if (marks > 1) {
        m_baudCode = *code;
        return BeginRows(TableOperation::Baud);
    }
    const std::uint8_t chosen = *code;
    return SendSingle(
        [chosen](std::uint8_t address, QString*) { return codec::ChangeBaudFrame(address, chosen); },
        &BaudWords, QStringLiteral("Exception changing baud - "), false);
}

bool MeterConfiguration::SetPulseWidth() {
    const QString width = Inputs().pulseWidth;
    if (width.isEmpty()) {
        m_context.log.LogLine(QStringLiteral("Wrong pulse width..."));
        return false;
    }
    const int marks = OpenForMarks();
    if (marks == 0) {
        return false;
    }
    if (marks > 1) {
        return BeginRows(TableOperation::PulseWidth);
    }
    const std::uint8_t code = codec::PulseWidthCode(width);
    return SendSingle(
        [code](std::uint8_t address, QString*) { return codec::PulseWidthFrame(address, code); },
        &PulseWidthWords, QStringLiteral("Exception setting pulse width - "), false);
}

bool MeterConfiguration::SetPulseValue() {
    const QString text = Inputs().pulseValue.trimmed();
    if (text.isEmpty()) {
        m_context.log.LogLine(QStringLiteral("Pulse value is not entered..."));
        return false;
    }
    if (text.size() > kPulseDigits || !AllDigits(text)) {
        m_context.log.LogLine(QStringLiteral("Pulse value must be a number of at most 8 digits..."));
        return false;
    }
    const auto pulses = static_cast<std::uint32_t>(text.toULong());
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    if (!ExactlyOne(QStringLiteral(
            "Not or too much counters/inputs selected. Setting value is for one input at a time!"))) {
        GiveUp();
        return false;
    }
    return SendSingle(
        [pulses](std::uint8_t address, QString*) { return codec::PulseValueFrame(address, pulses); },
        &PulseValueWords, QStringLiteral("Exception setting pulse value - "), true);
}

bool MeterConfiguration::SetCounterType() {
    const QString type = Inputs().counterType;
    if (type.isEmpty()) {
        m_context.log.LogLine(QStringLiteral("Nothing selected to do..."));
        return false;
    }
    const std::optional<std::array<std::uint8_t, 2>> bytes = codec::CounterTypeBytes(type);
    if (!bytes) {
        m_context.log.LogLine(QStringLiteral("Not a proper selection from Combo box..."));
        return false;
    }
    if (!m_context.channel.OpenChannel()) {
        return false;
    }
    if (!ExactlyOne(QStringLiteral(
            "Not or too much counters/inputs selected. Select only FIRST input of a counter!"))) {
        GiveUp();
        return false;
    }
    RunState& state = m_context.state;
    state.ScanRunning = false;
    // Never broadcast: the counter type belongs to the one selected input.
    const std::optional<int> address =
        state.SelectedAddress == kNoSelection ? std::nullopt : PrimaryAddressOf(state.SelectedAddress);
    if (!address) {
        GiveUp();
        return false;
    }
    m_context.channel.SendFrame(codec::CounterTypeFrame(Byte(*address), (*bytes)[0], (*bytes)[1]),
                                codec::PacketKind::Command, CounterTypeWords(*address));
    // The meter's answer is shown as hexadecimal bytes.
    m_console.setAsciiTicked(false);
    emit hexModeRequested();
    m_console.StartAnswerTimer();
    return true;
}

} // namespace holvex
