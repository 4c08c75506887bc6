#pragma once

#include <QObject>

#include <array>

class QTimer;

namespace holvex {

enum class TimerId {
    Respond,     // primary scan
    ReadAll,     // "Read all meters"
    Secondary,   // secondary search
    Set,         // row runner and configuration commands
    FreeCommand, // free command console and single device commands
    Lumet,       // display table writing
    Ravik,       // receiver programming
    Acquire,     // radio meter acquisition
    AutoAddress, // automatic primary addressing, 1 s
    KeepAlive,   // keep-alive of a gateway that called in, 10 s
    CloseSocket, // reopens an idle server socket, 10 min
};

// The main window's timers. Each operation starts its own after sending a request and stops or re-arms it in
// its tick. The eight reply timers run at the response timeout; a change of the timeout reaches them at once,
// a running one included (it restarts with the new interval).
class TimerSet : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 11;
    static constexpr int kAutoAddressInterval = 1000;
    static constexpr int kKeepAliveInterval = 10000;
    static constexpr int kCloseSocketInterval = 600000;
    static constexpr int kDefaultResponseTimeout = 500;

    explicit TimerSet(QObject* parent = nullptr);

    QTimer* timer(TimerId id) const;
    static bool followsResponseTimeout(TimerId id);
    static QString objectNameOf(TimerId id);

    void setResponseTimeout(int milliseconds);
    int responseTimeout() const { return m_responseTimeout; }

    // The answer the running reply timer waits for is in: it ticks at once, and from then on runs at the
    // response timeout again (its tick still stops or re-arms it as ever). A timer that is not running is
    // left alone.
    void endWaitNow(TimerId id);

    // Stops every timer (closing the window).
    void stopAll();

private:
    std::array<QTimer*, kCount> m_timers{};
    std::array<bool, kCount> m_waitEnded{};
    int m_responseTimeout = kDefaultResponseTimeout;
};

} // namespace holvex
