#pragma once

#include "sim/frame_assembler.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

namespace holvex::sim {

class SimInstallation;

// One raw M-Bus byte stream (the pseudo-terminal, or one connection of the TCP serial adapter): frames in,
// the meters' answers out after the turnaround, in their pieces and at their delays.
class StreamSession : public QObject {
    Q_OBJECT

public:
    using Writer = std::function<void(const QByteArray&)>;

    // The writer is called on this object's thread; answers still pending die with the session.
    StreamSession(SimInstallation* installation, Writer writer, QString label, QObject* parent = nullptr);

    void feed(const QByteArray& bytes);

    // How long the line may stay quiet in the middle of a frame before the partial frame is dropped.
    static constexpr int kIdleResetMs = 500;

private:
    void dropPartialFrame();

    QPointer<SimInstallation> m_installation;
    Writer m_writer;
    QString m_label;
    FrameAssembler m_assembler;
    QTimer m_idle;
};

} // namespace holvex::sim
