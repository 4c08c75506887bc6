#pragma once

// The whole read road without widgets: the real channel and every meter operation over the simulated
// installation on a thread of its own, reached by one of the four channels a bus can be behind.

#include "bus/bus.h"
#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "bus/timer_set.h"
#include "fake_sinks.h"
#include "lang/message_language.h"
#include "links/channel.h"
#include "links/road_links.h"
#include "log/log_sink.h"
#include "log/progress_sink.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/string_grid_model.h"
#include "settings/settings.h"
#include "sim/sim_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

namespace holvex::test {

enum class Road { SerialPty, LanAdapter, GatewayServer, GatewayCallingIn };

inline std::string roadName(Road road) {
    switch (road) {
    case Road::SerialPty:
        return "SerialPty";
    case Road::LanAdapter:
        return "LanAdapter";
    case Road::GatewayServer:
        return "GatewayServer";
    case Road::GatewayCallingIn:
        return "GatewayCallingIn";
    }
    return "Unknown";
}

inline void PrintTo(Road road, std::ostream* out) {
    *out << roadName(road);
}

// Runs the event loop until the condition holds or the time is up.
inline bool spinFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

using RoadLog = FakeLog;

// Starts with an empty range, as the window's progress bar does.
class RoadProgress : public FakeProgress {
public:
    RoadProgress() { maximum = 0; }
};

// One installation behind one channel. The simulator records every frame it receives (gateway requests:
// their payload) into a file of the temporary folder.
class RoadBench {
public:
    // The reply period leaves room for a loaded machine and the sanitizers' slower code.
    explicit RoadBench(int periodMs = 150) {
        bus.timers().setResponseTimeout(periodMs);
        settings.Timeout = periodMs;
        settings.Retry = 0;
        settings.KeepAlive = false;
        settings.EthTimeout = 20; // 200 ms connect wait
        settings.RemoteIp = QStringLiteral("127.0.0.1");
    }

    ~RoadBench() {
        bus.timers().stopAll();
        bus.channel().closeChannel();
        channel.closeSerialPort();
    }

    RoadBench(const RoadBench&) = delete;
    RoadBench& operator=(const RoadBench&) = delete;

    // Starts the simulator and makes the road ready for the first operation; `error` says what failed.
    bool start(Road road, const QByteArray& json, QString* error) {
        const auto config = sim::parseInstallation(json, error);
        return config && start(road, *config, error);
    }

    // The same from an installation already read (sim::loadInstallation("sim/demo.json") with lineBaud set,
    // for one).
    bool start(Road road, const sim::InstallationConfig& config, QString* error) {
        if (!dir.isValid() || !sim.start(config)) {
            return false;
        }
        recordPath = dir.filePath(QStringLiteral("frames.txt"));
        if (!sim.record(recordPath)) {
            *error = QStringLiteral("record file");
            return false;
        }
        switch (road) {
        case Road::SerialPty: {
            const QString link = dir.filePath(QStringLiteral("mbus"));
            if (!sim.addPty(link, error)) {
                return false;
            }
            settings.PortName = link;
            settings.Speed = QStringLiteral("2400");
            settings.Parity = QStringLiteral("Even");
            return true;
        }
        case Road::LanAdapter: {
            const auto port = sim.addLan(0);
            if (!port) {
                *error = QStringLiteral("LAN endpoint");
                return false;
            }
            settings.UseLanXp = true;
            settings.RemotePort = QString::number(*port);
            return true;
        }
        case Road::GatewayServer: {
            const auto port = sim.addGatewayServer(0);
            if (!port) {
                *error = QStringLiteral("gateway server endpoint");
                return false;
            }
            settings.UseFerrinServ = true;
            settings.RemotePort = QString::number(*port);
            settings.NetNumber = QStringLiteral("0.0.0.3");
            return true;
        }
        case Road::GatewayCallingIn:
            return callIn(error);
        }
        return false;
    }

    // The program listens on a free port and the simulated gateway calls in; ready once its identification
    // packet has been taken.
    bool callIn(QString* error) {
        settings.UseEthernet = true;
        settings.ListenPort = QStringLiteral("0");
        channel.toggleServerSocket(settings.ListenPort);
        if (!state.ServerListening) {
            *error = QStringLiteral("server socket");
            return false;
        }
        sim.addGatewayCall(QStringLiteral("127.0.0.1"), channel.listeningPort(), 50);
        if (!spinFor(
                [this] { return state.GatewayCalledIn && log.hasPrefix(QStringLiteral("Connected Ferrin")); },
                5000)) {
            *error = QStringLiteral("the gateway did not call in");
            return false;
        }
        return true;
    }

    bool anyTimerActive() const {
        return respond.isActive() || readAll.isActive() || secondary.isActive() || set.isActive() ||
               freeCommand.isActive();
    }

    // Runs the event loop until every operation has ended.
    bool runToEnd(int timeoutMs = 5000) {
        return spinFor([this] { return !anyTimerActive() && !operations.busy(); }, timeoutMs);
    }

    // The frames the installation received so far, one "10 7B 01 7C 16" per frame.
    QStringList recorded() const {
        QFile file(recordPath);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return {};
        }
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Table rows 1.. as "ID/address".
    QStringList rows() const {
        QStringList rows;
        for (int row = 1; row < table.gridRowCount(); ++row) {
            rows.append(table.cell(row, 0) + QLatin1Char('/') + table.cell(row, 1));
        }
        return rows;
    }

    QTemporaryDir dir;
    QString recordPath;
    sim::SimThread sim; // stops after the bus has let go of its end
    Settings settings;
    RunState state;
    RoadLog log;
    RoadProgress progress;
    MessageLanguage language;
    StringGridModel table{12};
    Bus bus{BusParts{settings, state, log, progress, language, table},
            BusHooks{nullptr,
                     [] { return QLatin1Char('.'); },
                     [] { return QStringLiteral("10:00:00"); },
                     [] { return QStringLiteral("08/12/2026"); },
                     {}}};
    // The roads themselves: the port, the server socket and the two clients.
    links::RoadLinks& channel = *bus.roads();
    BusContext& context = bus.context();
    MeterOperations& operations = bus.operations();
    QTimer& respond = *bus.timers().timer(TimerId::Respond);
    QTimer& readAll = *bus.timers().timer(TimerId::ReadAll);
    QTimer& secondary = *bus.timers().timer(TimerId::Secondary);
    QTimer& set = *bus.timers().timer(TimerId::Set);
    QTimer& freeCommand = *bus.timers().timer(TimerId::FreeCommand);
    QTimer& autoAddress = *bus.timers().timer(TimerId::AutoAddress);
};

} // namespace holvex::test
