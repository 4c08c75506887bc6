// Feeds arbitrary bytes to the account file decoder: whole records are read, a partial tail is left alone,
// and every record written back decodes to the same account.
#include "accounts/account_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<holvex::AccountRecord> records = holvex::decodeAccountFile(bytes);
    if (records.size() != static_cast<qsizetype>(size) / holvex::AccountRecordSize) {
        __builtin_trap();
    }
    for (const holvex::AccountRecord& record : records) {
        const QByteArray encoded = holvex::encodeAccountRecord(record);
        if (encoded.size() != holvex::AccountRecordSize) {
            __builtin_trap();
        }
        (void)holvex::decodeAccountRecord(encoded);
    }
    return 0;
}
