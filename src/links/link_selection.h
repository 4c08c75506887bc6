#pragma once

#include "links/link.h"

namespace holvex {
struct Settings;
}

namespace holvex::links {

// The road the settings choose. The settings never hold more than one of the three network options (the
// settings file and the dialog keep them exclusive); the wireless adapter rides on the gateways' server
// socket.
LinkKind linkKindFor(const Settings& settings);

// What the server socket serves, by the settings: nothing (callers are logged as ignored and left alone), the
// gateways calling in, or a wireless interface adapter whose bytes are gathered as they come.
enum class ServerRole { Idle, Gateways, WirelessAdapter };
ServerRole serverRoleFor(const Settings& settings);

} // namespace holvex::links
