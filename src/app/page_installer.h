#pragma once

namespace holvex {

class Bus;
class MainWindow;
class MetersPage;
class ReportWindow;

namespace gateway {
class GatewayPage;
}
namespace display {
class DisplayPage;
}
namespace receiver {
class ReceiverPage;
}

// Builds page 1 into the main window's first tab page and connects it to the window's File menu, language
// switches and extra titles; the tab page owns it.
MetersPage* installMetersPage(MainWindow& window);

// Builds page 2 (the gateway settings) into the second tab page, wired to the bus's gateway commands and to
// the window's server addresses; the tab page owns it. The tab's visibility stays with the access grant.
gateway::GatewayPage* installGatewayPage(MainWindow& window, Bus& bus);

// Builds page 3 ("   Local display Lumet   ") over the bus's display tables and page 1's meter table into the
// third tab page, wires it to the display operations (a DisplayController owned by the page) and lets every
// language switch retitle the display and readings tables.
display::DisplayPage* installDisplayPage(MainWindow& window, Bus& bus);

// Builds page 5 ("   Wireless receiver Ravik-Q   ") over the bus's receiver table and page 1's meter table
// into the fifth tab page and wires it to the receiver operations and the detailed report (a
// ReceiverController owned by the page).
receiver::ReceiverPage* installReceiverPage(MainWindow& window, Bus& bus, ReportWindow& report);

} // namespace holvex
