#include "sim/pty_endpoint.h"

#include "sim/sim_installation.h"
#include "sim/stream_session.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace holvex::sim {

namespace {

constexpr qsizetype kMaxPending = 1 << 20; // an unread terminal must not make the simulator grow forever

QString errnoText(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::PtyEndpoint(SimInstallation* installation, QObject* parent)
    : QObject(parent), m_installation(installation) {}

PtyEndpoint::~PtyEndpoint() {
    close();
}

bool PtyEndpoint::open(const QString& linkPath) {
    close();
    const QFileInfo existing(linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        m_error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, nullptr, &raw, nullptr) != 0) {
        m_error = errnoText("openpty");
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(::ttyname(m_slave));
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    const QByteArray link = QFile::encodeName(linkPath);
    if (existing.isSymLink()) {
        ::unlink(link.constData());
    }
    if (::symlink(QFile::encodeName(m_slavePath).constData(), link.constData()) != 0) {
        m_error = errnoText("symlink");
        close();
        return false;
    }
    m_linkPath = linkPath;

    m_session = new StreamSession(
        m_installation, [this](const QByteArray& bytes) { writeMaster(bytes); }, QStringLiteral("pty"),
        TextRoad::Serial, this);
    // The receiver's transparent output goes out on the serial line by itself.
    connect(m_installation, &SimInstallation::serialOutput, m_session,
            [this](const QByteArray& bytes) { writeMaster(bytes); });
    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyEndpoint::readMaster);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyEndpoint::flushPending);
    return true;
}

void PtyEndpoint::close() {
    m_readNotifier.reset();
    m_writeNotifier.reset();
    delete m_session;
    m_session = nullptr;
    if (!m_linkPath.isEmpty()) {
        // Remove the link only while it still points at this terminal.
        if (QFileInfo(m_linkPath).symLinkTarget() == m_slavePath) {
            ::unlink(QFile::encodeName(m_linkPath).constData());
        }
        m_linkPath.clear();
    }
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
    if (m_slave >= 0) {
        ::close(m_slave);
        m_slave = -1;
    }
    m_pending.clear();
}

void PtyEndpoint::readMaster() {
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_session->feed(QByteArray(buffer, static_cast<qsizetype>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return; // EAGAIN: all read; EIO: no reader on the other side just now
    }
}

void PtyEndpoint::writeMaster(const QByteArray& bytes) {
    if (m_master < 0) {
        return;
    }
    if (m_pending.size() + bytes.size() > kMaxPending) {
        m_installation->trace(
            QStringLiteral("pty: nobody reads the terminal, %1 bytes dropped").arg(bytes.size()));
        return;
    }
    m_pending += bytes;
    flushPending();
}

void PtyEndpoint::flushPending() {
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            m_installation->trace(errnoText("pty write") + QStringLiteral(", answer dropped"));
            m_pending.clear();
        }
        break;
    }
    if (m_writeNotifier) {
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
    }
}

} // namespace holvex::sim
