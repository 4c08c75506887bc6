// holvex-sim: a simulated M-Bus installation for tests and demonstrations.

#include "sim/frame_recorder.h"
#include "sim/gateway_call_endpoint.h"
#include "sim/gateway_server_endpoint.h"
#include "sim/lan_endpoint.h"
#include "sim/pty_endpoint.h"
#include "sim/sim_installation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

using namespace holvex::sim;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so that the endpoints close and the terminal link is removed.
void quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void say(const QString& line) {
    std::fprintf(stdout, "holvex-sim: %s\n", qPrintable(line));
    std::fflush(stdout);
}

int fail(const QString& line) {
    std::fprintf(stderr, "holvex-sim: %s\n", qPrintable(line));
    return 2;
}

std::optional<quint16> portOf(const QString& text) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port > 65535) {
        return std::nullopt;
    }
    return static_cast<quint16>(port);
}

QString defaultConfig() {
    const QString local = QStringLiteral("sim/demo.json");
    if (QFileInfo::exists(local)) {
        return local;
    }
    // An installed simulator keeps its demo installation in the program's data folder.
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/holvex/demo.json");
    return QFileInfo::exists(installed) ? installed : QStringLiteral(HOLVEX_SIM_DEFAULT_CONFIG);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("holvex-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated M-Bus installation: meters, the display unit and the wireless receiver behind a "
        "pseudo-terminal or a TCP serial adapter, and gateways with the packet envelope."));
    parser.addHelpOption();
    const QCommandLineOption config(QStringLiteral("config"), QStringLiteral("The installation (JSON)."),
                                    QStringLiteral("file"), defaultConfig());
    const QCommandLineOption pty(QStringLiteral("pty"),
                                 QStringLiteral("Serve a pseudo-terminal; path becomes a link to its slave."),
                                 QStringLiteral("path"));
    const QCommandLineOption lan(QStringLiteral("lan"),
                                 QStringLiteral("TCP serial adapter on 127.0.0.1 (0: any port)."),
                                 QStringLiteral("port"));
    const QCommandLineOption gatewayServer(QStringLiteral("gateway-server"),
                                           QStringLiteral("Gateway of the server version on 127.0.0.1."),
                                           QStringLiteral("port"));
    const QCommandLineOption gatewayCall(QStringLiteral("gateway-call"),
                                         QStringLiteral("Gateway calling in to the program's server socket."),
                                         QStringLiteral("host:port"));
    const QCommandLineOption network(QStringLiteral("network"),
                                     QStringLiteral("The gateway's network number."),
                                     QStringLiteral("a.b.c.d"));
    const QCommandLineOption gatewayTimeout(QStringLiteral("gateway-timeout"),
                                            QStringLiteral("How long the gateway waits for a meter (ms)."),
                                            QStringLiteral("ms"));
    const QCommandLineOption turnaround(QStringLiteral("turnaround"),
                                        QStringLiteral("Pause before a meter answers (ms)."),
                                        QStringLiteral("ms"));
    const QCommandLineOption lineBaud(QStringLiteral("line-baud"),
                                      QStringLiteral("Run the line at this speed (0: answers at once)."),
                                      QStringLiteral("baud"));
    const QCommandLineOption echo(
        QStringLiteral("echo"),
        QStringLiteral("Write every received byte back, as an echoing level converter."));
    const QCommandLineOption record(
        QStringLiteral("record"),
        QStringLiteral(
            "Append every frame (hex) and text line (\"TEXT \" and the line) received to this file."),
        QStringLiteral("file"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Trace the traffic on stderr."));
    parser.addOptions(
        {config, pty, lan, gatewayServer, gatewayCall, network, gatewayTimeout, turnaround, record, log});
    parser.addOptions({lineBaud, echo});
    parser.process(app);

    QString error;
    auto loaded = loadInstallation(parser.value(config), &error);
    if (!loaded) {
        return fail(error);
    }
    if (parser.isSet(network)) {
        const auto number = holvex::codec::parseNetworkNumber(parser.value(network));
        if (!number) {
            return fail(QStringLiteral("--network takes four numbers 0..255 joined by dots"));
        }
        loaded->gateway.network = *number;
    }
    bool ok = true;
    if (parser.isSet(gatewayTimeout)) {
        loaded->gateway.timeoutMs = parser.value(gatewayTimeout).toInt(&ok);
        if (!ok || loaded->gateway.timeoutMs < 0) {
            return fail(QStringLiteral("--gateway-timeout takes milliseconds"));
        }
    }
    if (parser.isSet(turnaround)) {
        loaded->turnaroundMs = parser.value(turnaround).toInt(&ok);
        if (!ok || loaded->turnaroundMs < 0) {
            return fail(QStringLiteral("--turnaround takes milliseconds"));
        }
    }
    if (parser.isSet(lineBaud)) {
        loaded->lineBaud = parser.value(lineBaud).toInt(&ok);
        if (!ok || loaded->lineBaud < 0 || (loaded->lineBaud > 0 && loaded->lineBaud < 300) ||
            loaded->lineBaud > 115200) {
            return fail(QStringLiteral("--line-baud takes 0 or a speed 300..115200"));
        }
    }
    if (parser.isSet(echo)) {
        loaded->echo = true;
    }
    SimInstallation installation(std::move(*loaded));
    say(QStringLiteral("%1 meters from %2").arg(installation.meterCount()).arg(parser.value(config)));
    if (const DisplayUnit* display = installation.display()) {
        say(QStringLiteral("display unit with %1 active entries").arg(display->activeAddresses().size()));
    }
    if (const WirelessReceiver* receiver = installation.receiver()) {
        say(QStringLiteral("wireless receiver with %1 radio meters, firmware %2")
                .arg(receiver->state().meters.size())
                .arg(QString::fromLatin1(receiver->state().firmware)));
    }

    if (parser.isSet(log)) {
        QObject::connect(&installation, &SimInstallation::traced, &app, [](const QString& line) {
            std::fprintf(stderr, "%s %s\n",
                         qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))),
                         qPrintable(line));
        });
    }
    FrameRecorder recorder;
    if (parser.isSet(record)) {
        if (!recorder.open(parser.value(record))) {
            return fail(
                QStringLiteral("cannot write %1: %2").arg(parser.value(record), recorder.errorString()));
        }
        recorder.attach(&installation);
    }

    std::vector<std::unique_ptr<QObject>> endpoints;
    for (const QString& path : parser.values(pty)) {
        auto endpoint = std::make_unique<PtyEndpoint>(&installation);
        if (!endpoint->open(path)) {
            return fail(QStringLiteral("pty %1: %2").arg(path, endpoint->errorString()));
        }
        say(QStringLiteral("pty %1 -> %2").arg(path, endpoint->slavePath()));
        endpoints.push_back(std::move(endpoint));
    }
    for (const QString& text : parser.values(lan)) {
        auto endpoint = std::make_unique<LanEndpoint>(&installation);
        const auto port = portOf(text);
        if (!port || !endpoint->listen(*port)) {
            return fail(QStringLiteral("lan %1: %2")
                            .arg(text, port ? endpoint->errorString() : QStringLiteral("bad port")));
        }
        say(QStringLiteral("lan 127.0.0.1:%1").arg(endpoint->port()));
        endpoints.push_back(std::move(endpoint));
    }
    for (const QString& text : parser.values(gatewayServer)) {
        auto endpoint = std::make_unique<GatewayServerEndpoint>(&installation);
        const auto port = portOf(text);
        if (!port || !endpoint->listen(*port)) {
            return fail(QStringLiteral("gateway-server %1: %2")
                            .arg(text, port ? endpoint->errorString() : QStringLiteral("bad port")));
        }
        say(QStringLiteral("gateway-server 127.0.0.1:%1 network %2")
                .arg(endpoint->port())
                .arg(holvex::codec::networkText(installation.config().gateway.network)));
        endpoints.push_back(std::move(endpoint));
    }
    for (const QString& text : parser.values(gatewayCall)) {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        const auto port = colon > 0 ? portOf(text.mid(colon + 1)) : std::nullopt;
        if (!port || *port == 0) {
            return fail(QStringLiteral("--gateway-call takes host:port"));
        }
        auto endpoint = std::make_unique<GatewayCallEndpoint>(&installation);
        endpoint->start(text.left(colon), *port);
        say(QStringLiteral("gateway-call %1 network %2")
                .arg(text, holvex::codec::networkText(installation.config().gateway.network)));
        endpoints.push_back(std::move(endpoint));
    }
    if (endpoints.empty()) {
        return fail(
            QStringLiteral("nothing to serve: give --pty, --lan, --gateway-server or --gateway-call"));
    }
    quitOnSignals(app);
    say(QStringLiteral("ready"));
    const int code = QCoreApplication::exec();
    endpoints.clear();
    return code;
}
