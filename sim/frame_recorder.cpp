#include "sim/frame_recorder.h"

#include "codec/frame_codec.h"
#include "sim/sim_installation.h"
#include "sim/text_line.h"

namespace holvex::sim {

FrameRecorder::FrameRecorder(QObject* parent) : QObject(parent) {}

bool FrameRecorder::open(const QString& path) {
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void FrameRecorder::attach(SimInstallation* installation) {
    connect(installation, &SimInstallation::frameReceived, this, &FrameRecorder::record);
    connect(installation, &SimInstallation::lineReceived, this, &FrameRecorder::recordLine);
}

QString FrameRecorder::line(const QByteArray& frame) {
    return codec::spacedHex(frame).trimmed();
}

QByteArray FrameRecorder::textLine(const QByteArray& line) {
    return "TEXT " + escapedLine(line);
}

void FrameRecorder::recordLine(const QByteArray& line) {
    if (!m_file.isOpen()) {
        return;
    }
    m_file.write(textLine(line) + '\n');
    m_file.flush();
}

void FrameRecorder::record(const QByteArray& frame) {
    if (!m_file.isOpen()) {
        return;
    }
    m_file.write(line(frame).toLatin1() + '\n');
    m_file.flush();
}

} // namespace holvex::sim
