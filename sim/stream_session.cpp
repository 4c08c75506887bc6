#include "sim/stream_session.h"

#include "codec/frame_codec.h"
#include "sim/sim_installation.h"

#include <utility>

namespace holvex::sim {

StreamSession::StreamSession(SimInstallation* installation, Writer writer, QString label, QObject* parent)
    : QObject(parent), m_installation(installation), m_writer(std::move(writer)), m_label(std::move(label)) {
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleResetMs);
    connect(&m_idle, &QTimer::timeout, this, &StreamSession::dropPartialFrame);
}

void StreamSession::feed(const QByteArray& bytes) {
    if (!m_installation) {
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
        const SimResponse response = m_installation->handleFrame(frame);
        for (const TimedChunk& chunk : response.chunks) {
            const QByteArray out = chunk.bytes;
            QTimer::singleShot(chunk.atMs, this, [this, out]() {
                if (m_installation) {
                    m_installation->trace(
                        QStringLiteral("%1 -> %2").arg(m_label, codec::spacedHex(out).trimmed()));
                }
                m_writer(out);
            });
        }
    }
    if (m_assembler.hasPartial()) {
        m_idle.start();
    } else {
        m_idle.stop();
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
