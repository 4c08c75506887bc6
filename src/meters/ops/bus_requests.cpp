#include "meters/ops/bus_requests.h"

#include "bus/bus_context.h"
#include "codec/frame_codec.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <cstdint>

namespace holvex {

std::optional<int> primaryAddressOf(const QString& text) {
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

void sendReadRequest(BusContext& context, int address) {
    const std::uint8_t c = context.settings.Use5B ? codec::control::kReqUd2NoFcb : codec::control::kReqUd2;
    context.channel.sendFrame(codec::shortFrame(c, static_cast<std::uint8_t>(address)),
                              codec::PacketKind::Read, links::OperationWords::read(address));
}

void sendLinkReset(BusContext& context, int address) {
    context.channel.sendFrame(codec::shortFrame(codec::control::kSndNke, static_cast<std::uint8_t>(address)),
                              codec::PacketKind::Command, links::OperationWords::sndNke(address));
}

QString readingDeviceLine(int address) {
    return QStringLiteral("Reading device ") + QString::number(address);
}

} // namespace holvex
