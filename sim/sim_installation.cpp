#include "sim/sim_installation.h"

#include "codec/frame_codec.h"

#include <algorithm>

namespace holvex::sim {

namespace {

std::uint8_t At(const QByteArray& bytes, int index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

enum class FrameShape { Short, Long, Other };

// Short and long frames with a good checksum and stop byte; anything else the meters do not take.
FrameShape Shape(const QByteArray& f) {
    const int n = static_cast<int>(f.size());
    if (n == 5 && At(f, 0) == codec::kShortStart && At(f, 4) == codec::kStop &&
        codec::Checksum(f, 1, 2) == At(f, 3)) {
        return FrameShape::Short;
    }
    if (n >= 9 && At(f, 0) == codec::kLongStart && At(f, 3) == codec::kLongStart && At(f, 1) == At(f, 2) &&
        At(f, 1) + 6 == n && At(f, n - 1) == codec::kStop && codec::Checksum(f, 4, n - 3) == At(f, n - 2)) {
        return FrameShape::Long;
    }
    return FrameShape::Other;
}

} // namespace

QByteArray SimResponse::Bytes() const {
    QByteArray out;
    for (const TimedChunk& c : chunks) {
        out += c.bytes;
    }
    return out;
}

int SimResponse::LastMs() const {
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

std::unique_ptr<SimInstallation> SimInstallation::FromJson(const QByteArray& json, QString* error) {
    auto config = ParseInstallation(json, error);
    if (!config) {
        return nullptr;
    }
    return std::make_unique<SimInstallation>(std::move(*config));
}

SimMeter* SimInstallation::MeterByAddress(int address) {
    for (SimMeter& m : m_meters) {
        if (m.Config().address && *m.Config().address == address) {
            return &m;
        }
    }
    return nullptr;
}

SimMeter* SimInstallation::MeterById(const QString& id) {
    for (SimMeter& m : m_meters) {
        if (m.Config().id.compare(id, Qt::CaseInsensitive) == 0) {
            return &m;
        }
    }
    return nullptr;
}

QList<SimMeterState> SimInstallation::MeterStates() const {
    QList<SimMeterState> states;
    states.reserve(static_cast<qsizetype>(m_meters.size()));
    for (const SimMeter& m : m_meters) {
        states.append(m.State());
    }
    return states;
}

void SimInstallation::Trace(const QString& line) {
    emit traced(line);
}

SimResponse SimInstallation::HandleFrame(const QByteArray& frame) {
    emit frameReceived(frame);
    const QList<MeterAnswer> answers = Dispatch(frame);
    SimResponse response = Combine(answers);
    if (response.answering > 1) {
        Trace(QStringLiteral("  %1 meters answer at once: collision").arg(response.answering));
    }
    return response;
}

QList<MeterAnswer> SimInstallation::Dispatch(const QByteArray& frame) {
    QList<MeterAnswer> answers;
    const FrameShape shape = Shape(frame);
    if (shape == FrameShape::Other) {
        Trace(QStringLiteral("  not a valid frame: ignored"));
        return answers;
    }
    const std::uint8_t c = At(frame, shape == FrameShape::Short ? 1 : 4);
    const std::uint8_t a = At(frame, shape == FrameShape::Short ? 2 : 5);

    if (a == codec::address::kBroadcast) {
        // Nobody answers a broadcast without reply; a link reset there restarts every meter.
        if (shape == FrameShape::Short && c == codec::control::kSndNke) {
            for (SimMeter& m : m_meters) {
                m.GlobalReset();
            }
            Trace(QStringLiteral("  global initialization: every meter reset"));
        }
        return answers;
    }

    // A selection too short to carry the whole address names nobody, so it too ends every selection.
    const bool selection =
        shape == FrameShape::Long && a == codec::address::kSelected && At(frame, 6) == codec::ci::kSelect;
    for (SimMeter& m : m_meters) {
        bool addressed = false;
        if (selection) {
            // Every meter takes part: the named ones become selected, the others leave the selected state.
            const bool match = m.MatchesSelection(frame.mid(7, std::min<qsizetype>(8, frame.size() - 9)));
            m.SetSelected(match);
            addressed = match;
        } else if (a == codec::address::kBroadcastReply) {
            addressed = true;
        } else if (a == codec::address::kSelected) {
            addressed = m.Selected();
        } else {
            addressed = m.Config().address && *m.Config().address == a;
        }
        if (!addressed) {
            continue;
        }
        const QString label = m.Label(); // before a new address changes it
        auto answer = m.Answer(frame);
        if (const QString change = m.TakeChange(); !change.isEmpty()) {
            Trace(QStringLiteral("  %1 %2").arg(label, change));
        }
        if (answer) {
            Trace(QStringLiteral("  %1 answers %2 bytes").arg(m.Label()).arg(answer->bytes.size()));
            answers.append(*answer);
        } else {
            Trace(QStringLiteral("  %1 stays quiet").arg(label));
        }
    }
    return answers;
}

SimResponse SimInstallation::Combine(const QList<MeterAnswer>& answers) const {
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
            bytes[i] = static_cast<char>(At(bytes, i) | At(a.bytes, i));
        }
    }
    response.chunks.append({turnaround + at, bytes});
    return response;
}

} // namespace holvex::sim
