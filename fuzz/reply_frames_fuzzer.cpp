// Feeds arbitrary bytes to the cutting of a reply into frames. The first byte is the awaited address (0xFF:
// none). Whatever is handed on must come from the bytes themselves, and never be longer than they are.
#include "codec/reply_frames.h"

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::optional<int> awaited = data[0] == 0xFF ? std::nullopt : std::optional<int>(data[0]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const holvex::codec::AwaitedReply reply = holvex::codec::takeAwaitedReply(bytes, awaited);
    if (reply.bytes.size() > bytes.size()) {
        __builtin_trap();
    }
    if (!awaited && (reply.bytes != bytes || !reply.ignored.isEmpty())) {
        __builtin_trap();
    }
    for (const int address : reply.ignored) {
        if (!awaited || address == *awaited) {
            __builtin_trap();
        }
    }
    (void)holvex::codec::awaitedAddressOf(bytes);
    return 0;
}
