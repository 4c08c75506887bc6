#include "sim/frame_recorder.h"

#include "codec/frame_codec.h"
#include "sim/sim_installation.h"

namespace holvex::sim {

FrameRecorder::FrameRecorder(QObject* parent) : QObject(parent) {}

bool FrameRecorder::Open(const QString& path) {
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void FrameRecorder::Attach(SimInstallation* installation) {
    connect(installation, &SimInstallation::frameReceived, this, &FrameRecorder::Record);
}

QString FrameRecorder::Line(const QByteArray& frame) {
    return codec::SpacedHex(frame).trimmed();
}

void FrameRecorder::Record(const QByteArray& frame) {
    if (!m_file.isOpen()) {
        return;
    }
    m_file.write(Line(frame).toLatin1() + '\n');
    m_file.flush();
}

} // namespace holvex::sim
