#pragma once

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
// line settings are read from the settings at each opening.
class SerialChannel : public QObject {
    Q_OBJECT

public:
    SerialChannel(Settings& settings, RunState& state, LogSink& log, const MessageLanguage& language,
                  QObject* parent = nullptr);
    ~SerialChannel() override;

    // The port button: closes an open port, opens a closed one.
    void toggle();
    // Closes the port when it is open (end of an operation, main window closing).
    void close();
    bool isOpen() const;

    // Writes all bytes before returning; false when the port refused them.
    bool write(const QByteArray& bytes);
    // Every byte waiting in the receive buffer; never blocks.
    QByteArray takeAll();
    void discardInput();
    void discardBoth();

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
    void open();
    void closeOpenPort();
    void reportOpenFailure(const QString& devicePath);

    Settings& m_settings;
    RunState& m_state;
    LogSink& m_log;
    const MessageLanguage& m_language;
    QSerialPort m_port;
    QString m_openName;
};

} // namespace holvex::links
