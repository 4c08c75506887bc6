#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

namespace holvex::sim {

class SimInstallation;

// Appends every frame and every text line the installation receives to a file, one per line, written through
// at once so that a test can read it while the simulator runs. A frame is upper-case hex with a blank between
// bytes ("10 7B 01 7C 16"); a text line is "TEXT " followed by the line as escapedLine writes it
// (text_line.h: a backslash, CR and LF as \\, \r and \n, other control bytes as \xHH, everything else as
// received: "TEXT SET ENTR=5", "TEXT set encr=5,\x00\r\n..."); unescapedLine gives the received bytes back.
// No hex line can start with "TEXT".
class FrameRecorder : public QObject {
    Q_OBJECT

public:
    explicit FrameRecorder(QObject* parent = nullptr);

    bool open(const QString& path);
    void attach(SimInstallation* installation);
    void record(const QByteArray& frame);
    void recordLine(const QByteArray& line);
    QString errorString() const { return m_file.errorString(); }

    // "10 7B 01 7C 16"
    static QString line(const QByteArray& frame);
    // "TEXT GET ENTR=5,1"
    static QByteArray textLine(const QByteArray& line);

private:
    QFile m_file;
};

} // namespace holvex::sim
