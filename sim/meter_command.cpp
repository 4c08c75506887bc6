#include "sim/meter_command.h"

#include "codec/frame_codec.h"

#include <initializer_list>

namespace holvex::sim {

namespace {

constexpr std::uint8_t kBaudFirst = 0xB8; // 300 baud
constexpr std::uint8_t kBaudLast = 0xBF;  // 38400 baud

std::uint8_t at(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// Whether data starts with the given bytes and has exactly the given length.
bool shaped(const QByteArray& data, int size, std::initializer_list<std::uint8_t> head) {
    if (data.size() != size || static_cast<int>(head.size()) > size) {
        return false;
    }
    int i = 0;
    for (std::uint8_t b : head) {
        if (at(data, i++) != b) {
            return false;
        }
    }
    return true;
}

std::uint32_t littleEndian(const QByteArray& data, int from, int count) {
    std::uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) {
        v = (v << 8) | at(data, from + i);
    }
    return v;
}

} // namespace

std::optional<MeterCommand> parseMeterCommand(const QByteArray& frame) {
    // 68 L L 68 C A CI data CS 16, already checked by the bus.
    if (frame.size() < 9 || at(frame, 0) != codec::kLongStart || at(frame, 1) + 6 != frame.size()) {
        return std::nullopt;
    }
    const std::uint8_t c = at(frame, 4);
    if (c != codec::control::kSndUd && c != codec::control::kSndUdFcb) {
        return std::nullopt;
    }
    const std::uint8_t ci = at(frame, 6);
    const QByteArray data = frame.mid(7, frame.size() - 9);
    MeterCommand command;
    if (ci >= kBaudFirst && ci <= kBaudLast) {
        if (!data.isEmpty()) {
            return std::nullopt;
        }
        command.kind = MeterCommandKind::Baud;
        command.code = ci;
        return command;
    }
    if (ci != codec::ci::kDataSend) {
        return std::nullopt;
    }
    if (shaped(data, 3, {0x01, 0x7A})) {
        command.kind = MeterCommandKind::SetAddress;
        command.code = at(data, 2);
    } else if (shaped(data, 6, {0x0C, 0x79})) {
        command.kind = MeterCommandKind::SetId;
        command.id = data.mid(2, 4);
    } else if (shaped(data, 6, {0x0C})) {
        // The same DIF as the ID change, but a unit code where the ID change has its VIF 0x79.
        command.kind = MeterCommandKind::RelayValue;
        command.code = at(data, 1);
        command.value = littleEndian(data, 2, 4);
    } else if (shaped(data, 10, {0x07, 0x79}) && at(data, 6) == 0xFF && at(data, 7) == 0xFF &&
               at(data, 8) == 0xFF) {
        command.kind = MeterCommandKind::SetMedium;
        command.id = data.mid(2, 4);
        command.medium = at(data, 9);
    } else if (shaped(data, 6, {0x0F}) && at(data, 2) == 0x03 && at(data, 4) == 0x01 && at(data, 5) == 0x01) {
        command.kind = MeterCommandKind::SetType;
        command.code = at(data, 1);
        command.medium = at(data, 3);
    } else if (shaped(data, 8, {0x0F, 0xFD, 0x0B, 0x04, 0x00, 0x00, 0x00})) {
        command.kind = MeterCommandKind::PulseWidth;
        command.code = at(data, 7);
    } else if (shaped(data, 6, {0x04, 0x13})) {
        command.kind = MeterCommandKind::PulseValue;
        command.value = littleEndian(data, 2, 4);
    } else if (shaped(data, 8, {0x0F, 0xFF, 0x00, 0x04, 0xFF, 0xFE})) {
        command.kind = MeterCommandKind::CounterType;
        command.value = static_cast<std::uint32_t>((at(data, 6) << 8) | at(data, 7));
    } else {
        return std::nullopt;
    }
    return command;
}

std::optional<QByteArray> idBytes(const QString& id) {
    if (id.size() != 8) {
        return std::nullopt;
    }
    QByteArray bytes;
    for (int k = 0; k < 4; ++k) {
        bool ok = false;
        const int pair = id.mid(6 - 2 * k, 2).toInt(&ok, 16);
        if (!ok || pair < 0) {
            return std::nullopt;
        }
        bytes.append(static_cast<char>(pair));
    }
    return bytes;
}

QString idText(const QByteArray& bytes) {
    if (bytes.size() != 4) {
        return {};
    }
    QString text;
    for (int k = 3; k >= 0; --k) {
        text += QStringLiteral("%1").arg(at(bytes, k), 2, 16, QLatin1Char('0'));
    }
    return text.toUpper();
}

bool isBcdId(const QByteArray& bytes) {
    if (bytes.size() != 4) {
        return false;
    }
    for (int k = 0; k < 4; ++k) {
        if ((at(bytes, k) >> 4) > 9 || (at(bytes, k) & 0x0F) > 9) {
            return false;
        }
    }
    return true;
}

} // namespace holvex::sim
