#include "codec/frame_codec.h"
#include "sim/meter_command.h"
#include "sim/telegram_patch.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace holvex::sim {
namespace {

using test::hex;

struct ParseRow {
    const char* frame;
    MeterCommandKind kind;
    std::uint8_t code;
    std::uint8_t medium;
    const char* id;
    std::uint32_t value;
};

TEST(MeterCommandTest, ConfigurationFramesAreTakenApart) {
    const ParseRow rows[] = {
        {"68 06 06 68 73 FD 51 01 7A 07 43 16", MeterCommandKind::SetAddress, 7, 0, "", 0},
        {"68 06 06 68 53 FE 51 01 7A 0A 27 16", MeterCommandKind::SetAddress, 10, 0, "", 0},
        {"68 09 09 68 73 05 51 0C 79 42 00 00 00 90 16", MeterCommandKind::SetId, 0, 0, "42 00 00 00", 0},
        {"68 03 03 68 53 01 BB 0F 16", MeterCommandKind::Baud, 0xBB, 0, "", 0},
        {"68 03 03 68 53 01 B8 0C 16", MeterCommandKind::Baud, 0xB8, 0, "", 0},
        {"68 0D 0D 68 53 01 51 07 79 78 56 34 12 FF FF FF 03 39 16", MeterCommandKind::SetMedium, 0, 3,
         "78 56 34 12", 0},
        {"68 09 09 68 53 01 51 0F 11 03 07 01 01 D1 16", MeterCommandKind::SetType, 0x11, 7, "", 0},
        {"68 09 09 68 53 01 51 0C 11 78 56 34 12 D6 16", MeterCommandKind::RelayValue, 0x11, 0, "",
         0x12345678},
        {"68 0B 0B 68 53 01 51 0F FD 0B 04 00 00 00 03 C3 16", MeterCommandKind::PulseWidth, 3, 0, "", 0},
        {"68 09 09 68 53 01 51 04 13 FF E0 F5 00 90 16", MeterCommandKind::PulseValue, 0, 0, "", 0xF5E0FF},
        {"68 0B 0B 68 53 01 51 0F FF 00 04 FF FE C3 01 78 16", MeterCommandKind::CounterType, 0, 0, "",
         0xC301},
    };
    for (const ParseRow& row : rows) {
        const QByteArray frame = hex(row.frame);
        ASSERT_EQ(codec::checksum(frame, 4, static_cast<int>(frame.size()) - 3),
                  static_cast<std::uint8_t>(frame.at(frame.size() - 2)))
            << row.frame;
        const auto command = parseMeterCommand(frame);
        ASSERT_TRUE(command.has_value()) << row.frame;
        EXPECT_EQ(command->kind, row.kind) << row.frame;
        EXPECT_EQ(command->code, row.code) << row.frame;
        EXPECT_EQ(command->medium, row.medium) << row.frame;
        EXPECT_EQ(command->id, hex(row.id)) << row.frame;
        EXPECT_EQ(command->value, row.value) << row.frame;
    }
}

TEST(MeterCommandTest, OtherFramesCarryNoCommand) {
    const char* rows[] = {
        "68 0B 0B 68 53 FD 52 78 56 34 12 FF FF FF FF B2 16",       // a selection
        "68 05 05 68 73 01 51 01 7A 40 16",                         // address change without the address
        "68 07 07 68 73 01 51 01 7A 07 00 4E 16",                   // ... with a byte too many
        "68 04 04 68 53 01 BB 00 0F 16",                            // baud change with data
        "68 03 03 68 53 01 B7 0B 16",                               // not a baud code
        "68 06 06 68 08 01 51 01 7A 07 DC 16",                      // not SND_UD
        "68 0D 0D 68 53 01 51 07 79 78 56 34 12 00 FF FF 03 F0 16", // medium frame without the wildcards
        "68 0B 0B 68 53 01 51 0F FD 0B 04 00 01 00 03 C4 16",       // pulse width frame with a stray byte
        "68 05 05 68 53 01 51 01 FD A3 16",                         // some other record
        "10 40 01 41 16",
        "68 06 06",
    };
    for (const char* row : rows) {
        EXPECT_FALSE(parseMeterCommand(hex(row)).has_value()) << row;
    }
}

TEST(MeterCommandTest, IdTextAndBytesConvertBothWays) {
    EXPECT_EQ(idBytes(QStringLiteral("12345678")), hex("78 56 34 12"));
    EXPECT_EQ(idBytes(QStringLiteral("3141A926")), hex("26 A9 41 31"));
    EXPECT_FALSE(idBytes(QStringLiteral("1234567")).has_value());
    EXPECT_FALSE(idBytes(QStringLiteral("1234567G")).has_value());
    EXPECT_EQ(idText(hex("42 00 00 00")), QStringLiteral("00000042"));
    EXPECT_EQ(idText(hex("42 00 00")), QString());
    EXPECT_TRUE(isBcdId(hex("78 56 34 12")));
    EXPECT_FALSE(isBcdId(hex("78 56 34 1F")));
    EXPECT_FALSE(isBcdId(hex("A8 56 34 12")));
    EXPECT_FALSE(isBcdId(hex("78 56 34")));
}

struct PatchRow {
    const char* name;
    QByteArray stored;
    TelegramPatch patch;
    QByteArray expected;
};

TEST(MeterCommandTest, PatchedTelegramsShowTheSettingsWithAFittingChecksum) {
    const QByteArray header = hex("78 56 34 12 43 04 01 07 11 00 00 00");
    const QByteArray records = hex("0C 13 89 67 45 00");
    const QByteArray stored = codec::longFrame(0x08, 1, 0x72, header + records);
    QByteArray badSum = stored;
    badSum[badSum.size() - 2] = static_cast<char>(badSum.at(badSum.size() - 2) + 1);
    QByteArray badSumPatched = codec::longFrame(0x08, 9, 0x72, header + records);
    badSumPatched[badSumPatched.size() - 2] =
        static_cast<char>(badSumPatched.at(badSumPatched.size() - 2) + 1);
    const PatchRow rows[] = {
        {"nothing", stored, {}, stored},
        {"address", stored, {.address = 7}, codec::longFrame(0x08, 7, 0x72, header + records)},
        {"id",
         stored,
         {.id = hex("42 00 00 00")},
         codec::longFrame(0x08, 1, 0x72, hex("42 00 00 00 43 04 01 07 11 00 00 00") + records)},
        {"medium",
         stored,
         {.medium = 3},
         codec::longFrame(0x08, 1, 0x72, hex("78 56 34 12 43 04 01 03 11 00 00 00") + records)},
        {"all three",
         stored,
         {.address = 0xFA, .id = hex("99 99 99 99"), .medium = 0x16},
         codec::longFrame(0x08, 0xFA, 0x72, hex("99 99 99 99 43 04 01 16 11 00 00 00") + records)},
        {"a wrong checksum stays wrong", badSum, {.address = 9}, badSumPatched},
        {"short header: only the address",
         hex("68 05 05 68 08 01 7A 11 00 94 16"),
         {.address = 2, .id = hex("42 00 00 00"), .medium = 3},
         hex("68 05 05 68 08 02 7A 11 00 95 16")},
        {"header cut short: only the address",
         hex("68 03 03 68 08 01 72 7B 16"),
         {.address = 2, .id = hex("42 00 00 00"), .medium = 3},
         hex("68 03 03 68 08 02 72 7C 16")},
        {"id of the wrong size is not written", stored, {.id = hex("42 00")}, stored},
        {"not a long frame", hex("E5"), {.address = 2}, hex("E5")},
        {"length byte disagrees",
         hex("68 09 09 68 08 01 72 7B 16"),
         {.address = 2},
         hex("68 09 09 68 08 01 72 7B 16")},
        {"empty", QByteArray(), {.address = 2}, QByteArray()},
    };
    for (const PatchRow& row : rows) {
        EXPECT_EQ(test::spacedHex(patchTelegram(row.stored, row.patch)), test::spacedHex(row.expected))
            << row.name;
    }
}

} // namespace
} // namespace holvex::sim
