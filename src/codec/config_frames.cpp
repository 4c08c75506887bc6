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

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isDecimalText(const QString& text) {
    for (const QChar c : text) {
        if (!isAsciiDigit(c)) {
            return false;
        }
    }
    return true;
}

QByteArray bytes(std::initializer_list<std::uint8_t> values) {
    QByteArray out;
    out.reserve(static_cast<int>(values.size()));
    for (const std::uint8_t value : values) {
        out.append(static_cast<char>(value));
    }
    return out;
}

void appendId(QByteArray& data, const std::array<std::uint8_t, 4>& idBytes) {
    for (const std::uint8_t byte : idBytes) {
        data.append(static_cast<char>(byte));
    }
}

} // namespace

std::optional<std::array<std::uint8_t, 4>> bcdIdBytes(const QString& id) {
    if (id.size() != kIdDigits || !isDecimalText(id)) {
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

QByteArray setPrimaryAddressFrame(std::uint8_t address, std::uint8_t newAddress) {
    return codec::longFrame(codec::control::kSndUdFcb, address, codec::ci::kDataSend,
                            bytes({kSetAddressDif, kSetAddressVif, newAddress}));
}

QByteArray changeIdFrame(std::uint8_t address, const QString& newId) {
    const auto id = bcdIdBytes(newId);
    if (!id) {
        return {};
    }
    QByteArray data = bytes({kChangeIdDif, kChangeIdVif});
    appendId(data, *id);
    return codec::longFrame(codec::control::kSndUdFcb, address, codec::ci::kDataSend, data);
}

QByteArray changeBaudFrame(std::uint8_t address, std::uint8_t baudCode) {
    return codec::controlFrame(codec::control::kSndUd, address, baudCode);
}

QByteArray setMediumFrame(std::uint8_t address, const std::array<std::uint8_t, 4>& idBytes,
                          std::uint8_t mediumCode) {
    QByteArray data = bytes({kMediumDif, kChangeIdVif});
    appendId(data, idBytes);
    // Manufacturer and version stay wildcards; only the medium byte is meant.
    data.append(bytes({kWildcardByte, kWildcardByte, kWildcardByte, mediumCode}));
    return codec::longFrame(codec::control::kSndUd, address, codec::ci::kDataSend, data);
}

std::array<std::uint8_t, 4> mediumIdBytes(const QString& id, bool* overridden) {
    constexpr std::array<std::uint8_t, 4> kAnyId{kWildcardByte, kWildcardByte, kWildcardByte, kWildcardByte};
    bool replaced = false;
    std::array<std::uint8_t, 4> bytes = kAnyId;
    if (id != QLatin1String("FFFFFFFF")) {
        if (const auto bcd = bcdIdBytes(id)) {
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

QByteArray setTypeFrame(std::uint8_t address, std::uint8_t unitCode, std::uint8_t mediumCode) {
    return codec::longFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            bytes({0x0F, unitCode, 0x03, mediumCode, 0x01, 0x01}));
}

QByteArray relayCounterFrame(std::uint8_t address, std::uint8_t unitCode, const QString& value) {
    // An empty field holds no counter value; sending zeros would reset the relay's counter.
    if (value.isEmpty() || value.size() > kIdDigits || !isDecimalText(value)) {
        return {};
    }
    const auto bcd = bcdIdBytes(value.rightJustified(kIdDigits, QLatin1Char('0')));
    if (!bcd) {
        return {};
    }
    QByteArray data = bytes({0x0C, unitCode});
    appendId(data, *bcd);
    return codec::longFrame(codec::control::kSndUd, address, codec::ci::kDataSend, data);
}

QByteArray pulseWidthFrame(std::uint8_t address, std::uint8_t widthCode) {
    return codec::longFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            bytes({0x0F, 0xFD, 0x0B, 0x04, 0x00, 0x00, 0x00, widthCode}));
}

QByteArray pulseValueFrame(std::uint8_t address, std::uint32_t pulses) {
    // The meter takes three value bytes; anything from 2^24 upwards does not fit.
    return codec::longFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            bytes({0x04, 0x13, static_cast<std::uint8_t>(pulses % 256),
                                   static_cast<std::uint8_t>((pulses % 65536) / 256),
                                   static_cast<std::uint8_t>((pulses / 65536) % 256), 0x00}));
}

QByteArray counterTypeFrame(std::uint8_t address, std::uint8_t type1, std::uint8_t type2) {
    return codec::longFrame(codec::control::kSndUd, address, codec::ci::kDataSend,
                            bytes({0x0F, 0xFF, 0x00, 0x04, 0xFF, 0xFE, type1, type2}));
}

std::optional<std::uint8_t> baudCode(const QString& text) {
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

bool isKnownBaudText(const QString& text) {
    return baudCode(text).has_value() || text == QLatin1String("9600");
}

std::uint8_t pulseWidthCode(const QString& text) {
    static constexpr const char* kWidths[] = {"5ms", "10ms", "20ms", "50ms", "100ms"};
    for (std::uint8_t i = 0; i < 5; ++i) {
        if (text == QLatin1String(kWidths[i])) {
            return static_cast<std::uint8_t>(i + 1);
        }
    }
    return 0;
}

std::optional<std::array<std::uint8_t, 2>> counterTypeBytes(const QString& text) {
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
