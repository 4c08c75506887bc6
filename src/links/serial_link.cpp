#include "links/serial_link.h"

#include "bus/event_loop_wait.h"
#include "bus/run_state.h"
#include "lang/message_language.h"
#include "links/serial_port_names.h"
#include "log/log_sink.h"
#include "settings/settings.h"

#include <exception>

namespace holvex::links {

namespace {

// Let the driver settle before the port may be opened again.
constexpr int kReleaseWaitMs = 40;
constexpr int kWriteWaitMs = 1000;

QString closedText(const QString& name) {
    return name + QStringLiteral(" is closed");
}

} // namespace

SerialLink::SerialLink(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
                       QObject* parent)
    : QObject(parent), m_settings(settings), m_state(state), m_log(log), m_language(language) {
    // Reported from inside the port's own read handling: the port closes once that has returned.
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ResourceError && m_port.isOpen()) {
            QMetaObject::invokeMethod(this, &SerialLink::dropVanishedPort, Qt::QueuedConnection);
        }
    });
}

void SerialLink::dropVanishedPort() {
    if (!m_port.isOpen()) {
        return;
    }
    const QString name = m_openName.isEmpty() ? m_settings.PortName : m_openName;
    m_log.logLine(name + QStringLiteral(" lost: ") + m_port.errorString());
    closeOpenPort();
}

SerialLink::~SerialLink() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

qint32 SerialLink::baudRateFor(const QString& speed) {
    const QString text = speed.trimmed();
    if (text == QLatin1String("300")) {
        return 300;
    }
    if (text == QLatin1String("1200")) {
        return QSerialPort::Baud1200;
    }
    if (text == QLatin1String("4800")) {
        return QSerialPort::Baud4800;
    }
    if (text == QLatin1String("9600")) {
        return QSerialPort::Baud9600;
    }
    if (text == QLatin1String("19200")) {
        return QSerialPort::Baud19200;
    }
    return QSerialPort::Baud2400;
}

QSerialPort::Parity SerialLink::parityFor(const QString& parity) {
    const QString text = parity.trimmed();
    if (text.compare(QLatin1String("None"), Qt::CaseInsensitive) == 0) {
        return QSerialPort::NoParity;
    }
    if (text.compare(QLatin1String("Odd"), Qt::CaseInsensitive) == 0) {
        return QSerialPort::OddParity;
    }
    if (text.compare(QLatin1String("Mark"), Qt::CaseInsensitive) == 0) {
        return QSerialPort::MarkParity;
    }
    if (text.compare(QLatin1String("Space"), Qt::CaseInsensitive) == 0) {
        return QSerialPort::SpaceParity;
    }
    return QSerialPort::EvenParity;
}

QString SerialLink::parityName(QSerialPort::Parity parity) {
    switch (parity) {
    case QSerialPort::NoParity:
        return QStringLiteral("None");
    case QSerialPort::OddParity:
        return QStringLiteral("Odd");
    case QSerialPort::MarkParity:
        return QStringLiteral("Mark");
    case QSerialPort::SpaceParity:
        return QStringLiteral("Space");
    default:
        return QStringLiteral("Even");
    }
}

void SerialLink::toggle() {
    if (m_port.isOpen() || m_state.PortOpen) {
        closeOpenPort();
    } else {
        openPort();
    }
}

void SerialLink::closePort() {
    if (m_port.isOpen() || m_state.PortOpen) {
        closeOpenPort();
    }
}

bool SerialLink::isOpen() const {
    return m_port.isOpen();
}

void SerialLink::closeOpenPort() {
    try {
        const QString name = m_openName.isEmpty() ? m_settings.PortName : m_openName;
        if (m_port.isOpen()) {
            m_port.close();
        }
        emit statusTextChanged(closedText(name));
        m_state.PortOpen = false;
        waitProcessingEvents(kReleaseWaitMs);
        m_openName.clear();
        emit serialFieldsEnabled(true);
        emit portCaptionChanged(QStringLiteral("Connect to port"));
    } catch (const std::exception&) {
        m_log.logLine(QStringLiteral("Unknown Exception closing serial port, please restart..."));
    }
}

void SerialLink::openPort() {
    const QString name = m_settings.PortName;
    const QString devicePath = serialDevicePath(name);
    try {
        // The probe: another program holding the port makes an exclusive open fail.
        bool probeOpened = false;
        {
            QSerialPort probe;
            probe.setPortName(devicePath);
            probeOpened = !devicePath.isEmpty() && probe.open(QIODevice::ReadWrite);
            if (probeOpened) {
                probe.close();
            }
        }
        if (!probeOpened) {
            emit statusTextChanged(closedText(name));
            m_state.PortOpen = false;
            // "In use" only for a port another program really holds; a missing device or one this user may
            // not open says so instead.
            QString group;
            const SerialOpenFailure failure = inspectSerialOpenFailure(devicePath, &group);
            if (failure == SerialOpenFailure::InUse) {
                m_log.logLine(
                    m_language.pick(QStringLiteral("The selected serial port (") + name +
                                        QStringLiteral(") is in use by another program!"),
                                    QStringLiteral("La porta selezionata (") + name +
                                        QStringLiteral(") e utilizzata da un\"altra applicazione!")));
            } else {
                m_log.logLine(serialOpenFailureText(failure, devicePath, group, m_language.italian()));
            }
            return;
        }

        // Line settings go in before opening: a pseudo-terminal refuses some of them on an open port.
        const qint32 baud = baudRateFor(m_settings.Speed);
        const QSerialPort::Parity parity = parityFor(m_settings.Parity);
        m_port.setPortName(devicePath);
        m_port.setBaudRate(baud);
        m_port.setParity(parity);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setStopBits(QSerialPort::OneStop);
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        if (!m_port.open(QIODevice::ReadWrite)) {
            emit statusTextChanged(closedText(name));
            m_state.PortOpen = false;
            m_log.logLine(QStringLiteral("Unknown Exception on opening serial port..."));
            reportOpenFailure(devicePath);
            return;
        }
        // RTS and DTR stay low; a line that cannot be driven (a pseudo-terminal) is no reason to give up.
        m_port.setDataTerminalReady(false);
        m_port.setRequestToSend(false);
        m_port.clearError();

        const QString text =
            name + QStringLiteral(" - ") + QString::number(baud) + QStringLiteral(",8,") + parityName(parity);
        m_openName = name;
        emit statusTextChanged(text);
        m_log.logLine(text);
        m_state.PortOpen = true;
        emit serialFieldsEnabled(false);
        emit portCaptionChanged(QStringLiteral("Disconnect"));
    } catch (const std::exception&) {
        m_log.logLine(QStringLiteral("Unknown Exception on opening serial port..."));
        emit statusTextChanged(closedText(name));
    }
}

void SerialLink::reportOpenFailure(const QString& devicePath) {
    QString group;
    const SerialOpenFailure failure = inspectSerialOpenFailure(devicePath, &group);
    m_log.logLine(serialOpenFailureText(failure, devicePath, group, m_language.italian()));
}

bool SerialLink::write(const QByteArray& bytes) {
    if (!m_port.isOpen()) {
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        return false;
    }
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(kWriteWaitMs)) {
            m_port.clearError();
            return false;
        }
    }
    return true;
}

QByteArray SerialLink::takeAll() {
    if (!m_port.isOpen()) {
        return {};
    }
    return m_port.readAll();
}

void SerialLink::discardInput() {
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
    }
}

void SerialLink::discardAll() {
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::AllDirections);
    }
}

bool SerialLink::open() {
    if (!m_state.PortOpen) {
        toggle();
    }
    if (!m_state.PortOpen) {
        return false;
    }
    discardAll();
    return true;
}

bool SerialLink::sendFrame(const QByteArray& frame, codec::PacketKind, const OperationWords& words) {
    return sendLine(frame, words);
}

bool SerialLink::sendLine(const QByteArray& line, const OperationWords& words) {
    if (!m_state.PortOpen) {
        return false;
    }
    if (!write(line)) {
        m_log.logLine(QStringLiteral("Can not write to COM port - ") + words.serial);
    }
    return true;
}

ReplyRead SerialLink::takeReply(ReplyTimer timer) {
    ReplyRead reply;
    if (m_state.PortOpen) {
        reply.bytes = takeAll();
        return reply;
    }
    const bool dots = timer == ReplyTimer::Respond || timer == ReplyTimer::Secondary;
    m_log.logLine(dots ? QStringLiteral("No valid physical connection... ")
                       : QStringLiteral("No valid physical connection :) "));
    return reply;
}

SearchReply SerialLink::takeSearchReply() {
    SearchReply reply;
    if (m_state.PortOpen) {
        reply.bytes = takeAll();
    } else {
        reply.noConnection = true;
    }
    return reply;
}

QByteArray SerialLink::peekReply() {
    if (!m_state.PortOpen || !m_port.isOpen()) {
        return {};
    }
    return m_port.peek(m_port.bytesAvailable());
}

void SerialLink::close() {
    // Open only while an operation runs.
    if (m_state.PortOpen || m_port.isOpen()) {
        discardAll();
        closeOpenPort();
    }
}

} // namespace holvex::links
