#pragma once

namespace holvex {

class Bus;
class MainWindow;
class MetersPage;

namespace gateway {
class GatewayPage;
}

// Builds page 1 into the main window's first tab page and connects it to the window's File menu, language
// switches and extra titles; the tab page owns it.
MetersPage* installMetersPage(MainWindow& window);

// Builds page 2 (the gateway settings) into the second tab page, wired to the bus's gateway commands and to
// the window's server addresses; the tab page owns it. The tab's visibility stays with the access grant.
gateway::GatewayPage* installGatewayPage(MainWindow& window, Bus& bus);

} // namespace holvex
