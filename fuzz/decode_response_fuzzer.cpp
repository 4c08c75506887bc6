// Feeds arbitrary bytes to the response decoder. The first byte chooses the options: bits 0-3 the extra
// column count, bit 4 the Apator value, bit 5 a full read, bit 6 a comma as decimal separator, bit 7 leaves
// the report grid out.
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
    options.reportGrid = (selector & 0x80) == 0;
    const QByteArray reply(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const holvex::mbus::DecodeResult result = holvex::mbus::decodeResponse(reply, options);
    if (result.row && result.row->extra.size() != options.extraTitleCount) {
        __builtin_trap();
    }
    if (result.ok && !result.frameChecked) {
        __builtin_trap();
    }
    // Once the frame passed its checks and holds the header up to the status byte, only the fixed-layout
    // registers of manufacturer ZPA can fail the decode: a record cut short costs its own row, not the meter.
    constexpr int kHeaderWithChecksum = 19;
    const bool zpa = reply.size() > 12 && static_cast<std::uint8_t>(reply[11]) == 0x01 &&
                     static_cast<std::uint8_t>(reply[12]) == 0x6A;
    if (result.frameChecked && reply.size() >= kHeaderWithChecksum && (options.fullRead || !zpa) &&
        !result.ok) {
        __builtin_trap();
    }
    if (result.ok && !options.fullRead && !result.row) {
        __builtin_trap();
    }
    if (!options.reportGrid && !options.fullRead && !result.gridDataRows.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
