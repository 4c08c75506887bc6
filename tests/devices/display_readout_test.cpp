// The read-out over the fake link: which lines go out in which order, one wait per request, what lands in
// the display and readings tables, and the log lines of each refusal.
#include "devices/display/display_columns.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_readout.h"
#include "devices/display/display_tables.h"

#include "../meters/fake_link.h"

#include <gtest/gtest.h>

namespace holvex::display {
namespace {

class ReadoutTest : public ::testing::Test {
protected:
    // The display table with these addresses, the readings table a copy of it.
    void setAddresses(const QStringList& addresses) {
        display.clearDataRows();
        readings.clearDataRows();
        display.setRowCount(static_cast<int>(addresses.size()) + 1);
        readings.setRowCount(static_cast<int>(addresses.size()) + 1);
        for (int i = 0; i < addresses.size(); ++i) {
            display.setCell(i + 1, kDisplayAddressColumn, addresses.at(i));
            readings.setCell(i + 1, kDisplayAddressColumn, addresses.at(i));
        }
    }

    // Cells of a row in the given columns.
    static QStringList cells(const StringGridModel& table, int row, std::initializer_list<int> columns) {
        QStringList out;
        for (const int c : columns) {
            out.append(table.cell(row, c));
        }
        return out;
    }

    test::Bench b;
    DisplayReadout& readout = b.bus.display().readout();
    StringGridModel& display = b.bus.display().tables().display();
    StringGridModel& readings = b.bus.display().tables().readings();
};

TEST_F(ReadoutTest, ReadDataFillsBothTablesFromTheAddressListAndEveryEntry) {
    display.setRowCount(4);
    display.setCell(3, kDisplayAddressColumn, QStringLiteral("old"));
    b.link.lineAnswers = {
        "Active devices: \r\n5\r\n5\r\n9",
        "Entry 5\r\nTotal pulses: 120\r\nUser mult/div: 10/1\r\nInitial: 12.5 m3\r\nTotal: 1212.5 m3",
        "Entry 5\r\nUser #: 12\r\nText: Flat 3",
        "Entry 5\r\nTotal pulses: 121 *1/1000 imp\r\nInitial: 3 kWh\r\nTotal: 3.121 kWh",
        "no user data",
        "", // entry 9 stays silent
        "Entry 9\r\nUser #: 4\r\nText: ",
    };
    ASSERT_TRUE(readout.readData());

    EXPECT_EQ(b.link.lines, (QStringList{"GET ADDR", "GET ENTR=5,1", "GET ENTR=5,2", "GET ENTR=5,1",
                                         "GET ENTR=5,2", "GET ENTR=9,1", "GET ENTR=9,2"}));
    EXPECT_EQ(b.waits, QList<int>(7, b.bus.timers().responseTimeout()));
    // The port's buffers are emptied before the address request, its input before every other one.
    EXPECT_EQ(b.link.bothDiscards, 1);
    EXPECT_EQ(b.link.inputDiscards, 6);
    EXPECT_EQ(b.link.closes, 1);
    ASSERT_EQ(display.dataRowCount(), 3);
    ASSERT_EQ(readings.dataRowCount(), 3);
    const std::initializer_list<int> read{
        kDisplayAddressColumn,    kDisplayUnitColumn,     kDisplayStartColumn, kDisplayMultDivColumn,
        kDisplayUserNumberColumn, kDisplayFreeTextColumn, kDisplayTotalColumn};
    // Both rows of address 5 hold the second reading; the user data of the second was not understood.
    for (const int row : {1, 2}) {
        EXPECT_EQ(cells(display, row, read),
                  (QStringList{"5", "kWh", "3", "1/1000", "12", "Flat 3", "3.121"}));
        EXPECT_EQ(cells(readings, row, read), cells(display, row, read));
    }
    EXPECT_EQ(cells(display, 3, read), (QStringList{"9", "", "", "", "4", "", ""}));
    EXPECT_EQ(b.log.count(QStringLiteral("Unexpected error decodingUser info")), 1);
    // The silent entry leaves an empty line in the log.
    EXPECT_EQ(b.log.count(QString()), 1);
}

TEST_F(ReadoutTest, ReadDataWithoutActiveAddressesStops) {
    for (const QByteArray& answer :
         {QByteArray("No active devices"), QByteArray("Active devices: 9-7"), QByteArray()}) {
        b.link.lines.clear();
        b.link.lineAnswers = {answer};
        ASSERT_TRUE(readout.readData());
        EXPECT_EQ(b.link.lines, QStringList{"GET ADDR"});
        EXPECT_TRUE(b.log.has(QStringLiteral("Sorry, no active addresses in Lumet-R7 memory...")));
        EXPECT_EQ(display.dataRowCount(), 1);
    }
    b.state.PortOpen = false;
    b.link.lines.clear();
    ASSERT_TRUE(readout.readData());
    EXPECT_TRUE(b.link.lines.isEmpty());
    EXPECT_TRUE(b.log.has(QStringLiteral("No valid connection...")));
}

TEST_F(ReadoutTest, ReadValuesReadsTariffsOrMainValues) {
    EXPECT_TRUE(readout.readValues(std::nullopt));
    EXPECT_TRUE(readout.readValues(DisplayValues::Main));
    EXPECT_TRUE(b.link.lines.isEmpty());
    EXPECT_EQ(b.log.lines, (QStringList{"Select which values you want to read from device...",
                                        "Read main data first or load file..."}));

    setAddresses({"5", "x"});
    b.log.lines.clear();
    b.link.lineAnswers = {"Total pulses: 1\r\nUser mult/div: 1/1\r\nUnit: m3\r\nValue: 10 m3", "",
                          "Total pulses: 3 *1/1\r\nUnit: m3\r\nValue: 30 m3",
                          "Total pulses: 4\r\nUser mult/div: 1/1\r\nUnit: m3\r\nValue: 40 m3"};
    ASSERT_TRUE(readout.readValues(DisplayValues::Tariffs));
    EXPECT_EQ(b.link.lines, (QStringList{"GET TARR=5,0", "GET TARR=5,1", "GET TARR=5,2", "GET TARR=5,3"}));
    EXPECT_EQ(cells(display, 1, {8, 9, 10, 11}), (QStringList{"10", "", "30", "40"}));
    EXPECT_EQ(cells(readings, 1, {8, 9, 10, 11}), cells(display, 1, {8, 9, 10, 11}));
    // Only the answers that came are logged.
    EXPECT_EQ(b.log.lines.size(), 1 + 3);
    EXPECT_EQ(b.log.lines.first(), QStringLiteral("Reading tarriffs of device 5..."));

    b.link.lines.clear();
    b.link.lineAnswers = {"Total pulses: 2\r\nUser mult/div: 2/1\r\nInitial: 1 MJ\r\nTotal: 5 MJ"};
    ASSERT_TRUE(readout.readValues(DisplayValues::Main));
    EXPECT_EQ(b.link.lines, QStringList{"GET ENTR=5,1"});
    EXPECT_EQ(cells(display, 1, {2, 3, 4, 7}), (QStringList{"MJ", "1", "2/1", "5"}));
}

struct MonthCase {
    const char* name;
    int month;
    QByteArray newest; // the answer to record 1
    QStringList lines;
    const char* value; // filed under the chosen month
};

QByteArray historyAnswer(const char* value, const char* date) {
    return QByteArray("Hist values: ") + value + "\r\nDate: " + date;
}

TEST_F(ReadoutTest, OneMonthIsAskedFromTheRecordThatHoldsIt) {
    const MonthCase cases[] = {
        {"Mar with Jan newest", 3, historyAnswer("1", "31/Jan/26"), {"GET HIST=5,1", "GET HIST=5,3"}, "3"},
        {"Jan with Mar newest", 1, historyAnswer("1", "31/Mar/26"), {"GET HIST=5,1", "GET HIST=5,11"}, "3"},
        {"the newest month", 3, historyAnswer("1", "31/Mar/26"), {"GET HIST=5,1"}, "1"},
        {"nothing saved", 3, historyAnswer("0", "00/---/00"), {"GET HIST=5,1"}, ""},
    };
    for (const MonthCase& c : cases) {
        setAddresses({"5"});
        b.link.lines.clear();
        b.link.lineAnswers = {c.newest, historyAnswer("3", c.month == 3 ? "31/Mar/26" : "31/Jan/26")};
        ASSERT_TRUE(readout.readHistory(c.month)) << c.name;
        EXPECT_EQ(b.link.lines, c.lines) << c.name;
        EXPECT_EQ(readings.cell(1, kReadingsFirstMonthColumn + c.month - 1), QString::fromLatin1(c.value))
            << c.name;
    }
    EXPECT_TRUE(b.log.has(QStringLiteral("No history values saved yet for address 5")));
}

TEST_F(ReadoutTest, AllMonthsAreAskedForEveryRowWithAnAddress) {
    readings.setRowCount(4);
    readings.setCell(1, kDisplayAddressColumn, QStringLiteral("5"));
    readings.setCell(2, kDisplayAddressColumn, QStringLiteral("6"));
    b.link.lineAnswers = {historyAnswer("11", "31/Dec/25"), historyAnswer("7", "15/   /13"),
                          historyAnswer("9", "28/Feb/00"), "Hist values: 9\r\nDate: 3"};
    ASSERT_TRUE(readout.readHistory(kAllMonths));
    ASSERT_EQ(b.link.lines.size(), 24);
    EXPECT_EQ(b.link.lines.at(11), QStringLiteral("GET HIST=5,12"));
    EXPECT_EQ(b.link.lines.at(12), QStringLiteral("GET HIST=6,1"));
    EXPECT_EQ(readings.cell(1, kReadingsFirstMonthColumn + 11), QStringLiteral("7")); // the later December
    EXPECT_EQ(readings.cell(1, kReadingsFirstMonthColumn + 1), QString());
    EXPECT_TRUE(b.log.has(QStringLiteral("Unrecognizable month value, returned by Lumet...")));
    EXPECT_EQ(readings.dataRowCount(), 2); // the empty last row is gone
    EXPECT_EQ(b.progress.maximum, 36);
    EXPECT_FALSE(b.progress.shown);

    b.link.roadUp = false;
    b.link.lines.clear();
    ASSERT_TRUE(readout.readHistory(kAllMonths));
    EXPECT_TRUE(b.link.lines.isEmpty());
    EXPECT_TRUE(b.log.has(QStringLiteral("No valid connection set, aborting...")));
}

TEST_F(ReadoutTest, InfoRequestsAndReadMeters) {
    EXPECT_EQ(readout.requestInfo(DisplayInfo::Entry2, 0), DisplaySendOutcome::Refused);
    EXPECT_TRUE(b.log.has(QStringLiteral("Not valid address selected...")));
    EXPECT_EQ(readout.requestInfo(DisplayInfo::Main, 0), DisplaySendOutcome::Sent);
    EXPECT_EQ(readout.requestInfo(DisplayInfo::Entry1, 7), DisplaySendOutcome::Sent);
    EXPECT_EQ(readout.requestInfo(DisplayInfo::Entry3, 7), DisplaySendOutcome::Sent);
    EXPECT_EQ(readout.readMeters(), DisplaySendOutcome::Sent);
    EXPECT_EQ(b.link.lines, (QStringList{"GET MAIN", "GET ENTR=7,0", "GET ENTR=7,2", "SET READ"}));
    EXPECT_TRUE(b.log.has(QStringLiteral("Updating readings of Lumet-R7...")));
    EXPECT_TRUE(b.bus.timers().timer(TimerId::FreeCommand)->isActive());

    b.link.road = links::LinkKind::LanAdapter;
    b.link.roadUp = false;
    EXPECT_EQ(readout.requestInfo(DisplayInfo::Service, 0), DisplaySendOutcome::NotSent);
    EXPECT_TRUE(b.log.has(QStringLiteral("No active connection to the device!!!")));
}

} // namespace
} // namespace holvex::display
