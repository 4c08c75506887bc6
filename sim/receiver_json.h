#pragma once

#include "sim/receiver_config.h"

#include <QJsonValue>
#include <QString>

namespace holvex::sim {

// The installation file's "receiver" object (the wireless receiver, its radio meters and its transparent
// output); false with the reason. Unknown keys are refused. Every radio meter's telegram is built once here,
// so that a meter that cannot be sent is refused when the file loads.
bool parseReceiver(const QJsonValue& value, ReceiverConfig& receiver, QString* error);

} // namespace holvex::sim
