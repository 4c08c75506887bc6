// The wireless receiver through the real channel against the simulated receiver: a setting line over each of
// the four channels, then on the serial port a few seconds of acquisition and a programming run whose
// activations need retries.

#include "bus/event_loop_wait.h"
#include "devices/receiver/receiver_full_read.h"
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_table.h"
#include "devices/receiver/settings_lines.h"
#include "road_fixture.h"
#include "sim/wireless_receiver.h"

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Road;
using test::RoadBench;
using test::spinFor;

// Three radio meters heard once each, quickly: a water meter with the short header, a heat meter behind a
// radio converter (long header, encrypted, in two pieces) and a gas meter. The first two activations find
// the receiver busy.
const char kInstallation[] = R"({
  "turnaroundMs": 5,
  "gateway": {"network": "0.0.0.3", "timeoutMs": 60, "answerTimeout": true},
  "receiver": {
    "paceMs": 40, "splitGapMs": 30,
    "faults": {"busyActivations": 2},
    "meters": [
      {"id": "21034601", "manufacturer": "SEN", "version": 104, "device": "water",
       "records": [{"type": "volume", "value": 48.271}]},
      {"id": "57000044", "manufacturer": "AMB", "version": 12, "device": 55, "ci": "long",
       "longHeader": {"id": "44332211", "manufacturer": "KAM", "version": 2, "device": "heat"},
       "key": "000102030405060708090A0B0C0D0E0F", "split": true,
       "records": [{"type": "energy", "value": 8123}]},
      {"id": "31415926", "manufacturer": "ELS", "version": 51, "device": "gas",
       "records": [{"type": "volume", "value": 2718.281}]}
    ]
  },
  "meters": []
})";

class ReceiverRoad {
public:
    explicit ReceiverRoad(Road road) {
        QString error;
        started = b.start(road, QByteArray(kInstallation), &error);
        startError = error.toStdString();
        // The switch lines' 1500 ms waits: the simulated receiver takes the line at once.
        b.context.waitProcessingEvents = [this](int milliseconds) {
            waits.append(milliseconds);
            waitProcessingEvents(50);
        };
    }

    // The text lines the receiver got, without the "TEXT " of the record file.
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
    receiver::ReceiverOperations& receiver = b.bus.receiver();
    StringGridModel& table = receiver.table();
    QList<int> waits;
    bool started = false;
    std::string startError;
};

class ReceiverSettingRoadTest : public ::testing::TestWithParam<Road> {};

TEST_P(ReceiverSettingRoadTest, TheModeLineReachesTheReceiver) {
    ReceiverRoad r(GetParam());
    ASSERT_TRUE(r.started) << r.startError;
    r.b.operations.console().setAsciiTicked(true);
    ASSERT_EQ(r.receiver.commands().dispatch(receiver::radioModeCommand(QStringLiteral("T2+C"))),
              receiver::ReceiverSendOutcome::Sent);
    ASSERT_TRUE(r.b.runToEnd());
    EXPECT_EQ(r.textLines().value(0), QStringLiteral("set wmod=11"));
    EXPECT_TRUE(r.b.log.has(QStringLiteral("Setting wireless working mode of Ravik-Q...")));
    EXPECT_EQ(r.b.sim.receiver()->state().radioMode, 11);
}

std::string paramName(const ::testing::TestParamInfo<Road>& road) {
    return test::roadName(road.param);
}

INSTANTIATE_TEST_SUITE_P(EveryChannel, ReceiverSettingRoadTest,
                         ::testing::Values(Road::SerialPty, Road::LanAdapter, Road::GatewayServer,
                                           Road::GatewayCallingIn),
                         paramName);

TEST(ReceiverRoadTest, AcquireThreeMetersThenProgramThemWithRetries) {
    ReceiverRoad r(Road::SerialPty);
    ASSERT_TRUE(r.started) << r.startError;
    RoadBench& b = r.b;
    StringGridModel& table = r.table;
    receiver::RadioAcquisition& acquisition = r.receiver.acquisition();
    acquisition.setExcludeIdentical(true);

    ASSERT_TRUE(b.bus.start([&acquisition] { return acquisition.start(); }));
    EXPECT_TRUE(b.bus.busy());
    ASSERT_TRUE(spinFor([&table] { return !table.cell(3, receiver::kReceiverIdColumn).isEmpty(); }, 20000))
        << b.log.lines.join(QLatin1Char('\n')).toStdString();
    acquisition.stop();
    EXPECT_FALSE(b.bus.busy());
    EXPECT_EQ(r.waits, (QList<int>{1500, 1500, receiver::RadioAcquisition::kLineOutMs}));
    // The simulator reads on its own thread: the last line may still be on its way.
    spinFor([&r] { return r.textLines().size() >= 4; }, 5000);
    EXPECT_EQ(r.textLines(), (QStringList{"set trns=1", "set trns=1", "set trns=0", "set trns=0"}));
    EXPECT_FALSE(b.sim.receiver()->transparent());

    ASSERT_EQ(table.dataRowCount(), 3);
    EXPECT_EQ(table.row(1).mid(0, 7),
              (QStringList{"21034601", "", "SEN", "104", "7", "Water", "L=0x14, C=0x44"}))
        << table.row(1).join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(table.cell(2, receiver::kReceiverIdColumn), QStringLiteral("57000044"));
    EXPECT_EQ(table.cell(2, receiver::kReceiverAuxiliaryIdColumn), QStringLiteral("44332211"))
        << "the converter's row names the meter behind it";
    EXPECT_TRUE(table.cell(2, 8).startsWith(QStringLiteral("72 11 22 33 44 ")));
    EXPECT_EQ(table.cell(3, receiver::kReceiverMediumColumn), QStringLiteral("Gas"));
    EXPECT_EQ(table.cell(3, 9), QStringLiteral("08/12/2026, 10:00:00"));

    // "Full read" of the encrypted heat meter: with the key box's key, with the keys file's, with none and
    // with a wrong one.
    const receiver::ReceiverRow heat = *receiver::receiverRowAt(table, 2);
    receiver::KeyBoxState keyBox;
    keyBox.text = QStringLiteral("000102030405060708090A0B0C0D0E0F");
    const receiver::KeyTable noKeys;
    const receiver::KeyTable fileKeys =
        receiver::parseKeyTable("44332211;000102030405060708090A0B0C0D0E0F\n");
    for (const receiver::KeyTable* keys : {&noKeys, &fileKeys}) {
        const receiver::RadioDecodeResult read =
            receiver::fullReadOfRow(heat, keys == &noKeys ? keyBox : receiver::KeyBoxState{}, *keys, {});
        ASSERT_TRUE(read.decoded.ok) << read.decoded.log.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(read.securityMode, 5);
        EXPECT_TRUE(read.decoded.showReport);
        EXPECT_FALSE(read.decoded.gridDataRows.isEmpty());
    }
    EXPECT_FALSE(receiver::fullReadOfRow(heat, {}, noKeys, {}).decoded.ok);
    keyBox.text = QStringLiteral("000102030405060708090A0B0C0D0EFF");
    const receiver::RadioDecodeResult wrong = receiver::fullReadOfRow(heat, keyBox, noKeys, {});
    EXPECT_FALSE(wrong.decoded.ok);
    EXPECT_TRUE(
        wrong.decoded.log.contains(QStringLiteral("decryption failed: the first two bytes are not 2F 2F")))
        << wrong.decoded.log.join(QLatin1Char('\n')).toStdString();

    // Addresses 1..3, all ticked; the heat meter is activated under its own ID by "Aux ID".
    for (int row = 1; row <= 3; ++row) {
        table.setCell(row, receiver::kReceiverAddressColumn, QString::number(row));
        table.setMarked(row, true);
    }
    table.setCell(1, receiver::kReceiverAuxiliaryIdColumn, QStringLiteral("21034601"));
    table.setCell(3, receiver::kReceiverAuxiliaryIdColumn, QStringLiteral("31415926"));
    b.settings.Retry = 2;
    receiver::ReceiverProgrammer& programmer = r.receiver.programmer();
    programmer.setIdSource(receiver::ActivationIdSource::AuxId);
    programmer.setOptionTicked(receiver::ProgramOption::Activate, true);
    programmer.setOptionTicked(receiver::ProgramOption::SaveUnit, true);
    ASSERT_TRUE(b.bus.start([&programmer] { return programmer.start(); }));
    EXPECT_FALSE(b.bus.start([&acquisition] { return acquisition.start(); }))
        << "acquisition waits for the programming run";
    ASSERT_TRUE(spinFor([&programmer] { return !programmer.running(); }, 30000))
        << b.log.lines.join(QLatin1Char('\n')).toStdString();

    EXPECT_TRUE(programmer.options().none());
    EXPECT_FALSE(b.bus.busy());
    // Row 1 is sent three times: twice the receiver is busy, the third time it answers "Done!".
    EXPECT_EQ(b.log.count(QStringLiteral("Activating device 1/21034601...")), 3);
    EXPECT_EQ(b.log.count(QStringLiteral("Activating device 2/44332211...")), 1);
    EXPECT_TRUE(b.log.has(QStringLiteral("Setting unit of device 3...")));
    const std::optional<sim::WirelessReceiver> device = b.sim.receiver();
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(device->state().entries.value(1).id, QByteArray("21034601"));
    EXPECT_EQ(device->state().entries.value(2).id, QByteArray("44332211"));
    EXPECT_EQ(device->state().entries.value(3).id, QByteArray("31415926"));
    EXPECT_EQ(device->state().entries.value(1).unitCode, 7);
    EXPECT_EQ(device->state().entries.value(3).unitCode, 3);
}

} // namespace
} // namespace holvex
