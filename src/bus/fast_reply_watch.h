#pragma once

#include <QObject>
#include <QTimer>

namespace holvex {

struct Settings;
class TimerSet;
enum class TimerId;

namespace links {
class Channel;
}

// Ends a reply timer's wait as soon as the answer it waits for is complete and the line has gone quiet
// ("End the wait when the answer is complete"). After each frame request it looks at what has arrived a few
// times per frame gap; once the channel calls the answer settled, the running reply timer ticks at once and
// the operation goes on as after a full wait. With the setting off, or a silent meter, nothing changes: the
// wait lasts the whole response timeout.
class FastReplyWatch : public QObject {
    Q_OBJECT
public:
    FastReplyWatch(const Settings& settings, links::Channel& channel, TimerSet& timers,
                   QObject* parent = nullptr);

    // A frame request has gone out.
    void exchangeStarted();
    // The running period of the reply timer asks nothing: with the setting on, it ends at once.
    void endIdlePeriod(TimerId id);

private:
    void look();

    const Settings& m_settings;
    links::Channel& m_channel;
    TimerSet& m_timers;
    QTimer m_look;
};

} // namespace holvex
