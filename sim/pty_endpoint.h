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
    bool Open(const QString& linkPath);
    void Close();

    QString LinkPath() const { return m_linkPath; }
    QString SlavePath() const { return m_slavePath; }
    QString ErrorString() const { return m_error; }

private:
    void ReadMaster();
    void WriteMaster(const QByteArray& bytes);
    void FlushPending();

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
