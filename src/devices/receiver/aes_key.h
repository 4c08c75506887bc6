#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace holvex::receiver {

// An AES-128 key as 16 raw bytes.
using AesKey = std::array<quint8, 16>;

inline constexpr int kAesKeyBytes = 16;

QByteArray keyBytes(const AesKey& key);

// A key written as 32 hex digits, either case, blanks allowed between them (how keys are copied from meter
// documents and written in the keys file). None for anything else.
std::optional<AesKey> parseHexKey(const QString& text);

} // namespace holvex::receiver
