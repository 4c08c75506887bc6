#include "meters/bus_requests.h"

#include "log/log_sink.h"
#include "meters/bus_context.h"
#include "settings/settings.h"
#include "transport/channel_interface.h"
#include "transport/frame_codec.h"

#include <cstdint>

namespace holvex {

std::optional<int> PrimaryAddressOf(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 3) {
        return std::nullopt;
    }
    for (const QChar ch : trimmed) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    const int value = trimmed.toInt();
    if (value > 255) {
        return std::nullopt;
    }
    return value;
}

void SendReadRequest(BusContext& context, int address) {
    const std::uint8_t c =
        context.settings.Use5B ? transport::control::kReqUd2NoFcb : transport::control::kReqUd2;
    context.channel.SendFrame(transport::ShortFrame(c, static_cast<std::uint8_t>(address)),
                              transport::PacketKind::Read, transport::OperationWords::Read(address));
}

void SendLinkReset(BusContext& context, int address) {
    context.channel.SendFrame(
        transport::ShortFrame(transport::control::kSndNke, static_cast<std::uint8_t>(address)),
        transport::PacketKind::Command, transport::OperationWords::SndNke(address));
}

QString ReadingDeviceLine(int address) {
    return QStringLiteral("Reading device ") + QString::number(address);
}

} // namespace holvex
