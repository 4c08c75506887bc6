#pragma once

#include "links/channel_interface.h"

#include <QByteArray>

namespace holvex::cli {

// Passes every call to the real channel and keeps the last reply the console's timer collected, so that the
// "send" command can print the answer's bytes as well as the log line the console makes of them.
class AnswerRecordingChannel : public links::ChannelInterface {
public:
    explicit AnswerRecordingChannel(links::ChannelInterface& channel) : m_channel(channel) {}

    bool openChannel() override { return m_channel.openChannel(); }
    void sendFrame(const QByteArray& frame, codec::PacketKind kind,
                   const links::OperationWords& words) override {
        m_channel.sendFrame(frame, kind, words);
    }
    void sendDeviceCommand(const QByteArray& text) override { m_channel.sendDeviceCommand(text); }
    links::ReplyRead readReply(links::ReplyTimer timer) override {
        links::ReplyRead reply = m_channel.readReply(timer);
        if (timer == links::ReplyTimer::FreeCommand && !reply.waitAnotherPeriod) {
            m_answer = reply.bytes;
        }
        return reply;
    }
    void closeChannel() override { m_channel.closeChannel(); }
    links::SearchReply takeSearchReply() override { return m_channel.takeSearchReply(); }
    bool sendGatewayLine(const QByteArray& line, links::GatewayLineScope scope,
                         const QString& logText) override {
        return m_channel.sendGatewayLine(line, scope, logText);
    }
    void discardSerialInput() override { m_channel.discardSerialInput(); }
    void discardSerialBuffers() override { m_channel.discardSerialBuffers(); }
    void stopKeepAlive() override { m_channel.stopKeepAlive(); }

    const QByteArray& answer() const { return m_answer; }

private:
    links::ChannelInterface& m_channel;
    QByteArray m_answer;
};

} // namespace holvex::cli
