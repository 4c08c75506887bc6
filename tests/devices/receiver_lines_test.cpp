#include "devices/receiver/binding_lines.h"
#include "devices/receiver/key_lines.h"
#include "devices/receiver/programming_lines.h"
#include "devices/receiver/settings_lines.h"

#include "../mbus/qstring_print.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <optional>

namespace holvex::receiver {
namespace {

using test::hex;

// A command as "line bytes in spaced hex | log text", or "none" when nothing is sent.
std::string shown(const std::optional<ReceiverCommand>& command) {
    if (!command) {
        return "none";
    }
    return (test::spacedHex(command->line()) + QStringLiteral("| ") + command->logText).toStdString();
}

std::string line(const QByteArray& bytes, const char* logText) {
    return (test::spacedHex(bytes) + QStringLiteral("| ") + QString::fromUtf8(logText)).toStdString();
}

std::string text(const char* lineText, const char* logText) {
    return line(QByteArray(lineText), logText);
}

// Commands of a table operation, or "refused: " + the refusal; "nothing" when both are empty.
std::string shown(const ReceiverCommands& result) {
    if (!result.refusal.isEmpty()) {
        EXPECT_TRUE(result.commands.isEmpty());
        return "refused: " + result.refusal.toStdString();
    }
    if (result.commands.isEmpty()) {
        return "nothing";
    }
    std::string out;
    for (const ReceiverCommand& command : result.commands) {
        out += (out.empty() ? "" : " + ") + shown(command);
    }
    return out;
}

struct LineCase {
    const char* what;
    std::optional<ReceiverCommand> command;
    std::string expected;
};

TEST(ReceiverSettingLines, EveryControlGivesItsLine) {
    const LineCase cases[] = {
        {"date", dateCommand(QDate(2014, 3, 3)), text("set date=03/03/14", "Setting date of Ravik-Q...")},
        {"time", timeCommand(QTime(9, 5, 7)), text("set time=09:05:07", "Setting time of Ravik-Q...")},
        {"date at the year's end", dateCommand(QDate(2031, 12, 31)),
         text("set date=31/12/31", "Setting date of Ravik-Q...")},
        {"interval 15", saveIntervalCommand(QStringLiteral("15")),
         text("set pito=15", "Setting readout intervals of Ravik-Q...")},
        {"interval 5 without a leading zero", saveIntervalCommand(QStringLiteral("5")),
         text("set pito=5", "Setting readout intervals of Ravik-Q...")},
        {"interval typed 05", saveIntervalCommand(QStringLiteral("05")),
         text("set pito=5", "Setting readout intervals of Ravik-Q...")},
        {"interval 240", saveIntervalCommand(QStringLiteral("240")),
         text("set pito=240", "Setting readout intervals of Ravik-Q...")},
        {"empty interval", saveIntervalCommand(QString()), "none"},
        {"interval 0", saveIntervalCommand(QStringLiteral("0")), "none"},
        {"interval 241", saveIntervalCommand(QStringLiteral("241")), "none"},
        {"interval not a number", saveIntervalCommand(QStringLiteral("1x")), "none"},
        {"mode S1", radioModeCommand(QStringLiteral("S1")),
         text("set wmod=3", "Setting wireless working mode of Ravik-Q...")},
        {"mode T2+C", radioModeCommand(QStringLiteral("T2+C")),
         text("set wmod=11", "Setting wireless working mode of Ravik-Q...")},
        {"mode S2", radioModeCommand(QStringLiteral("S2")),
         text("set wmod=0", "Setting wireless working mode of Ravik-Q...")},
        {"mode T1+C", radioModeCommand(QStringLiteral("T1+C")),
         text("set wmod=10", "Setting wireless working mode of Ravik-Q...")},
        {"mode R", radioModeCommand(QStringLiteral("R")),
         text("set wmod=4", "Setting wireless working mode of Ravik-Q...")},
        {"unknown mode sends 1", radioModeCommand(QStringLiteral("C1")),
         text("set wmod=1", "Setting wireless working mode of Ravik-Q...")},
        {"role Slave", roleCommand(QStringLiteral("Slave")),
         text("set nrol=0", "Setting wireless role of Ravik-Q...")},
        {"role Repeater", roleCommand(QStringLiteral("Repeater")),
         text("set nrol=2", "Setting wireless role of Ravik-Q...")},
        {"role in lower case", roleCommand(QStringLiteral("master")), "none"},
        {"work Normal", workModeCommand(QStringLiteral("Normal")),
         text("set wwrk=0", "Setting mode of work of Ravik-Q...")},
        {"work Install typed", workModeCommand(QStringLiteral("Install")),
         text("set wwrk=1", "Setting mode of work of Ravik-Q...")},
        {"work Accept All", workModeCommand(QStringLiteral("Accept All")),
         text("set wwrk=2", "Setting mode of work of Ravik-Q...")},
        {"work mode misspelt", workModeCommand(QStringLiteral("Accept all")), "none"},
        {"Min/Hours off", optionCommand(QStringLiteral("Min/Hours"), false),
         text("set minc=0", "Setting Min/Hours of Ravik-Q...")},
        {"RSSI on", optionCommand(QStringLiteral("RSSI"), true),
         text("set rssi=1", "Setting RSSI of Ravik-Q...")},
        {"Secondary ID on", optionCommand(QStringLiteral("Secondary ID"), true),
         text("set ambr=1", "Setting Secondary ID of Ravik-Q...")},
        {"Master Key off", optionCommand(QStringLiteral("Master Key"), false),
         text("set mast=0", "Setting Master Key of Ravik-Q...")},
        {"unknown option", optionCommand(QStringLiteral("Timestamps"), true), "none"},
        {"serving info", servingInfoCommand(), text("get serv", "")},
        {"wireless info", wirelessInfoCommand(), text("get wsta", "")},
        {"transparent on", transparentModeCommand(true, false), text("set trns=1", "")},
        {"transparent off, old firmware", transparentModeCommand(false, true), text("set rtra=0", "")},
    };
    for (const LineCase& c : cases) {
        EXPECT_EQ(shown(c.command), c.expected) << c.what;
    }
    // Every listed choice is one the line builders know, so none falls back to "send 1" or to nothing.
    for (const QString& mode : radioModes()) {
        EXPECT_TRUE(mode == QLatin1String("T1") || radioModeCommand(mode).argument != "1")
            << mode.toStdString();
    }
    for (const QString& role : roles()) {
        EXPECT_TRUE(roleCommand(role).has_value()) << role.toStdString();
    }
    EXPECT_EQ(workModes(), (QStringList{QStringLiteral("Normal"), QStringLiteral("Accept All")}));
    ASSERT_EQ(options().size(), 6);
    for (const QString& option : options()) {
        EXPECT_EQ(optionCommand(option, true)->argument, QByteArray("1")) << option.toStdString();
    }
}

ReceiverRow bindableRow() {
    ReceiverRow row;
    row.id = QStringLiteral("12345678");
    row.address = QStringLiteral("5");
    row.manufacturer = QStringLiteral("ABC");
    row.version = QStringLiteral("1");
    row.device = QStringLiteral("7");
    return row;
}

template <typename Change> std::optional<ReceiverRow> changed(Change change) {
    ReceiverRow row = bindableRow();
    change(row);
    return row;
}

struct TableCase {
    const char* what;
    ReceiverCommands result;
    std::string expected;
};

TEST(ReceiverBinding, BindAndDebindLinesAndRefusals) {
    const std::string maxAddress = "refused: Max primary address for de-binding is 64...";
    const std::string incomplete = "refused: Must have MFR, VER and Device to bind...";
    const TableCase cases[] = {
        {"bind 12345678 ABC 1 7", bindCommands(bindableRow()),
         line(QByteArray("set bind=5,") + hex("78 56 34 12 43 04 01 07"), "Binding device with Address 5")},
        {"hex letters in the ID",
         bindCommands(changed([](ReceiverRow& r) { r.id = QStringLiteral("0012ab3F"); })),
         line(QByteArray("set bind=5,") + hex("3F AB 12 00 43 04 01 07"), "Binding device with Address 5")},
        {"address 64, version 255", bindCommands(changed([](ReceiverRow& r) {
             r.address = QStringLiteral("64");
             r.version = QStringLiteral("255");
         })),
         line(QByteArray("set bind=64,") + hex("78 56 34 12 43 04 FF 07"), "Binding device with Address 64")},
        {"no row", bindCommands(std::nullopt), "refused: No row selected from the table..."},
        {"seven-digit ID", bindCommands(changed([](ReceiverRow& r) { r.id = QStringLiteral("1234567"); })),
         "refused: Wrong ID, must be 8-digits..."},
        {"empty address", bindCommands(changed([](ReceiverRow& r) { r.address.clear(); })), "nothing"},
        {"address 65", bindCommands(changed([](ReceiverRow& r) { r.address = QStringLiteral("65"); })),
         maxAddress},
        {"address not a number",
         bindCommands(changed([](ReceiverRow& r) { r.address = QStringLiteral("-1"); })), maxAddress},
        {"no MFR", bindCommands(changed([](ReceiverRow& r) { r.manufacturer.clear(); })), incomplete},
        {"no version", bindCommands(changed([](ReceiverRow& r) { r.version.clear(); })), incomplete},
        {"no device", bindCommands(changed([](ReceiverRow& r) { r.device.clear(); })), incomplete},
        {"two letters", bindCommands(changed([](ReceiverRow& r) { r.manufacturer = QStringLiteral("AB"); })),
         "refused: Wrong manufacturer code, must be 3-letters..."},
        {"version 254", bindCommands(changed([](ReceiverRow& r) { r.version = QStringLiteral("254"); })),
         "nothing"},
        {"device not a number", bindCommands(changed([](ReceiverRow& r) { r.device = QStringLiteral("x"); })),
         "nothing"},
        {"device 256", bindCommands(changed([](ReceiverRow& r) { r.device = QStringLiteral("256"); })),
         "nothing"},
        {"ID with a non-hex character",
         bindCommands(changed([](ReceiverRow& r) { r.id = QStringLiteral("1234567G"); })), "nothing"},
        {"letters that do not fit five bits",
         bindCommands(changed([](ReceiverRow& r) { r.manufacturer = QStringLiteral("abc"); })), "nothing"},
        {"de-bind 64", debindCommands(changed([](ReceiverRow& r) { r.address = QStringLiteral("64"); })),
         text("del bind=64", "De-binding device with Address 64")},
        {"de-bind without a row", debindCommands(std::nullopt), "refused: No row selected from the table..."},
        {"de-bind empty address", debindCommands(changed([](ReceiverRow& r) { r.address.clear(); })),
         "refused: Not correct Primary address..."},
        {"de-bind 65", debindCommands(changed([](ReceiverRow& r) { r.address = QStringLiteral("65"); })),
         maxAddress},
    };
    for (const TableCase& c : cases) {
        EXPECT_EQ(shown(c.result), c.expected) << c.what;
    }
    EXPECT_EQ(addressLabel(QStringLiteral("12")), QStringLiteral("Address 12"));
    EXPECT_EQ(addressLabel(QString()), QStringLiteral("Address unknown"));
    EXPECT_EQ(addressLabel(QStringLiteral("1a")), QStringLiteral("Address unknown"));
    EXPECT_EQ(idLabel(QStringLiteral("12345678")), QStringLiteral("ID: 12345678"));
}

TEST(ReceiverKeys, KeyFieldRefusals) {
    const QString wrongLength = QStringLiteral("Encryption key must be 16 bytes exactly, skipping...");
    const QString wrongHex = QStringLiteral("Wrong HEX key, 0..F uppercase allowed only");
    struct Case {
        const char* what;
        QString text;
        KeyEntry entry;
        QString refusal;
    };
    const Case cases[] = {
        {"31 hex characters", QStringLiteral("000102030405060708090A0B0C0D0E0"), KeyEntry::Hex, wrongLength},
        {"33 hex characters", QStringLiteral("000102030405060708090A0B0C0D0E0F0"), KeyEntry::Hex,
         wrongLength},
        {"a lower-case letter", QStringLiteral("000102030405060708090a0B0C0D0E0F"), KeyEntry::Hex, wrongHex},
        {"a G", QStringLiteral("000102030405060708090G0B0C0D0E0F"), KeyEntry::Hex, wrongHex},
        {"a blank among 32", QStringLiteral("00010203040506070809 A0B0C0D0E0F"), KeyEntry::Hex, wrongHex},
        {"15 characters", QStringLiteral("ABCDEFGHIJKLMNO"), KeyEntry::Ascii, wrongLength},
        {"17 characters", QStringLiteral("ABCDEFGHIJKLMNOPQ"), KeyEntry::Ascii, wrongLength},
        {"a character beyond one byte", QStringLiteral("ABCDEFGHIJKLMNO\u20AC"), KeyEntry::Ascii,
         wrongLength},
        {"32 characters in ASCII mode", QStringLiteral("000102030405060708090A0B0C0D0E0F"), KeyEntry::Ascii,
         wrongLength},
    };
    for (const Case& c : cases) {
        const KeyField field = parseKeyField(c.text, c.entry);
        EXPECT_FALSE(field.key.has_value()) << c.what;
        EXPECT_EQ(field.refusal, c.refusal) << c.what;
    }
    const KeyField hexKey = parseKeyField(QStringLiteral("000102030405060708090A0B0C0D0EFF"), KeyEntry::Hex);
    ASSERT_TRUE(hexKey.key.has_value());
    EXPECT_EQ(keyBytes(*hexKey.key), hex("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E FF"));
    const KeyField asciiKey = parseKeyField(QStringLiteral("0123456789abcde\u00E9"), KeyEntry::Ascii);
    ASSERT_TRUE(asciiKey.key.has_value());
    EXPECT_EQ(keyBytes(*asciiKey.key), QByteArray("0123456789abcde\xE9"));
}

TEST(ReceiverKeys, KeyLinesForEveryTarget) {
    const QString keyText = QStringLiteral("000102030405060708090A0B0C0D0E0F");
    const QByteArray key = hex("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
    const char* master = "Setting Master Key for all devices";
    const KeyTargets address{true, false, false};
    const KeyTargets useId{false, true, false};
    const KeyTargets both{true, true, false};
    const KeyTargets bothOneKey{true, true, true};
    const TableCase cases[] = {
        {"address target", keyCommands(bindableRow(), keyText, KeyEntry::Hex, address),
         line(QByteArray("set encr=5,") + key, "Setting encryption key of 5")},
        {"ID target", keyCommands(bindableRow(), keyText, KeyEntry::Hex, useId),
         line(QByteArray("set akey=12345678,") + key, "Setting encryption key of 12345678")},
        {"both targets", keyCommands(bindableRow(), keyText, KeyEntry::Hex, both),
         line(QByteArray("set encr=5,") + key, "Setting encryption key of 5") + " + " +
             line(QByteArray("set akey=12345678,") + key, "Setting encryption key of 12345678")},
        {"one key all, both targets", keyCommands(bindableRow(), keyText, KeyEntry::Hex, bothOneKey),
         line(QByteArray("set encr=0,") + key, master) + " + " +
             line(QByteArray("set akey=00000000,") + key, master)},
        {"one key all, ID target only",
         keyCommands(bindableRow(), keyText, KeyEntry::Hex, KeyTargets{false, true, true}),
         line(QByteArray("set akey=00000000,") + key, master)},
        {"ASCII key",
         keyCommands(bindableRow(), QStringLiteral("ABCDEFGHIJKLMNOP"), KeyEntry::Ascii, address),
         text("set encr=5,ABCDEFGHIJKLMNOP", "Setting encryption key of 5")},
        {"address 450",
         keyCommands(changed([](ReceiverRow& r) { r.address = QStringLiteral("450"); }), keyText,
                     KeyEntry::Hex, address),
         line(QByteArray("set encr=450,") + key, "Setting encryption key of 450")},
        {"no target", keyCommands(bindableRow(), keyText, KeyEntry::Hex, KeyTargets{}), "nothing"},
        {"no row", keyCommands(std::nullopt, keyText, KeyEntry::Hex, address),
         "refused: No row selected from the table..."},
        {"empty address before a bad key",
         keyCommands(changed([](ReceiverRow& r) { r.address.clear(); }), QStringLiteral("x"), KeyEntry::Hex,
                     address),
         "refused: Not correct Primary address..."},
        {"address 451",
         keyCommands(changed([](ReceiverRow& r) { r.address = QStringLiteral("451"); }), keyText,
                     KeyEntry::Hex, address),
         "refused: Max primary address for AES-128 key is 450"},
        {"lower-case hex key", keyCommands(bindableRow(), keyText.toLower(), KeyEntry::Hex, both),
         "refused: Wrong HEX key, 0..F uppercase allowed only"},
    };
    for (const TableCase& c : cases) {
        EXPECT_EQ(shown(c.result), c.expected) << c.what;
    }
}

TEST(ReceiverProgramming, RowChecksAndLines) {
    struct AddressCase {
        const char* cell;
        std::optional<int> address;
        const char* logLine;
    };
    const AddressCase addresses[] = {
        {"", std::nullopt, "Error in Primary device address at row 3"},
        {"0", std::nullopt, "Error in Primary device address at row 3, skipping"},
        {"464", std::nullopt, "Error in Primary device address at row 3, skipping"},
        {"x1", std::nullopt, "Error in Primary device address at row 3, skipping"},
        {"1", 1, ""},
        {"463", 463, ""},
    };
    for (const AddressCase& c : addresses) {
        const ProgramAddress result = programAddress(QString::fromLatin1(c.cell), 3);
        EXPECT_EQ(result.address, c.address) << c.cell;
        EXPECT_EQ(result.logLine, QString::fromLatin1(c.logLine)) << c.cell;
    }

    EXPECT_EQ(activationId(QStringLiteral("123")), QStringLiteral("00000123"));
    EXPECT_EQ(activationId(QStringLiteral("1234567890")), QStringLiteral("12345678"));
    EXPECT_EQ(activationId(QStringLiteral("87654321")), QStringLiteral("87654321"));
    EXPECT_EQ(activationId(QString()), std::nullopt);

    ReceiverRow row = bindableRow();
    row.auxiliaryId = QStringLiteral("123");
    const Activation aux = activationCommand(7, activationIdCell(row, ActivationIdSource::AuxId), 2);
    EXPECT_EQ(shown(aux.command), text("set entr=7,00000123", "Activating device 7/00000123..."));
    EXPECT_EQ(aux.idWriteBack, QStringLiteral("00000123"));
    EXPECT_TRUE(aux.logLine.isEmpty());
    EXPECT_EQ(activationIdCell(row, ActivationIdSource::MainId), QStringLiteral("12345678"));
    const Activation missing = activationCommand(7, QString(), 2);
    EXPECT_EQ(shown(missing.command), "none");
    EXPECT_EQ(missing.idWriteBack, std::nullopt);
    EXPECT_EQ(missing.logLine, QStringLiteral("Error in device ID on row 2"));

    EXPECT_EQ(shown(unitCommand(5, QStringLiteral("Gas"))),
              text("set unit=5,3", "Setting unit of device 5..."));
    EXPECT_EQ(shown(unitCommand(5, QStringLiteral("Cold water"))),
              text("set unit=5,16", "Setting unit of device 5..."));
    EXPECT_EQ(unitCodeForMedium(QStringLiteral("Heat")), 12);
    EXPECT_EQ(unitCodeForMedium(QStringLiteral("Compr. air")), 9);
    EXPECT_EQ(unitCodeForMedium(QStringLiteral("water")), 15);
    EXPECT_EQ(unitCodeForMedium(QString()), 15);
    EXPECT_EQ(shown(deleteCommand(9)), text("del entr=9", "Deleting device 9..."));

    EXPECT_TRUE(activationAccepted("entr 7 Done!\r\n"));
    EXPECT_TRUE(activationAccepted("device already active"));
    EXPECT_FALSE(activationAccepted("ERROR"));
    EXPECT_FALSE(activationAccepted(QByteArray()));
}

} // namespace
} // namespace holvex::receiver
