// Configuration commands and automatic addressing through the real serial channel on a pseudo-terminal,
// against the simulated installation: what the meters end up with is read from the simulator itself, and
// what the program shows is the row its read-back wrote.

#include "meters/table/meter_table.h"
#include "road_fixture.h"
#include "sim/sim_installation.h"
#include "sim/sim_meter.h"

#include <QList>

#include <gtest/gtest.h>

#include <optional>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;

constexpr int kPeriodMs = 50;
// One period of Timer_auto_address between two rows; the program's one second only slows the test down.
constexpr int kAutoAddressPeriodMs = 50;

// Three meters all left at primary address 0: only their IDs tell them apart.
const char kUnaddressed[] = R"({
  "turnaroundMs": 5,
  "meters": [
    {"address": 0, "id": "41000001", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 1.5}]},
    {"address": 0, "id": "41000002", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 2.5}]},
    {"address": 0, "id": "41000003", "manufacturer": "SEN", "version": 104, "medium": "heat",
     "records": [{"type": "energy", "value": 3000}]}
  ]
})";

// A meter alone at 5; two meters sharing address 3.
const char kConfigured[] = R"({
  "turnaroundMs": 5,
  "meters": [
    {"address": 5, "id": "21034505", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 5.5}]},
    {"address": 3, "id": "12345677", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 3.5}]},
    {"address": 3, "id": "12345678", "manufacturer": "SEN", "version": 104, "medium": "water",
     "records": [{"type": "volume", "value": 3.75}]}
  ]
})";

// What the installation receives to give the selected meter a new address: the selection, the address
// write to 0xFD, the read-back at 0xFD and the link reset that ends the selection.
QStringList addressRowFrames(const char* selection, const char* addressWrite) {
    return {QString::fromLatin1(selection), QString::fromLatin1(addressWrite),
            QStringLiteral("10 7B FD 78 16"), QStringLiteral("10 40 FD 3D 16")};
}

class ConfigurationRoadTest : public ::testing::Test {
protected:
    ConfigurationRoadTest() : b(kPeriodMs) {
        b.autoAddress.setInterval(kAutoAddressPeriodMs);
        b.operations.configuration().setInputs([this] { return inputs; });
        AutoAddressing& addressing = b.operations.autoAddressing();
        addressing.setConfirm([this] {
            ++confirmations;
            return true;
        });
        // The window puts the chosen address into the spin box the command reads.
        QObject::connect(&addressing, &AutoAddressing::newAddressChosen,
                         [this](int address) { inputs.newPrimaryAddress = address; });
        QObject::connect(&addressing, &AutoAddressing::runFinished, [this] { ++finished; });
    }

    void start(const char* json) {
        QString error;
        ASSERT_TRUE(b.start(Road::SerialPty, QByteArray(json), &error)) << error.toStdString();
    }

    // The table as a scan leaves it, one "ID/address" per row and the empty row at the end; `marked` is the
    // row the operator clicked.
    void fillTable(const QStringList& rows, int marked) {
        b.table.setRowCount(static_cast<int>(rows.size()) + 2);
        for (int row = 1; row <= rows.size(); ++row) {
            const QStringList cells = rows.at(row - 1).split(QLatin1Char('/'));
            b.table.setCell(row, 0, cells.at(0));
            b.table.setCell(row, 1, cells.at(1));
        }
        b.table.clearMarks();
        b.table.setMarked(marked, true);
        selectCell(b.table, marked, b.state);
    }

    std::optional<sim::SimMeterState> meterState(const QString& id) {
        for (const sim::SimMeterState& meter : b.sim.meterStates()) {
            if (meter.id == id) {
                return meter;
            }
        }
        return std::nullopt;
    }

    std::optional<int> addressOf(const char* id) {
        const std::optional<sim::SimMeterState> meter = meterState(QString::fromLatin1(id));
        if (!meter || !meter->address) {
            return std::nullopt;
        }
        return *meter->address;
    }

    bool runAutoAddressing(int startAddress) {
        b.operations.autoAddressing().press(startAddress);
        return test::spinFor([this] { return finished > 0; }, 8000);
    }

    RoadBench b;
    ConfigurationInputs inputs;
    int confirmations = 0;
    int finished = 0;
};

TEST_F(ConfigurationRoadTest, AutoAddressingFromTenGivesThreeMetersTenElevenTwelve) {
    start(kUnaddressed);
    fillTable({"41000001/0", "41000002/0", "41000003/0"}, 1);

    ASSERT_TRUE(runAutoAddressing(10)) << "the run did not finish";

    EXPECT_EQ(confirmations, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(b.log.has(QStringLiteral("Auto addressing has finished...")));
    EXPECT_FALSE(b.log.hasPrefix(QStringLiteral("No response from device ")));
    // The read-backs updated the rows in place by ID; the empty row stays last.
    EXPECT_EQ(b.rows(), (QStringList{"41000001/10", "41000002/11", "41000003/12", "/"}));
    EXPECT_EQ(addressOf("41000001"), 10);
    EXPECT_EQ(addressOf("41000002"), 11);
    EXPECT_EQ(addressOf("41000003"), 12);
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_FALSE(b.state.AddressWritePending);

    QStringList expected = addressRowFrames("68 0B 0B 68 53 FD 52 01 00 00 41 FF FF FF FF E0 16",
                                            "68 06 06 68 73 FD 51 01 7A 0A 46 16");
    expected += addressRowFrames("68 0B 0B 68 53 FD 52 02 00 00 41 FF FF FF FF E1 16",
                                 "68 06 06 68 73 FD 51 01 7A 0B 47 16");
    expected += addressRowFrames("68 0B 0B 68 53 FD 52 03 00 00 41 FF FF FF FF E2 16",
                                 "68 06 06 68 73 FD 51 01 7A 0C 48 16");
    EXPECT_EQ(b.recorded(), expected);
    // Every selection was ended: no meter is left answering at 0xFD.
    for (const sim::SimMeterState& meter : b.sim.meterStates()) {
        EXPECT_FALSE(meter.selected) << meter.id.toStdString();
    }
    ASSERT_TRUE(b.runToEnd());
}

TEST_F(ConfigurationRoadTest, AutoAddressingEndsEveryWaitWithItsAnswer) {
    // Half a minute a wait: the run is over long before, or a wait did not end with its answer (the
    // selections' acknowledgements, the address writes', the read-backs).
    b.bus.timers().setResponseTimeout(30000);
    b.settings.Timeout = 30000;
    start(kUnaddressed);
    fillTable({"41000001/0", "41000002/0", "41000003/0"}, 1);
    b.operations.autoAddressing().press(10);
    ASSERT_TRUE(test::spinFor([this] { return finished > 0; }, 20000)) << "a wait lasted its whole timeout";
    EXPECT_EQ(b.rows(), (QStringList{"41000001/10", "41000002/11", "41000003/12", "/"}));
}

TEST_F(ConfigurationRoadTest, AutoAddressingFromTwoFortyEightStopsAtTheLastAddress) {
    start(kUnaddressed);
    fillTable({"41000001/0", "41000002/0", "41000003/0"}, 1);

    ASSERT_TRUE(runAutoAddressing(248)) << "the run did not finish";

    EXPECT_EQ(b.log.lines.last(), QStringLiteral("Primary address can not be above 249, aborting..."));
    EXPECT_FALSE(b.log.has(QStringLiteral("Auto addressing has finished...")));
    EXPECT_EQ(b.rows(), (QStringList{"41000001/248", "41000002/249", "41000003/0", "/"}));
    EXPECT_EQ(addressOf("41000001"), 248);
    EXPECT_EQ(addressOf("41000002"), 249);
    EXPECT_EQ(addressOf("41000003"), 0);
    // Nothing at all went to the third meter.
    QStringList expected = addressRowFrames("68 0B 0B 68 53 FD 52 01 00 00 41 FF FF FF FF E0 16",
                                            "68 06 06 68 73 FD 51 01 7A F8 34 16");
    expected += addressRowFrames("68 0B 0B 68 53 FD 52 02 00 00 41 FF FF FF FF E1 16",
                                 "68 06 06 68 73 FD 51 01 7A F9 35 16");
    EXPECT_EQ(b.recorded(), expected);
    EXPECT_EQ(meterState(QStringLiteral("41000003"))->framesSeen, 0);
    EXPECT_FALSE(b.state.AutoAddressRunning);
}

TEST_F(ConfigurationRoadTest, AutoAddressingUsesUpTheNumbersOfAnEmptyRowAndASilentMeter) {
    start(kUnaddressed);
    b.sim.with([](sim::SimInstallation& bus) {
        bus.meterById(QStringLiteral("41000002"))->setFaults({.silent = true});
    });
    fillTable({"41000001/0", "/", "41000002/0", "41000003/0"}, 1);

    ASSERT_TRUE(runAutoAddressing(10)) << "the run did not finish";

    EXPECT_TRUE(b.log.has(QStringLiteral("No response from device 41000002")));
    EXPECT_EQ(b.log.lines.last(), QStringLiteral("Auto addressing has finished..."));
    EXPECT_EQ(b.rows(), (QStringList{"41000001/10", "/", "41000002/0", "41000003/13", "/"}));
    EXPECT_EQ(addressOf("41000001"), 10);
    EXPECT_EQ(addressOf("41000002"), 0);
    EXPECT_EQ(addressOf("41000003"), 13);
    // Nothing goes out for the empty row; the silent meter gets its selection only.
    QStringList expected = addressRowFrames("68 0B 0B 68 53 FD 52 01 00 00 41 FF FF FF FF E0 16",
                                            "68 06 06 68 73 FD 51 01 7A 0A 46 16");
    expected += QStringLiteral("68 0B 0B 68 53 FD 52 02 00 00 41 FF FF FF FF E1 16");
    expected += addressRowFrames("68 0B 0B 68 53 FD 52 03 00 00 41 FF FF FF FF E2 16",
                                 "68 06 06 68 73 FD 51 01 7A 0D 49 16");
    EXPECT_EQ(b.recorded(), expected);
    EXPECT_FALSE(b.state.AddressWritePending);
}

TEST_F(ConfigurationRoadTest, ChangeIdAtAPrimaryAddressIsReadBackWithTheNewId) {
    start(kConfigured);
    fillTable({"21034505/5"}, 1);
    inputs.newId = QStringLiteral("00000042");

    ASSERT_TRUE(b.operations.configuration().changeId());
    ASSERT_TRUE(b.runToEnd()) << "the exchange did not end";

    EXPECT_EQ(b.recorded(), (QStringList{"68 09 09 68 73 05 51 0C 79 42 00 00 00 90 16", "10 7B 05 80 16"}));
    const std::optional<sim::SimMeterState> meter = meterState(QStringLiteral("00000042"));
    ASSERT_TRUE(meter.has_value());
    EXPECT_EQ(meter->address, std::optional<std::uint8_t>(5));
    EXPECT_FALSE(meterState(QStringLiteral("21034505")).has_value());
    EXPECT_EQ(b.rows(), (QStringList{"00000042/5", "/"}));
    EXPECT_TRUE(b.log.has(QStringLiteral("0xE5 (Acknowledge) 1")));
    EXPECT_FALSE(b.log.hasPrefix(QStringLiteral("No response from address ")));
}

TEST_F(ConfigurationRoadTest, SetAddressThroughTheSelectionMovesOnlyTheSelectedMeter) {
    start(kConfigured);
    fillTable({"12345677/3", "12345678/3"}, 2);
    ASSERT_EQ(b.state.SelectedId, QStringLiteral("12345678"));
    inputs.newPrimaryAddress = 7;

    ASSERT_TRUE(b.operations.configuration().setPrimaryAddress());
    ASSERT_TRUE(b.runToEnd()) << "the exchange did not end";

    EXPECT_EQ(b.recorded(), addressRowFrames("68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16",
                                             "68 06 06 68 73 FD 51 01 7A 07 43 16"));
    EXPECT_EQ(addressOf("12345678"), 7);
    EXPECT_EQ(addressOf("12345677"), 3);
    EXPECT_EQ(addressOf("21034505"), 5);
    // The read-back found its row by ID, not by the shared address.
    EXPECT_EQ(b.rows(), (QStringList{"12345677/3", "12345678/7", "/"}));
    EXPECT_FALSE(b.state.AddressWritePending);
    EXPECT_FALSE(b.state.MatchRowById);
    EXPECT_FALSE(b.log.hasPrefix(QStringLiteral("No response from device ")));
    EXPECT_EQ(meterState(QStringLiteral("12345677"))->commandsCarriedOut, 0);
}

} // namespace
} // namespace holvex
