#include "codec/frame_codec.h"
#include "sim/sim_installation.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::Hex;

const QByteArray kTelegramA = Hex("68 03 03 68 08 01 72 7B 16");
const QByteArray kTelegramB = Hex("68 04 04 68 08 01 72 1F 9A 16");

SimMeterConfig Meter(int address, const QString& id, QList<QByteArray> telegrams) {
    SimMeterConfig m;
    m.address = static_cast<std::uint8_t>(address);
    m.id = id;
    m.manufacturer = QStringLiteral("ABC");
    m.version = 1;
    m.medium = 7;
    m.telegrams = std::move(telegrams);
    return m;
}

InstallationConfig TwoMeters() {
    InstallationConfig c;
    c.turnaroundMs = 5;
    c.meters = {Meter(1, QStringLiteral("12345678"), {kTelegramA}),
                Meter(2, QStringLiteral("12349999"), {Hex("68 03 03 68 08 02 72 7C 16")})};
    return c;
}

QByteArray ReqUd2(int a) {
    return codec::ShortFrame(codec::control::kReqUd2, static_cast<std::uint8_t>(a));
}

QByteArray SndNke(int a) {
    return codec::ShortFrame(codec::control::kSndNke, static_cast<std::uint8_t>(a));
}

// The 17-byte selection frame for an 8-character mask ('F' is a wildcard digit).
QByteArray Selection(const char* mask) {
    const QByteArray m(mask);
    QByteArray data;
    for (int k = 3; k >= 0; --k) {
        data.append(static_cast<char>(m.mid(2 * k, 2).toInt(nullptr, 16)));
    }
    data.append(QByteArray(4, static_cast<char>(0xFF)));
    return codec::LongFrame(codec::control::kSndUd, codec::address::kSelected, codec::ci::kSelect, data);
}

TEST(SimMeterTest, ReadRequestGivesTheTelegramAfterTheTurnaround) {
    SimInstallation bus(TwoMeters());
    for (std::uint8_t c : {codec::control::kReqUd2, codec::control::kReqUd2NoFcb}) {
        const SimResponse r = bus.HandleFrame(codec::ShortFrame(c, 1));
        ASSERT_EQ(r.chunks.size(), 1);
        EXPECT_EQ(r.chunks[0].bytes, kTelegramA);
        EXPECT_EQ(r.chunks[0].atMs, 5);
    }
}

TEST(SimMeterTest, LinkResetIsAcknowledged) {
    SimInstallation bus(TwoMeters());
    EXPECT_EQ(bus.HandleFrame(Hex("10 40 02 42 16")).Bytes(), Hex("E5"));
}

TEST(SimMeterTest, FramesNobodyTakesStayUnanswered) {
    SimInstallation bus(TwoMeters());
    const QByteArray cases[] = {
        Hex("10 7B 01 7D 16"),             // bad checksum
        Hex("10 7B 01 7C 17"),             // bad stop byte
        Hex("10 7B 03 7E 16"),             // nobody at address 3
        Hex("10 7B FF 7A 16"),             // broadcast without reply
        Hex("10 40 FF 3F 16"),             // broadcast link reset
        Hex("10 5A 01 5B 16"),             // REQ_UD1 is not served
        Hex("68 03 03 68 53 01 51 A6 16"), // long frame with a bad checksum
        Hex("68 04 03 68 53 01 51 A5 16"), // long frame whose two lengths differ
        QByteArray("GET MAIN"),            // a text line
        QByteArray(),
    };
    for (const QByteArray& frame : cases) {
        EXPECT_TRUE(bus.HandleFrame(frame).IsEmpty()) << test::SpacedHex(frame).toStdString();
    }
}

TEST(SimMeterTest, CommandsToTheMeterAreAcknowledged) {
    SimInstallation bus(TwoMeters());
    const QByteArray command =
        codec::LongFrame(codec::control::kSndUd, 1, codec::ci::kDataSend, Hex("01 7A 05"));
    EXPECT_EQ(bus.HandleFrame(command).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.HandleFrame(codec::ControlFrame(codec::control::kSndUd, 2, 0xBB)).Bytes(), Hex("E5"));
}

TEST(SimMeterTest, MultiTelegramSequenceGivesTheNextOnEveryRequestAndWraps) {
    InstallationConfig c;
    c.meters = {Meter(1, QStringLiteral("12345678"), {kTelegramB, kTelegramA})};
    SimInstallation bus(c);
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).Bytes(), kTelegramB);
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).Bytes(), kTelegramA);
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).Bytes(), kTelegramB);
    // A link reset, to the meter or to everybody, starts the sequence again.
    bus.HandleFrame(SndNke(1));
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).Bytes(), kTelegramB);
    bus.HandleFrame(SndNke(0xFF));
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).Bytes(), kTelegramB);
}

struct FaultCase {
    const char* name;
    SimFaults faults;
    QList<TimedChunk> expected;
};

TEST(SimMeterTest, FaultsShapeTheAnswer) {
    const QByteArray t = Hex("68 04 04 68 08 01 72 11 8C 16");
    const FaultCase cases[] = {
        {"none", {}, {{5, t}}},
        {"silent", {.silent = true}, {}},
        {"late", {.lateMs = 200}, {{205, t}}},
        {"bad checksum", {.badChecksum = true}, {{5, Hex("68 04 04 68 08 01 72 11 8D 16")}}},
        {"bad stop", {.badStop = true}, {{5, Hex("68 04 04 68 08 01 72 11 8C 17")}}},
        {"three pieces",
         {.pieces = 3, .gapMs = 30},
         {{5, Hex("68 04 04")}, {35, Hex("68 08 01")}, {65, Hex("72 11 8C 16")}}},
        {"more pieces than bytes", {.pieces = 50}, {}},
    };
    for (const FaultCase& fc : cases) {
        InstallationConfig c;
        c.turnaroundMs = 5;
        c.meters = {Meter(1, QStringLiteral("12345678"), {t})};
        c.meters[0].faults = fc.faults;
        SimInstallation bus(c);
        const SimResponse r = bus.HandleFrame(ReqUd2(1));
        if (QLatin1String(fc.name) == QLatin1String("more pieces than bytes")) {
            EXPECT_EQ(r.chunks.size(), t.size()) << fc.name; // one byte per piece, none empty
            EXPECT_EQ(r.Bytes(), t) << fc.name;
            continue;
        }
        ASSERT_EQ(r.chunks.size(), fc.expected.size()) << fc.name;
        for (int i = 0; i < fc.expected.size(); ++i) {
            EXPECT_EQ(r.chunks[i].atMs, fc.expected[i].atMs) << fc.name;
            EXPECT_EQ(r.chunks[i].bytes, fc.expected[i].bytes) << fc.name;
        }
    }
}

TEST(SimMeterTest, AnswersOnlyAfterTheGivenNumberOfRequests) {
    InstallationConfig c;
    c.meters = {Meter(1, QStringLiteral("12345678"), {kTelegramA})};
    c.meters[0].faults.answerAfter = 2;
    SimInstallation bus(c);
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(1)).IsEmpty());
    EXPECT_TRUE(bus.HandleFrame(SndNke(1)).IsEmpty());
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).Bytes(), kTelegramA);
    EXPECT_EQ(bus.MeterAt(0).FramesSeen(), 3);
}

TEST(SimMeterTest, BroadcastWithReplyMakesEveryMeterAnswerAtOnce) {
    InstallationConfig c = TwoMeters();
    c.meters[1].faults.lateMs = 40;
    SimInstallation concatenated(c);
    const SimResponse r = concatenated.HandleFrame(ReqUd2(0xFE));
    EXPECT_EQ(r.answering, 2);
    ASSERT_EQ(r.chunks.size(), 1);
    EXPECT_EQ(r.chunks[0].atMs, 45); // when the slowest is done
    EXPECT_EQ(r.Bytes(), kTelegramA + Hex("68 03 03 68 08 02 72 7C 16"));
    EXPECT_EQ(concatenated.HandleFrame(SndNke(0xFE)).Bytes(), Hex("E5 E5"));

    c.collision = CollisionMode::Or;
    SimInstallation overlaid(c);
    EXPECT_EQ(overlaid.HandleFrame(ReqUd2(0xFE)).Bytes(), Hex("68 03 03 68 08 03 72 7F 16"));
    EXPECT_EQ(overlaid.HandleFrame(SndNke(0xFE)).Bytes(), Hex("E5"));
}

TEST(SimMeterTest, TwoMetersOnOneAddressCollide) {
    InstallationConfig c = TwoMeters();
    c.meters[1].address = 1;
    SimInstallation bus(c);
    EXPECT_EQ(bus.HandleFrame(ReqUd2(1)).answering, 2);
}

TEST(SimMeterTest, SecondarySelectionPicksTheMetersTheMaskNames) {
    SimInstallation bus(TwoMeters());
    // Nobody is selected yet.
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(0xFD)).IsEmpty());
    // 1234FFFF names both: both confirm, and a read then collides.
    EXPECT_EQ(bus.HandleFrame(Selection("1234FFFF")).Bytes(), Hex("E5 E5"));
    EXPECT_EQ(bus.HandleFrame(ReqUd2(0xFD)).answering, 2);
    // A full ID names one; the other leaves the selected state.
    EXPECT_EQ(bus.HandleFrame(Selection("12345678")).Bytes(), Hex("E5"));
    EXPECT_EQ(bus.HandleFrame(ReqUd2(0xFD)).Bytes(), kTelegramA);
    // SND_NKE to 0xFD is confirmed and ends the selection.
    EXPECT_EQ(bus.HandleFrame(SndNke(0xFD)).Bytes(), Hex("E5"));
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(0xFD)).IsEmpty());
    // A mask naming nobody gets no answer.
    EXPECT_TRUE(bus.HandleFrame(Selection("9FFFFFFF")).IsEmpty());
}

TEST(SimMeterTest, SelectionHonoursManufacturerVersionAndMedium) {
    SimMeter meter(Meter(1, QStringLiteral("12345678"), {}));
    struct Row {
        const char* data;
        bool match;
    } rows[] = {
        {"78 56 34 12 FF FF FF FF", true},  {"F8 56 34 12 FF FF FF FF", true},
        {"78 56 34 1F FF FF FF FF", true},  {"77 56 34 12 FF FF FF FF", false},
        {"78 56 34 12 23 04 FF FF", false}, // ABC is 0x0443
        {"78 56 34 12 43 04 FF FF", true},  {"78 56 34 12 44 04 FF FF", false},
        {"78 56 34 12 FF FF 01 07", true},  {"78 56 34 12 FF FF 02 FF", false},
        {"78 56 34 12 FF FF FF 06", false}, {"78 56 34", false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(meter.MatchesSelection(Hex(row.data)), row.match) << row.data;
    }
}

TEST(SimMeterTest, SilentMeterIgnoresEvenTheSelection) {
    InstallationConfig c = TwoMeters();
    c.meters[0].faults.silent = true;
    SimInstallation bus(c);
    EXPECT_TRUE(bus.HandleFrame(Selection("12345678")).IsEmpty());
    EXPECT_TRUE(bus.HandleFrame(ReqUd2(1)).IsEmpty());
}

TEST(SimMeterTest, EveryReceivedFrameIsAnnounced) {
    SimInstallation bus(TwoMeters());
    QList<QByteArray> seen;
    QObject::connect(&bus, &SimInstallation::frameReceived, [&seen](const QByteArray& f) { seen.append(f); });
    bus.HandleFrame(ReqUd2(1));
    bus.HandleFrame(Hex("10 7B 01 00 16"));
    EXPECT_EQ(seen, (QList<QByteArray>{ReqUd2(1), Hex("10 7B 01 00 16")}));
}

} // namespace
} // namespace holvex::sim
