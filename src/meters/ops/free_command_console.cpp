#include "meters/ops/free_command_console.h"

#include "bus/bus_context.h"
#include "bus/run_state.h"
#include "codec/frame_codec.h"
#include "codec/packet_codec.h"
#include "links/channel.h"
#include "log/log_sink.h"
#include "meters/ops/reply_collection.h"
#include "settings/settings.h"

#include <QTimer>

namespace holvex {

namespace {

const QString kTooShort = QStringLiteral("Wrong custom hex command, 2 symbols at least...");
const QString kBadDigit = QStringLiteral("Wrong custom hex command, 0..F uppercase allowed");

links::OperationWords consoleWords() {
    return {QStringLiteral("free hex command"), QStringLiteral("free command"), false};
}

// A text line goes through a gateway as a device line.
links::OperationWords textWords() {
    return {QStringLiteral("setting Lumet parameters"), QStringLiteral("free command"), false};
}

int digitValue(QChar ch) {
    if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
        return ch.unicode() - '0';
    }
    return ch.unicode() - 'A' + 10;
}

} // namespace

FreeCommandConsole::FreeCommandConsole(BusContext& context, QTimer& freeCommandTimer, QObject* parent)
    : QObject(parent), m_context(context), m_timer(freeCommandTimer) {
    connect(&m_timer, &QTimer::timeout, this, &FreeCommandConsole::tick);
}

std::optional<QByteArray> FreeCommandConsole::parseHexCommand(const QString& command, QString* error) {
    if (command.size() == 1) {
        if (error) {
            *error = kTooShort;
        }
        return std::nullopt;
    }
    const QString text = command + QLatin1Char(' ');
    for (const QChar ch : text) {
        const bool allowed = ch == QLatin1Char(' ') || (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) ||
                             (ch >= QLatin1Char('A') && ch <= QLatin1Char('F'));
        if (!allowed) {
            if (error) {
                *error = kBadDigit;
            }
            return std::nullopt;
        }
    }
    QByteArray bytes;
    for (const QString& piece : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString pair = piece.size() == 1 ? QStringLiteral("0") + piece : piece.left(2);
        bytes.append(static_cast<char>(digitValue(pair[0]) * 16 + digitValue(pair[1])));
    }
    return bytes;
}

bool FreeCommandConsole::send(const QString& command, bool hexMode) {
    const QString text = command.left(kMaxCommandLength);
    if (text.isEmpty()) {
        return false;
    }
    m_ascii = !hexMode;
    if (!m_context.channel.openChannel()) {
        return false;
    }
    return hexMode ? sendHex(text) : sendText(text.toLatin1());
}

bool FreeCommandConsole::sendText(const QByteArray& text) {
    // With the road's connection down (a LAN adapter that dropped) nothing is sent and nothing is awaited.
    if (!m_context.channel.sendLine(text, textWords())) {
        return false;
    }
    m_timer.start();
    return true;
}

bool FreeCommandConsole::sendHex(const QString& command) {
    QString error;
    const std::optional<QByteArray> bytes = parseHexCommand(command, &error);
    if (!bytes) {
        m_context.log.logLine(error);
        // Nothing goes out: do not leave the channel open for nothing.
        m_context.channel.closeChannel();
        return false;
    }
    if (m_context.channel.kind() == links::LinkKind::Serial) {
        // On the serial port each byte goes out as soon as its piece is read.
        for (const char byte : *bytes) {
            if (!m_context.channel.sendFrame(QByteArray(1, byte), codec::PacketKind::Read, consoleWords())) {
                return false;
            }
        }
    } else if (!bytes->isEmpty()) {
        m_context.channel.sendFrame(*bytes, codec::PacketKind::Read, consoleWords());
    }
    m_timer.start();
    return true;
}

void FreeCommandConsole::startAnswerTimer() {
    m_timer.start();
}

void FreeCommandConsole::tick() {
    const links::ReplyRead reply = replyCollection(m_context, links::ReplyTimer::FreeCommand);
    if (reply.waitAnotherPeriod) {
        return;
    }
    m_context.state.GatewayReply.clear();
    m_context.state.RawReply.clear();
    emit answerTaken(reply.bytes);
    if (!reply.bytes.isEmpty()) {
        m_context.log.logLine(asciiTicked() ? QString::fromLatin1(reply.bytes)
                                            : codec::spacedHex(reply.bytes));
    }
    m_timer.stop();
    m_context.channel.closeChannel();
}

} // namespace holvex
