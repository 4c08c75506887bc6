#include "sim/sim_installation.h"

#include "codec/frame_codec.h"

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

SimInstallation::SimInstallation(InstallationConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)) {
    m_meters.reserve(static_cast<std::size_t>(m_config.meters.size()));
    for (const SimMeterConfig& meter : m_config.meters) {
        m_meters.emplace_back(meter);
    }
}

std::unique_ptr<SimInstallation> SimInstallation::fromJson(const QByteArray& json, QString* error) {
    auto config = parseInstallation(json, error);
    if (!config) {
        return nullptr;
    }
    return std::make_unique<SimInstallation>(std::move(*config));
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
    if (answers.size() == 1) {
        const MeterAnswer& a = answers.first();
        const int n = static_cast<int>(a.bytes.size());
        const int pieces = std::clamp(a.pieces, 1, std::max(1, n));
        int start = 0;
        for (int i = 0; i < pieces; ++i) {
            const int end = n * (i + 1) / pieces;
            response.chunks.append({turnaround + a.delayMs + i * a.gapMs, a.bytes.mid(start, end - start)});
            start = end;
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
