// The table write's tick logic over the fake link: passes in priority order, activation with its retries,
// address checks, the answer of each road, stop and restart.
#include "devices/display/display_columns.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_table_writer.h"

#include "../meters/fake_link.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

namespace holvex::display {
namespace {

// One row of the display table: address, unit, "Mult/Div ", user number, free text; ticked or not.
struct Row {
    QString address;
    QString unit;
    QString multDiv;
    QString userNumber;
    QString text;
    bool ticked = true;
};

class WriterTest : public ::testing::Test {
protected:
    WriterTest() {
        QObject::connect(&writer, &DisplayTableWriter::optionsChanged, [this] { ++optionChanges; });
    }

    void setRows(const std::vector<Row>& rows) {
        QList<QStringList> cells;
        for (const Row& row : rows) {
            QStringList line(kDisplayColumnCount, QString());
            line[kDisplayAddressColumn] = row.address;
            line[kDisplayUnitColumn] = row.unit;
            line[kDisplayMultDivColumn] = row.multDiv;
            line[kDisplayUserNumberColumn] = row.userNumber;
            line[kDisplayFreeTextColumn] = row.text;
            cells.append(line);
        }
        table.setRowCount(2);
        table.setRows(1, cells);
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            table.setMarked(r + 1, rows[static_cast<std::size_t>(r)].ticked);
        }
    }

    void choose(std::initializer_list<DisplayOption> options) {
        DisplayOptions chosen;
        for (const DisplayOption option : options) {
            chosen.setTicked(option, true);
        }
        writer.setOptions(chosen);
    }

    // Ticks until the write ends; returns the number of ticks.
    int runToEnd(int limit = 200) {
        int ticks = 0;
        while (writer.running() && ticks < limit) {
            writer.tick();
            ++ticks;
        }
        return ticks;
    }

    // The log without the unit's answers.
    QStringList ownLines(const std::deque<QByteArray>& answers) const {
        QStringList lines;
        for (const QString& line : b.log.lines) {
            if (std::find(answers.begin(), answers.end(), line.toLatin1()) == answers.end()) {
                lines.append(line);
            }
        }
        return lines;
    }

    test::Bench b;
    DisplayOperations& display = b.bus.display();
    DisplayTableWriter& writer = display.writer();
    StringGridModel& table = display.tables().display();
    QTimer& lumet = *b.bus.timers().timer(TimerId::Lumet);
    int optionChanges = 0;
};

struct WriteCase {
    const char* name;
    std::vector<DisplayOption> options;
    std::vector<Row> rows;
    int retries;
    std::deque<QByteArray> answers; // the unit's answers, one per line sent; none: the unit stays silent
    QStringList lines;              // lines the unit received, in order
    QStringList log;                // the log, answers left out
};

TEST_F(WriterTest, EveryWriteSendsItsLinesAndLogsEveryStep) {
    const QString sixty = QString(50, QLatin1Char('a')) + QString(10, QLatin1Char('b'));
    const std::vector<WriteCase> cases{
        {"units and user numbers on three ticked rows and one unticked",
         {DisplayOption::UserNumber, DisplayOption::Units},
         {{"1", "m3", "", "11", ""},
          {"2", "kWh", "", "12", "", false},
          {"3", "MJ", "", "13", ""},
          {"4", "", "", "14", ""}},
         0,
         {},
         {"SET UNIT=1,2", "SET UNIT=3,4", "SET UNIT=4,", "SET NUMB=1,11", "SET NUMB=3,13", "SET NUMB=4,14"},
         {"Setting unit of device 1...", "Setting unit of device 3...", "Setting unit of device 4...",
          "Setting user number of device 1...", "Setting user number of device 3...",
          "Setting user number of device 4..."}},
        {"activation of a silent unit, two retries",
         {DisplayOption::Activate},
         {{"5", "", "", "", ""}},
         2,
         {},
         {"SET ENTR=5", "SET ENTR=5", "SET ENTR=5"},
         {"Activating device 5...", "Activating device 5...", "Activating device 5..."}},
        {"activation answered at once",
         {DisplayOption::Activate},
         {{"5", "", "", "", ""}, {"6", "", "", "", ""}},
         3,
         {"Entry 5: Active", "Entry 6: Already active"},
         {"SET ENTR=5", "SET ENTR=6"},
         {"Activating device 5...", "Activating device 6..."}},
        {"activation answered by the second line",
         {DisplayOption::Activate},
         {{"5", "", "", "", ""}, {"6", "", "", "", ""}},
         3,
         {"", "Entry 5: Active", "Entry 6: Active"},
         {"SET ENTR=5", "SET ENTR=5", "SET ENTR=6"},
         {"Activating device 5...", "Activating device 5...", "Activating device 6..."}},
        {"an answer in other words is no activation",
         {DisplayOption::Activate},
         {{"5", "", "", "", ""}},
         1,
         {"Entry 5: active", "Wrong address"},
         {"SET ENTR=5", "SET ENTR=5"},
         {"Activating device 5...", "Activating device 5..."}},
        {"addresses 0, 251, 12a and an empty one are skipped",
         {DisplayOption::Units},
         {{"0", "m3", "", "", ""},
          {"251", "m3", "", "", ""},
          {"12a", "m3", "", "", ""},
          {"", "m3", "", "", ""},
          {"7", "kJ", "", "", ""}},
         0,
         {},
         {"SET UNIT=7,3"},
         {"Error in device address at row 1, skipping", "Error in device address at row 2, skipping",
          "Error in device address at row 3, skipping", "Error in device address at row 4",
          "Setting unit of device 7..."}},
        {"a skipped row does not cost the next one its activation",
         {DisplayOption::Activate},
         {{"12a", "", "", "", ""}, {"8", "", "", "", ""}},
         0,
         {},
         {"SET ENTR=8"},
         {"Error in device address at row 1, skipping", "Activating device 8..."}},
        {"a free text of sixty characters goes as its first fifty",
         {DisplayOption::FreeText},
         {{"3", "", "", "", sixty}, {"4", "", "", "", ""}},
         0,
         {},
         {"SET TEXT=3," + sixty.left(50), "SET TEXT=4, "},
         {"Setting free text of device 3...", "Setting free text of device 4..."}},
        {"multiplier and divider from one cell, a wrong unit skipped",
         {DisplayOption::Divider, DisplayOption::Multiplier, DisplayOption::Units},
         {{"9", "litres", "10/1", "", ""}, {"10", "m3 ", "12345/", "", ""}},
         0,
         {},
         {"SET UNIT=10,2", "SET CONM=9,10", "SET COND=9,1", "SET COND=10,1"},
         {"Skipping unit of device 9...wrong", "Setting unit of device 10...",
          "Setting multiplier of device 9...", "Skipping multiplier of device 10...wrong",
          "Setting divider of device 9...", "Setting divider of device 10..."}},
        {"delete on its own",
         {DisplayOption::Delete},
         {{"21", "", "", "", ""}, {"22", "", "", "", "", false}},
         0,
         {},
         {"DEL ENTR=21"},
         {"Deleting device 21..."}},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        b.link.lines.clear();
        b.log.lines.clear();
        b.link.lineAnswers = c.answers;
        b.link.opens = 0;
        b.link.closes = 0;
        b.settings.Retry = c.retries;
        setRows(c.rows);
        DisplayOptions chosen;
        for (const DisplayOption option : c.options) {
            chosen.setTicked(option, true);
        }
        writer.setOptions(chosen);

        ASSERT_TRUE(writer.start());
        EXPECT_TRUE(b.state.DisplayWriteRunning);
        EXPECT_EQ(b.progress.maximum, static_cast<int>(c.options.size() * c.rows.size()));
        EXPECT_LT(runToEnd(), 200);
        EXPECT_EQ(b.link.lines, c.lines);
        EXPECT_EQ(ownLines(c.answers), c.log);
        // The unit's answers are logged as they came.
        for (const QByteArray& answer : c.answers) {
            if (!answer.isEmpty()) {
                EXPECT_TRUE(b.log.has(QString::fromLatin1(answer))) << answer.toStdString();
            }
        }
        EXPECT_TRUE(writer.options().none());
        EXPECT_FALSE(b.state.DisplayWriteRunning);
        EXPECT_EQ(b.state.DisplayWriteRow, 1);
        EXPECT_FALSE(lumet.isActive());
        EXPECT_FALSE(b.progress.shown);
        EXPECT_EQ(b.link.opens, 1);
        EXPECT_EQ(b.link.closes, 1);
    }
}

TEST_F(WriterTest, EachPassClearsItsOptionAndTheNextPassStartsAtTheFirstRow) {
    setRows({{"1", "m3", "", "11", ""}, {"2", "kWh", "", "12", ""}});
    choose({DisplayOption::Units, DisplayOption::UserNumber});
    optionChanges = 0;
    ASSERT_TRUE(writer.start());
    writer.tick();
    writer.tick();
    EXPECT_TRUE(writer.options().isTicked(DisplayOption::Units));
    writer.tick(); // past the last row: the pass ends, nothing is sent
    EXPECT_FALSE(writer.options().isTicked(DisplayOption::Units));
    EXPECT_TRUE(writer.options().isTicked(DisplayOption::UserNumber));
    EXPECT_EQ(optionChanges, 1);
    EXPECT_EQ(b.state.DisplayWriteRow, 1);
    EXPECT_EQ(b.link.lines.size(), 2);
    writer.tick();
    EXPECT_EQ(b.link.lines.last(), QStringLiteral("SET NUMB=1,11"));
    // The serial port's input is purged after every answer taken and at the end of a pass.
    EXPECT_EQ(b.link.inputDiscards, 5);
}

TEST_F(WriterTest, TheFirstTickComesSoonThenOneResponseTimeoutApart) {
    b.bus.timers().setResponseTimeout(700);
    setRows({{"1", "m3", "", "", ""}});
    choose({DisplayOption::Units});
    ASSERT_TRUE(writer.start());
    EXPECT_TRUE(lumet.isActive());
    EXPECT_EQ(lumet.interval(), DisplayTableWriter::kFirstTickMs);
    writer.tick();
    EXPECT_EQ(lumet.interval(), 700);
    EXPECT_TRUE(lumet.isActive());
}

TEST_F(WriterTest, NothingStartsWithoutRowsOptionsOrChannel) {
    struct Case {
        const char* name;
        bool emptyTable;
        bool option;
        bool channelReady;
        int opens;
    };
    for (const Case& c : {Case{"empty table", true, true, true, 0}, Case{"no option", false, false, true, 0},
                          Case{"channel not ready", false, true, false, 1}}) {
        SCOPED_TRACE(c.name);
        b.link.opens = 0;
        b.link.ready = c.channelReady;
        setRows({{c.emptyTable ? "" : "1", "m3", "", "", ""}});
        DisplayOptions chosen;
        chosen.setTicked(DisplayOption::Units, c.option);
        writer.setOptions(chosen);
        QSignalSpy started(&writer, &DisplayTableWriter::writeStarted);
        EXPECT_FALSE(writer.start());
        EXPECT_EQ(started.count(), 0);
        EXPECT_FALSE(writer.running());
        EXPECT_FALSE(lumet.isActive());
        EXPECT_EQ(b.link.opens, c.opens);
    }
}

TEST_F(WriterTest, StopLeavesTheOptionsAndARestartBeginsAgainAtTheFirstRow) {
    setRows({{"1", "m3", "", "11", ""}, {"2", "kWh", "", "12", ""}, {"3", "kJ", "", "13", ""}});
    choose({DisplayOption::Units, DisplayOption::UserNumber});
    QSignalSpy started(&writer, &DisplayTableWriter::writeStarted);
    QSignalSpy finished(&writer, &DisplayTableWriter::writeFinished);
    ASSERT_TRUE(writer.start());
    writer.tick();
    writer.tick();
    b.state.GatewayReply = "late";
    writer.toggle(); // the button again: stop
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(writer.running());
    EXPECT_FALSE(lumet.isActive());
    EXPECT_TRUE(b.state.GatewayReply.isEmpty());
    EXPECT_EQ(b.state.DisplayWriteRow, 1);
    EXPECT_FALSE(b.progress.shown);
    EXPECT_EQ(b.link.closes, 1);
    EXPECT_TRUE(writer.options().isTicked(DisplayOption::Units));
    EXPECT_TRUE(writer.options().isTicked(DisplayOption::UserNumber));
    EXPECT_FALSE(b.bus.busy());

    // A stop while the table is empty still stops.
    writer.toggle();
    EXPECT_EQ(started.count(), 2);
    table.setRowCount(2);
    table.setRow(1, {});
    writer.toggle();
    EXPECT_FALSE(writer.running());
    EXPECT_EQ(finished.count(), 2);

    setRows({{"1", "m3", "", "11", ""}, {"2", "kWh", "", "12", ""}, {"3", "kJ", "", "13", ""}});
    b.link.lines.clear();
    writer.toggle();
    EXPECT_EQ(runToEnd(), 8); // three rows and the end of each of the two passes
    EXPECT_EQ(b.link.lines, (QStringList{"SET UNIT=1,2", "SET UNIT=2,1", "SET UNIT=3,3", "SET NUMB=1,11",
                                         "SET NUMB=2,12", "SET NUMB=3,13"}));
}

TEST_F(WriterTest, TheRunningWriteHoldsTheBus) {
    setRows({{"1", "m3", "", "", ""}});
    choose({DisplayOption::Units});
    ASSERT_TRUE(b.bus.start([this] { return writer.start(); }));
    EXPECT_TRUE(b.bus.busy());
    bool second = false;
    EXPECT_FALSE(b.bus.start([&second] { return second = true; }));
    EXPECT_FALSE(second);
    runToEnd();
    EXPECT_FALSE(b.bus.busy());
}

TEST_F(WriterTest, ClearingEveryBoxDuringTheWriteEndsIt) {
    setRows({{"1", "m3", "", "11", ""}, {"2", "kWh", "", "12", ""}});
    choose({DisplayOption::Units, DisplayOption::UserNumber});
    ASSERT_TRUE(writer.start());
    writer.tick();
    writer.setOptionTicked(DisplayOption::UserNumber, false);
    EXPECT_EQ(runToEnd(), 2);
    EXPECT_EQ(b.link.lines, (QStringList{"SET UNIT=1,2", "SET UNIT=2,1"}));

    setRows({{"1", "m3", "", "11", ""}});
    choose({DisplayOption::Units});
    ASSERT_TRUE(writer.start());
    writer.setOptionTicked(DisplayOption::Units, false);
    writer.tick();
    EXPECT_FALSE(writer.running());
    EXPECT_EQ(b.link.lines.size(), 2);
}

TEST_F(WriterTest, AnAnswerIsTakenFromTheRoadOrWaitedFor) {
    setRows({{"1", "m3", "", "", ""}, {"2", "m3", "", "", ""}});
    choose({DisplayOption::Units});
    ASSERT_TRUE(writer.start());
    writer.tick();
    ASSERT_EQ(b.link.lines.size(), 1);

    // A gateway that called in has not answered yet: the tick waits another period and sends nothing.
    b.link.awaitingPacket = true;
    writer.tick();
    EXPECT_EQ(b.link.lines.size(), 1);
    EXPECT_TRUE(lumet.isActive());
    b.link.awaitingPacket = false;

    // A serial port that closed meanwhile: "No valid interface!", and the write goes on.
    b.state.PortOpen = false;
    writer.tick();
    EXPECT_TRUE(b.log.has(QStringLiteral("No valid interface!")));
    EXPECT_EQ(b.link.lines.size(), 2);
    EXPECT_EQ(b.link.timers.size(), 2u); // only the two answers that could be taken were asked for

    // Both reply buffers are emptied once an answer is taken.
    b.state.PortOpen = true;
    b.state.RawReply = "raw";
    b.state.GatewayReply = "packet";
    writer.tick();
    EXPECT_TRUE(b.state.RawReply.isEmpty());
    EXPECT_TRUE(b.state.GatewayReply.isEmpty());
    EXPECT_FALSE(writer.running());
}

TEST_F(WriterTest, ProgressStopsOneShortOfItsMaximum) {
    setRows({{"1", "m3", "", "", ""}, {"2", "m3", "", "", ""}, {"3", "m3", "", "", ""}});
    choose({DisplayOption::Units});
    ASSERT_TRUE(writer.start());
    EXPECT_EQ(b.progress.maximum, 3);
    for (const int position : {1, 2, 2}) {
        writer.tick();
        EXPECT_EQ(b.progress.position, position);
    }
    EXPECT_TRUE(b.progress.shown);
    writer.tick();
    EXPECT_FALSE(b.progress.shown);
}

} // namespace
} // namespace holvex::display
