#include "sim/sim_meter.h"

#include "codec/frame_codec.h"
#include "sim/telegram_builder.h"
#include "sim/telegram_patch.h"

#include <utility>

namespace holvex::sim {

namespace {

std::uint8_t at(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// A selection byte of the ID matches when each nibble is the wildcard 0xF or equals the meter's digit.
bool nibblesMatch(std::uint8_t wanted, std::uint8_t actual) {
    const bool highOk = (wanted >> 4) == 0xF || (wanted >> 4) == (actual >> 4);
    const bool lowOk = (wanted & 0x0F) == 0xF || (wanted & 0x0F) == (actual & 0x0F);
    return highOk && lowOk;
}

// The highest primary address a meter can be given; 251..255 have fixed roles on the bus.
constexpr int kMaxPrimaryAddress = 250;

QString hexByte(std::uint32_t value, int width = 2) {
    return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

} // namespace

SimMeter::SimMeter(SimMeterConfig config) : m_config(std::move(config)) {}

QString SimMeter::label() const {
    const QString address = m_config.address ? QString::number(*m_config.address) : QStringLiteral("-");
    return QStringLiteral("meter %1 (%2 %3)").arg(address, m_config.id, m_config.manufacturer);
}

void SimMeter::globalReset() {
    m_nextTelegram = 0;
    m_selected = false;
}

std::optional<MeterAnswer> SimMeter::answer(const QByteArray& frame) {
    ++m_framesSeen;
    if (m_config.faults.silent || m_framesSeen <= m_config.faults.answerAfter) {
        return std::nullopt;
    }
    if (frame.size() == 5 && at(frame, 0) == codec::kShortStart) {
        return answerShort(at(frame, 1), at(frame, 2));
    }
    if (frame.size() >= 9 && at(frame, 0) == codec::kLongStart) {
        const std::uint8_t c = at(frame, 4);
        // SND_UD (commands, selection, baud switch): a slave confirms with the single character. The
        // configuration it understands it carries out; the baud change only once the confirmation has gone,
        // which for the simulated line changes nothing.
        if (c == codec::control::kSndUd || c == codec::control::kSndUdFcb) {
            if (const auto command = parseMeterCommand(frame)) {
                carryOut(*command);
            }
            return withFaults(QByteArray(1, static_cast<char>(codec::kAcknowledge)), false);
        }
    }
    return std::nullopt;
}

std::optional<MeterAnswer> SimMeter::answerShort(std::uint8_t c, std::uint8_t a) {
    if (c == codec::control::kSndNke) {
        m_nextTelegram = 0;
        if (a == codec::address::kSelected) {
            m_selected = false; // SND_NKE to 0xFD ends the selection
        }
        return withFaults(QByteArray(1, static_cast<char>(codec::kAcknowledge)), false);
    }
    // REQ_UD2 with or without the frame count bit.
    if ((c & 0xDF) == codec::control::kReqUd2NoFcb) {
        if (m_config.telegrams.isEmpty()) {
            return std::nullopt;
        }
        const QByteArray telegram = currentTelegram(m_config.telegrams.at(m_nextTelegram));
        m_nextTelegram = (m_nextTelegram + 1) % static_cast<int>(m_config.telegrams.size());
        return withFaults(telegram, true);
    }
    return std::nullopt;
}

MeterAnswer SimMeter::withFaults(QByteArray bytes, bool isTelegram) const {
    MeterAnswer answer;
    const SimFaults& f = m_config.faults;
    if (isTelegram && bytes.size() >= 2) {
        const auto n = bytes.size();
        if (f.badChecksum) {
            bytes[n - 2] = static_cast<char>(at(bytes, static_cast<int>(n - 2)) + 1);
        }
        if (f.badStop) {
            bytes[n - 1] = static_cast<char>(codec::kStop + 1);
        }
    }
    answer.bytes = std::move(bytes);
    answer.delayMs = qMax(0, f.lateMs);
    answer.pieces = qMax(1, f.pieces);
    answer.gapMs = qMax(0, f.gapMs);
    return answer;
}

SimMeterState SimMeter::state() const {
    SimMeterState state;
    state.address = m_config.address;
    state.id = m_config.id;
    state.manufacturer = m_config.manufacturer;
    state.version = m_config.version;
    state.medium = m_config.medium;
    state.selected = m_selected;
    state.framesSeen = m_framesSeen;
    state.commandsCarriedOut = m_commandsCarriedOut;
    state.codes = m_codes;
    return state;
}

QString SimMeter::takeChange() {
    QString change;
    change.swap(m_change);
    return change;
}

void SimMeter::carryOut(const MeterCommand& command) {
    switch (command.kind) {
    case MeterCommandKind::SetAddress:
        // An address with a fixed role (0xFB..0xFF) would make the meter answer for others: refused.
        if (command.code > kMaxPrimaryAddress) {
            m_change = QStringLiteral("refuses primary address %1").arg(command.code);
            return;
        }
        m_config.address = command.code;
        m_addressChanged = true;
        m_change = QStringLiteral("takes primary address %1").arg(command.code);
        break;
    case MeterCommandKind::SetId:
        // Wildcard or other non-decimal digits would leave a meter that no selection names exactly.
        if (!isBcdId(command.id)) {
            m_change = QStringLiteral("refuses ID %1").arg(idText(command.id));
            return;
        }
        m_config.id = idText(command.id);
        m_idChanged = true;
        m_change = QStringLiteral("takes ID %1").arg(m_config.id);
        break;
    case MeterCommandKind::SetMedium:
        if (command.id != QByteArray(4, static_cast<char>(0xFF)) && command.id != idBytes(m_config.id)) {
            m_change = QStringLiteral("keeps its medium (the frame names ID %1)").arg(idText(command.id));
            return;
        }
        m_config.medium = command.medium;
        m_mediumChanged = true;
        m_change = QStringLiteral("takes medium 0x%1").arg(hexByte(command.medium));
        break;
    case MeterCommandKind::SetType:
        m_codes.unitCode = command.code;
        m_config.medium = command.medium;
        m_mediumChanged = true;
        m_change = QStringLiteral("takes unit code 0x%1 and medium 0x%2")
                       .arg(hexByte(command.code), hexByte(command.medium));
        break;
    case MeterCommandKind::Baud:
        m_codes.baudCode = command.code;
        m_change = QStringLiteral("records baud code 0x%1").arg(hexByte(command.code));
        break;
    case MeterCommandKind::PulseWidth:
        m_codes.pulseWidthCode = command.code;
        m_change = QStringLiteral("records pulse width code %1").arg(command.code);
        break;
    case MeterCommandKind::PulseValue:
        m_codes.pulseValue = command.value;
        m_change = QStringLiteral("records pulse value %1").arg(command.value);
        break;
    case MeterCommandKind::CounterType:
        m_codes.counterType = static_cast<std::uint16_t>(command.value);
        m_change = QStringLiteral("records counter type 0x%1").arg(hexByte(command.value, 4));
        break;
    case MeterCommandKind::RelayValue:
        m_codes.relayUnitCode = command.code;
        m_codes.relayValue = hexByte(command.value, 8);
        m_change = QStringLiteral("records relay value %1 with unit code 0x%2")
                       .arg(*m_codes.relayValue, hexByte(command.code));
        break;
    }
    ++m_commandsCarriedOut;
}

QByteArray SimMeter::currentTelegram(const QByteArray& stored) const {
    TelegramPatch patch;
    if (m_addressChanged) {
        patch.address = m_config.address;
    }
    if (m_idChanged) {
        patch.id = idBytes(m_config.id);
    }
    if (m_mediumChanged) {
        patch.medium = m_config.medium;
    }
    return patchTelegram(stored, patch);
}

bool SimMeter::matchesSelection(const QByteArray& selection) const {
    if (selection.size() < 8 || m_config.id.size() != 8) {
        return false;
    }
    // The ID travels as BCD, least significant byte first: "12345678" is 78 56 34 12.
    for (int k = 0; k < 4; ++k) {
        const int pos = 6 - 2 * k;
        bool ok = false;
        const int pair = m_config.id.mid(pos, 2).toInt(&ok, 16);
        if (!ok || !nibblesMatch(at(selection, k), static_cast<std::uint8_t>(pair))) {
            return false;
        }
    }
    // A meter whose letters give no code is named only by the wildcard, never by a code of 0.
    const std::uint16_t wantedMaker = static_cast<std::uint16_t>(at(selection, 4) | (at(selection, 5) << 8));
    const auto maker = manufacturerCode(m_config.manufacturer);
    if (wantedMaker != 0xFFFF && (!maker || wantedMaker != *maker)) {
        return false;
    }
    if (at(selection, 6) != 0xFF && at(selection, 6) != m_config.version) {
        return false;
    }
    return at(selection, 7) == 0xFF || at(selection, 7) == m_config.medium;
}

} // namespace holvex::sim
