#include "bus/timer_set.h"

#include <QTimer>

namespace holvex {

namespace {
constexpr const char* kNames[TimerSet::kCount] = {
    "Timer_respond",      "Timer_readall",   "Timer_secondary",    "Timer_set",
    "Timer_free_command", "Timer_lumet",     "Timer_ravik",        "Timer_acquire",
    "Timer_auto_address", "Timer_keepAlive", "Timer_close_socket",
};

int index(TimerId id) {
    return static_cast<int>(id);
}
} // namespace

TimerSet::TimerSet(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("TimerSet"));
    for (int i = 0; i < kCount; ++i) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(kNames[i]));
        m_timers[static_cast<std::size_t>(i)] = timer;
        // Connected before any operation's tick, so the tick sees the usual interval again.
        connect(timer, &QTimer::timeout, this, [this, i, timer] {
            bool& ended = m_waitEnded[static_cast<std::size_t>(i)];
            if (ended) {
                ended = false;
                timer->setInterval(m_responseTimeout);
            }
        });
    }
    timer(TimerId::AutoAddress)->setInterval(kAutoAddressInterval);
    timer(TimerId::KeepAlive)->setInterval(kKeepAliveInterval);
    timer(TimerId::CloseSocket)->setInterval(kCloseSocketInterval);
    setResponseTimeout(kDefaultResponseTimeout);
}

QTimer* TimerSet::timer(TimerId id) const {
    return m_timers[static_cast<std::size_t>(index(id))];
}

bool TimerSet::followsResponseTimeout(TimerId id) {
    return index(id) <= index(TimerId::Acquire);
}

QString TimerSet::objectNameOf(TimerId id) {
    return QString::fromLatin1(kNames[index(id)]);
}

void TimerSet::setResponseTimeout(int milliseconds) {
    m_responseTimeout = milliseconds;
    m_waitEnded.fill(false);
    for (int i = 0; i < kCount; ++i) {
        const auto id = static_cast<TimerId>(i);
        if (followsResponseTimeout(id)) {
            timer(id)->setInterval(milliseconds);
        }
    }
}

void TimerSet::endWaitNow(TimerId id) {
    QTimer* running = timer(id);
    if (!followsResponseTimeout(id) || !running->isActive()) {
        return;
    }
    m_waitEnded[static_cast<std::size_t>(index(id))] = true;
    running->start(0);
}

void TimerSet::stopAll() {
    for (QTimer* timer : m_timers) {
        timer->stop();
    }
}

} // namespace holvex
