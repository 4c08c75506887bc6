#include "devices/display/display_commands.h"

#include "devices/gateway/command_line_text.h"

namespace holvex::display {

namespace {

DisplayCommand command(const QString& line, const QString& logText) {
    DisplayCommand result;
    result.line = gateway::commandBytes(line);
    result.logText = logText;
    return result;
}

} // namespace

DisplayCommand displayDateCommand(const QDate& today) {
    if (!today.isValid()) {
        return {};
    }
    return command(QStringLiteral("SET DATE=%1/%2/%3")
                       .arg(gateway::twoDigits(today.day()), gateway::twoDigits(today.month()),
                            gateway::yearDigits(today.year())),
                   QStringLiteral("Setting date of Lumet-R7/Pavo..."));
}

DisplayCommand displayTimeCommand(const QTime& now) {
    if (!now.isValid()) {
        return {};
    }
    return command(QStringLiteral("SET TIME=%1:%2")
                       .arg(gateway::twoDigits(now.hour()), gateway::twoDigits(now.minute())),
                   QStringLiteral("Setting time of Lumet-R7/Pavo..."));
}

DisplayCommand displayLockCommand() {
    return command(QStringLiteral("SET LOCK"), QStringLiteral("Locking Lumet-R7/Pavo..."));
}

DisplayCommand displayRefreshCommand(const QString& seconds) {
    int value = 0;
    if (!gateway::parseFieldNumber(seconds, value)) {
        DisplayCommand refused;
        refused.refusal = QStringLiteral("Wrong value for refresh time of Lumet-R7/Pavo...");
        return refused;
    }
    if (!kRefreshTimeRange.contains(value)) {
        return {};
    }
    return command(QStringLiteral("SET REFR=") + gateway::twoDigits(value),
                   QStringLiteral("Setting refresh time of Lumet-R7/Pavo..."));
}

DisplayCommand displaySortCommand(bool byAddress, bool byUserNumber) {
    DisplayCommand result;
    if (byAddress) {
        result = command(QStringLiteral("SET SRTP=0"), QStringLiteral("Sorting Lumet-R7/Pavo by address..."));
    } else if (byUserNumber) {
        result =
            command(QStringLiteral("SET SRTP=1"), QStringLiteral("Sorting Lumet-R7/Pavo by user number..."));
    }
    result.answerTimerOnSerial = false;
    return result;
}

DisplayCommand displaySortTableCommand() {
    return command(QStringLiteral("SET SORT"),
                   QStringLiteral("Creating sort table in Lumet-R7/Pavo, please wait..."));
}

} // namespace holvex::display
