#include "devices/gateway/gateway_controls.h"

namespace holvex::gateway {

std::optional<ProductControl> productControlOf(GatewayControl control) {
    switch (control) {
    case GatewayControl::OwnIp:
        return ProductControl::OwnIp;
    case GatewayControl::Netmask:
        return ProductControl::Netmask;
    case GatewayControl::ConnectRetries:
        return ProductControl::ConnectRetries;
    case GatewayControl::RetryTimeout:
        return ProductControl::RetryTimeout;
    case GatewayControl::Pin:
        return ProductControl::Pin;
    case GatewayControl::GprsUser:
        return ProductControl::GprsUser;
    case GatewayControl::GprsPassword:
        return ProductControl::GprsPassword;
    case GatewayControl::Apn:
        return ProductControl::Apn;
    case GatewayControl::Phone:
        return ProductControl::Phone;
    case GatewayControl::GprsInfo:
        return ProductControl::GprsInfo;
    case GatewayControl::GprsStatus:
        return ProductControl::GprsStatus;
    default:
        return std::nullopt;
    }
}

bool controlEnabledFor(GatewayControl control, GatewayProduct product) {
    const std::optional<ProductControl> bound = productControlOf(control);
    return !bound || productControlEnabled(*bound, product);
}

} // namespace holvex::gateway
