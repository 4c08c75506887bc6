#pragma once

#include "links/link.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace holvex {
struct RunState;
struct Settings;
class LogSink;
class MessageLanguage;
} // namespace holvex

namespace holvex::links {

// The serial M-Bus master on a local port. The port is opened for an operation and closed at its end; the
// line settings are read from the settings at each opening. Frames and text lines are written as they are.
class SerialLink : public QObject, public Link {
    Q_OBJECT

public:
    SerialLink(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
               QObject* parent = nullptr);
    ~SerialLink() override;

    LinkKind kind() const override { return LinkKind::Serial; }
    // Opens the port when it is closed and empties both its buffers.
    bool open() override;
    bool sendFrame(const QByteArray& frame, codec::PacketKind kind, const OperationWords& words) override;
    bool sendLine(const QByteArray& line, const OperationWords& words) override;
    // Every byte waiting in the port; "No valid physical connection" when the port is closed.
    ReplyRead takeReply(ReplyTimer timer) override;
    SearchReply takeSearchReply() override;
    QByteArray peekReply() override;
    void dropStaleInput() override { discardInput(); }
    // Empties both buffers and closes the port when it is open.
    void close() override;
    void discardInput() override;
    void discardAll() override;

    // The port button: closes an open port, opens a closed one.
    void toggle();
    // Closes the port when it is open, leaving its buffers alone (the main window closing).
    void closePort();
    bool isOpen() const;

    // Writes all bytes before returning; false when the port refused them.
    bool write(const QByteArray& bytes);
    // Every byte waiting in the receive buffer; never blocks.
    QByteArray takeAll();

    // The rate and parity the port is opened with for the "Speed" and "Parity" texts.
    static qint32 baudRateFor(const QString& speed);
    static QSerialPort::Parity parityFor(const QString& parity);
    static QString parityName(QSerialPort::Parity parity);

signals:
    // The first panel of the status bar.
    void statusTextChanged(const QString& text);
    // The three serial fields of the settings dialog: disabled while the port is open.
    void serialFieldsEnabled(bool enabled);
    // The caption of the settings window's port button: "Disconnect" or "Connect to port".
    void portCaptionChanged(const QString& caption);

private:
    void openPort();
    void closeOpenPort();
    void reportOpenFailure(const QString& devicePath);
    // The device went away under the open port (a USB adapter pulled out): say so and close the port, so
    // that the operation hears "No valid physical connection" instead of writing into nothing.
    void dropVanishedPort();

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    const MessageLanguage& m_language;
    QSerialPort m_port;
    QString m_openName;
};

} // namespace holvex::links
