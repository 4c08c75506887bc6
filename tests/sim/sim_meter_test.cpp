#include "codec/frame_codec.h"
#include "sim/sim_installation.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

const QByteArray kTelegramA = hex("68 03 03 68 08 01 72 7B 16");
const QByteArray kTelegramB = hex("68 04 04 68 08 01 72 1F 9A 16");

SimMeterConfig meterConfig(int address, const QString& id, QList<QByteArray> telegrams) {
    SimMeterConfig m;
    m.address = static_cast<std::uint8_t>(address);
    m.id = id;
    m.manufacturer = QStringLiteral("ABC");
    m.version = 1;
    m.medium = 7;
    m.telegrams = std::move(telegrams);
    return m;
}

InstallationConfig twoMeters() {
    InstallationConfig c;
    c.turnaroundMs = 5;
    c.meters = {meterConfig(1, QStringLiteral("12345678"), {kTelegramA}),
                meterConfig(2, QStringLiteral("12349999"), {hex("68 03 03 68 08 02 72 7C 16")})};
    return c;
}

QByteArray reqUd2(int a) {
    return codec::shortFrame(codec::control::kReqUd2, static_cast<std::uint8_t>(a));
}

QByteArray sndNke(int a) {
    return codec::shortFrame(codec::control::kSndNke, static_cast<std::uint8_t>(a));
}

// The 17-byte selection frame for an 8-character mask ('F' is a wildcard digit).
QByteArray selection(const char* mask) {
    const QByteArray m(mask);
    QByteArray data;
    for (int k = 3; k >= 0; --k) {
        data.append(static_cast<char>(m.mid(2 * k, 2).toInt(nullptr, 16)));
    }
    data.append(QByteArray(4, static_cast<char>(0xFF)));
    return codec::longFrame(codec::control::kSndUd, codec::address::kSelected, codec::ci::kSelect, data);
}

TEST(SimMeterTest, ReadRequestGivesTheTelegramAfterTheTurnaround) {
    SimInstallation bus(twoMeters());
    for (std::uint8_t c : {codec::control::kReqUd2, codec::control::kReqUd2NoFcb}) {
        const SimResponse r = bus.handleFrame(codec::shortFrame(c, 1));
        ASSERT_EQ(r.chunks.size(), 1);
        EXPECT_EQ(r.chunks[0].bytes, kTelegramA);
        EXPECT_EQ(r.chunks[0].atMs, 5);
    }
}

TEST(SimMeterTest, LinkResetIsAcknowledged) {
    SimInstallation bus(twoMeters());
    EXPECT_EQ(bus.handleFrame(hex("10 40 02 42 16")).bytes(), hex("E5"));
}

TEST(SimMeterTest, FramesNobodyTakesStayUnanswered) {
    SimInstallation bus(twoMeters());
    const QByteArray cases[] = {
        hex("10 7B 01 7D 16"),             // bad checksum
        hex("10 7B 01 7C 17"),             // bad stop byte
        hex("10 7B 03 7E 16"),             // nobody at address 3
        hex("10 7B FF 7A 16"),             // broadcast without reply
        hex("10 40 FF 3F 16"),             // broadcast link reset
        hex("10 5A 01 5B 16"),             // REQ_UD1 is not served
        hex("68 03 03 68 53 01 51 A6 16"), // long frame with a bad checksum
        hex("68 04 03 68 53 01 51 A5 16"), // long frame whose two lengths differ
        QByteArray("GET MAIN"),            // a text line
        QByteArray(),
    };
    for (const QByteArray& frame : cases) {
        EXPECT_TRUE(bus.handleFrame(frame).isEmpty()) << test::spacedHex(frame).toStdString();
    }
}

TEST(SimMeterTest, CommandsToTheMeterAreAcknowledged) {
    SimInstallation bus(twoMeters());
    const QByteArray command =
        codec::longFrame(codec::control::kSndUd, 1, codec::ci::kDataSend, hex("01 7A 05"));
    EXPECT_EQ(bus.handleFrame(command).bytes(), hex("E5"));
    EXPECT_EQ(bus.handleFrame(codec::controlFrame(codec::control::kSndUd, 2, 0xBB)).bytes(), hex("E5"));
}

TEST(SimMeterTest, MultiTelegramSequenceGivesTheNextOnEveryRequestAndWraps) {
    InstallationConfig c;
    c.meters = {meterConfig(1, QStringLiteral("12345678"), {kTelegramB, kTelegramA})};
    SimInstallation bus(c);
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).bytes(), kTelegramB);
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).bytes(), kTelegramA);
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).bytes(), kTelegramB);
    // A link reset, to the meter or to everybody, starts the sequence again.
    bus.handleFrame(sndNke(1));
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).bytes(), kTelegramB);
    bus.handleFrame(sndNke(0xFF));
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).bytes(), kTelegramB);
}

struct FaultCase {
    const char* name;
    SimFaults faults;
    QList<TimedChunk> expected;
};

TEST(SimMeterTest, FaultsShapeTheAnswer) {
    const QByteArray t = hex("68 04 04 68 08 01 72 11 8C 16");
    const FaultCase cases[] = {
        {"none", {}, {{5, t}}},
        {"silent", {.silent = true}, {}},
        {"late", {.lateMs = 200}, {{205, t}}},
        {"bad checksum", {.badChecksum = true}, {{5, hex("68 04 04 68 08 01 72 11 8D 16")}}},
        {"bad stop", {.badStop = true}, {{5, hex("68 04 04 68 08 01 72 11 8C 17")}}},
        {"three pieces",
         {.pieces = 3, .gapMs = 30},
         {{5, hex("68 04 04")}, {35, hex("68 08 01")}, {65, hex("72 11 8C 16")}}},
        {"more pieces than bytes", {.pieces = 50}, {}},
    };
    for (const FaultCase& fc : cases) {
        InstallationConfig c;
        c.turnaroundMs = 5;
        c.meters = {meterConfig(1, QStringLiteral("12345678"), {t})};
        c.meters[0].faults = fc.faults;
        SimInstallation bus(c);
        const SimResponse r = bus.handleFrame(reqUd2(1));
        if (QLatin1String(fc.name) == QLatin1String("more pieces than bytes")) {
            EXPECT_EQ(r.chunks.size(), t.size()) << fc.name; // one byte per piece, none empty
            EXPECT_EQ(r.bytes(), t) << fc.name;
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
    c.meters = {meterConfig(1, QStringLiteral("12345678"), {kTelegramA})};
    c.meters[0].faults.answerAfter = 2;
    SimInstallation bus(c);
    EXPECT_TRUE(bus.handleFrame(reqUd2(1)).isEmpty());
    EXPECT_TRUE(bus.handleFrame(sndNke(1)).isEmpty());
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).bytes(), kTelegramA);
    EXPECT_EQ(bus.meterAt(0).framesSeen(), 3);
}

TEST(SimMeterTest, BroadcastWithReplyMakesEveryMeterAnswerAtOnce) {
    InstallationConfig c = twoMeters();
    c.meters[1].faults.lateMs = 40;
    SimInstallation concatenated(c);
    const SimResponse r = concatenated.handleFrame(reqUd2(0xFE));
    EXPECT_EQ(r.answering, 2);
    ASSERT_EQ(r.chunks.size(), 1);
    EXPECT_EQ(r.chunks[0].atMs, 45); // when the slowest is done
    EXPECT_EQ(r.bytes(), kTelegramA + hex("68 03 03 68 08 02 72 7C 16"));
    EXPECT_EQ(concatenated.handleFrame(sndNke(0xFE)).bytes(), hex("E5 E5"));

    c.collision = CollisionMode::Or;
    SimInstallation overlaid(c);
    EXPECT_EQ(overlaid.handleFrame(reqUd2(0xFE)).bytes(), hex("68 03 03 68 08 03 72 7F 16"));
    EXPECT_EQ(overlaid.handleFrame(sndNke(0xFE)).bytes(), hex("E5"));
}

TEST(SimMeterTest, TwoMetersOnOneAddressCollide) {
    InstallationConfig c = twoMeters();
    c.meters[1].address = 1;
    SimInstallation bus(c);
    EXPECT_EQ(bus.handleFrame(reqUd2(1)).answering, 2);
}

TEST(SimMeterTest, SecondarySelectionPicksTheMetersTheMaskNames) {
    SimInstallation bus(twoMeters());
    // Nobody is selected yet.
    EXPECT_TRUE(bus.handleFrame(reqUd2(0xFD)).isEmpty());
    // 1234FFFF names both: both confirm, and a read then collides.
    EXPECT_EQ(bus.handleFrame(selection("1234FFFF")).bytes(), hex("E5 E5"));
    EXPECT_EQ(bus.handleFrame(reqUd2(0xFD)).answering, 2);
    // A full ID names one; the other leaves the selected state.
    EXPECT_EQ(bus.handleFrame(selection("12345678")).bytes(), hex("E5"));
    EXPECT_EQ(bus.handleFrame(reqUd2(0xFD)).bytes(), kTelegramA);
    // SND_NKE to 0xFD is confirmed and ends the selection.
    EXPECT_EQ(bus.handleFrame(sndNke(0xFD)).bytes(), hex("E5"));
    EXPECT_TRUE(bus.handleFrame(reqUd2(0xFD)).isEmpty());
    // A mask naming nobody gets no answer.
    EXPECT_TRUE(bus.handleFrame(selection("9FFFFFFF")).isEmpty());
}

TEST(SimMeterTest, SelectionHonoursManufacturerVersionAndMedium) {
    SimMeter meter(meterConfig(1, QStringLiteral("12345678"), {}));
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
        EXPECT_EQ(meter.matchesSelection(hex(row.data)), row.match) << row.data;
    }
}

TEST(SimMeterTest, SilentMeterIgnoresEvenTheSelection) {
    InstallationConfig c = twoMeters();
    c.meters[0].faults.silent = true;
    SimInstallation bus(c);
    EXPECT_TRUE(bus.handleFrame(selection("12345678")).isEmpty());
    EXPECT_TRUE(bus.handleFrame(reqUd2(1)).isEmpty());
}

TEST(SimMeterTest, EveryReceivedFrameIsAnnounced) {
    SimInstallation bus(twoMeters());
    QList<QByteArray> seen;
    QObject::connect(&bus, &SimInstallation::frameReceived, [&seen](const QByteArray& f) { seen.append(f); });
    bus.handleFrame(reqUd2(1));
    bus.handleFrame(hex("10 7B 01 00 16"));
    EXPECT_EQ(seen, (QList<QByteArray>{reqUd2(1), hex("10 7B 01 00 16")}));
}

} // namespace
} // namespace holvex::sim
