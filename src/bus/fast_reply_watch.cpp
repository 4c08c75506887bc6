#include "bus/fast_reply_watch.h"

#include "bus/line_timing.h"
#include "bus/timer_set.h"
#include "links/channel.h"
#include "settings/settings.h"

#include <algorithm>

namespace holvex {

namespace {

// The reply timers of the meter exchanges. The device pages' timers wait for text lines, whose end nothing
// marks, and keep their whole period.
constexpr TimerId kFrameReplyTimers[] = {TimerId::Respond, TimerId::ReadAll, TimerId::Secondary, TimerId::Set,
                                         TimerId::FreeCommand};

} // namespace

FastReplyWatch::FastReplyWatch(const Settings& settings, links::Channel& channel, TimerSet& timers,
                               QObject* parent)
    : QObject(parent), m_settings(settings), m_channel(channel), m_timers(timers) {
    m_look.setTimerType(Qt::PreciseTimer);
    connect(&m_look, &QTimer::timeout, this, &FastReplyWatch::look);
    m_channel.setExchangeStartedHandler([this] { exchangeStarted(); });
}

void FastReplyWatch::exchangeStarted() {
    if (!m_settings.FastReply) {
        m_look.stop();
        return;
    }
    // Twice per frame gap, so the wait ends between one and one and a half gaps after the last byte.
    const qint64 gapNs = LineTiming::ofSpeed(m_settings.Speed).frameGapNs();
    m_look.start(static_cast<int>(std::max<qint64>(1, gapNs / 2000000)));
}

void FastReplyWatch::endIdlePeriod(TimerId id) {
    if (m_settings.FastReply) {
        m_timers.endWaitNow(id);
    }
}

void FastReplyWatch::look() {
    if (!m_settings.FastReply || !m_channel.exchangeAwaited()) {
        m_look.stop();
        return;
    }
    if (!m_channel.answerSettled()) {
        return;
    }
    bool ended = false;
    for (const TimerId id : kFrameReplyTimers) {
        if (m_timers.timer(id)->isActive()) {
            m_timers.endWaitNow(id);
            ended = true;
        }
    }
    // The secondary search waits on its own thread and asks the channel itself; until it takes the answer
    // there is nothing to end here.
    if (ended) {
        m_look.stop();
    }
}

} // namespace holvex
