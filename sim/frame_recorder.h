#pragma once

#include <QByteArray>
#include <QFile>
#include <QObject>
#include <QString>

namespace holvex::sim {

class SimInstallation;

// Appends every frame the installation receives to a file: upper-case hex, bytes separated by a blank, one
// frame per line, written through at once so that a test can read it while the simulator runs.
class FrameRecorder : public QObject {
    Q_OBJECT

public:
    explicit FrameRecorder(QObject* parent = nullptr);

    bool open(const QString& path);
    void attach(SimInstallation* installation);
    void record(const QByteArray& frame);
    QString errorString() const { return m_file.errorString(); }

    // "10 7B 01 7C 16"
    static QString line(const QByteArray& frame);

private:
    QFile m_file;
};

} // namespace holvex::sim
