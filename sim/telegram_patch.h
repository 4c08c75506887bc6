#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

namespace holvex::sim {

// The header fields a meter's configuration can change, as they are to appear in its answers.
struct TelegramPatch {
    std::optional<std::uint8_t> address{}; // the A field
    std::optional<QByteArray> id{};        // 4 bytes, least significant first (CI 0x72 header only)
    std::optional<std::uint8_t> medium{};  // CI 0x72 header only
};

// A stored RSP_UD with the patched fields written in and the checksum moved by the same amount as the sum,
// so a telegram stored with a wrong checksum on purpose stays wrong. Anything that is not a whole long frame,
// and header fields the telegram does not have, are left as they are.
QByteArray patchTelegram(const QByteArray& telegram, const TelegramPatch& patch);

} // namespace holvex::sim
