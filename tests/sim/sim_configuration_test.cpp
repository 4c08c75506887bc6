#include "codec/frame_codec.h"
#include "sim/sim_installation.h"
#include "sim/sim_thread.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::Hex;

const QByteArray kRecords = Hex("0C 13 89 67 45 00");

// The fixed header of a CI 0x72 telegram: ID, manufacturer, version, medium, access number, status,
// signature.
QByteArray Header(const char* id, const char* maker, std::uint8_t version, std::uint8_t medium) {
    return Hex(id) + Hex(maker) + QByteArray(1, static_cast<char>(version)) +
           QByteArray(1, static_cast<char>(medium)) + Hex("11 00 00 00");
}

QByteArray Telegram(std::uint8_t a, const char* id, std::uint8_t medium, const char* maker = "43 04",
                    std::uint8_t version = 1) {
    return codec::LongFrame(0x08, a, 0x72, Header(id, maker, version, medium) + kRecords);
}

SimMeterConfig Meter(std::optional<std::uint8_t> address, const QString& id, const char* idBytes,
                     const QString& maker = QStringLiteral("ABC"), std::uint8_t version = 1,
                     std::uint8_t medium = 7) {
    SimMeterConfig m;
    m.address = address;
    m.id = id;
    m.manufacturer = maker;
    m.version = version;
    m.medium = medium;
    const auto code = maker == QLatin1String("ABC") ? "43 04" : "44 04"; // ABC 0x0443, ABD 0x0444
    m.telegrams = {Telegram(address.value_or(0), idBytes, medium, code, version)};
    return m;
}

InstallationConfig TwoMeters() {
    InstallationConfig c;
    c.meters = {Meter(1, QStringLiteral("12345678"), "78 56 34 12"),
                Meter(2, QStringLiteral("12349999"), "99 99 34 12")};
    return c;
}

QByteArray ReqUd2(int a) {
    return codec::ShortFrame(codec::control::kReqUd2, static_cast<std::uint8_t>(a));
}

QByteArray SndNke(int a) {
    return codec::ShortFrame(codec::control::kSndNke, static_cast<std::uint8_t>(a));
}

QByteArray Command(int a, const char* data, std::uint8_t c = codec::control::kSndUd) {
    return codec::LongFrame(c, static_cast<std::uint8_t>(a), codec::ci::kDataSend, Hex(data));
}

// The selection frame: 8 data bytes as written on the line (ID least significant byte first).
QByteArray Selection(const char* data) {
    return codec::LongFrame(codec::control::kSndUd, codec::address::kSelected, codec::ci::kSelect, Hex(data));
}

std::string Spaced(const QByteArray& bytes) {
    return test::SpacedHex(bytes).toStdString();
}

struct ConfigRow {
    const char* name;
    QByteArray frame;
    int readAt;             // where the meter answers afterwards
    QByteArray readBack;    // its telegram there
    SimRecordedCodes codes; // what it has recorded
};

TEST(SimConfigurationTest, EveryConfigurationFrameIsAcknowledgedAndShowsInTheReadBack) {
    const QByteArray unchanged = Telegram(1, "78 56 34 12", 7);
    const ConfigRow rows[] = {
        {"new primary address",
         Hex("68 06 06 68 73 01 51 01 7A 07 47 16"),
         7,
         Telegram(7, "78 56 34 12", 7),
         {}},
        {"new primary address with C 0x53", Command(1, "01 7A 00"), 0, Telegram(0, "78 56 34 12", 7), {}},
        {"new ID", Hex("68 09 09 68 73 01 51 0C 79 42 00 00 00 8C 16"), 1, Telegram(1, "42 00 00 00", 7), {}},
        {"medium for every ID",
         Command(1, "07 79 FF FF FF FF FF FF FF 03"),
         1,
         Telegram(1, "78 56 34 12", 3),
         {}},
        {"medium for its own ID",
         Command(1, "07 79 78 56 34 12 FF FF FF 02"),
         1,
         Telegram(1, "78 56 34 12", 2),
         {}},
        {"medium for another ID", Command(1, "07 79 99 99 34 12 FF FF FF 02"), 1, unchanged, {}},
        {"unit and medium",
         Command(1, "0F 11 03 06 01 01"),
         1,
         Telegram(1, "78 56 34 12", 6),
         {.unitCode = 0x11}},
        {"baud 2400", Hex("68 03 03 68 53 01 BB 0F 16"), 1, unchanged, {.baudCode = 0xBB}},
        {"baud 300", codec::ControlFrame(0x53, 1, 0xB8), 1, unchanged, {.baudCode = 0xB8}},
        {"pulse width", Command(1, "0F FD 0B 04 00 00 00 03"), 1, unchanged, {.pulseWidthCode = 3}},
        {"pulse value", Command(1, "04 13 FF E0 F5 00"), 1, unchanged, {.pulseValue = 0xF5E0FF}},
        {"counter type", Command(1, "0F FF 00 04 FF FE C2 01"), 1, unchanged, {.counterType = 0xC201}},
        {"relay counter value",
         Command(1, "0C 11 78 56 34 12"),
         1,
         unchanged,
         {.relayUnitCode = 0x11, .relayValue = QStringLiteral("12345678")}},
        {"unknown command", Command(1, "01 FD 1B"), 1, unchanged, {}},
        {"address with a fixed role", Command(1, "01 7A FD"), 1, unchanged, {}},
        {"ID with wildcard digits", Command(1, "0C 79 42 00 00 F0", 0x73), 1, unchanged, {}},
    };
    for (const ConfigRow& row : rows) {
        SimInstallation bus(TwoMeters());
        EXPECT_EQ(bus.HandleFrame(row.frame).Bytes(), Hex("E5")) << row.name;
        EXPECT_EQ(Spaced(bus.HandleFrame(ReqUd2(row.readAt)).Bytes()), Spaced(row.readBack)) << row.name;
        const SimRecordedCodes codes = bus.MeterAt(0).Codes();
        EXPECT_EQ(codes.baudCode, row.codes.baudCode) << row.name;
        EXPECT_EQ(codes.unitCode, row.codes.unitCode) << row.name;
        EXPECT_EQ(codes.pulseWidthCode, row.codes.pulseWidthCode) << row.name;
        EXPECT_EQ(codes.pulseValue, row.codes.pulseValue) << row.name;
        EXPECT_EQ(codes.counterType, row.codes.counterType) << row.name;
        EXPECT_EQ(codes.relayUnitCode, row.codes.relayUnitCode) << row.name;
        EXPECT_EQ(codes.relayValue, row.codes.relayValue) << row.name;
        // The other meter never hears it.
        EXPECT_EQ(bus.HandleFrame(ReqUd2(2)).Bytes(), Telegram(2, "99 99 34 12", 7)) << row.name;
    }
}

TEST(SimConfigurationTest, NewAddressMovesTheMeter) {
    SimInstallation bus(TwoMeters());
    EXPECT_EQ(bus.HandleFrame(Command(1, "01 7A 09")).Bytes(), Hex("E5"));
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(1)).IsEmpty());
    EXPECT_TRUE(bus.HandleFrame(SndNke(1)).IsEmpty());
    EXPECT_EQ(bus.HandleFrame(SndNke(9)).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.MeterByAddress(9), &bus.MeterAt(0));
    EXPECT_EQ(bus.MeterAt(0).State().address, std::optional<std::uint8_t>(9));
    EXPECT_EQ(bus.MeterAt(0).State().commandsCarriedOut, 1);
    // Moved onto the other meter's address, the two collide there.
    bus.HandleFrame(Command(9, "01 7A 02"));
    EXPECT_EQ(bus.HandleFrame(ReqUd2(2)).answering, 2);
}

TEST(SimConfigurationTest, SetAddressThroughTheSelectionThenReadAtTheNewAddress) {
    SimInstallation bus(TwoMeters());
    EXPECT_EQ(bus.HandleFrame(Hex("68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16")).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.HandleFrame(Hex("68 06 06 68 73 FD 51 01 7A 07 43 16")).Bytes(), Hex("E5"));
    // Still selected: the read-back at 0xFD already carries the new address.
    EXPECT_EQ(Spaced(bus.HandleFrame(ReqUd2(0xFD)).Bytes()), Spaced(Telegram(7, "78 56 34 12", 7)));
    EXPECT_EQ(bus.HandleFrame(SndNke(0xFD)).Bytes(), Hex("E5"));
    EXPECT_EQ(Spaced(bus.HandleFrame(ReqUd2(7)).Bytes()), Spaced(Telegram(7, "78 56 34 12", 7)));
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(1)).IsEmpty());
    EXPECT_EQ(bus.MeterAt(1).State().address, std::optional<std::uint8_t>(2));
}

TEST(SimConfigurationTest, MetersSharingAnAddressGetTheirOwnThroughTheirIds) {
    InstallationConfig c;
    c.meters = {Meter(0, QStringLiteral("55000001"), "01 00 00 55"),
                Meter(0, QStringLiteral("55000002"), "02 00 00 55"),
                Meter(std::nullopt, QStringLiteral("55000003"), "03 00 00 55")};
    SimInstallation bus(c);
    EXPECT_EQ(bus.HandleFrame(ReqUd2(0)).answering, 2);
    // What automatic addressing does: select by ID, write the address to 0xFD, end the selection.
    const struct {
        const char* selection;
        const char* address;
    } steps[] = {{"01 00 00 55 FF FF FF FF", "01 7A 0A"},
                 {"02 00 00 55 FF FF FF FF", "01 7A 0B"},
                 {"03 00 00 55 FF FF FF FF", "01 7A 0C"}};
    for (const auto& step : steps) {
        ASSERT_EQ(bus.HandleFrame(Selection(step.selection)).Bytes(), Hex("E5")) << step.selection;
        ASSERT_EQ(bus.HandleFrame(Command(0xFD, step.address, 0x73)).Bytes(), Hex("E5")) << step.selection;
        EXPECT_EQ(bus.HandleFrame(SndNke(0xFD)).Bytes(), Hex("E5")) << step.selection;
    }
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(0)).IsEmpty());
    EXPECT_EQ(bus.HandleFrame(ReqUd2(10)).Bytes(), Telegram(10, "01 00 00 55", 7));
    EXPECT_EQ(bus.HandleFrame(ReqUd2(11)).Bytes(), Telegram(11, "02 00 00 55", 7));
    // The meter that had no address at all now has one; its telegram says so.
    EXPECT_EQ(bus.HandleFrame(ReqUd2(12)).Bytes(), Telegram(12, "03 00 00 55", 7));
}

TEST(SimConfigurationTest, BroadcastCommandsReachEveryMeterButOnlyTheNamedTakesItsMedium) {
    SimInstallation bus(TwoMeters());
    EXPECT_EQ(bus.HandleFrame(Command(0xFE, "07 79 99 99 34 12 FF FF FF 16")).Bytes(), Hex("E5 E5"));
    EXPECT_EQ(bus.MeterAt(0).State().medium, 7);
    EXPECT_EQ(bus.MeterAt(1).State().medium, 0x16);
    EXPECT_EQ(bus.HandleFrame(ReqUd2(2)).Bytes(), Telegram(2, "99 99 34 12", 0x16));
    EXPECT_EQ(bus.HandleFrame(Command(0xFE, "0F FD 0B 04 00 00 00 05")).answering, 2);
    EXPECT_EQ(bus.MeterAt(0).Codes().pulseWidthCode, std::optional<std::uint8_t>(5));
    EXPECT_EQ(bus.MeterAt(1).Codes().pulseWidthCode, std::optional<std::uint8_t>(5));
    // A broadcast without reply reaches nobody.
    EXPECT_TRUE(bus.HandleFrame(Command(0xFF, "01 7A 05")).IsEmpty());
    EXPECT_EQ(bus.MeterByAddress(5), nullptr);
}

TEST(SimConfigurationTest, ChangedIdAndMediumNameTheMeterInSelections) {
    SimInstallation bus(TwoMeters());
    bus.HandleFrame(Command(1, "0C 79 42 00 00 00", 0x73));
    bus.HandleFrame(Command(1, "0F 11 03 03 01 01"));
    EXPECT_TRUE(bus.HandleFrame(Selection("78 56 34 12 FF FF FF FF")).IsEmpty());
    EXPECT_EQ(bus.HandleFrame(Selection("42 00 00 00 FF FF FF 03")).Bytes(), Hex("E5"));
    EXPECT_TRUE(bus.HandleFrame(Selection("42 00 00 00 FF FF FF 07")).IsEmpty());
    EXPECT_EQ(bus.MeterById(QStringLiteral("00000042")), &bus.MeterAt(0));
    EXPECT_EQ(bus.MeterById(QStringLiteral("12345678")), nullptr);
}

TEST(SimConfigurationTest, AMeterThatDoesNotAnswerDoesNotCarryOutEither) {
    InstallationConfig c = TwoMeters();
    c.meters[0].faults.answerAfter = 1;
    c.meters[1].faults.silent = true;
    SimInstallation bus(c);
    EXPECT_TRUE(bus.HandleFrame(Command(1, "01 7A 05")).IsEmpty());
    EXPECT_EQ(bus.MeterAt(0).State().address, std::optional<std::uint8_t>(1));
    EXPECT_EQ(bus.HandleFrame(Command(1, "01 7A 05")).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.MeterAt(0).State().address, std::optional<std::uint8_t>(5));
    EXPECT_TRUE(bus.HandleFrame(Command(2, "01 7A 06")).IsEmpty());
    EXPECT_EQ(bus.MeterAt(1).State().address, std::optional<std::uint8_t>(2));
}

TEST(SimConfigurationTest, ReadBackKeepsTheMetersFaults) {
    InstallationConfig c = TwoMeters();
    c.meters[0].faults.badChecksum = true;
    SimInstallation bus(c);
    bus.HandleFrame(Command(1, "01 7A 03"));
    QByteArray expected = Telegram(3, "78 56 34 12", 7);
    expected[expected.size() - 2] = static_cast<char>(expected.at(expected.size() - 2) + 1);
    EXPECT_EQ(Spaced(bus.HandleFrame(ReqUd2(3)).Bytes()), Spaced(expected));
}

struct SelectRow {
    const char* name;
    const char* data;
    bool first;  // names 12345678 ABC version 1 medium 7
    bool second; // names 12345678 ABD version 2 medium 3 (same ID)
};

TEST(SimConfigurationTest, SelectionWildcardsByEachField) {
    InstallationConfig c;
    c.meters = {Meter(1, QStringLiteral("12345678"), "78 56 34 12"),
                Meter(2, QStringLiteral("12345678"), "78 56 34 12", QStringLiteral("ABD"), 2, 3)};
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
        const SimResponse r = bus.HandleFrame(Selection(row.data));
        EXPECT_EQ(r.answering, int(row.first) + int(row.second)) << row.name;
        EXPECT_EQ(bus.MeterAt(0).Selected(), row.first) << row.name;
        EXPECT_EQ(bus.MeterAt(1).Selected(), row.second) << row.name;
    }
}

TEST(SimConfigurationTest, SelectionRules) {
    SimInstallation bus(TwoMeters());
    // Selecting the same meter twice keeps it selected.
    EXPECT_EQ(bus.HandleFrame(Selection("78 56 34 12 FF FF FF FF")).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.HandleFrame(Selection("78 56 34 12 FF FF FF FF")).Bytes(), Hex("E5"));
    EXPECT_TRUE(bus.MeterAt(0).Selected());
    // A selection naming another meter deselects the first.
    EXPECT_EQ(bus.HandleFrame(Selection("99 99 34 12 FF FF FF FF")).Bytes(), Hex("E5"));
    EXPECT_FALSE(bus.MeterAt(0).Selected());
    EXPECT_EQ(bus.HandleFrame(ReqUd2(0xFD)).Bytes(), Telegram(2, "99 99 34 12", 7));
    // A selection naming nobody deselects everybody.
    EXPECT_TRUE(bus.HandleFrame(Selection("00 00 00 00 FF FF FF FF")).IsEmpty());
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(0xFD)).IsEmpty());
    // So does a selection too short to name anybody.
    bus.HandleFrame(Selection("78 56 34 12 FF FF FF FF"));
    EXPECT_TRUE(bus.HandleFrame(Selection("78 56 34 12")).IsEmpty());
    EXPECT_FALSE(bus.MeterAt(0).Selected());
    // Commands to 0xFD go to the selected meter only.
    bus.HandleFrame(Selection("99 99 34 12 FF FF FF FF"));
    EXPECT_EQ(bus.HandleFrame(Command(0xFD, "01 7A 30")).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.MeterAt(1).State().address, std::optional<std::uint8_t>(0x30));
    EXPECT_EQ(bus.MeterAt(0).State().address, std::optional<std::uint8_t>(1));
    // The global link reset ends the selection too.
    bus.HandleFrame(SndNke(0xFF));
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(0xFD)).IsEmpty());
}

TEST(SimConfigurationTest, TwoMetersAnsweringOneSelectionCollide) {
    InstallationConfig c = TwoMeters();
    SimInstallation concatenated(c);
    EXPECT_EQ(concatenated.HandleFrame(Selection("FF FF 34 12 FF FF FF FF")).Bytes(), Hex("E5 E5"));
    const SimResponse read = concatenated.HandleFrame(ReqUd2(0xFD));
    EXPECT_EQ(read.answering, 2);
    EXPECT_EQ(read.Bytes(), Telegram(1, "78 56 34 12", 7) + Telegram(2, "99 99 34 12", 7));

    c.collision = CollisionMode::Or;
    SimInstallation overlaid(c);
    const SimResponse ack = overlaid.HandleFrame(Selection("FF FF 34 12 FF FF FF FF"));
    EXPECT_EQ(ack.answering, 2);
    EXPECT_EQ(ack.Bytes(), Hex("E5")); // two acknowledgements look like one
    QByteArray garbled = Telegram(1, "78 56 34 12", 7);
    const QByteArray other = Telegram(2, "99 99 34 12", 7);
    for (int i = 0; i < garbled.size(); ++i) {
        garbled[i] = static_cast<char>(garbled.at(i) | other.at(i));
    }
    EXPECT_EQ(overlaid.HandleFrame(ReqUd2(0xFD)).Bytes(), garbled);
}

TEST(SimConfigurationTest, SimThreadHandsOutACopyOfEveryMetersState) {
    SimThread sim;
    EXPECT_TRUE(sim.MeterStates().isEmpty());
    ASSERT_TRUE(sim.Start(TwoMeters()));
    sim.With([](SimInstallation& bus) {
        bus.HandleFrame(Command(2, "01 7A 14"));
        bus.HandleFrame(codec::ControlFrame(0x53, 1, 0xBC));
        bus.HandleFrame(Command(1, "0C 79 87 65 43 21", 0x73));
    });
    const QList<SimMeterState> states = sim.MeterStates();
    ASSERT_EQ(states.size(), 2);
    EXPECT_EQ(states[0].address, std::optional<std::uint8_t>(1));
    EXPECT_EQ(states[0].id, QStringLiteral("21436587"));
    EXPECT_EQ(states[0].manufacturer, QStringLiteral("ABC"));
    EXPECT_EQ(states[0].codes.baudCode, std::optional<std::uint8_t>(0xBC));
    EXPECT_EQ(states[0].commandsCarriedOut, 2);
    EXPECT_EQ(states[0].framesSeen, 2);
    EXPECT_EQ(states[1].address, std::optional<std::uint8_t>(20));
    EXPECT_EQ(states[1].medium, 7);
    sim.Stop();
    EXPECT_TRUE(sim.MeterStates().isEmpty());
}

} // namespace
} // namespace holvex::sim
