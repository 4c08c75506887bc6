#include "devices/receiver/radio_acquisition.h"

#include "bus/bus_context.h"
#include "bus/event_loop_wait.h"
#include "bus/timer_set.h"
#include "devices/receiver/radio_header.h"
#include "devices/receiver/receiver_table.h"
#include "devices/receiver/settings_lines.h"
#include "devices/receiver/telegram_finder.h"
#include "links/channel.h"
#include "log/log_sink.h"

#include <QTimer>

namespace holvex::receiver {

RadioAcquisition::RadioAcquisition(BusContext& context, StringGridModel& table, TimerSet& timers,
                                   QObject* parent)
    : QObject(parent), m_context(context), m_table(table), m_timers(timers),
      m_timer(*timers.timer(TimerId::Acquire)) {
    connect(&m_timer, &QTimer::timeout, this, &RadioAcquisition::tick);
}

void RadioAcquisition::toggle() {
    // A press during a switch wait waits for the switch.
    if (m_switching) {
        return;
    }
    if (m_running) {
        stop();
    } else {
        start();
    }
}

void RadioAcquisition::wait(int milliseconds) {
    if (m_context.waitProcessingEvents) {
        m_context.waitProcessingEvents(milliseconds);
    } else {
        waitProcessingEvents(milliseconds);
    }
}

void RadioAcquisition::writeSwitch(bool on) {
    const ReceiverCommand command = transparentModeCommand(on, m_upToV301f);
    const links::OperationWords words{QStringLiteral("acquiring RF meters"),
                                      QString::fromLatin1(command.line()), false};
    links::Channel& channel = m_context.channel;
    m_switching = true;
    channel.writeSerialLine(command.line(), words);
    wait(kSwitchRepeatMs);
    channel.writeSerialLine(command.line(), words);
    m_switching = false;
}

bool RadioAcquisition::start() {
    if (m_running || !m_context.channel.openChannel()) {
        return false;
    }
    m_running = true;
    m_pending.clear();
    emit started();
    writeSwitch(true);
    m_timer.setInterval(m_timers.responseTimeout());
    m_timer.start();
    return true;
}

void RadioAcquisition::stop() {
    if (!m_running || m_switching) {
        return;
    }
    m_timer.stop();
    m_pending.clear();
    emit finished();
    // The receiver goes back to its normal output before the bus is given back.
    if (m_context.channel.serialPortOpen()) {
        writeSwitch(false);
        // Closing the port empties its output: the second line gets the time to go out first.
        m_switching = true;
        wait(kLineOutMs);
        m_switching = false;
    }
    m_running = false;
    m_context.channel.closeChannel();
}

void RadioAcquisition::tick() {
    if (!m_running) {
        m_timer.stop();
        return;
    }
    links::Channel& channel = m_context.channel;
    const QByteArray arrived = channel.takeSerialBytes();
    if (arrived.isEmpty()) {
        return;
    }
    // The receiver's answer to the switch line.
    if (arrived == QByteArrayLiteral("Done!\n")) {
        channel.discardSerialInput();
        return;
    }
    m_pending += arrived;
    const TelegramScan scan = scanTelegrams(m_pending);
    m_pending.remove(0, scan.consumed);
    const QString date = m_context.dateText ? m_context.dateText() : QString();
    const QString time = m_context.timeText ? m_context.timeText() : QString();
    for (const QByteArray& telegram : scan.telegrams) {
        const AcquiredTelegram acquired =
            acquireTelegram(telegram, receiverTableIds(m_table), m_excludeIdentical, date, time);
        for (const QString& line : acquired.log) {
            m_context.log.logLine(line);
        }
        const int row = placeAcquiredTelegram(m_table, acquired);
        if (row > 0) {
            emit rowAcquired(row);
        }
    }
}

} // namespace holvex::receiver
