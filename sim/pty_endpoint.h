#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace holvex::sim {

class SimInstallation;
class StreamSession;

// A pseudo-terminal whose slave side the program opens as its serial port through a symbolic link.
// The installation must outlive the endpoint.
class PtyEndpoint : public QObject {
    Q_OBJECT

public:
    explicit PtyEndpoint(SimInstallation* installation, QObject* parent = nullptr);
    ~PtyEndpoint() override;

    // Opens the pseudo-terminal in raw mode and points linkPath at its slave (an old link there is
    // replaced; any other file there is left alone and the open fails).
    bool open(const QString& linkPath);
    void close();

    QString linkPath() const { return m_linkPath; }
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

private:
    void readMaster();
    void writeMaster(const QByteArray& bytes);
    void flushPending();

    SimInstallation* m_installation;
    int m_master = -1;
    int m_slave = -1; // kept open so the master never sees a hang-up while the program has the port closed
    QString m_linkPath;
    QString m_slavePath;
    QString m_error;
    QByteArray m_pending; // answer bytes the terminal could not take yet
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    StreamSession* m_session = nullptr;
};

} // namespace holvex::sim
