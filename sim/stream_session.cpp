#include "sim/stream_session.h"

#include "codec/frame_codec.h"
#include "sim/receiver_lines.h"
#include "sim/sim_installation.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace holvex::sim {

StreamSession::StreamSession(SimInstallation* installation, Writer writer, QString label, TextRoad road,
                             QObject* parent)
    : QObject(parent), m_installation(installation), m_writer(std::move(writer)), m_label(std::move(label)),
      m_road(road) {
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleResetMs);
    connect(&m_idle, &QTimer::timeout, this, &StreamSession::dropPartialFrame);
    m_lineQuiet.setSingleShot(true);
    m_lineQuiet.setInterval(kLineQuietMs);
    connect(&m_lineQuiet, &QTimer::timeout, this, &StreamSession::endLine);
    m_clock.start();
    if (installation && installation->config().lineBaud > 0) {
        m_paced.emplace(installation->config().lineBaud);
    }
    m_pace.setSingleShot(true);
    m_pace.setTimerType(Qt::PreciseTimer);
    connect(&m_pace, &QTimer::timeout, this, &StreamSession::writeDue);
}

double StreamSession::nowMs() const {
    return static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
}

void StreamSession::echo(const QByteArray& bytes) {
    if (!m_installation || !m_installation->config().echo) {
        return;
    }
    if (!m_paced) {
        m_writer(bytes);
        return;
    }
    m_paced->place(nowMs(), bytes);
    armPace();
}

void StreamSession::writeDue() {
    if (!m_paced) {
        return;
    }
    const QByteArray out = m_paced->takeDue(nowMs());
    if (!out.isEmpty()) {
        m_writer(out);
    }
    armPace();
}

void StreamSession::armPace() {
    if (!m_paced || m_paced->isEmpty()) {
        m_pace.stop();
        return;
    }
    const double wait = m_paced->nextDueMs() - nowMs();
    m_pace.start(std::max(1, static_cast<int>(std::ceil(wait))));
}

void StreamSession::feed(const QByteArray& bytes) {
    if (!m_installation || bytes.isEmpty()) {
        return;
    }
    // The bytes came in at once, but on the line they follow each other.
    if (m_paced) {
        m_requestEndMs =
            std::max(m_requestEndMs, nowMs()) + static_cast<double>(bytes.size()) * m_paced->byteMs();
    }
    echo(bytes);
    if (m_inLine || (!m_assembler.hasPartial() && startsTextLine(static_cast<std::uint8_t>(bytes.front())))) {
        gatherLine(bytes);
        return;
    }
    const long long droppedBefore = m_assembler.dropped();
    const QList<QByteArray> frames = m_assembler.feed(bytes);
    if (m_assembler.dropped() != droppedBefore) {
        m_installation->trace(QStringLiteral("%1: %2 stray bytes skipped")
                                  .arg(m_label)
                                  .arg(m_assembler.dropped() - droppedBefore));
    }
    for (const QByteArray& frame : frames) {
        m_installation->trace(QStringLiteral("%1 <- %2").arg(m_label, codec::spacedHex(frame).trimmed()));
        send(m_installation->handleFrame(frame));
    }
    if (m_assembler.hasPartial()) {
        m_idle.start();
    } else {
        m_idle.stop();
    }
}

void StreamSession::gatherLine(const QByteArray& bytes) {
    m_inLine = true;
    if (m_line.size() + bytes.size() > kMaxLineBytes) {
        m_lineTooLong = true;
        m_line.clear();
    }
    if (!m_lineTooLong) {
        m_line += bytes;
    }
    m_lineQuiet.start();
}

void StreamSession::endLine() {
    const QByteArray line = std::exchange(m_line, {});
    const bool tooLong = std::exchange(m_lineTooLong, false);
    m_inLine = false;
    if (!m_installation) {
        return;
    }
    if (tooLong) {
        m_installation->trace(
            QStringLiteral("%1: text line longer than %2 bytes dropped").arg(m_label).arg(kMaxLineBytes));
        return;
    }
    // The receiver's lines may come two in one write; each is answered after the one before.
    int from = 0;
    for (const QByteArray& piece : splitReceiverLines(line)) {
        if (!m_installation) {
            return;
        }
        m_installation->trace(
            QStringLiteral("%1 <- text %2").arg(m_label, QString::fromLatin1(escapedLine(piece))));
        SimResponse response = m_installation->handleLine(piece, m_road);
        for (TimedChunk& chunk : response.chunks) {
            chunk.atMs = std::max(chunk.atMs, from);
        }
        from = std::max(from, response.lastMs());
        send(response);
    }
}

void StreamSession::send(const SimResponse& response) {
    if (m_paced) {
        if (!response.isEmpty() && m_installation) {
            const QByteArray all = response.bytes();
            m_installation->trace(QStringLiteral("%1 -> %2 (at line speed)")
                                      .arg(m_label, response.text ? QStringLiteral("text ") +
                                                                        QString::fromLatin1(escapedLine(all))
                                                                  : codec::spacedHex(all).trimmed()));
        }
        placeResponse(*m_paced, std::max(m_requestEndMs, nowMs()), response);
        armPace();
        return;
    }
    for (const TimedChunk& chunk : response.chunks) {
        const QByteArray out = chunk.bytes;
        const bool text = response.text;
        QTimer::singleShot(chunk.atMs, this, [this, out, text]() {
            if (m_installation) {
                m_installation->trace(
                    QStringLiteral("%1 -> %2")
                        .arg(m_label, text ? QStringLiteral("text ") + QString::fromLatin1(escapedLine(out))
                                           : codec::spacedHex(out).trimmed()));
            }
            m_writer(out);
        });
    }
}

void StreamSession::dropPartialFrame() {
    if (m_installation && m_assembler.hasPartial()) {
        m_installation->trace(QStringLiteral("%1: line quiet, %2 bytes of an unfinished frame dropped")
                                  .arg(m_label)
                                  .arg(m_assembler.held()));
    }
    m_assembler.clear();
}

} // namespace holvex::sim
