// The display table write and a one-shot command through the real channel against the simulated display
// unit, over each of the four channels: the unit must receive the same lines and end with the same entry
// table whatever the road (the gateways carry the line as their payload).

#include "devices/display/display_columns.h"
#include "devices/display/display_operations.h"
#include "road_fixture.h"
#include "sim/display_unit.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;
using test::spinFor;

// Entry 5 is in the table but not active yet, entry 6 is active, entry 7 stays as it is.
const char kInstallation[] = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 60, "answerTimeout": true},
  "display": {"entries": [{"address": 5, "active": false, "unit": "m3"},
                          {"address": 6, "unit": "MJ"},
                          {"address": 7, "unit": "kJ", "text": "left alone"}]},
  "meters": [
    {"address": 1, "id": "21034501", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}]}
  ]
})";

class DisplayWriteRoadTest : public ::testing::TestWithParam<Road> {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(b.start(GetParam(), QByteArray(kInstallation), &error)) << error.toStdString();
    }

    // The text lines the unit received, without the "TEXT " of the record file.
    QStringList textLines() const {
        QStringList lines;
        for (const QString& line : b.recorded()) {
            if (line.startsWith(QStringLiteral("TEXT "))) {
                lines.append(line.mid(5));
            }
        }
        return lines;
    }

    RoadBench b{150};
    display::DisplayOperations& display = b.bus.display();
    StringGridModel& table = display.tables().display();
};

TEST_P(DisplayWriteRoadTest, ThreePropertiesOfTheTickedRowsReachTheUnit) {
    table.setRowCount(2);
    table.setRows(1, {{"21034505", "5", "kWh", "", "", "", "Flat 1 cold water"},
                      {"21034506", "6", "m3", "", "", "", ""},
                      {"21034507", "7", "MJ", "", "", "", "not ticked"},
                      {"21034512", "12a", "m3", "", "", "", "wrong address"}});
    for (const int row : {1, 2, 4}) {
        table.setMarked(row, true);
    }
    ASSERT_EQ(table.dataRowCount(), 4);
    display::DisplayOptions options;
    for (const display::DisplayOption option :
         {display::DisplayOption::Activate, display::DisplayOption::Units,
          display::DisplayOption::FreeText}) {
        options.setTicked(option, true);
    }
    display::DisplayTableWriter& writer = display.writer();
    writer.setOptions(options);

    ASSERT_TRUE(b.bus.start([&writer] { return writer.start(); }));
    ASSERT_TRUE(spinFor([&writer] { return !writer.running(); }, 20000)) << "the write did not end";

    EXPECT_EQ(textLines(), (QStringList{"SET ENTR=5", "SET ENTR=6", "SET UNIT=5,1", "SET UNIT=6,2",
                                        "SET TEXT=5,Flat 1 cold water", "SET TEXT=6, "}))
        << b.log.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(b.log.has(QStringLiteral("Entry 5: Active")));
    EXPECT_TRUE(b.log.has(QStringLiteral("Entry 6: Already active")));
    EXPECT_EQ(b.log.count(QStringLiteral("Error in device address at row 4, skipping")), 3);
    EXPECT_TRUE(b.log.has(QStringLiteral("Setting free text of device 6...")));
    EXPECT_TRUE(writer.options().none());
    EXPECT_FALSE(b.bus.busy());

    const std::optional<sim::DisplayUnit> unit = b.sim.display();
    ASSERT_TRUE(unit.has_value());
    EXPECT_TRUE(unit->entry(5).active);
    EXPECT_EQ(unit->entry(5).unitCode, 1);
    EXPECT_EQ(unit->entry(5).text, QByteArray("Flat 1 cold water"));
    EXPECT_EQ(unit->entry(6).unitCode, 2);
    EXPECT_EQ(unit->entry(6).text, QByteArray(" "));
    EXPECT_EQ(unit->entry(7).unitCode, 3);
    EXPECT_EQ(unit->entry(7).text, QByteArray("left alone"));

    // A one-shot command afterwards: its answer is shown one response timeout later.
    b.operations.console().setAsciiTicked(true);
    ASSERT_EQ(display.commands().send(display::displayRefreshCommand(QStringLiteral("7"))),
              display::DisplaySendOutcome::Sent);
    ASSERT_TRUE(b.runToEnd());
    EXPECT_EQ(textLines().last(), QStringLiteral("SET REFR=07"));
    EXPECT_TRUE(b.log.has(QStringLiteral("Setting refresh time of Lumet-R7/Pavo...")));
    EXPECT_TRUE(b.log.has(QStringLiteral("Refresh time 7 s")))
        << b.log.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(b.sim.display()->state().refreshSeconds, 7);
}

std::string paramName(const ::testing::TestParamInfo<Road>& road) {
    return test::roadName(road.param);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, DisplayWriteRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter, Road::GatewayServer,
                                           Road::GatewayCallingIn),
                         paramName);

} // namespace
} // namespace holvex
