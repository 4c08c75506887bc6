#include "codec/frame_codec.h"
#include "sim/sim_installation.h"
#include "sim/sim_thread.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

const QByteArray kRecords = hex("0C 13 89 67 45 00");

// The fixed header of a CI 0x72 telegram: ID, manufacturer, version, medium, access number, status,
// signature.
QByteArray header(const char* id, const char* maker, std::uint8_t version, std::uint8_t medium) {
    return hex(id) + hex(maker) + QByteArray(1, static_cast<char>(version)) +
           QByteArray(1, static_cast<char>(medium)) + hex("11 00 00 00");
}

QByteArray telegram(std::uint8_t a, const char* id, std::uint8_t medium, const char* maker = "43 04",
                    std::uint8_t version = 1) {
    return codec::longFrame(0x08, a, 0x72, header(id, maker, version, medium) + kRecords);
}

SimMeterConfig meter(std::optional<std::uint8_t> address, const QString& id, const char* idBytes,
                     const QString& maker = QStringLiteral("ABC"), std::uint8_t version = 1,
                     std::uint8_t medium = 7) {
    SimMeterConfig m;
    m.address = address;
    m.id = id;
    m.manufacturer = maker;
    m.version = version;
    m.medium = medium;
    const auto code = maker == QLatin1String("ABC") ? "43 04" : "44 04"; // ABC 0x0443, ABD 0x0444
    m.telegrams = {telegram(address.value_or(0), idBytes, medium, code, version)};
    return m;
}

InstallationConfig twoMeters() {
    InstallationConfig c;
    c.meters = {meter(1, QStringLiteral("12345678"), "78 56 34 12"),
                meter(2, QStringLiteral("12349999"), "99 99 34 12")};
    return c;
}

QByteArray reqUd2(int a) {
    return codec::shortFrame(codec::control::kReqUd2, static_cast<std::uint8_t>(a));
}

QByteArray sndNke(int a) {
    return codec::shortFrame(codec::control::kSndNke, static_cast<std::uint8_t>(a));
}

QByteArray command(int a, const char* data, std::uint8_t c = codec::control::kSndUd) {
    return codec::longFrame(c, static_cast<std::uint8_t>(a), codec::ci::kDataSend, hex(data));
}

// The selection frame: 8 data bytes as written on the line (ID least significant byte first).
QByteArray selection(const char* data) {
    return codec::longFrame(codec::control::kSndUd, codec::address::kSelected, codec::ci::kSelect, hex(data));
}

std::string spaced(const QByteArray& bytes) {
    return test::spacedHex(bytes).toStdString();
}

struct ConfigRow {
    const char* name;
    QByteArray frame;
    int readAt;             // where the meter answers afterwards
    QByteArray readBack;    // its telegram there
    SimRecordedCodes codes; // what it has recorded
};

TEST(SimConfigurationTest, EveryConfigurationFrameIsAcknowledgedAndShowsInTheReadBack) {
    const QByteArray unchanged = telegram(1, "78 56 34 12", 7);
    const ConfigRow rows[] = {
        {"new primary address",
         hex("68 06 06 68 73 01 51 01 7A 07 47 16"),
         7,
         telegram(7, "78 56 34 12", 7),
         {}},
        {"new primary address with C 0x53", command(1, "01 7A 00"), 0, telegram(0, "78 56 34 12", 7), {}},
        {"new ID", hex("68 09 09 68 73 01 51 0C 79 42 00 00 00 8C 16"), 1, telegram(1, "42 00 00 00", 7), {}},
        {"medium for every ID",
         command(1, "07 79 FF FF FF FF FF FF FF 03"),
         1,
         telegram(1, "78 56 34 12", 3),
         {}},
        {"medium for its own ID",
         command(1, "07 79 78 56 34 12 FF FF FF 02"),
         1,
         telegram(1, "78 56 34 12", 2),
         {}},
        {"medium for another ID", command(1, "07 79 99 99 34 12 FF FF FF 02"), 1, unchanged, {}},
        {"unit and medium",
         command(1, "0F 11 03 06 01 01"),
         1,
         telegram(1, "78 56 34 12", 6),
         {.unitCode = 0x11}},
        {"baud 2400", hex("68 03 03 68 53 01 BB 0F 16"), 1, unchanged, {.baudCode = 0xBB}},
        {"baud 300", codec::controlFrame(0x53, 1, 0xB8), 1, unchanged, {.baudCode = 0xB8}},
        {"pulse width", command(1, "0F FD 0B 04 00 00 00 03"), 1, unchanged, {.pulseWidthCode = 3}},
        {"pulse value", command(1, "04 13 FF E0 F5 00"), 1, unchanged, {.pulseValue = 0xF5E0FF}},
        {"counter type", command(1, "0F FF 00 04 FF FE C2 01"), 1, unchanged, {.counterType = 0xC201}},
        {"relay counter value",
         command(1, "0C 11 78 56 34 12"),
         1,
         unchanged,
         {.relayUnitCode = 0x11, .relayValue = QStringLiteral("12345678")}},
        {"unknown command", command(1, "01 FD 1B"), 1, unchanged, {}},
        {"address with a fixed role", command(1, "01 7A FD"), 1, unchanged, {}},
        {"ID with wildcard digits", command(1, "0C 79 42 00 00 F0", 0x73), 1, unchanged, {}},
    };
    for (const ConfigRow& row : rows) {
        SimInstallation bus(twoMeters());
        EXPECT_EQ(bus.handleFrame(row.frame).bytes(), hex("E5")) << row.name;
        EXPECT_EQ(spaced(bus.handleFrame(reqUd2(row.readAt)).bytes()), spaced(row.readBack)) << row.name;
        const SimRecordedCodes codes = bus.meterAt(0).codes();
        EXPECT_EQ(codes.baudCode, row.codes.baudCode) << row.name;
        EXPECT_EQ(codes.unitCode, row.codes.unitCode) << row.name;
        EXPECT_EQ(codes.pulseWidthCode, row.codes.pulseWidthCode) << row.name;
        EXPECT_EQ(codes.pulseValue, row.codes.pulseValue) << row.name;
        EXPECT_EQ(codes.counterType, row.codes.counterType) << row.name;
        EXPECT_EQ(codes.relayUnitCode, row.codes.relayUnitCode) << row.name;
        EXPECT_EQ(codes.relayValue, row.codes.relayValue) << row.name;
        // The other meter never hears it.
        EXPECT_EQ(bus.handleFrame(reqUd2(2)).bytes(), telegram(2, "99 99 34 12", 7)) << row.name;
    }
}

TEST(SimConfigurationTest, NewAddressMovesTheMeter) {
    SimInstallation bus(twoMeters());
    EXPECT_EQ(bus.handleFrame(command(1, "01 7A 09")).bytes(), hex("E5"));
    EXPECT_TRUE(bus.handleFrame(reqUd2(1)).isEmpty());
    EXPECT_TRUE(bus.handleFrame(sndNke(1)).isEmpty());
    EXPECT_EQ(bus.handleFrame(sndNke(9)).bytes(), hex("E5"));
    EXPECT_EQ(bus.meterByAddress(9), &bus.meterAt(0));
    EXPECT_EQ(bus.meterAt(0).state().address, std::optional<std::uint8_t>(9));
    EXPECT_EQ(bus.meterAt(0).state().commandsCarriedOut, 1);
    // Moved onto the other meter's address, the two collide there.
    bus.handleFrame(command(9, "01 7A 02"));
    EXPECT_EQ(bus.handleFrame(reqUd2(2)).answering, 2);
}

TEST(SimConfigurationTest, SetAddressThroughTheSelectionThenReadAtTheNewAddress) {
    SimInstallation bus(twoMeters());
    EXPECT_EQ(bus.handleFrame(hex("68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16")).bytes(), hex("E5"));
    EXPECT_EQ(bus.handleFrame(hex("68 06 06 68 73 FD 51 01 7A 07 43 16")).bytes(), hex("E5"));
    // Still selected: the read-back at 0xFD already carries the new address.
    EXPECT_EQ(spaced(bus.handleFrame(reqUd2(0xFD)).bytes()), spaced(telegram(7, "78 56 34 12", 7)));
    EXPECT_EQ(bus.handleFrame(sndNke(0xFD)).bytes(), hex("E5"));
    EXPECT_EQ(spaced(bus.handleFrame(reqUd2(7)).bytes()), spaced(telegram(7, "78 56 34 12", 7)));
    EXPECT_TRUE(bus.handleFrame(reqUd2(1)).isEmpty());
    EXPECT_EQ(bus.meterAt(1).state().address, std::optional<std::uint8_t>(2));
}

TEST(SimConfigurationTest, MetersSharingAnAddressGetTheirOwnThroughTheirIds) {
    InstallationConfig c;
    c.meters = {meter(0, QStringLiteral("55000001"), "01 00 00 55"),
                meter(0, QStringLiteral("55000002"), "02 00 00 55"),
                meter(std::nullopt, QStringLiteral("55000003"), "03 00 00 55")};
    SimInstallation bus(c);
    EXPECT_EQ(bus.handleFrame(reqUd2(0)).answering, 2);
    // What automatic addressing does: select by ID, write the address to 0xFD, end the selection.
    const struct {
        const char* selection;
        const char* address;
    } steps[] = {{"01 00 00 55 FF FF FF FF", "01 7A 0A"},
                 {"02 00 00 55 FF FF FF FF", "01 7A 0B"},
                 {"03 00 00 55 FF FF FF FF", "01 7A 0C"}};
    for (const auto& step : steps) {
        ASSERT_EQ(bus.handleFrame(selection(step.selection)).bytes(), hex("E5")) << step.selection;
        ASSERT_EQ(bus.handleFrame(command(0xFD, step.address, 0x73)).bytes(), hex("E5")) << step.selection;
        EXPECT_EQ(bus.handleFrame(sndNke(0xFD)).bytes(), hex("E5")) << step.selection;
    }
    EXPECT_TRUE(bus.handleFrame(reqUd2(0)).isEmpty());
    EXPECT_EQ(bus.handleFrame(reqUd2(10)).bytes(), telegram(10, "01 00 00 55", 7));
    EXPECT_EQ(bus.handleFrame(reqUd2(11)).bytes(), telegram(11, "02 00 00 55", 7));
    // The meter that had no address at all now has one; its telegram says so.
    EXPECT_EQ(bus.handleFrame(reqUd2(12)).bytes(), telegram(12, "03 00 00 55", 7));
}

TEST(SimConfigurationTest, BroadcastCommandsReachEveryMeterButOnlyTheNamedTakesItsMedium) {
    SimInstallation bus(twoMeters());
    EXPECT_EQ(bus.handleFrame(command(0xFE, "07 79 99 99 34 12 FF FF FF 16")).bytes(), hex("E5 E5"));
    EXPECT_EQ(bus.meterAt(0).state().medium, 7);
    EXPECT_EQ(bus.meterAt(1).state().medium, 0x16);
    EXPECT_EQ(bus.handleFrame(reqUd2(2)).bytes(), telegram(2, "99 99 34 12", 0x16));
    EXPECT_EQ(bus.handleFrame(command(0xFE, "0F FD 0B 04 00 00 00 05")).answering, 2);
    EXPECT_EQ(bus.meterAt(0).codes().pulseWidthCode, std::optional<std::uint8_t>(5));
    EXPECT_EQ(bus.meterAt(1).codes().pulseWidthCode, std::optional<std::uint8_t>(5));
    // A broadcast without reply reaches nobody.
    EXPECT_TRUE(bus.handleFrame(command(0xFF, "01 7A 05")).isEmpty());
    EXPECT_EQ(bus.meterByAddress(5), nullptr);
}

TEST(SimConfigurationTest, ChangedIdAndMediumNameTheMeterInSelections) {
    SimInstallation bus(twoMeters());
    bus.handleFrame(command(1, "0C 79 42 00 00 00", 0x73));
    bus.handleFrame(command(1, "0F 11 03 03 01 01"));
    EXPECT_TRUE(bus.handleFrame(selection("78 56 34 12 FF FF FF FF")).isEmpty());
    EXPECT_EQ(bus.handleFrame(selection("42 00 00 00 FF FF FF 03")).bytes(), hex("E5"));
    EXPECT_TRUE(bus.handleFrame(selection("42 00 00 00 FF FF FF 07")).isEmpty());
    EXPECT_EQ(bus.meterById(QStringLiteral("00000042")), &bus.meterAt(0));
    EXPECT_EQ(bus.meterById(QStringLiteral("12345678")), nullptr);
}

TEST(SimConfigurationTest, AMeterThatDoesNotAnswerDoesNotCarryOutEither) {
    InstallationConfig c = twoMeters();
    c.meters[0].faults.answerAfter = 1;
    c.meters[1].faults.silent = true;
    SimInstallation bus(c);
    EXPECT_TRUE(bus.handleFrame(command(1, "01 7A 05")).isEmpty());
    EXPECT_EQ(bus.meterAt(0).state().address, std::optional<std::uint8_t>(1));
    EXPECT_EQ(bus.handleFrame(command(1, "01 7A 05")).bytes(), hex("E5"));
    EXPECT_EQ(bus.meterAt(0).state().address, std::optional<std::uint8_t>(5));
    EXPECT_TRUE(bus.handleFrame(command(2, "01 7A 06")).isEmpty());
    EXPECT_EQ(bus.meterAt(1).state().address, std::optional<std::uint8_t>(2));
}

TEST(SimConfigurationTest, ReadBackKeepsTheMetersFaults) {
    InstallationConfig c = twoMeters();
    c.meters[0].faults.badChecksum = true;
    SimInstallation bus(c);
    bus.handleFrame(command(1, "01 7A 03"));
    QByteArray expected = telegram(3, "78 56 34 12", 7);
    expected[expected.size() - 2] = static_cast<char>(expected.at(expected.size() - 2) + 1);
    EXPECT_EQ(spaced(bus.handleFrame(reqUd2(3)).bytes()), spaced(expected));
}

struct SelectRow {
    const char* name;
    const char* data;
    bool first;  // names 12345678 ABC version 1 medium 7
    bool second; // names 12345678 ABD version 2 medium 3 (same ID)
};

TEST(SimConfigurationTest, SelectionWildcardsByEachField) {
    InstallationConfig c;
    c.meters = {meter(1, QStringLiteral("12345678"), "78 56 34 12"),
                meter(2, QStringLiteral("12345678"), "78 56 34 12", QStringLiteral("ABD"), 2, 3)};
    const SelectRow rows[] = {
        {"everything wildcard", "FF FF FF FF FF FF FF FF", true, true},
        {"ID only", "78 56 34 12 FF FF FF FF", true, true},
        {"ID digits partly wildcard", "7F F6 34 1F FF FF FF FF", true, true},
        {"manufacturer ABC", "78 56 34 12 43 04 FF FF", true, false},
        {"manufacturer ABD", "FF FF FF FF 44 04 FF FF", false, true},
        {"manufacturer bytes the other way round", "78 56 34 12 04 43 FF FF", false, false},
        {"one manufacturer byte 0xFF is no wildcard", "78 56 34 12 FF 04 FF FF", false, false},
        {"version 1", "78 56 34 12 FF FF 01 FF", true, false},
        {"version 2", "FF FF FF FF FF FF 02 FF", false, true},
        {"medium 7", "78 56 34 12 FF FF FF 07", true, false},
        {"medium 3", "FF FF FF FF FF FF FF 03", false, true},
        {"all fields of the second", "78 56 34 12 44 04 02 03", false, true},
        {"fields of both mixed", "78 56 34 12 44 04 01 03", false, false},
        {"another ID", "79 56 34 12 FF FF FF FF", false, false},
    };
    for (const SelectRow& row : rows) {
        SimInstallation bus(c);
        const SimResponse r = bus.handleFrame(selection(row.data));
        EXPECT_EQ(r.answering, int(row.first) + int(row.second)) << row.name;
        EXPECT_EQ(bus.meterAt(0).selected(), row.first) << row.name;
        EXPECT_EQ(bus.meterAt(1).selected(), row.second) << row.name;
    }
}

TEST(SimConfigurationTest, SelectionRules) {
    SimInstallation bus(twoMeters());
    // Selecting the same meter twice keeps it selected.
    EXPECT_EQ(bus.handleFrame(selection("78 56 34 12 FF FF FF FF")).bytes(), hex("E5"));
    EXPECT_EQ(bus.handleFrame(selection("78 56 34 12 FF FF FF FF")).bytes(), hex("E5"));
    EXPECT_TRUE(bus.meterAt(0).selected());
    // A selection naming another meter deselects the first.
    EXPECT_EQ(bus.handleFrame(selection("99 99 34 12 FF FF FF FF")).bytes(), hex("E5"));
    EXPECT_FALSE(bus.meterAt(0).selected());
    EXPECT_EQ(bus.handleFrame(reqUd2(0xFD)).bytes(), telegram(2, "99 99 34 12", 7));
    // A selection naming nobody deselects everybody.
    EXPECT_TRUE(bus.handleFrame(selection("00 00 00 00 FF FF FF FF")).isEmpty());
    EXPECT_TRUE(bus.handleFrame(reqUd2(0xFD)).isEmpty());
    // So does a selection too short to name anybody.
    bus.handleFrame(selection("78 56 34 12 FF FF FF FF"));
    EXPECT_TRUE(bus.handleFrame(selection("78 56 34 12")).isEmpty());
    EXPECT_FALSE(bus.meterAt(0).selected());
    // Commands to 0xFD go to the selected meter only.
    bus.handleFrame(selection("99 99 34 12 FF FF FF FF"));
    EXPECT_EQ(bus.handleFrame(command(0xFD, "01 7A 30")).bytes(), hex("E5"));
    EXPECT_EQ(bus.meterAt(1).state().address, std::optional<std::uint8_t>(0x30));
    EXPECT_EQ(bus.meterAt(0).state().address, std::optional<std::uint8_t>(1));
    // The global link reset ends the selection too.
    bus.handleFrame(sndNke(0xFF));
    EXPECT_TRUE(bus.handleFrame(reqUd2(0xFD)).isEmpty());
}

TEST(SimConfigurationTest, TwoMetersAnsweringOneSelectionCollide) {
    InstallationConfig c = twoMeters();
    SimInstallation concatenated(c);
    EXPECT_EQ(concatenated.handleFrame(selection("FF FF 34 12 FF FF FF FF")).bytes(), hex("E5 E5"));
    const SimResponse read = concatenated.handleFrame(reqUd2(0xFD));
    EXPECT_EQ(read.answering, 2);
    EXPECT_EQ(read.bytes(), telegram(1, "78 56 34 12", 7) + telegram(2, "99 99 34 12", 7));

    c.collision = CollisionMode::Or;
    SimInstallation overlaid(c);
    const SimResponse ack = overlaid.handleFrame(selection("FF FF 34 12 FF FF FF FF"));
    EXPECT_EQ(ack.answering, 2);
    EXPECT_EQ(ack.bytes(), hex("E5")); // two acknowledgements look like one
    QByteArray garbled = telegram(1, "78 56 34 12", 7);
    const QByteArray other = telegram(2, "99 99 34 12", 7);
    for (int i = 0; i < garbled.size(); ++i) {
        garbled[i] = static_cast<char>(garbled.at(i) | other.at(i));
    }
    EXPECT_EQ(overlaid.handleFrame(reqUd2(0xFD)).bytes(), garbled);
}

TEST(SimConfigurationTest, SimThreadHandsOutACopyOfEveryMetersState) {
    SimThread sim;
    EXPECT_TRUE(sim.meterStates().isEmpty());
    ASSERT_TRUE(sim.start(twoMeters()));
    sim.with([](SimInstallation& bus) {
        bus.handleFrame(command(2, "01 7A 14"));
        bus.handleFrame(codec::controlFrame(0x53, 1, 0xBC));
        bus.handleFrame(command(1, "0C 79 87 65 43 21", 0x73));
    });
    const QList<SimMeterState> states = sim.meterStates();
    ASSERT_EQ(states.size(), 2);
    EXPECT_EQ(states[0].address, std::optional<std::uint8_t>(1));
    EXPECT_EQ(states[0].id, QStringLiteral("21436587"));
    EXPECT_EQ(states[0].manufacturer, QStringLiteral("ABC"));
    EXPECT_EQ(states[0].codes.baudCode, std::optional<std::uint8_t>(0xBC));
    EXPECT_EQ(states[0].commandsCarriedOut, 2);
    EXPECT_EQ(states[0].framesSeen, 2);
    EXPECT_EQ(states[1].address, std::optional<std::uint8_t>(20));
    EXPECT_EQ(states[1].medium, 7);
    sim.stop();
    EXPECT_TRUE(sim.meterStates().isEmpty());
}

} // namespace
} // namespace holvex::sim
