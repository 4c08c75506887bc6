#include "sim/telegram_patch.h"

#include "codec/frame_codec.h"

namespace holvex::sim {

namespace {

constexpr std::uint8_t kCiLongHeader = 0x72;
constexpr int kAddressAt = 5;
constexpr int kCiAt = 6;
constexpr int kIdAt = 7;
constexpr int kMediumAt = 14;

std::uint8_t at(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

} // namespace

QByteArray patchTelegram(const QByteArray& telegram, const TelegramPatch& patch) {
    const int n = static_cast<int>(telegram.size());
    if (n < 9 || at(telegram, 0) != codec::kLongStart || at(telegram, 3) != codec::kLongStart ||
        at(telegram, 1) + 6 != n) {
        return telegram;
    }
    QByteArray out = telegram;
    int delta = 0;
    auto put = [&](int index, std::uint8_t value) {
        // The checksum covers C up to the last data byte; the fields written here all lie inside it.
        if (index < 4 || index > n - 3) {
            return;
        }
        delta += value - at(out, index);
        out[index] = static_cast<char>(value);
    };
    if (patch.address) {
        put(kAddressAt, *patch.address);
    }
    const bool longHeader = at(out, kCiAt) == kCiLongHeader && n >= kMediumAt + 3;
    if (longHeader && patch.id && patch.id->size() == 4) {
        for (int k = 0; k < 4; ++k) {
            put(kIdAt + k, at(*patch.id, k));
        }
    }
    if (longHeader && patch.medium) {
        put(kMediumAt, *patch.medium);
    }
    out[n - 2] = static_cast<char>(at(out, n - 2) + delta);
    return out;
}

} // namespace holvex::sim
