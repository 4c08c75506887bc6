#include "bus/timer_set.h"

#include <QTimer>
#include <gtest/gtest.h>

namespace holvex {
namespace {

struct TimerCase {
    TimerId id;
    const char* name;
    int interval; // 0: the response timeout
};

const TimerCase kTimers[] = {
    {TimerId::Respond, "Timer_respond", 0},
    {TimerId::ReadAll, "Timer_readall", 0},
    {TimerId::Secondary, "Timer_secondary", 0},
    {TimerId::Set, "Timer_set", 0},
    {TimerId::FreeCommand, "Timer_free_command", 0},
    {TimerId::Lumet, "Timer_lumet", 0},
    {TimerId::Ravik, "Timer_ravik", 0},
    {TimerId::Acquire, "Timer_acquire", 0},
    {TimerId::AutoAddress, "Timer_auto_address", 1000},
    {TimerId::KeepAlive, "Timer_keepAlive", 10000},
    {TimerId::CloseSocket, "Timer_close_socket", 600000},
};

TEST(TimerSet, ElevenNamedTimersIdleAtStart) {
    TimerSet timers;
    EXPECT_EQ(timers.findChildren<QTimer*>().size(), 11);
    for (const TimerCase& c : kTimers) {
        QTimer* timer = timers.findChild<QTimer*>(QString::fromLatin1(c.name));
        ASSERT_NE(timer, nullptr) << c.name;
        EXPECT_EQ(timer, timers.timer(c.id));
        EXPECT_FALSE(timer->isActive());
        EXPECT_EQ(timer->interval(), c.interval == 0 ? 500 : c.interval) << c.name;
    }
}

TEST(TimerSet, ResponseTimeoutReachesTheEightReplyTimersRunningOrNot) {
    TimerSet timers;
    timers.timer(TimerId::Respond)->start();
    timers.timer(TimerId::KeepAlive)->start();
    timers.setResponseTimeout(1250);
    EXPECT_EQ(timers.responseTimeout(), 1250);
    for (const TimerCase& c : kTimers) {
        EXPECT_EQ(timers.timer(c.id)->interval(), c.interval == 0 ? 1250 : c.interval) << c.name;
        EXPECT_EQ(TimerSet::followsResponseTimeout(c.id), c.interval == 0) << c.name;
    }
    // The running scan timer keeps running, at the new pace.
    EXPECT_TRUE(timers.timer(TimerId::Respond)->isActive());
    // Restarted with the new interval: more time left than the old 500 ms could give (coarse timers may
    // stretch it by a few percent either way).
    EXPECT_GT(timers.timer(TimerId::Respond)->remainingTime(), 600);
    EXPECT_TRUE(timers.timer(TimerId::KeepAlive)->isActive());
    timers.stopAll();
    EXPECT_FALSE(timers.timer(TimerId::Respond)->isActive());
    EXPECT_FALSE(timers.timer(TimerId::KeepAlive)->isActive());
}

} // namespace
} // namespace holvex
