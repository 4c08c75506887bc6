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
    Stop();
}

bool SimThread::Start(const QByteArray& json, QString* error) {
    auto config = ParseInstallation(json, error);
    return config && Start(*config);
}

bool SimThread::Start(const InstallationConfig& config) {
    Stop();
    m_context = std::make_unique<QObject>();
    m_thread.start();
    m_context->moveToThread(&m_thread);
    Run([this, &config]() { m_installation = new SimInstallation(config, m_context.get()); });
    return true;
}

void SimThread::Stop() {
    if (!m_context) {
        return;
    }
    // The objects go down on their own thread, endpoints before the installation they use.
    Run([this]() {
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

void SimThread::Run(const std::function<void()>& f) {
    if (!m_context) {
        return;
    }
    QMetaObject::invokeMethod(m_context.get(), f, Qt::BlockingQueuedConnection);
}

std::optional<quint16> SimThread::AddLan(quint16 port) {
    std::optional<quint16> served;
    Run([&]() {
        auto* endpoint = new LanEndpoint(m_installation, m_context.get());
        if (endpoint->Listen(port)) {
            served = endpoint->Port();
        } else {
            delete endpoint;
        }
    });
    return served;
}

std::optional<quint16> SimThread::AddGatewayServer(quint16 port) {
    std::optional<quint16> served;
    Run([&]() {
        auto* endpoint = new GatewayServerEndpoint(m_installation, m_context.get());
        if (endpoint->Listen(port)) {
            served = endpoint->Port();
        } else {
            delete endpoint;
        }
    });
    return served;
}

bool SimThread::AddPty(const QString& linkPath, QString* error) {
    bool opened = false;
    Run([&]() {
        auto* endpoint = new PtyEndpoint(m_installation, m_context.get());
        opened = endpoint->Open(linkPath);
        if (!opened) {
            if (error) {
                *error = endpoint->ErrorString();
            }
            delete endpoint;
        }
    });
    return opened;
}

void SimThread::AddGatewayCall(const QString& host, quint16 port, int minimumBackoffMs) {
    Run([&]() {
        auto* endpoint = new GatewayCallEndpoint(m_installation, m_context.get());
        endpoint->SetBackoff(minimumBackoffMs, std::max(minimumBackoffMs, 2000));
        endpoint->Start(host, port);
    });
}

bool SimThread::Record(const QString& path) {
    bool opened = false;
    Run([&]() {
        auto* recorder = new FrameRecorder(m_context.get());
        opened = recorder->Open(path);
        if (opened) {
            recorder->Attach(m_installation);
        } else {
            delete recorder;
        }
    });
    return opened;
}

void SimThread::With(const std::function<void(SimInstallation&)>& f) {
    Run([&]() {
        if (m_installation) {
            f(*m_installation);
        }
    });
}

QList<SimMeterState> SimThread::MeterStates() {
    QList<SimMeterState> states;
    With([&states](SimInstallation& bus) { states = bus.MeterStates(); });
    return states;
}

} // namespace holvex::sim
