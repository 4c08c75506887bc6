#pragma once

#include "bus/bus_context.h"

#include <QChar>
#include <QString>

#include <functional>
#include <memory>

class QTimer;

namespace holvex {

class FastReplyWatch;
class MeterOperations;
class SecondarySearch;
class TimerSet;

namespace display {
class DisplayOperations;
}

namespace receiver {
class ReceiverOperations;
}

namespace links {
class Channel;
class LinkSet;
class RoadLinks;
} // namespace links

namespace gateway {
class GatewayCommands;
}

// What a bus stands on; whoever builds the bus owns these and keeps them alive longer than the bus.
struct BusParts {
    Settings& settings;
    RunState& state;
    LogSink& log;
    ProgressSink& progress;
    const MessageLanguage& language;
    StringGridModel& meterTable;
    // The timers; the bus makes its own set when none is given.
    TimerSet* timers = nullptr;
};

// What tests and benchmarks replace. Every empty field means the real thing.
struct BusHooks {
    // The roads' links; null: the real serial port and sockets.
    links::LinkSet* links = nullptr;
    // The system's decimal separator, long time format and short date format, for decoded rows.
    std::function<QChar()> decimalSeparator;
    std::function<QString()> timeText;
    std::function<QString()> dateText;
    // Waits while the event loop keeps running (the pause after a global link reset).
    std::function<void(int milliseconds)> waitProcessingEvents;
};

// The bus: the channel over the roads' links, the context the meter operations share, and the operations
// themselves (the secondary search included), wired to each other. The window, holvex-cli, the tests and
// the benchmarks all build one of these; nothing else puts these pieces together.
class Bus {
public:
    explicit Bus(const BusParts& parts, const BusHooks& hooks = {});
    ~Bus();
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;

    TimerSet& timers() { return *m_timers; }
    links::Channel& channel() { return *m_channel; }
    // The real roads (the port button, the server socket, the hidden connect buttons); null with test links.
    links::RoadLinks* roads() { return m_roads.get(); }
    BusContext& context() { return *m_context; }
    MeterOperations& operations() { return *m_operations; }
    SecondarySearch& secondarySearch() { return *m_search; }
    // The gateway settings and requests of the communication devices page (each returns once its line is
    // written; Timer_free_command shows the answer).
    gateway::GatewayCommands& gatewayCommands() { return *m_gateway; }
    // The display unit: its display and readings tables, the table write and the one-shot commands.
    display::DisplayOperations& display() { return *m_display; }
    // The wireless receiver: its table, the one-shot lines, acquisition and the programming run.
    receiver::ReceiverOperations& receiver() { return *m_receiver; }

    // An operation holds the bus: one starting, a scan, a read run, a row run, a direct selection's exchange,
    // automatic addressing, the secondary search, a display table write, a radio acquisition, a receiver
    // programming run, or an answer still awaited on Timer_free_command.
    bool busy() const;
    // Starts an operation with the bus held from the first moment: a start may wait with the window painting
    // (the pause after a global link reset, a connect wait), and nothing else may start meanwhile. Refused
    // (false) while the bus is busy; otherwise returns what `begin` returned.
    bool start(const std::function<bool()>& begin);

private:
    int m_starting = 0;
    std::unique_ptr<TimerSet> m_ownTimers;
    TimerSet* m_timers = nullptr;
    std::unique_ptr<links::RoadLinks> m_roads;
    std::unique_ptr<links::Channel> m_channel;
    std::unique_ptr<FastReplyWatch> m_fastReply;
    std::unique_ptr<BusContext> m_context;
    std::unique_ptr<MeterOperations> m_operations;
    std::unique_ptr<gateway::GatewayCommands> m_gateway;
    std::unique_ptr<display::DisplayOperations> m_display;
    std::unique_ptr<receiver::ReceiverOperations> m_receiver;
    // Declared last: it goes first, stopping its worker while the operations and the channel live.
    std::unique_ptr<SecondarySearch> m_search;
};

} // namespace holvex
