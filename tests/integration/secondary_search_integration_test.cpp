// The bus search with its worker thread through the real channel against the simulated installation: meters
// whose IDs share their leading digits collide and are told apart digit by digit, and a meter without a
// primary address is found like the others.

#include "meters/ops/secondary_search.h"
#include "road_fixture.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;

constexpr int kPeriodMs = 60;

// 3141590x twice and 31415966 share six or seven leading digits with each other and three with 31427700,
// which has no primary address.
const char kInstallation[] = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 30, "answerTimeout": true, "ackAsData": false},
  "meters": [
    {"address": 1, "id": "31415901", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}]},
    {"address": 2, "id": "31415902", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 2.5}]},
    {"address": 3, "id": "31415966", "manufacturer": "SEN", "version": 104, "medium": "heat",
     "records": [{"type": "energy", "value": 3000}]},
    {"id": "31427700", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 4.5}]},
    {"address": 5, "id": "80000001", "manufacturer": "SEN", "version": 104, "medium": "gas",
     "records": [{"type": "volume", "value": 5.5}]}
  ]
})";

class SecondarySearchRoadTest : public ::testing::TestWithParam<Road> {
protected:
    SecondarySearchRoadTest() : b(kPeriodMs) {}

    QStringList foundIds() const {
        QStringList ids;
        for (int row = 1; row < b.table.gridRowCount(); ++row) {
            if (!b.table.cell(row, 0).isEmpty()) {
                ids.append(b.table.cell(row, 0));
            }
        }
        ids.sort();
        return ids;
    }

    RoadBench b;
};

TEST_P(SecondarySearchRoadTest, EveryMeterEndsUpInTheTable) {
    QString error;
    ASSERT_TRUE(b.start(GetParam(), QByteArray(kInstallation), &error)) << error.toStdString();
    SecondarySearch& search = b.bus.secondarySearch();
    int finished = 0;
    QObject::connect(&search, &SecondarySearch::searchFinished, [&finished] { ++finished; });

    ASSERT_EQ(search.find(QStringLiteral("FFFFFFFF")), SecondarySearch::FindOutcome::Searching);
    ASSERT_TRUE(test::spinFor([&] { return !search.running(); }, 25000)) << "the search did not end";

    EXPECT_EQ(foundIds(), (QStringList{"31415901", "31415902", "31415966", "31427700", "80000001"}));
    EXPECT_TRUE(b.log.has(QStringLiteral("Collision")));
    EXPECT_TRUE(b.log.has(QStringLiteral("Checking 3141590F...")));
    EXPECT_EQ(b.log.lines.last(), QStringLiteral("Secondary search thread terminated normally."));
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(b.progress.shown);

    // The first selection names only the most significant digit: 0, the rest wildcards.
    const QStringList frames = b.recorded();
    ASSERT_FALSE(frames.isEmpty());
    EXPECT_TRUE(frames.first().startsWith(QStringLiteral("68 0B 0B 68 53 FD 52 FF FF FF 0F FF FF FF FF")))
        << frames.first().toStdString();
    EXPECT_TRUE(frames.contains(QStringLiteral("10 7B FD 78 16")));
}

INSTANTIATE_TEST_SUITE_P(Roads, SecondarySearchRoadTest,
                         ::testing::Values(Road::SerialPty, Road::GatewayServer),
                         [](const ::testing::TestParamInfo<Road>& road) {
                             return test::roadName(road.param);
                         });

} // namespace
} // namespace holvex
