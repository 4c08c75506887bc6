#include "app/gateway_controller.h"

#include "app/main_window.h"
#include "bus/bus.h"
#include "devices/gateway/gateway_commands.h"
#include "devices/gateway/gateway_page.h"

namespace holvex {

GatewayController::GatewayController(MainWindow& window, gateway::GatewayPage& page, Bus& bus)
    : QObject(&page), m_window(window), m_page(page), m_bus(bus) {
    m_page.setServerAddresses(m_window.manufacturerServer(), m_window.controlServer(),
                              m_window.operatorServer());
    connect(&m_page, &gateway::GatewayPage::serverAddressesChanged, &m_window,
            &MainWindow::setServerAddresses);
    connect(&m_page, &gateway::GatewayPage::controlPressed, this, &GatewayController::runControl);
}

bool GatewayController::runControl(gateway::GatewayControl control) {
    return m_bus.start([this, control] {
        return m_bus.gatewayCommands().run(control, m_page.inputs()) == gateway::GatewayOutcome::Sent;
    });
}

} // namespace holvex
