#pragma once

#include "codec/packet_codec.h"

#include <QByteArray>

namespace holvex {
struct Settings;
struct RunState;
class LogSink;
} // namespace holvex

namespace holvex::links {

// A whole 300-byte packet from a gateway, on either socket: checked against the current sequence and the
// accepted network, its payload and network number taken into the run state, its report lines logged.
codec::PacketCheckResult takeGatewayPacket(const QByteArray& packet, const Settings& settings,
                                           RunState& state, LogSink& log);

} // namespace holvex::links
