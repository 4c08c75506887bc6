#include "sim/sim_meter.h"

#include "sim/telegram_builder.h"
#include "transport/frame_codec.h"

#include <utility>

namespace holvex::sim {

namespace {

std::uint8_t At(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// A selection byte of the ID matches when each nibble is the wildcard 0xF or equals the meter's digit.
bool NibblesMatch(std::uint8_t wanted, std::uint8_t actual) {
    const bool highOk = (wanted >> 4) == 0xF || (wanted >> 4) == (actual >> 4);
    const bool lowOk = (wanted & 0x0F) == 0xF || (wanted & 0x0F) == (actual & 0x0F);
    return highOk && lowOk;
}

} // namespace

SimMeter::SimMeter(SimMeterConfig config) : m_config(std::move(config)) {}

QString SimMeter::Label() const {
    const QString address = m_config.address ? QString::number(*m_config.address) : QStringLiteral("-");
    return QStringLiteral("meter %1 (%2 %3)").arg(address, m_config.id, m_config.manufacturer);
}

void SimMeter::GlobalReset() {
    m_nextTelegram = 0;
    m_selected = false;
}

std::optional<MeterAnswer> SimMeter::Answer(const QByteArray& frame) {
    ++m_framesSeen;
    if (m_config.faults.silent || m_framesSeen <= m_config.faults.answerAfter) {
        return std::nullopt;
    }
    if (frame.size() == 5 && At(frame, 0) == transport::kShortStart) {
        return AnswerShort(At(frame, 1), At(frame, 2));
    }
    if (frame.size() >= 9 && At(frame, 0) == transport::kLongStart) {
        const std::uint8_t c = At(frame, 4);
        // SND_UD (commands, selection, baud switch): a slave confirms with the single character.
        if (c == transport::control::kSndUd || c == transport::control::kSndUdFcb) {
            return WithFaults(QByteArray(1, static_cast<char>(transport::kAcknowledge)), false);
        }
    }
    return std::nullopt;
}

std::optional<MeterAnswer> SimMeter::AnswerShort(std::uint8_t c, std::uint8_t a) {
    if (c == transport::control::kSndNke) {
        m_nextTelegram = 0;
        if (a == transport::address::kSelected) {
            m_selected = false; // SND_NKE to 0xFD ends the selection
        }
        return WithFaults(QByteArray(1, static_cast<char>(transport::kAcknowledge)), false);
    }
    // REQ_UD2 with or without the frame count bit.
    if ((c & 0xDF) == transport::control::kReqUd2NoFcb) {
        if (m_config.telegrams.isEmpty()) {
            return std::nullopt;
        }
        const QByteArray telegram = m_config.telegrams.at(m_nextTelegram);
        m_nextTelegram = (m_nextTelegram + 1) % static_cast<int>(m_config.telegrams.size());
        return WithFaults(telegram, true);
    }
    return std::nullopt;
}

MeterAnswer SimMeter::WithFaults(QByteArray bytes, bool isTelegram) const {
    MeterAnswer answer;
    const SimFaults& f = m_config.faults;
    if (isTelegram && bytes.size() >= 2) {
        const auto n = bytes.size();
        if (f.badChecksum) {
            bytes[n - 2] = static_cast<char>(At(bytes, static_cast<int>(n - 2)) + 1);
        }
        if (f.badStop) {
            bytes[n - 1] = static_cast<char>(transport::kStop + 1);
        }
    }
    answer.bytes = std::move(bytes);
    answer.delayMs = qMax(0, f.lateMs);
    answer.pieces = qMax(1, f.pieces);
    answer.gapMs = qMax(0, f.gapMs);
    return answer;
}

bool SimMeter::MatchesSelection(const QByteArray& selection) const {
    if (selection.size() < 8 || m_config.id.size() != 8) {
        return false;
    }
    // The ID travels as BCD, least significant byte first: "12345678" is 78 56 34 12.
    for (int k = 0; k < 4; ++k) {
        const int pos = 6 - 2 * k;
        bool ok = false;
        const int pair = m_config.id.mid(pos, 2).toInt(&ok, 16);
        if (!ok || !NibblesMatch(At(selection, k), static_cast<std::uint8_t>(pair))) {
            return false;
        }
    }
    const std::uint16_t wantedMaker = static_cast<std::uint16_t>(At(selection, 4) | (At(selection, 5) << 8));
    if (wantedMaker != 0xFFFF && wantedMaker != ManufacturerCode(m_config.manufacturer).value_or(0)) {
        return false;
    }
    if (At(selection, 6) != 0xFF && At(selection, 6) != m_config.version) {
        return false;
    }
    return At(selection, 7) == 0xFF || At(selection, 7) == m_config.medium;
}

} // namespace holvex::sim
