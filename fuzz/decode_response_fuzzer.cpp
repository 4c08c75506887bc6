// Feeds arbitrary bytes to the response decoder. The first byte chooses the options: bits 0-3 the extra
// column count, bit 4 the Apator value, bit 5 a full read, bit 6 a comma as decimal separator.
#include "mbus/response_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    holvex::mbus::DecodeOptions options;
    const std::uint8_t selector = data[0];
    options.extraTitleCount = selector & 0x0F;
    options.apator = (selector & 0x10) != 0;
    options.fullRead = (selector & 0x20) != 0;
    if (selector & 0x40) {
        options.decimalSeparator = QLatin1Char(',');
    }
    const QByteArray reply(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const holvex::mbus::DecodeResult result = holvex::mbus::decodeResponse(reply, options);
    if (result.row && result.row->extra.size() != options.extraTitleCount) {
        __builtin_trap();
    }
    if (result.ok && !result.frameChecked) {
        __builtin_trap();
    }
    return 0;
}
