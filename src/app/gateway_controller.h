#pragma once

#include "devices/gateway/gateway_controls.h"

#include <QObject>

namespace holvex {

class Bus;
class MainWindow;

namespace gateway {
class GatewayPage;
}

// Puts page 2 in front of the gateway commands: each press runs its command with the page's inputs, held
// through Bus::start so that nothing is written to the port while another operation holds the bus; the
// "Manufacturer IP", "Control IP" and "Operator IP" fields show and edit the window's server addresses.
class GatewayController : public QObject {
    Q_OBJECT
public:
    // Lives as long as the page (its parent); the bus must outlive every press.
    GatewayController(MainWindow& window, gateway::GatewayPage& page, Bus& bus);

    // Returns whether the line went out.
    bool runControl(gateway::GatewayControl control);

private:
    MainWindow& m_window;
    gateway::GatewayPage& m_page;
    Bus& m_bus;
};

} // namespace holvex
