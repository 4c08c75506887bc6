#include "links/link_selection.h"

#include "settings/settings.h"

namespace holvex::links {

LinkKind linkKindFor(const Settings& settings) {
    if (settings.UseFerrinServ) {
        return LinkKind::ServerGateway;
    }
    if (settings.UseLanXp) {
        return LinkKind::LanAdapter;
    }
    if (settings.UseEthernet) {
        return settings.UseNerit1 ? LinkKind::WirelessAdapter : LinkKind::CallingGateway;
    }
    return LinkKind::Serial;
}

ServerRole serverRoleFor(const Settings& settings) {
    if (!settings.UseEthernet) {
        return ServerRole::Idle;
    }
    return settings.UseNerit1 ? ServerRole::WirelessAdapter : ServerRole::Gateways;
}

} // namespace holvex::links
