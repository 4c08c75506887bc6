#include "cli/cli_bus.h"

#include "bus/event_loop_wait.h"
#include "bus/timer_set.h"
#include "lang/caption_table.h"
#include "links/channel.h"
#include "meters/ops/free_command_console.h"
#include "meters/table/meter_table.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace holvex::cli {

CliBus::CliBus(const Settings& settings)
    : m_settings(settings), m_table(kMeterFixedColumns, kMeterTableMaxRows),
      m_bus(BusParts{m_settings, m_state, m_log, m_progress, m_language, m_table}) {
    // What the main window takes from the file at start: the language and the extra columns.
    m_state.LanguageCode = m_settings.Language;
    m_language.setTicked(languageForCode(m_settings.Language));
    m_state.ExtraTitleCount = std::clamp(m_settings.TitleCount, 0, RunState::kMaxExtraTitles);
    for (int i = 0; i < RunState::kMaxExtraTitles; ++i) {
        const QString title = i < m_settings.Titles.size() ? m_settings.Titles.at(i) : QString();
        m_state.ExtraTitles[i] = title.left(RunState::kExtraTitleLength);
    }
    applyMeterTableHeadings(m_table, m_language.ticked(), m_state);
    m_bus.timers().setResponseTimeout(m_settings.Timeout);
    QObject::connect(&m_bus.operations().console(), &FreeCommandConsole::answerTaken,
                     [this](const QByteArray& answer) { m_consoleAnswer = answer; });
}

const QList<QByteArray>& CliBus::collectDeviceAnswers() {
    FreeCommandConsole& console = m_bus.operations().console();
    console.setAsciiTicked(true);
    QObject::connect(&console, &FreeCommandConsole::answerTaken, [this](const QByteArray& answer) {
        if (!answer.isEmpty()) {
            m_deviceAnswers.append(answer);
        }
    });
    // Connected after the console's own slot, so the tick has run when this looks at the timer.
    QTimer& answerTimer = freeCommandTimer();
    QObject::connect(&answerTimer, &QTimer::timeout, QCoreApplication::instance(), [&answerTimer] {
        if (!answerTimer.isActive()) {
            QCoreApplication::quit();
        }
    });
    return m_deviceAnswers;
}

QTimer& CliBus::respondTimer() {
    return *m_bus.timers().timer(TimerId::Respond);
}

QTimer& CliBus::freeCommandTimer() {
    return *m_bus.timers().timer(TimerId::FreeCommand);
}

void CliBus::prepareChannel() {
    m_bus.channel().prepare();
    if (m_settings.UseEthernet && m_state.ServerListening) {
        // The gateway's first packet identifies it; a request sent before it arrives would take that packet
        // for its answer.
        waitProcessingEvents(kCallInWaitMs,
                             [this] { return m_state.GatewayCalledIn && m_state.PacketArrived; });
    }
}

} // namespace holvex::cli
