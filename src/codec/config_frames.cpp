#include "codec/config_frames.h"

#include "codec/frame_codec.h"

#include <initializer_list>

namespace holvex::codec {

namespace {

constexpr std::uint8_t kSetAddressDif = 0x01;
constexpr std::uint8_t kSetAddressVif = 0x7A;
constexpr std::uint8_t kChangeIdDif = 0x0C;
constexpr std::uint8_t kChangeIdVif = 0x79;
constexpr std::uint8_t kMediumDif = 0x07;
constexpr std::uint8_t kWildcardByte = 0xFF;
constexpr int kIdDigits = 8;

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsDecimalText(const QString& text) {
    for (const QChar c : text) {
        if (!IsAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

QByteArray Bytes(std::initializer_list<std::uint8_t> values) {
    QByteArray out;
    out.reserve(static_cast<int>(values.size()));
    for (const std::uint8_t value : values) {
        out.append(static_cast<char>(value));
    }
    return out;
}

void AppendId(QByteArray& data, const std::array<std::uint8_t, 4>& idBytes) {
    for (const std::uint8_t byte : idBytes) {
        data.append(static_cast<char>(byte));
    }
}

} // namespace

std::optional<std::array<std::uint8_t, 4>> BcdIdBytes(const QString& id) {
    if (id.size() != kIdDigits || !IsDecimalText(id)) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 4> bytes{};
    // The last pair of the text is the least significant byte and goes first.
    for (int k = 0; k < 4; ++k) {
        const int high = id[kIdDigits - 2 - 2 * k].unicode() - '0';
        const int low = id[kIdDigits - 1 - 2 * k].unicode() - '0';
        bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return bytes;
}

QByteArray SetPrimaryAddressFrame(std::uint8_t address, std::uint8_t newAddress) {
    return codec::LongFrame(codec::control::kSndUdFcb, address, codec::ci::kDataSend,
                            Bytes({kSetAddressDif, kSetAddressVif, newAddress}));
}

QByteArray ChangeIdFrame(std::uint8_t address, const QString& newId) {
    const auto id = BcdIdBytes(newId);
    if (!id) {
        return {};
    }
    QByteArray data = Bytes({kChangeIdDif, kChangeIdVif});
    AppendId(data, *id);
    return codec::LongFrame(codec::control::kSndUdFcb, address, codec::ci::kDataSend, data);
}

QByteArray ChangeBaudFrame(std::uint8_t address, std::uint8_t baudCode) {
    return codec::ControlFrame(codec::control::kSndUd, address, baudCode);
}

QByteArray SetMediumFrame(std::uint8_t address, const std::array<std::uint8_t, 4>& idBytes,
                          std::uint8_t mediumCode) {
    QByteArray data = Bytes({kMediumDif, kChangeIdVif});
    AppendId(data, idBytes);
    // Manufacturer and version stay wildcards; only the medium byte is meant.
    data.append(Bytes({kWildcardByte, kWildcardByte, kWildcardByte, mediumCode}));
    return codec::LongFrame(codec::control::kSndUd, address, codec::ci::kDataSend, data);
}

std::array<std::uint8_t, 4> MediumIdBytes(const QString& id, bool* overridden) {
    constexpr std::array<std::uint8_t, 4> kAnyId{kWildcardByte, kWildcardByte, kWildcardByte, kWildcardByte};
    bool replaced = false;
    std::array<std::uint8_t, 4> bytes = kAnyId;
    if (id != QLatin1String("FFFFFFFF")) {
        if (const auto bcd = BcdIdBytes(id)) {
            bytes = *bcd;
        } else {
            replaced = true;
        }
    }
    if (overridden != nullptr) {
        *overridden = replaced;
    }
    return bytes;
}

QByteArray SetTypeFrame(std::uint8_t address, std::uint8_t unitCode, std::uint8_t mediumCode) {
    return codec::LongFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            Bytes({0x0F, unitCode, 0x03, mediumCode, 0x01, 0x01}));
}

QByteArray RelayCounterFrame(std::uint8_t address, std::uint8_t unitCode, const QString& value) {
    // An empty field holds no counter value; sending zeros would reset the relay's counter.
    if (value.isEmpty() || value.size() > kIdDigits || !IsDecimalText(value)) {
        return {};
    }
    const auto bcd = BcdIdBytes(value.rightJustified(kIdDigits, QLatin1Char('0')));
    if (!bcd) {
        return {};
    }
    QByteArray data = Bytes({0x0C, unitCode});
    AppendId(data, *bcd);
    return codec::LongFrame(codec::control::kSndUd, address, codec::ci::kDataSend, data);
}

QByteArray PulseWidthFrame(std::uint8_t address, std::uint8_t widthCode) {
    return codec::LongFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            Bytes({0x0F, 0xFD, 0x0B, 0x04, 0x00, 0x00, 0x00, widthCode}));
}

QByteArray PulseValueFrame(std::uint8_t address, std::uint32_t pulses) {
    // The meter takes three value bytes; anything from 2^24 upwards does not fit.
    return codec::LongFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            Bytes({0x04, 0x13, static_cast<std::uint8_t>(pulses % 256),
                                   static_cast<std::uint8_t>((pulses % 65536) / 256),
                                   static_cast<std::uint8_t>((pulses / 65536) % 256), 0x00}));
}

QByteArray CounterTypeFrame(std::uint8_t address, std::uint8_t type1, std::uint8_t type2) {
    return codec::LongFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            Bytes({0x0F, 0xFF, 0x00, 0x04, 0xFF, 0xFE, type1, type2}));
}

std::optional<std::uint8_t> BaudCode(const QString& text) {
    struct Entry {
        const char* text;
        std::uint8_t code;
    };
    static constexpr Entry kCodes[] = {{"300", 0xB8}, {"1200", 0xBA}, {"2400", 0xBB}, {"4800", 0xBC}};
    for (const Entry& entry : kCodes) {
        if (text == QLatin1String(entry.text)) {
            return entry.code;
        }
    }
    return std::nullopt;
}

bool IsKnownBaudText(const QString& text) {
    return BaudCode(text).has_value() || text == QLatin1String("9600");
}

std::uint8_t PulseWidthCode(const QString& text) {
    static constexpr const char* kWidths[] = {"5ms", "10ms", "20ms", "50ms", "100ms"};
    for (std::uint8_t i = 0; i < 5; ++i) {
        if (text == QLatin1String(kWidths[i])) {
            return static_cast<std::uint8_t>(i + 1);
        }
    }
    return 0;
}

std::optional<std::array<std::uint8_t, 2>> CounterTypeBytes(const QString& text) {
    if (text == QLatin1String("Incremental ID for each input")) {
        return std::array<std::uint8_t, 2>{0xC2, 0x01};
    }
    if (text == QLatin1String("Single ID for all")) {
        return std::array<std::uint8_t, 2>{0xC2, 0x00};
    }
    if (text == QLatin1String("Independent addresses")) {
        return std::array<std::uint8_t, 2>{0xC3, 0x01};
    }
    return std::nullopt;
}

} // namespace holvex::codec
