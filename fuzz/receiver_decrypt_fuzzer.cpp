// Feeds an arbitrary key and application layer to the radio telegram decoder: the first 16 bytes are the
// key, the 17th chooses the options (bit 0 a full read, bit 1 the link address known, bits 2-5 the extra
// column count), the rest is the application layer from the CI-field on. The encrypted examples in the seeds
// make the mode 5 path reachable.
#include "devices/receiver/radio_application.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace holvex::receiver;
    constexpr std::size_t kHead = kAesKeyBytes + 1;
    if (size < kHead) {
        return 0;
    }
    AesKey key{};
    std::memcpy(key.data(), data, key.size());
    const std::uint8_t selector = data[kAesKeyBytes];
    holvex::mbus::DecodeOptions options;
    options.fullRead = (selector & 0x01) != 0;
    options.extraTitleCount = (selector >> 2) & 0x0F;
    std::optional<RadioAddress> link;
    if (selector & 0x02) {
        // The link address of the published short-header example (ELS 12345678, version 0x33, gas).
        link = RadioAddress{0x1593, {0x78, 0x56, 0x34, 0x12}, 0x33, 0x03};
    }
    const QByteArray application(reinterpret_cast<const char*>(data + kHead),
                                 static_cast<qsizetype>(size - kHead));
    const RadioDecodeResult result = decodeRadioApplication(link, application, key, options);
    if (!result.decoded.ok && result.decoded.log.isEmpty()) {
        __builtin_trap();
    }
    // Records decoded from mode 5 begin with the two fillers that proved the key.
    if (result.securityMode == 5 && result.decoded.ok) {
        const int recordsAt = application.front() == ci::kLongHeader ? 13 : 5;
        if (result.plainApplication.mid(recordsAt, 2) != QByteArray("\x2F\x2F")) {
            __builtin_trap();
        }
    }
    return 0;
}
