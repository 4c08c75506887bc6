#include "cli/cli_bus.h"

#include "bus/clock_text.h"
#include "bus/event_loop_wait.h"
#include "lang/caption_table.h"
#include "meters/table/meter_table.h"

#include <algorithm>

namespace holvex::cli {

CliBus::CliBus(const Settings& settings)
    : m_settings(settings), m_channel(m_settings, m_state, m_log, m_language), m_recorder(m_channel),
      m_table(kMeterFixedColumns, kMeterTableMaxRows), m_context{m_settings,   m_state,
                                                                 m_log,        m_language,
                                                                 m_recorder,   m_table,
                                                                 m_progress,   &systemDecimalSeparator,
                                                                 &readingTime, &readingDate,
                                                                 {},           {}},
      m_operations(m_context,
                   BusTimers{m_respond, m_readAll, m_secondary, m_set, m_freeCommand, m_autoAddress}) {
    // What the main window takes from the file at start: the language and the extra columns.
    m_state.LanguageCode = m_settings.Language;
    m_language.setTicked(languageForCode(m_settings.Language));
    m_state.ExtraTitleCount = std::clamp(m_settings.TitleCount, 0, RunState::kMaxExtraTitles);
    for (int i = 0; i < RunState::kMaxExtraTitles; ++i) {
        const QString title = i < m_settings.Titles.size() ? m_settings.Titles.at(i) : QString();
        m_state.ExtraTitles[i] = title.left(RunState::kExtraTitleLength);
    }
    applyMeterTableHeadings(m_table, m_language.ticked(), m_state);
    for (QTimer* timer : {&m_respond, &m_readAll, &m_secondary, &m_set, &m_freeCommand}) {
        timer->setInterval(m_settings.Timeout);
    }
    m_autoAddress.setInterval(1000);
}

void CliBus::prepareChannel() {
    m_channel.onMainWindowActivated();
    if (m_settings.UseEthernet && m_state.ServerListening) {
        // The gateway's first packet identifies it; a request sent before it arrives would take that packet
        // for its answer.
        waitProcessingEvents(kCallInWaitMs,
                             [this] { return m_state.GatewayCalledIn && m_state.PacketArrived; });
    }
}

} // namespace holvex::cli
