#include "sim/sim_thread.h"

#include "sim/frame_recorder.h"
#include "sim/gateway_call_endpoint.h"
#include "sim/gateway_server_endpoint.h"
#include "sim/lan_endpoint.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_installation.h"

#include <QMetaObject>

#include <algorithm>

namespace holvex::sim {

SimThread::SimThread() {
    m_thread.setObjectName(QStringLiteral("holvex-sim"));
}

SimThread::~SimThread() {
    stop();
}

bool SimThread::start(const QByteArray& json, QString* error) {
    auto config = parseInstallation(json, error);
    return config && start(*config);
}

bool SimThread::start(const InstallationConfig& config) {
    stop();
    m_context = std::make_unique<QObject>();
    m_thread.start();
    m_context->moveToThread(&m_thread);
    run([this, &config]() { m_installation = new SimInstallation(config, m_context.get()); });
    return true;
}

void SimThread::stop() {
    if (!m_context) {
        return;
    }
    // The objects go down on their own thread, endpoints before the installation they use.
    run([this]() {
        const auto children = m_context->children();
        for (QObject* child : children) {
            if (child != m_installation) {
                delete child;
            }
        }
        delete m_installation;
        m_installation = nullptr;
        m_context->moveToThread(nullptr);
    });
    m_thread.quit();
    m_thread.wait();
    m_context.reset();
}

void SimThread::run(const std::function<void()>& f) {
    if (!m_context) {
        return;
    }
    QMetaObject::invokeMethod(m_context.get(), f, Qt::BlockingQueuedConnection);
}

std::optional<quint16> SimThread::addLan(quint16 port) {
    std::optional<quint16> served;
    run([&]() {
        auto* endpoint = new LanEndpoint(m_installation, m_context.get());
        if (endpoint->listen(port)) {
            served = endpoint->port();
        } else {
            delete endpoint;
        }
    });
    return served;
}

std::optional<quint16> SimThread::addGatewayServer(quint16 port) {
    std::optional<quint16> served;
    run([&]() {
        auto* endpoint = new GatewayServerEndpoint(m_installation, m_context.get());
        if (endpoint->listen(port)) {
            served = endpoint->port();
        } else {
            delete endpoint;
        }
    });
    return served;
}

bool SimThread::addPty(const QString& linkPath, QString* error) {
    bool opened = false;
    run([&]() {
        auto* endpoint = new PtyEndpoint(m_installation, m_context.get());
        opened = endpoint->open(linkPath);
        if (!opened) {
            if (error) {
                *error = endpoint->errorString();
            }
            delete endpoint;
        }
    });
    return opened;
}

void SimThread::removePty(const QString& linkPath) {
    run([&]() {
        for (PtyEndpoint* endpoint : m_context->findChildren<PtyEndpoint*>(Qt::FindDirectChildrenOnly)) {
            if (endpoint->linkPath() == linkPath) {
                delete endpoint;
            }
        }
    });
}

void SimThread::addGatewayCall(const QString& host, quint16 port, int minimumBackoffMs) {
    run([&]() {
        auto* endpoint = new GatewayCallEndpoint(m_installation, m_context.get());
        endpoint->setBackoff(minimumBackoffMs, std::max(minimumBackoffMs, 2000));
        endpoint->start(host, port);
    });
}

bool SimThread::record(const QString& path) {
    bool opened = false;
    run([&]() {
        auto* recorder = new FrameRecorder(m_context.get());
        opened = recorder->open(path);
        if (opened) {
            recorder->attach(m_installation);
        } else {
            delete recorder;
        }
    });
    return opened;
}

void SimThread::with(const std::function<void(SimInstallation&)>& f) {
    run([&]() {
        if (m_installation) {
            f(*m_installation);
        }
    });
}

QList<SimMeterState> SimThread::meterStates() {
    QList<SimMeterState> states;
    with([&states](SimInstallation& bus) { states = bus.meterStates(); });
    return states;
}

} // namespace holvex::sim

namespace holvex::sim {

std::optional<DisplayUnit> SimThread::display() {
    std::optional<DisplayUnit> copy;
    with([&copy](SimInstallation& bus) {
        if (bus.display()) {
            copy = *bus.display();
        }
    });
    return copy;
}

std::optional<WirelessReceiver> SimThread::receiver() {
    std::optional<WirelessReceiver> copy;
    with([&copy](SimInstallation& bus) {
        if (bus.receiver()) {
            copy = *bus.receiver();
        }
    });
    return copy;
}

std::optional<GatewayServicePort> SimThread::gatewayService() {
    std::optional<GatewayServicePort> copy;
    with([&copy](SimInstallation& bus) { copy = bus.gatewayService(); });
    return copy;
}

} // namespace holvex::sim
