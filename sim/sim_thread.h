#pragma once

#include "sim/display_unit.h"
#include "sim/gateway_service_port.h"
#include "sim/installation_config.h"
#include "sim/sim_meter_state.h"
#include "sim/wireless_receiver.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace holvex::sim {

class SimInstallation;

// A simulated installation on a thread of its own, for tests whose code under test may block the calling
// thread (waits on a serial port, sleeps). Every call blocks until the simulator's thread has done it.
//
//     SimThread sim;
//     ASSERT_TRUE(sim.start(json, &error));
//     const quint16 port = sim.addLan(0).value();
//     sim.with([](SimInstallation& bus) { bus.meterByAddress(3)->setFaults({.silent = true}); });
//     const auto receiver = sim.receiver(); // receiver->transparent(), receiver->state().entries ...
class SimThread {
public:
    SimThread();
    ~SimThread();
    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;

    bool start(const QByteArray& json, QString* error);
    bool start(const InstallationConfig& config);
    void stop();

    // Each returns the port served (port 0 picks a free one), or nothing on failure.
    std::optional<quint16> addLan(quint16 port);
    std::optional<quint16> addGatewayServer(quint16 port);
    bool addPty(const QString& linkPath, QString* error = nullptr);
    // The serial adapter pulled out: the pseudo-terminal behind linkPath closes and the link goes.
    void removePty(const QString& linkPath);
    void addGatewayCall(const QString& host, quint16 port, int minimumBackoffMs = 200);
    bool record(const QString& path);

    // Runs f on the simulator's thread with the installation (to change faults, read counters).
    void with(const std::function<void(SimInstallation&)>& f);

    // A copy of every meter's current settings and recorded codes, taken on the simulator's thread, so the
    // caller may keep and read it while the bus goes on; empty when not started.
    QList<SimMeterState> meterStates();
    // Copies of the display unit (nothing when the installation has none or is not started) and of the
    // gateway's service port, with their current settings.
    std::optional<DisplayUnit> display();
    std::optional<GatewayServicePort> gatewayService();
    // A copy of the wireless receiver (settings, entries, bindings, keys, its transparent output so far);
    // nothing when the installation has none or is not started.
    std::optional<WirelessReceiver> receiver();

private:
    void run(const std::function<void()>& f);

    QThread m_thread;
    std::unique_ptr<QObject> m_context; // lives on m_thread; owns the installation and the endpoints
    SimInstallation* m_installation = nullptr;
};

} // namespace holvex::sim
