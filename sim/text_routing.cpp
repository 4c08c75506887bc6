#include "sim/text_routing.h"

#include "sim/display_unit.h"
#include "sim/gateway_service_port.h"
#include "sim/wireless_receiver.h"

namespace holvex::sim {

std::optional<TextDevice> routeTextLine(const TextLine& line, TextRoad road,
                                        const TextDevicesPresent& present) {
    if (WirelessReceiver::knows(line)) {
        return present.receiver ? std::optional<TextDevice>(TextDevice::Receiver) : std::nullopt;
    }
    const bool display = present.display && DisplayUnit::knows(line);
    const bool gateway =
        road == TextRoad::Serial && present.gatewayService && GatewayServicePort::knows(line);
    if (display && gateway) {
        return present.serialTextDevice;
    }
    if (display) {
        return TextDevice::Display;
    }
    if (gateway) {
        return TextDevice::GatewayService;
    }
    return std::nullopt;
}

} // namespace holvex::sim
