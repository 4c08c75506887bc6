#include "codec/config_frames.h"
#include "codec/search_digits.h"
#include "meters/ops/config_values.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <set>

namespace holvex {
namespace {

// Frames compared as spaced hex, so a failure shows both byte strings readably.
std::string spaced(const QByteArray& bytes) {
    return test::spacedHex(bytes).trimmed().toStdString();
}

std::string expected(const char* hex) {
    return spaced(test::hex(hex));
}

struct FrameCase {
    const char* what;
    QByteArray frame;
    const char* bytes;
};

TEST(ConfigFrames, BuildTheCommandFramesByteForByte) {
    const auto water = configMediumCode(QStringLiteral("Water"));
    const FrameCase cases[] = {
        {"selection of 12345678", codec::selectionFrameForId(QStringLiteral("12345678")),
         "68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16"},
        {"set address 7 on the selected meter", codec::setPrimaryAddressFrame(0xFD, 7),
         "68 06 06 68 73 FD 51 01 7A 07 43 16"},
        {"change ID of address 5", codec::changeIdFrame(5, QStringLiteral("00000042")),
         "68 09 09 68 73 05 51 0C 79 42 00 00 00 90 16"},
        {"baud 2400 to address 1",
         codec::changeBaudFrame(1, codec::baudCode(QStringLiteral("2400")).value_or(0)),
         "68 03 03 68 53 01 BB 0F 16"},
        {"set type l / 0.01 / Water",
         codec::setTypeFrame(3, configUnitCode(QStringLiteral("l"), QStringLiteral("0.01")), water),
         "68 09 09 68 53 03 51 0F 11 03 07 01 01 D3 16"},
        {"pulse value of eight nines", codec::pulseValueFrame(2, 99999999U),
         "68 09 09 68 53 02 51 04 13 FF E0 F5 00 91 16"},
        {"relay value 12345 in litres", codec::relayCounterFrame(4, 0x13, QStringLiteral("12345")),
         "68 09 09 68 53 04 51 0C 13 45 23 01 00 30 16"},
        {"pulse width 50ms", codec::pulseWidthFrame(1, codec::pulseWidthCode(QStringLiteral("50ms"))),
         "68 0B 0B 68 53 01 51 0F FD 0B 04 00 00 00 04 C4 16"},
        {"counter type independent addresses", codec::counterTypeFrame(1, 0xC3, 0x01),
         "68 0B 0B 68 53 01 51 0F FF 00 04 FF FE C3 01 78 16"},
        {"medium Water on broadcast",
         codec::setMediumFrame(0xFE, codec::mediumIdBytes(QStringLiteral("FFFFFFFF"), nullptr), water),
         "68 0D 0D 68 53 FE 51 07 79 FF FF FF FF FF FF FF 07 22 16"},
    };
    for (const FrameCase& c : cases) {
        EXPECT_EQ(spaced(c.frame), expected(c.bytes)) << c.what;
    }
}

TEST(ConfigFrames, PulseValueKeepsOnlyTheLowThreeBytes) {
    // 2^24 + 1: the top byte is dropped, the fourth value byte stays zero.
    const QByteArray frame = codec::pulseValueFrame(0, (1U << 24) + 1U);
    ASSERT_EQ(frame.size(), 15);
    EXPECT_EQ(spaced(frame.mid(9, 4)), expected("01 00 00 00"));
}

struct BcdCase {
    const char* text;
    bool valid;
    const char* bytes;
};

TEST(BcdIdBytes, OnlyEightDecimalDigitsConvert) {
    const BcdCase cases[] = {
        {"12345678", true, "78 56 34 12"}, {"00000000", true, "00 00 00 00"},
        {"99999999", true, "99 99 99 99"}, {"1234567", false, ""},
        {"123456789", false, ""},          {"1234567A", false, ""},
        {"1234FFFF", false, ""},           {"", false, ""},
        {" 1234567", false, ""},           {"-1234567", false, ""},
    };
    for (const BcdCase& c : cases) {
        const auto bytes = codec::bcdIdBytes(QString::fromUtf8(c.text));
        ASSERT_EQ(bytes.has_value(), c.valid) << c.text;
        if (bytes) {
            const QByteArray raw(reinterpret_cast<const char*>(bytes->data()), 4);
            EXPECT_EQ(spaced(raw), expected(c.bytes)) << c.text;
        }
    }
    // Digits of other scripts are not decimal digits of an M-Bus ID.
    EXPECT_FALSE(codec::bcdIdBytes(QString::fromUtf8("1234567\xd9\xa3")).has_value());
}

TEST(ConfigFrames, BadIdTextsGiveNoFrame) {
    for (const char* text : {"1234567", "123456789", "12a45678", "", "FFFFFFFF"}) {
        EXPECT_TRUE(codec::changeIdFrame(1, QString::fromUtf8(text)).isEmpty()) << text;
        EXPECT_TRUE(codec::selectionFrameForId(QString::fromUtf8(text)).isEmpty()) << text;
    }
}

TEST(SelectionFrameForId, ANonDigitMeansNothingIsSent) {
    // The wildcard letter cannot be typed into a direct read: nothing is to be sent.
    EXPECT_TRUE(codec::selectionFrameForId(QStringLiteral("1234FFFF")).isEmpty());
    EXPECT_TRUE(codec::selectionFrameForId(QStringLiteral("F2345678")).isEmpty());
    EXPECT_TRUE(codec::selectionFrameForId(QStringLiteral("1234567F")).isEmpty());
    EXPECT_EQ(spaced(codec::selectionFrameForId(QStringLiteral("00000001"))),
              expected("68 0B 0B 68 53 FD 52 01 00 00 00 FF FF FF FF 9F 16"));
}

TEST(MediumIdBytes, AnyOtherTextIsOverriddenWithWildcards) {
    struct Case {
        const char* id;
        const char* bytes;
        bool overridden;
    };
    const Case cases[] = {
        {"FFFFFFFF", "FF FF FF FF", false}, {"12345678", "78 56 34 12", false}, {"1234", "FF FF FF FF", true},
        {"1234567X", "FF FF FF FF", true},  {"ffffffff", "FF FF FF FF", true},  {"", "FF FF FF FF", true},
    };
    for (const Case& c : cases) {
        bool overridden = !c.overridden;
        const auto bytes = codec::mediumIdBytes(QString::fromUtf8(c.id), &overridden);
        const QByteArray raw(reinterpret_cast<const char*>(bytes.data()), 4);
        EXPECT_EQ(spaced(raw), expected(c.bytes)) << c.id;
        EXPECT_EQ(overridden, c.overridden) << c.id;
    }
    EXPECT_EQ(codec::mediumIdBytes(QStringLiteral("12"), nullptr)[0], 0xFF); // no flag wanted
}

TEST(RelayCounterFrame, PadsToEightDigitsAndRefusesWhatDoesNotFit) {
    struct Case {
        const char* value;
        const char* bytes; // the four value bytes, or "" when refused
    };
    const Case cases[] = {
        {"0", "00 00 00 00"},
        {"7", "07 00 00 00"},
        {"1234567", "67 45 23 01"},
        {"12345678", "78 56 34 12"},
        {"99999999", "99 99 99 99"},
        {"123456789", ""},
        {"12.5", ""},
        {"-5", ""},
        {"12a", ""},
        {"", ""},
        {" 12", ""},
    };
    for (const Case& c : cases) {
        const QByteArray frame = codec::relayCounterFrame(1, 0x6E, QString::fromUtf8(c.value));
        if (*c.bytes == '\0') {
            EXPECT_TRUE(frame.isEmpty()) << c.value;
            continue;
        }
        ASSERT_EQ(frame.size(), 15) << c.value;
        EXPECT_EQ(spaced(frame.mid(9, 4)), expected(c.bytes)) << c.value;
        EXPECT_EQ(static_cast<std::uint8_t>(frame[8]), 0x6E);
    }
}

TEST(ConfigCodes, BaudTexts) {
    struct Case {
        const char* text;
        int code; // -1: none
        bool known;
    };
    const Case cases[] = {
        {"300", 0xB8, true},  {"1200", 0xBA, true}, {"2400", 0xBB, true},
        {"4800", 0xBC, true}, {"9600", -1, true},   {"600", -1, false},
        {"", -1, false},      {"2400 ", -1, false}, {"19200", -1, false},
    };
    for (const Case& c : cases) {
        const auto code = codec::baudCode(QString::fromUtf8(c.text));
        EXPECT_EQ(code ? int{*code} : -1, c.code) << c.text;
        EXPECT_EQ(codec::isKnownBaudText(QString::fromUtf8(c.text)), c.known) << c.text;
    }
}

TEST(ConfigCodes, PulseWidthTexts) {
    const std::pair<const char*, int> cases[] = {{"5ms", 1},   {"10ms", 2}, {"20ms", 3}, {"50ms", 4},
                                                 {"100ms", 5}, {"", 0},     {"5", 0},    {"200ms", 0}};
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(codec::pulseWidthCode(QString::fromUtf8(text)), code) << text;
    }
}

TEST(ConfigCodes, CounterTypeTexts) {
    const auto incremental = codec::counterTypeBytes(QStringLiteral("Incremental ID for each input"));
    const auto single = codec::counterTypeBytes(QStringLiteral("Single ID for all"));
    const auto independent = codec::counterTypeBytes(QStringLiteral("Independent addresses"));
    ASSERT_TRUE(incremental && single && independent);
    EXPECT_EQ(*incremental, (std::array<std::uint8_t, 2>{0xC2, 0x01}));
    EXPECT_EQ(*single, (std::array<std::uint8_t, 2>{0xC2, 0x00}));
    EXPECT_EQ(*independent, (std::array<std::uint8_t, 2>{0xC3, 0x01}));
    EXPECT_FALSE(codec::counterTypeBytes(QStringLiteral("single ID for all")).has_value());
    EXPECT_FALSE(codec::counterTypeBytes(QString()).has_value());
}

TEST(ConfigCodes, UnitAndConstant) {
    const char* constants[] = {"0.001", "0.01", "0.1", "1", "10", "100", "1000", "10000"};
    for (int offset = 0; offset < 8; ++offset) {
        const QString constant = QString::fromUtf8(constants[offset]);
        EXPECT_EQ(configUnitCode(QStringLiteral("Wh"), constant), 0x00 + offset) << constants[offset];
        EXPECT_EQ(configUnitCode(QStringLiteral("kJ"), constant), 0x08 + offset) << constants[offset];
        EXPECT_EQ(configUnitCode(QStringLiteral("l"), constant), 0x10 + offset) << constants[offset];
        EXPECT_EQ(configUnitCode(QStringLiteral("N/A"), constant), 0x6E) << constants[offset];
    }
    EXPECT_EQ(configUnitCode(QStringLiteral("N/A"), QStringLiteral("whatever")), 0x6E);
    EXPECT_EQ(configUnitCode(QStringLiteral("N/A"), QString()), 0x6E);
    EXPECT_EQ(configUnitCode(QStringLiteral("kJ"), QStringLiteral("5")), 0x00);
    EXPECT_EQ(configUnitCode(QStringLiteral("m3"), QStringLiteral("1")), 0x00);
    EXPECT_EQ(configUnitCode(QStringLiteral("L"), QStringLiteral("1")), 0x00);

    for (const char* unit : {"l", "Wh", "kJ", "N/A"}) {
        EXPECT_TRUE(isKnownUnitText(QString::fromUtf8(unit))) << unit;
    }
    for (const char* unit : {"", "L", "wh", "m3", "N/A "}) {
        EXPECT_FALSE(isKnownUnitText(QString::fromUtf8(unit))) << unit;
    }
}

TEST(ConfigCodes, MediumBoxInOrderWithItsCodes) {
    const std::pair<const char*, int> box[] = {
        {"Electricity", 0x02}, {"Water", 0x07},      {"Hot water", 0x06},  {"Cold water", 0x16},
        {"H.C.A", 0x08},       {"Heat meter", 0x04}, {"Cold meter", 0x0B}, {"Gas", 0x03},
        {"Oil", 0x01},         {"Pressure", 0x18},   {"Other", 0x00},
    };
    const auto& entries = mediumBoxEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i], QString::fromUtf8(box[i].first)) << i;
        EXPECT_EQ(configMediumCode(entries[i]), box[i].second) << box[i].first;
    }
    // Names the table's "Medium" cell may hold beyond the box.
    const std::pair<const char*, int> cells[] = {
        {"Heat (rt)", 0x04},   {"Steam", 0x05},      {"Heat C.A.", 0x08}, {"Cooling, rt", 0x0A},
        {"Cooling, ft", 0x0B}, {"Dual water", 0x17}, {"Unknown", 0x0F},   {"", 0x0F},
        {"water", 0x0F},       {"Bus/System", 0x0F},
    };
    for (const auto& [name, code] : cells) {
        EXPECT_EQ(configMediumCode(QString::fromUtf8(name)), code) << name;
    }
}

} // namespace
} // namespace holvex
