#pragma once

#include "links/channel_interface.h"

#include <QByteArray>

namespace holvex::cli {

// Passes every call to the real channel and keeps the last reply the console's timer collected, so that the
// "send" command can print the answer's bytes as well as the log line the console makes of them.
class AnswerRecordingChannel : public links::ChannelInterface {
public:
    explicit AnswerRecordingChannel(links::ChannelInterface& channel) : m_channel(channel) {}

    bool OpenChannel() override { return m_channel.OpenChannel(); }
    void SendFrame(const QByteArray& frame, codec::PacketKind kind,
                   const links::OperationWords& words) override {
        m_channel.SendFrame(frame, kind, words);
    }
    void SendDeviceCommand(const QByteArray& text) override { m_channel.SendDeviceCommand(text); }
    links::ReplyRead ReadReply(links::ReplyTimer timer) override {
        links::ReplyRead reply = m_channel.ReadReply(timer);
        if (timer == links::ReplyTimer::FreeCommand && !reply.waitAnotherPeriod) {
            m_answer = reply.bytes;
        }
        return reply;
    }
    void CloseChannel() override { m_channel.CloseChannel(); }
    links::SearchReply TakeSearchReply() override { return m_channel.TakeSearchReply(); }
    bool SendGatewayLine(const QByteArray& line, links::GatewayLineScope scope,
                         const QString& logText) override {
        return m_channel.SendGatewayLine(line, scope, logText);
    }
    void DiscardSerialInput() override { m_channel.DiscardSerialInput(); }
    void DiscardSerialBuffers() override { m_channel.DiscardSerialBuffers(); }
    void StopKeepAlive() override { m_channel.StopKeepAlive(); }

    const QByteArray& Answer() const { return m_answer; }

private:
    links::ChannelInterface& m_channel;
    QByteArray m_answer;
};

} // namespace holvex::cli
