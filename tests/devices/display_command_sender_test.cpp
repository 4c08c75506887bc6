// The one-shot commands of the display page on each road: what goes out, what is logged, whether
// Timer_free_command shows the answer, and the RS-232 rule of "Create sort table".
#include "devices/display/display_command_sender.h"
#include "devices/display/display_operations.h"

#include "../meters/fake_link.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace holvex::display {
namespace {

using links::LinkKind;

// The serial port is one fake, every network road another, so a line can be told by where it went.
class TwoLinkSet : public links::LinkSet {
public:
    TwoLinkSet() { serial.road = LinkKind::Serial; }
    links::Link& link(LinkKind kind) override {
        if (kind == LinkKind::Serial) {
            return serial;
        }
        network.road = kind;
        return network;
    }
    test::FakeLink serial;
    test::FakeLink network;
};

void chooseRoad(Settings& settings, LinkKind road) {
    settings.UseEthernet = road == LinkKind::CallingGateway || road == LinkKind::WirelessAdapter;
    settings.UseNerit1 = road == LinkKind::WirelessAdapter;
    settings.UseLanXp = road == LinkKind::LanAdapter;
    settings.UseFerrinServ = road == LinkKind::ServerGateway;
}

struct SenderBench {
    SenderBench() {
        state.PortOpen = true;
        commands.setConfirmation([this](const QString& title, const QString& question) {
            questions.append(title + QLatin1Char('|') + question);
            return answerYes;
        });
    }
    Settings settings;
    RunState state;
    test::FakeLog log;
    MessageLanguage language;
    TwoLinkSet links;
    StringGridModel table{12};
    test::FakeProgress progress;
    Bus bus{BusParts{settings, state, log, progress, language, table}, BusHooks{&links, {}, {}, {}, {}}};
    DisplayCommandSender& commands = bus.display().commands();
    QTimer& answerTimer = *bus.timers().timer(TimerId::FreeCommand);
    QStringList questions;
    bool answerYes = false;
};

enum class Press { Date, Time, Refresh, SortByAddress, SortByUserNumber, Lock, SortTable };

struct Case {
    const char* name;
    LinkKind road;
    Press press;
    QString refresh; // the refresh box's text
    bool connectionUp;
    bool answerYes;
    DisplaySendOutcome outcome;
    QStringList serialLines;
    QStringList networkLines;
    QStringList log;
    bool answerShown; // Timer_free_command runs
    int opens;        // channel openings on the road that carried the line
    bool asked;       // "Sort confirmation" was asked
};

DisplaySendOutcome press(DisplayCommandSender& commands, const Case& c) {
    switch (c.press) {
    case Press::Date:
        return commands.send(displayDateCommand(QDate(2026, 3, 7)));
    case Press::Time:
        return commands.send(displayTimeCommand(QTime(9, 5)));
    case Press::Refresh:
        return commands.send(displayRefreshCommand(c.refresh));
    case Press::SortByAddress:
        return commands.send(displaySortCommand(true, false));
    case Press::SortByUserNumber:
        return commands.send(displaySortCommand(false, true));
    case Press::Lock:
        return commands.sendLock();
    case Press::SortTable:
        break;
    }
    return commands.createSortTable();
}

TEST(DisplayCommandSender, EveryOneShotFollowsItsRoad) {
    using O = DisplaySendOutcome;
    const QString date = QStringLiteral("Setting date of Lumet-R7/Pavo...");
    const QString time = QStringLiteral("Setting time of Lumet-R7/Pavo...");
    const QString refresh = QStringLiteral("Setting refresh time of Lumet-R7/Pavo...");
    const QString lock = QStringLiteral("Locking Lumet-R7/Pavo...");
    const QString sortTable = QStringLiteral("Creating sort table in Lumet-R7/Pavo, please wait...");
    const std::vector<Case> cases{
        {"date on the serial port",
         LinkKind::Serial,
         Press::Date,
         {},
         true,
         false,
         O::Sent,
         {"SET DATE=07/03/26"},
         {},
         {date},
         true,
         1,
         false},
        {"time on the LAN adapter",
         LinkKind::LanAdapter,
         Press::Time,
         {},
         true,
         false,
         O::Sent,
         {},
         {"SET TIME=09:05"},
         {time},
         true,
         1,
         false},
        {"refresh time through a gateway that called in",
         LinkKind::CallingGateway,
         Press::Refresh,
         "7",
         true,
         false,
         O::Sent,
         {},
         {"SET REFR=07"},
         {refresh},
         true,
         1,
         false},
        {"refresh time through the gateway of the server version",
         LinkKind::ServerGateway,
         Press::Refresh,
         "12",
         true,
         false,
         O::Sent,
         {},
         {"SET REFR=12"},
         {refresh},
         true,
         1,
         false},
        {"refresh time that is no number",
         LinkKind::Serial,
         Press::Refresh,
         "x4",
         true,
         false,
         O::Refused,
         {},
         {},
         {"Wrong value for refresh time of Lumet-R7/Pavo..."},
         false,
         0,
         false},
        {"refresh time above twelve",
         LinkKind::Serial,
         Press::Refresh,
         "13",
         true,
         false,
         O::Refused,
         {},
         {},
         {},
         false,
         0,
         false},
        {"sort by address on the serial port shows no answer",
         LinkKind::Serial,
         Press::SortByAddress,
         {},
         true,
         false,
         O::Sent,
         {"SET SRTP=0"},
         {},
         {"Sorting Lumet-R7/Pavo by address..."},
         false,
         1,
         false},
        {"sort by user number on the LAN adapter",
         LinkKind::LanAdapter,
         Press::SortByUserNumber,
         {},
         true,
         false,
         O::Sent,
         {},
         {"SET SRTP=1"},
         {"Sorting Lumet-R7/Pavo by user number..."},
         true,
         1,
         false},
        {"a gateway connection that is down sends and logs nothing",
         LinkKind::ServerGateway,
         Press::Date,
         {},
         false,
         false,
         O::NotSent,
         {},
         {},
         {},
         false,
         1,
         false},
        {"lock on the serial port",
         LinkKind::Serial,
         Press::Lock,
         {},
         true,
         false,
         O::Sent,
         {"SET LOCK"},
         {},
         {lock},
         true,
         1,
         false},
        {"lock through a gateway goes on the connection as it is",
         LinkKind::ServerGateway,
         Press::Lock,
         {},
         true,
         false,
         O::Sent,
         {},
         {"SET LOCK"},
         {lock},
         true,
         0,
         false},
        {"lock with the LAN adapter sends nothing",
         LinkKind::LanAdapter,
         Press::Lock,
         {},
         true,
         false,
         O::NotSent,
         {},
         {},
         {},
         false,
         0,
         false},
        {"sort table on the serial port",
         LinkKind::Serial,
         Press::SortTable,
         {},
         true,
         false,
         O::Sent,
         {"SET SORT"},
         {},
         {sortTable},
         true,
         1,
         false},
        {"sort table on the LAN adapter",
         LinkKind::LanAdapter,
         Press::SortTable,
         {},
         true,
         false,
         O::Sent,
         {},
         {"SET SORT"},
         {sortTable},
         true,
         1,
         false},
        {"sort table with a gateway: No",
         LinkKind::CallingGateway,
         Press::SortTable,
         {},
         true,
         false,
         O::NotSent,
         {},
         {},
         {},
         false,
         0,
         true},
        {"sort table with a gateway: Yes goes over the serial port",
         LinkKind::ServerGateway,
         Press::SortTable,
         {},
         true,
         true,
         O::Sent,
         {"SET SORT"},
         {},
         {sortTable},
         true,
         1,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SenderBench b;
        chooseRoad(b.settings, c.road);
        b.links.network.roadUp = c.connectionUp;
        b.answerYes = c.answerYes;

        EXPECT_EQ(press(b.commands, c), c.outcome);
        EXPECT_EQ(b.links.serial.lines, c.serialLines);
        EXPECT_EQ(b.links.network.lines, c.networkLines);
        EXPECT_EQ(b.log.lines, c.log);
        EXPECT_EQ(b.answerTimer.isActive(), c.answerShown);
        const test::FakeLink& carrier =
            c.serialLines.isEmpty() && c.road != LinkKind::Serial ? b.links.network : b.links.serial;
        EXPECT_EQ(carrier.opens, c.opens);
        EXPECT_EQ(b.questions.isEmpty(), !c.asked);
        if (c.asked) {
            EXPECT_EQ(b.questions.first(),
                      QStringLiteral("Sort confirmation|Sorting is available only through RS-232, "
                                     "continue?"));
        }
    }
}

TEST(DisplayCommandSender, TheAnswerIsShownAndTheChannelClosedOnePeriodLater) {
    SenderBench b;
    chooseRoad(b.settings, LinkKind::ServerGateway);
    b.bus.operations().console().setAsciiTicked(true);
    b.links.network.lineAnswers.push_back("Date 07/03/26");
    ASSERT_EQ(b.commands.send(displayDateCommand(QDate(2026, 3, 7))), DisplaySendOutcome::Sent);
    b.bus.operations().console().tick();
    EXPECT_EQ(b.log.lines, (QStringList{QStringLiteral("Setting date of Lumet-R7/Pavo..."),
                                        QStringLiteral("Date 07/03/26")}));
    EXPECT_FALSE(b.answerTimer.isActive());
    EXPECT_EQ(b.links.network.closes, 1);

    // After the sort table went over the serial port for a gateway, its answer is taken there too.
    b.answerYes = true;
    b.links.serial.lineAnswers.push_back("Sort table created, 2 entries");
    ASSERT_EQ(b.commands.createSortTable(), DisplaySendOutcome::Sent);
    b.bus.operations().console().tick();
    EXPECT_EQ(b.log.lines.last(), QStringLiteral("Sort table created, 2 entries"));
    EXPECT_EQ(b.links.serial.closes, 2); // every closed channel closes the port, whatever its road
}

} // namespace
} // namespace holvex::display
