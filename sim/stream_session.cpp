#include "sim/stream_session.h"

#include "codec/frame_codec.h"
#include "sim/sim_installation.h"

#include <utility>

namespace holvex::sim {

StreamSession::StreamSession(SimInstallation* installation, Writer writer, QString label, QObject* parent)
    : QObject(parent), m_installation(installation), m_writer(std::move(writer)), m_label(std::move(label)) {
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleResetMs);
    connect(&m_idle, &QTimer::timeout, this, &StreamSession::DropPartialFrame);
}

void StreamSession::Feed(const QByteArray& bytes) {
    if (!m_installation) {
        return;
    }
    const long long droppedBefore = m_assembler.Dropped();
    const QList<QByteArray> frames = m_assembler.Feed(bytes);
    if (m_assembler.Dropped() != droppedBefore) {
        m_installation->Trace(QStringLiteral("%1: %2 stray bytes skipped")
                                  .arg(m_label)
                                  .arg(m_assembler.Dropped() - droppedBefore));
    }
    for (const QByteArray& frame : frames) {
        m_installation->Trace(QStringLiteral("%1 <- %2").arg(m_label, codec::SpacedHex(frame).trimmed()));
        const SimResponse response = m_installation->HandleFrame(frame);
        for (const TimedChunk& chunk : response.chunks) {
            const QByteArray out = chunk.bytes;
            QTimer::singleShot(chunk.atMs, this, [this, out]() {
                if (m_installation) {
                    m_installation->Trace(
                        QStringLiteral("%1 -> %2").arg(m_label, codec::SpacedHex(out).trimmed()));
                }
                m_writer(out);
            });
        }
    }
    if (m_assembler.HasPartial()) {
        m_idle.start();
    } else {
        m_idle.stop();
    }
}

void StreamSession::DropPartialFrame() {
    if (m_installation && m_assembler.HasPartial()) {
        m_installation->Trace(QStringLiteral("%1: line quiet, %2 bytes of an unfinished frame dropped")
                                  .arg(m_label)
                                  .arg(m_assembler.Held()));
    }
    m_assembler.Clear();
}

} // namespace holvex::sim
