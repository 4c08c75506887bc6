#pragma once

#include "sim/frame_assembler.h"
#include "sim/paced_line.h"
#include "sim/text_line.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

namespace holvex::sim {

class SimInstallation;
struct SimResponse;

// One raw byte stream (the pseudo-terminal, or one connection of the TCP serial adapter): frames and text
// lines in, the answers out after the turnaround, in their pieces and at their delays.
//
// Bytes that arrive while no frame is unfinished and that start like a text line (startsTextLine) begin a
// text line; every byte that follows belongs to it until the line stays quiet for kLineQuietMs. The
// program writes a line in one go and waits for the answer, so one write is one line; bytes of any value
// inside it (a receiver key's CR, LF, 0x00, 0x68) belong to it. The wireless receiver's key lines may come
// two at once (under the address and under the ID): receiver_lines.h cuts them apart by their length.
//
// On a paced line (InstallationConfig::lineBaud) the received bytes take their time to arrive, an answer
// starts its delay after the request's last byte, and the answers go out a few bytes at a time as the line
// carries them; answers that overlap garble (paced_line.h). An echoing level converter (InstallationConfig::
// echo) writes every received byte back first, at the line's speed when paced.
class StreamSession : public QObject {
    Q_OBJECT

public:
    using Writer = std::function<void(const QByteArray&)>;

    // The writer is called on this object's thread; answers still pending die with the session.
    StreamSession(SimInstallation* installation, Writer writer, QString label, TextRoad road,
                  QObject* parent = nullptr);

    void feed(const QByteArray& bytes);

    // How long the line may stay quiet in the middle of a frame before the partial frame is dropped.
    static constexpr int kIdleResetMs = 500;
    // How long the line stays quiet after a text line's last byte before the line counts as complete.
    static constexpr int kLineQuietMs = 20;
    // A text line longer than this is not one the devices take; it is dropped whole.
    static constexpr int kMaxLineBytes = 1024;

private:
    void dropPartialFrame();
    void gatherLine(const QByteArray& bytes);
    void endLine();
    void send(const SimResponse& response);
    void echo(const QByteArray& bytes);
    double nowMs() const;
    void writeDue();
    void armPace();

    QPointer<SimInstallation> m_installation;
    Writer m_writer;
    QString m_label;
    TextRoad m_road;
    FrameAssembler m_assembler;
    QTimer m_idle;
    bool m_inLine = false;
    bool m_lineTooLong = false;
    QByteArray m_line;
    QTimer m_lineQuiet;
    std::optional<PacedLine> m_paced; // the line's bytes still to go out, when it runs at a real speed
    QElapsedTimer m_clock;
    QTimer m_pace;
    double m_requestEndMs = 0; // when the last received byte has fully arrived
};

} // namespace holvex::sim
