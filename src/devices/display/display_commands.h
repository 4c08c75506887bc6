#pragma once

#include "devices/gateway/gateway_fields.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

namespace holvex::display {

// The one-shot commands of the display page. As with the gateway lines, the page sends them on the active
// channel, writes the log text and starts Timer_free_command.
struct DisplayCommand {
    QByteArray line; // empty when nothing is sent
    QString logText;
    QString refusal; // the log line when the input is refused; empty when the press just does nothing
    // On the serial port Timer_free_command shows the answer; "Sort" sends there without it.
    bool answerTimerOnSerial = true;
    bool sends() const { return !line.isEmpty(); }
};

// "Refresh time" up-down box, seconds.
inline constexpr gateway::SpinRange kRefreshTimeRange{4, 12, 4};

// "Date": "SET DATE=" dd/mm/yy, year minus 2000. An invalid date sends nothing.
DisplayCommand displayDateCommand(const QDate& today);
// "Time": "SET TIME=" hh:mm. An invalid time sends nothing.
DisplayCommand displayTimeCommand(const QTime& now);
// "Lock": "SET LOCK".
DisplayCommand displayLockCommand();
// "Refresh time" from the box's text: "SET REFR=" nn. Not a number: "Wrong value for refresh time of
// Lumet-R7/Pavo..."; a number outside 4..12 sends nothing.
DisplayCommand displayRefreshCommand(const QString& seconds);
// "Sort": "SET SRTP=0" by address, "SET SRTP=1" by user number; neither box ticked sends nothing. The boxes
// are exclusive; should both be ticked, by address wins.
DisplayCommand displaySortCommand(bool byAddress, bool byUserNumber);
// "Create sort table": "SET SORT".
DisplayCommand displaySortTableCommand();

// Asked before "Create sort table" when a gateway channel is chosen.
inline const QString kSortConfirmationTitle = QStringLiteral("Sort confirmation");
inline const QString kSortConfirmationQuestion =
    QStringLiteral("Sorting is available only through RS-232, continue?");

} // namespace holvex::display
