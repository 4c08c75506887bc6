#include "devices/receiver/aes_key.h"

namespace holvex::receiver {

namespace {

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

} // namespace

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
        const int value = hexValue(c);
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
