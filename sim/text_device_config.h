#pragma once

#include "codec/packet_codec.h"
#include "sim/display_config.h"
#include "sim/gateway_service_port.h"

#include <QJsonValue>
#include <QString>

namespace holvex::sim {

// The installation file's "display" object (the display unit with its entry table); false with the reason.
bool parseDisplay(const QJsonValue& value, DisplayConfig& display, QString* error);

// The gateway object's "service" object (the gateway's service port on the serial line); its settings are
// checked as the port would check a "SET" line.
bool parseGatewayService(const QJsonValue& value, GatewayServiceConfig& service,
                         const codec::NetworkNumber& network, QString* error);

// A text device's "faults": silent, answerAfter, lateMs, pieces, gapMs.
bool parseTextDeviceFaults(const QJsonValue& value, TextDeviceFaults& faults, const QString& where,
                           QString* error);

} // namespace holvex::sim
