// Feeds arbitrary bytes, as they may arrive from the receiver in transparent mode, to the telegram finder,
// and every telegram it finds to the receiver-table row and to the radio telegram decoder (without a key and
// with one, straight and through the row's text). The first byte chooses the options: bit 0 "Exclude
// identical", bit 1 a full read, bits 2-5 the extra column count, bit 6 a key for every meter.
#include "devices/receiver/radio_application.h"
#include "devices/receiver/radio_header.h"
#include "devices/receiver/telegram_finder.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr int kMaxKept = 2 + 255 + holvex::receiver::kMaxAddedBytes + 1;

void checkDecode(const holvex::receiver::RadioDecodeResult& result,
                 const holvex::mbus::DecodeOptions& options) {
    if (!result.decoded.ok && result.decoded.log.isEmpty()) {
        __builtin_trap(); // nothing decoded must say why
    }
    if (result.decoded.row && result.decoded.row->extra.size() != options.extraTitleCount) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace holvex::receiver;
    if (size == 0) {
        return 0;
    }
    const std::uint8_t selector = data[0];
    const bool exclude = (selector & 0x01) != 0;
    holvex::mbus::DecodeOptions options;
    options.fullRead = (selector & 0x02) != 0;
    options.extraTitleCount = (selector >> 2) & 0x0F;
    std::optional<AesKey> key;
    if (selector & 0x40) {
        key = AesKey{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                     0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11};
    }
    const QByteArray buffer(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    const TelegramScan scan = scanTelegrams(buffer);
    if (scan.consumed < 0 || scan.consumed > buffer.size() || buffer.size() - scan.consumed > kMaxKept) {
        __builtin_trap();
    }
    QStringList ids{QString()};
    for (const QByteArray& telegram : scan.telegrams) {
        if (telegram.size() < 2 || telegram.front() != 0x68 || telegram.back() != 0x16) {
            __builtin_trap();
        }
        const AcquiredTelegram acquired =
            acquireTelegram(telegram, ids, exclude, QStringLiteral("d"), QStringLiteral("t"));
        if (acquired.row.has_value() == (acquired.placement == RowPlacement::Dropped)) {
            __builtin_trap();
        }
        checkDecode(decodeRelayedTelegram(telegram, key, options), options);
        if (acquired.row) {
            ids.append(acquired.row->id);
            if (acquired.row->cells().size() != kReceiverColumns) {
                __builtin_trap();
            }
            checkDecode(decodeReceiverRow(*acquired.row, key, options), options);
        }
    }
    // The bytes as a row's cells, the way an imported table may hold them.
    const QStringList cells = QString::fromLatin1(buffer).split(QLatin1Char(';'));
    checkDecode(decodeReceiverRow(ReceiverRow::fromCells(cells), key, options), options);
    return 0;
}
