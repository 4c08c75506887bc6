#pragma once

#include "devices/receiver/aes_key.h"

#include <QByteArray>

#include <array>
#include <optional>

namespace holvex::receiver {

using AesBlock = std::array<quint8, 16>;

// AES-128 in CBC mode without padding, as radio meters encrypt their records. `data` must be whole 16-byte
// blocks; none when it is not or the cipher library fails.
std::optional<QByteArray> decryptAesCbc(const AesKey& key, const AesBlock& iv, const QByteArray& data);
std::optional<QByteArray> encryptAesCbc(const AesKey& key, const AesBlock& iv, const QByteArray& data);

} // namespace holvex::receiver
