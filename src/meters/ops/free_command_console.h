#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QTimer;

namespace holvex {

struct BusContext;

// The "Send custom command:" line: sends the typed text (ASCII) or the typed hexadecimal bytes (Hex) on the
// active channel, and Timer_free_command shows what arrived one response timeout later in the event log, as
// text or as hexadecimal bytes ("68 03 " for 0x68 0x03). Silence logs nothing; there is no retry.
//
// On the serial port every byte of a hex command is written on its own as soon as its piece is read; the
// other roads get the bytes as one frame: wrapped in a gateway packet of kind A1 for the gateways ("Socket
// exception during free hex command - " on a failed send), unchanged for the LAN adapter. A text line goes
// out as a device line.
//
// Wiring for the window: "Send" calls send(commandLine.text(), commandLine.hexMode()); setAsciiSource reads
// the "ASCII" box, because the answer of a device command started elsewhere is shown the way the box says at
// the tick. Construct it with Timer_free_command (its timeout is connected to Tick here); other
// commands that send a line themselves call startAnswerTimer().
class FreeCommandConsole : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxCommandLength = 250;

    FreeCommandConsole(BusContext& context, QTimer& freeCommandTimer, QObject* parent = nullptr);

    // Returns whether Timer_free_command was started.
    bool send(const QString& command, bool hexMode);

    // Where the "ASCII" box is: the tick shows an answer the way the box says at that moment. Without one
    // (the command-line tool) the mode of the last send holds.
    void setAsciiSource(std::function<bool()> asciiTicked) { m_asciiSource = std::move(asciiTicked); }
    void setAsciiTicked(bool ascii) { m_ascii = ascii; }
    bool asciiTicked() const { return m_asciiSource ? m_asciiSource() : m_ascii; }

    // Shows the answer of a request sent by another command.
    void startAnswerTimer();

    // The Timer_free_command tick.
    void tick();

    // The bytes of a hex command: pieces split at blanks, empty pieces skipped, a one-digit piece padded
    // with "0", a longer piece cut to its first two digits. Nothing for a command of one character or one
    // holding anything but blanks, digits and "A".."F"; `error` then receives the message to log.
    static std::optional<QByteArray> parseHexCommand(const QString& command, QString* error);

signals:
    // A tick took what arrived (empty when nothing did).
    void answerTaken(const QByteArray& answer);

private:
    bool sendText(const QByteArray& text);
    bool sendHex(const QString& command);

    BusContext& m_context;
    QTimer& m_timer;
    bool m_ascii = false; // "Hex" is ticked at start
    std::function<bool()> m_asciiSource;
};

} // namespace holvex
