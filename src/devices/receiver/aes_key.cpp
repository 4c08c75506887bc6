#include "devices/receiver/aes_key.h"

#include "devices/receiver/hex_digit.h"

namespace holvex::receiver {

QByteArray keyBytes(const AesKey& key) {
    return QByteArray(reinterpret_cast<const char*>(key.data()), kAesKeyBytes);
}

std::optional<AesKey> parseHexKey(const QString& text) {
    AesKey key{};
    int digits = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            continue;
        }
        const int value = hexDigitValue(c);
        if (value < 0 || digits >= 2 * kAesKeyBytes) {
            return std::nullopt;
        }
        auto& byte = key[static_cast<std::size_t>(digits / 2)];
        byte = static_cast<quint8>(digits % 2 == 0 ? value << 4 : byte | value);
        ++digits;
    }
    if (digits != 2 * kAesKeyBytes) {
        return std::nullopt;
    }
    return key;
}

} // namespace holvex::receiver
