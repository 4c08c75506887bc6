#pragma once

#include "codec/packet_codec.h"
#include "sim/display_config.h"
#include "sim/gateway_service_port.h"
#include "sim/receiver_config.h"
#include "sim/sim_meter.h"
#include "sim/telegram_builder.h"
#include "sim/text_routing.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace holvex::sim {

// How the answers of several meters that talk at once reach the master. Concatenate: one after the
// other, which never parses as one frame; Or: laid over each other byte by byte (bitwise OR), the way
// overlapping characters garble the line.
enum class CollisionMode { Concatenate, Or };

struct GatewayOptions {
    codec::NetworkNumber network{0, 0, 0, 1};
    int timeoutMs = 250;       // how long the gateway waits for a meter before it gives up
    bool answerTimeout = true; // give up with a status answer carrying the timeout bit (else say nothing)
    bool ackAsData = false;    // also return a command's 0xE5 as data instead of a status-only answer
    int dropAfterPackets = 0;  // > 0: a connection is closed when the request packet after this many comes
};

struct InstallationConfig {
    int turnaroundMs = 10; // pause between the end of a request and the start of the answer
    // 0: answers are written at once. Else the speed of the line: every byte takes 11 bit times, the request
    // takes its time to arrive, and answers that overlap on the line garble (paced_line.h).
    int lineBaud = 0;
    bool echo = false;                // the level converter writes every received byte back
    bool lanDropsConnections = false; // the TCP adapter closes every connection as soon as it is accepted
    CollisionMode collision = CollisionMode::Concatenate;
    GatewayOptions gateway;
    QList<SimMeterConfig> meters;
    std::optional<DisplayConfig> display;   // the display unit, when the installation has one
    std::optional<ReceiverConfig> receiver; // the wireless receiver, when the installation has one
    GatewayServiceConfig gatewayService;    // the gateway's service port, always on the serial line
    TextDevice serialTextDevice = TextDevice::Display; // takes the lines both devices know on the serial line
};

// The installation described in JSON text (see sim/demo.json); nullopt with a reason on a bad file.
std::optional<InstallationConfig> parseInstallation(const QByteArray& json, QString* error);

// One record of a built telegram ({"type": "volume", "value": 1.5, "decimals": 3 ...}); where names it in
// the reason.
std::optional<RecordPlan> parseRecordPlan(const QJsonValue& value, const QString& where, QString* error);

// The installation read from a file.
std::optional<InstallationConfig> loadInstallation(const QString& path, QString* error);

} // namespace holvex::sim
