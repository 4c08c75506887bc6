#include "sim/sim_installation.h"

#include "codec/frame_codec.h"
#include "sim/paced_line.h"
#include "sim/text_routing.h"

#include <QDateTime>

#include <algorithm>

namespace holvex::sim {

namespace {

std::uint8_t byteAt(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

enum class FrameShape { Short, Long, Other };

// Short and long frames with a good checksum and stop byte; anything else the meters do not take.
FrameShape frameShapeOf(const QByteArray& f) {
    const int n = static_cast<int>(f.size());
    if (n == 5 && byteAt(f, 0) == codec::kShortStart && byteAt(f, 4) == codec::kStop &&
        codec::checksum(f, 1, 2) == byteAt(f, 3)) {
        return FrameShape::Short;
    }
    if (n >= 9 && byteAt(f, 0) == codec::kLongStart && byteAt(f, 3) == codec::kLongStart &&
        byteAt(f, 1) == byteAt(f, 2) && byteAt(f, 1) + 6 == n && byteAt(f, n - 1) == codec::kStop &&
        codec::checksum(f, 4, n - 3) == byteAt(f, n - 2)) {
        return FrameShape::Long;
    }
    return FrameShape::Other;
}

// The devices' clocks start at the simulator's start unless the installation sets them.
QDateTime startClock(const QDateTime& configured) {
    if (configured.isValid()) {
        return configured;
    }
    const QDateTime now = QDateTime::currentDateTime();
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()));
}

GatewayServiceConfig serviceConfig(GatewayServiceConfig config) {
    config.clock = startClock(config.clock);
    return config;
}

} // namespace

QByteArray SimResponse::bytes() const {
    QByteArray out;
    for (const TimedChunk& c : chunks) {
        out += c.bytes;
    }
    return out;
}

int SimResponse::lastMs() const {
    int last = 0;
    for (const TimedChunk& c : chunks) {
        last = std::max(last, c.atMs);
    }
    return last;
}

double placeResponse(PacedLine& line, double fromMs, const SimResponse& response) {
    double end = fromMs;
    QList<double> voiceEnds;
    for (const TimedChunk& chunk : response.chunks) {
        const auto voice = static_cast<qsizetype>(std::max(0, chunk.voice));
        if (voiceEnds.size() <= voice) {
            voiceEnds.resize(voice + 1, fromMs);
        }
        voiceEnds[voice] = line.place(std::max(fromMs + chunk.atMs, voiceEnds[voice]), chunk.bytes);
        end = std::max(end, voiceEnds[voice]);
    }
    return end;
}

SimInstallation::SimInstallation(InstallationConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)),
      m_service(serviceConfig(m_config.gatewayService), m_config.gateway.network), m_relayTimer(this) {
    m_meters.reserve(static_cast<std::size_t>(m_config.meters.size()));
    for (const SimMeterConfig& meter : m_config.meters) {
        m_meters.emplace_back(meter);
    }
    if (m_config.display) {
        DisplayConfig display = *m_config.display;
        display.clock = startClock(display.clock);
        m_display.emplace(std::move(display));
    }
    m_clock.start();
    m_relayTimer.setSingleShot(true);
    connect(&m_relayTimer, &QTimer::timeout, this, &SimInstallation::relayDue);
    if (m_config.receiver) {
        ReceiverConfig receiver = *m_config.receiver;
        receiver.clock = startClock(receiver.clock);
        m_receiver.emplace(std::move(receiver));
        armRelay();
    }
}

std::unique_ptr<SimInstallation> SimInstallation::fromJson(const QByteArray& json, QString* error) {
    auto config = parseInstallation(json, error);
    if (!config) {
        return nullptr;
    }
    return std::make_unique<SimInstallation>(std::move(*config));
}

void SimInstallation::setGatewayOptions(const GatewayOptions& options) {
    m_config.gateway = options;
    m_service.apply("NETN", codec::networkText(options.network).toLatin1());
    static_cast<void>(m_service.takeChange());
}

SimMeter* SimInstallation::meterByAddress(int address) {
    for (SimMeter& m : m_meters) {
        if (m.config().address && *m.config().address == address) {
            return &m;
        }
    }
    return nullptr;
}

SimMeter* SimInstallation::meterById(const QString& id) {
    for (SimMeter& m : m_meters) {
        if (m.config().id.compare(id, Qt::CaseInsensitive) == 0) {
            return &m;
        }
    }
    return nullptr;
}

QList<SimMeterState> SimInstallation::meterStates() const {
    QList<SimMeterState> states;
    states.reserve(static_cast<qsizetype>(m_meters.size()));
    for (const SimMeter& m : m_meters) {
        states.append(m.state());
    }
    return states;
}

int SimInstallation::answerDelayMs(const SimMeter& meter) const {
    return m_config.turnaroundMs + std::max(0, meter.config().faults.lateMs);
}

void SimInstallation::trace(const QString& line) {
    emit traced(line);
}

SimResponse SimInstallation::handleFrame(const QByteArray& frame) {
    emit frameReceived(frame);
    const QList<MeterAnswer> answers = dispatch(frame);
    SimResponse response = combine(answers);
    if (response.answering > 1) {
        trace(QStringLiteral("  %1 meters answer at once: collision").arg(response.answering));
    }
    return response;
}

SimResponse SimInstallation::handlePayload(const QByteArray& payload, TextRoad road) {
    return isTextLine(payload) ? handleLine(payload, road) : handleFrame(payload);
}

SimResponse SimInstallation::handleLine(const QByteArray& line, TextRoad road) {
    emit lineReceived(line);
    const std::optional<TextLine> parsed = parseTextLine(line);
    const TextDevicesPresent present{.display = m_display.has_value(),
                                     .gatewayService = true,
                                     .receiver = m_receiver.has_value(),
                                     .serialTextDevice = m_config.serialTextDevice};
    const std::optional<TextDevice> device = parsed ? routeTextLine(*parsed, road, present) : std::nullopt;
    if (!device) {
        trace(QStringLiteral("  no device takes the line"));
        return {};
    }
    std::optional<QByteArray> answer;
    TextDeviceFaults faults;
    QString label;
    QString change;
    if (*device == TextDevice::Display) {
        label = QStringLiteral("display");
        answer = m_display->answer(*parsed);
        faults = m_display->faults();
        change = m_display->takeChange();
    } else if (*device == TextDevice::Receiver) {
        label = QStringLiteral("receiver");
        answer = m_receiver->answer(*parsed, m_clock.elapsed());
        faults = m_receiver->faults().text;
        change = m_receiver->takeChange();
        armRelay();
    } else {
        label = QStringLiteral("gateway service port");
        const codec::NetworkNumber before = m_service.network();
        answer = m_service.answer(*parsed);
        faults = m_service.faults();
        change = m_service.takeChange();
        // The network number set on the service port is the one the gateway's packets carry from now on.
        if (m_service.network() != before) {
            m_config.gateway.network = m_service.network();
        }
    }
    if (!change.isEmpty()) {
        trace(QStringLiteral("  %1 %2").arg(label, change));
    }
    if (!answer) {
        trace(QStringLiteral("  %1 stays quiet").arg(label));
        return {};
    }
    trace(QStringLiteral("  %1 answers %2 bytes").arg(label).arg(answer->size()));
    MeterAnswer spoken;
    spoken.bytes = *answer;
    spoken.delayMs = std::max(0, faults.lateMs);
    spoken.pieces = std::max(1, faults.pieces);
    spoken.gapMs = std::max(0, faults.gapMs);
    SimResponse response = combine({spoken});
    response.text = true;
    return response;
}

void SimInstallation::relayDue() {
    if (!m_receiver) {
        return;
    }
    for (const QByteArray& bytes : m_receiver->takeRelayed(m_clock.elapsed())) {
        const bool telegram = std::any_of(bytes.begin(), bytes.end(), [](char c) {
            return (c < 0x20 || c > 0x7E) && c != '\n' && c != '\r';
        });
        trace(QStringLiteral("receiver relays %1")
                  .arg(telegram ? codec::spacedHex(bytes).trimmed()
                                : QStringLiteral("text ") + QString::fromLatin1(escapedLine(bytes))));
        emit serialOutput(bytes);
    }
    armRelay();
}

void SimInstallation::armRelay() {
    const std::optional<qint64> next = m_receiver ? m_receiver->nextRelayMs() : std::nullopt;
    if (!next) {
        m_relayTimer.stop();
        return;
    }
    m_relayTimer.start(static_cast<int>(std::clamp<qint64>(*next - m_clock.elapsed(), 0, 600000)));
}

QList<MeterAnswer> SimInstallation::dispatch(const QByteArray& frame) {
    QList<MeterAnswer> answers;
    const FrameShape shape = frameShapeOf(frame);
    if (shape == FrameShape::Other) {
        trace(QStringLiteral("  not a valid frame: ignored"));
        return answers;
    }
    const std::uint8_t c = byteAt(frame, shape == FrameShape::Short ? 1 : 4);
    const std::uint8_t a = byteAt(frame, shape == FrameShape::Short ? 2 : 5);

    if (a == codec::address::kBroadcast) {
        // Nobody answers a broadcast without reply; a link reset there restarts every meter.
        if (shape == FrameShape::Short && c == codec::control::kSndNke) {
            for (SimMeter& m : m_meters) {
                m.globalReset();
            }
            trace(QStringLiteral("  global initialization: every meter reset"));
        }
        return answers;
    }

    // A selection too short to carry the whole address names nobody, so it too ends every selection.
    const bool selection =
        shape == FrameShape::Long && a == codec::address::kSelected && byteAt(frame, 6) == codec::ci::kSelect;
    for (SimMeter& m : m_meters) {
        bool addressed = false;
        if (selection) {
            // Every meter takes part: the named ones become selected, the others leave the selected state.
            const bool match = m.matchesSelection(frame.mid(7, std::min<qsizetype>(8, frame.size() - 9)));
            m.setSelected(match);
            addressed = match;
        } else if (a == codec::address::kBroadcastReply) {
            addressed = true;
        } else if (a == codec::address::kSelected) {
            addressed = m.selected();
        } else {
            addressed = m.config().address && *m.config().address == a;
        }
        if (!addressed) {
            continue;
        }
        const QString label = m.label(); // before a new address changes it
        auto answer = m.answer(frame);
        if (const QString change = m.takeChange(); !change.isEmpty()) {
            trace(QStringLiteral("  %1 %2").arg(label, change));
        }
        if (answer) {
            trace(QStringLiteral("  %1 answers %2 bytes").arg(m.label()).arg(answer->bytes.size()));
            answers.append(*answer);
        } else {
            trace(QStringLiteral("  %1 stays quiet").arg(label));
        }
    }
    return answers;
}

SimResponse SimInstallation::combine(const QList<MeterAnswer>& answers) const {
    SimResponse response;
    response.answering = static_cast<int>(answers.size());
    const int turnaround = m_config.turnaroundMs;
    // On a paced line every answer keeps its own timing; the line lays overlapping bytes over each other.
    if (answers.size() == 1 || m_config.lineBaud > 0) {
        for (int voice = 0; voice < answers.size(); ++voice) {
            const MeterAnswer& a = answers.at(voice);
            const int n = static_cast<int>(a.bytes.size());
            const int pieces = std::clamp(a.pieces, 1, std::max(1, n));
            int start = 0;
            for (int i = 0; i < pieces; ++i) {
                const int end = n * (i + 1) / pieces;
                response.chunks.append(
                    {turnaround + a.delayMs + i * a.gapMs, a.bytes.mid(start, end - start), voice});
                start = end;
            }
        }
        return response;
    }
    if (answers.isEmpty()) {
        return response;
    }
    // A collision: the answers overlap on the line; they arrive as one block once the slowest is done.
    QByteArray bytes;
    int at = 0;
    for (const MeterAnswer& a : answers) {
        at = std::max(at, a.delayMs + (a.pieces - 1) * a.gapMs);
        if (m_config.collision == CollisionMode::Concatenate) {
            bytes += a.bytes;
            continue;
        }
        if (bytes.size() < a.bytes.size()) {
            bytes.resize(a.bytes.size(), '\0');
        }
        for (int i = 0; i < a.bytes.size(); ++i) {
            bytes[i] = static_cast<char>(byteAt(bytes, i) | byteAt(a.bytes, i));
        }
    }
    response.chunks.append({turnaround + at, bytes});
    return response;
}

} // namespace holvex::sim
