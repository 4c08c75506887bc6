#include "bus/bus.h"

#include "bus/clock_text.h"
#include "bus/fast_reply_watch.h"
#include "bus/timer_set.h"
#include "devices/display/display_operations.h"
#include "devices/gateway/gateway_commands.h"
#include "devices/receiver/receiver_operations.h"
#include "links/channel.h"
#include "links/road_links.h"
#include "meters/ops/meter_operations.h"
#include "meters/ops/secondary_search.h"

#include <QTimer>

namespace holvex {

namespace {

BusTimers meterTimers(const TimerSet& timers) {
    return BusTimers{*timers.timer(TimerId::Respond),     *timers.timer(TimerId::ReadAll),
                     *timers.timer(TimerId::Secondary),   *timers.timer(TimerId::Set),
                     *timers.timer(TimerId::FreeCommand), *timers.timer(TimerId::AutoAddress)};
}

template <typename T> T orDefault(const T& given, T fallback) {
    return given ? given : fallback;
}

} // namespace

Bus::Bus(const BusParts& parts, const BusHooks& hooks) {
    if (parts.timers != nullptr) {
        m_timers = parts.timers;
    } else {
        m_ownTimers = std::make_unique<TimerSet>();
        m_timers = m_ownTimers.get();
    }
    links::LinkSet* linkSet = hooks.links;
    if (linkSet == nullptr) {
        m_roads = std::make_unique<links::RoadLinks>(parts.settings, parts.state, parts.log, parts.language,
                                                     *m_timers->timer(TimerId::CloseSocket),
                                                     *m_timers->timer(TimerId::KeepAlive));
        linkSet = m_roads.get();
    }
    m_channel = std::make_unique<links::Channel>(parts.settings, parts.state, parts.log, *linkSet);
    m_fastReply = std::make_unique<FastReplyWatch>(parts.settings, *m_channel, *m_timers);
    m_context.reset(new BusContext{
        parts.settings, parts.state, parts.log, parts.language, *m_channel, parts.meterTable, parts.progress,
        orDefault(hooks.decimalSeparator, std::function<QChar()>(&systemDecimalSeparator)),
        orDefault(hooks.timeText, std::function<QString()>(&readingTime)),
        orDefault(hooks.dateText, std::function<QString()>(&readingDate)), hooks.waitProcessingEvents,
        ReadInputs{}, [this](TimerId id) {
            m_fastReply->endIdlePeriod(id);
        }});
    m_operations = std::make_unique<MeterOperations>(*m_context, meterTimers(*m_timers));
    m_gateway = std::make_unique<gateway::GatewayCommands>(*m_context, m_operations->console());
    m_display = std::make_unique<display::DisplayOperations>(*m_context, *m_timers, m_operations->console());
    m_receiver =
        std::make_unique<receiver::ReceiverOperations>(*m_context, *m_timers, m_operations->console());
    m_search = std::make_unique<SecondarySearch>(*m_context, m_operations->decoder(),
                                                 *m_timers->timer(TimerId::Respond),
                                                 *m_timers->timer(TimerId::Secondary));
    // A search for one whole ID reads that meter directly.
    m_search->setDirectRead(
        [this](const QString& id) { m_operations->directSelection().beginDirectRead(id); });
}

Bus::~Bus() = default;

bool Bus::busy() const {
    // An answer awaited on Timer_free_command counts too: its tick closes the channel, which must not happen
    // under an operation started meanwhile.
    return m_starting > 0 || m_operations->busy() || m_search->running() || m_display->busy() ||
           m_receiver->busy() || m_timers->timer(TimerId::FreeCommand)->isActive();
}

bool Bus::start(const std::function<bool()>& begin) {
    if (busy()) {
        return false;
    }
    ++m_starting;
    const bool started = begin();
    --m_starting;
    return started;
}

} // namespace holvex
