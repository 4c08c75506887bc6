// Reading the simulated display unit back over each of the four channels: "Read data " fills the display
// and readings tables from the address list and every entry, the tariffs follow, and the history of every
// month and of one month lands in the readings table under the address asked for.

#include "devices/display/display_columns.h"
#include "devices/display/display_operations.h"
#include "devices/display/display_readout.h"
#include "devices/display/display_tables.h"
#include "road_fixture.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;

// Entry 2 answers without "User mult/div" and keeps its history with tariffs, in Bulgarian month names with
// December as three blanks; entry 3 is not active; the list comes one address per line.
const char kInstallation[] = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 60, "answerTimeout": true},
  "display": {"addressList": "lines", "monthNames": "bg", "blankDecember": true,
              "entries": [
    {"address": 1, "unit": "m3", "mult": 1, "div": 1000, "pulses": 123456, "initial": 2.5,
     "tariffPulses": [98000, 25456, 0, 0], "userNumber": "12", "text": "Flat 1 cold water",
     "history": {"start": "2025-12", "values": [62.35, 67.1, 71.904, 76.5, 81.023, 85.77, 90.4, 95.118, 99.86,
                                                104.5, 109.27, 118.902]}},
    {"address": 2, "unit": "kWh", "pulses": 4567, "userNumber": "3", "text": "Flat 1 heating",
     "userMultDiv": false, "historyForm": "tariffs",
     "history": {"start": "2026-10", "values": [[4330, 3027, 1303, 0], [4390, 3068, 1322, 0]]}},
    {"address": 3, "active": false, "userNumber": "7"}
  ]},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}]}
  ]
})";

class DisplayReadoutRoadTest : public ::testing::TestWithParam<Road> {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(b.start(GetParam(), QByteArray(kInstallation), &error)) << error.toStdString();
    }

    bool run(const std::function<bool()>& read) { return b.bus.start(read) && !b.bus.busy(); }

    QStringList cells(const StringGridModel& table, int row, int from, int to) const {
        QStringList out;
        for (int c = from; c <= to; ++c) {
            out.append(table.cell(row, c));
        }
        return out;
    }

    RoadBench b{100};
    display::DisplayReadout& readout = b.bus.display().readout();
    StringGridModel& display = b.bus.display().tables().display();
    StringGridModel& readings = b.bus.display().tables().readings();
};

TEST_P(DisplayReadoutRoadTest, TheUnitsEntriesTariffsAndHistoryFillBothTables) {
    ASSERT_TRUE(run([this] { return readout.readData(); }));
    const QString log = b.log.lines.join(QLatin1Char('\n'));
    ASSERT_EQ(display.dataRowCount(), 2) << log.toStdString();
    EXPECT_EQ(cells(display, 1, 1, 7),
              (QStringList{"1", "m3", "2.5", "1/1000", "12", "Flat 1 cold water", "125.956"}))
        << log.toStdString();
    EXPECT_EQ(cells(display, 2, 1, 7), (QStringList{"2", "kWh", "0", "1/1", "3", "Flat 1 heating", "4567"}));
    EXPECT_EQ(cells(readings, 1, 1, 7), cells(display, 1, 1, 7));
    EXPECT_EQ(cells(readings, 2, 1, 7), cells(display, 2, 1, 7));

    ASSERT_TRUE(run([this] { return readout.readValues(display::DisplayValues::Tariffs); }));
    EXPECT_EQ(cells(display, 1, 8, 11), (QStringList{"98", "25.456", "0", "0"}));

    ASSERT_TRUE(run([this] { return readout.readHistory(display::kAllMonths); }));
    EXPECT_EQ(cells(readings, 1, 12, 23),
              (QStringList{"67.1", "71.904", "76.5", "81.023", "85.77", "90.4", "95.118", "99.86", "104.5",
                           "109.27", "118.902", "62.35"}))
        << b.log.lines.join(QLatin1Char('\n')).toStdString();
    // Entry 2 saved October and November only; the months it has not saved stay empty.
    EXPECT_EQ(cells(readings, 2, 20, 23), (QStringList{"", "4330", "4390", ""}));

    // One month again, after clearing it: the record is found from the month of record 1.
    readings.setCell(1, 14, QString());
    readings.setCell(2, 22, QString());
    ASSERT_TRUE(run([this] { return readout.readHistory(3); }));
    EXPECT_EQ(readings.cell(1, 14), QStringLiteral("76.5"));
    // Entry 2's record 1 is October: March would be its record 6, which it has not saved.
    EXPECT_TRUE(b.recorded().contains(QStringLiteral("TEXT GET HIST=2,6")));
    EXPECT_EQ(readings.cell(2, 14), QString());
}

std::string paramName(const ::testing::TestParamInfo<Road>& road) {
    return test::roadName(road.param);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, DisplayReadoutRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter, Road::GatewayServer,
                                           Road::GatewayCallingIn),
                         paramName);

} // namespace
} // namespace holvex
