// Feeds arbitrary bytes to the display unit's read-out decoders as one answer: the address list, the entry
// values, the user data, a tariff register and a history record. The first byte caps the address list.
#include "devices/display/readout_lines.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace holvex::display;
    if (size == 0) {
        return 0;
    }
    const int maxAddresses = data[0];
    const QByteArray answer(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QStringList lines = answerLines(answer);

    const AddressList list = decodeAddressList(lines, maxAddresses);
    if (list.addresses.size() > maxAddresses || (!list.found && !list.addresses.isEmpty())) {
        __builtin_trap();
    }
    for (const QString& address : list.addresses) {
        if (address.isEmpty()) {
            __builtin_trap();
        }
    }
    decodeEntryValues(lines);
    decodeUserData(lines);
    decodeTariff(lines);
    const HistoryValue history = decodeHistory(lines);
    if (history.month < 0 || history.month > 12 || (history.month != 0 && !history.found) ||
        (history.month == 0) != history.monthText.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
