#include "devices/receiver/receiver_full_read.h"

namespace holvex::receiver {

RadioDecodeResult fullReadOfRow(const ReceiverRow& row, const KeyBoxState& keyBox, const KeyTable& keys,
                                mbus::DecodeOptions options) {
    options.fullRead = true;
    std::optional<AesKey> key = parseKeyField(keyBox.text, keyBox.entry).key;
    if (!key) {
        key = keyForMeter(keys, keyIdOfRow(row));
    }
    return decodeReceiverRow(row, key, options);
}

} // namespace holvex::receiver
