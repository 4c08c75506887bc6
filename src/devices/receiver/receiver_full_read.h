#pragma once

#include "devices/receiver/key_lines.h"
#include "devices/receiver/key_table.h"
#include "devices/receiver/radio_application.h"
#include "devices/receiver/receiver_row.h"

namespace holvex::receiver {

// "Full read" on a receiver row: its telegram decoded into the detailed report. An encrypted telegram takes
// the key the key box holds when it is a whole key in its entry mode, else the key the keys file has for the
// meter's ID (keyIdOfRow). The report starts with a line naming the row's meter.
RadioDecodeResult fullReadOfRow(const ReceiverRow& row, const KeyBoxState& keyBox, const KeyTable& keys,
                                mbus::DecodeOptions options);

} // namespace holvex::receiver
