#include "meters/ops/meter_configuration.h"

#include "fake_link.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/meter_table.h"

#include <QMetaObject>

#include <gtest/gtest.h>

#include <functional>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

void fire(QTimer& timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout"));
}

QString frame(std::uint8_t c, std::uint8_t a, std::uint8_t ci, const char* data) {
    return codec::spacedHex(codec::longFrame(c, a, ci, test::hex(data))).trimmed();
}

class ConfigurationTest : public ::testing::Test {
protected:
    ConfigurationTest() {
        // Rows: 1 water meter at 5, 2 relay at 1, 3 heat meter at 9, 4 empty (left by a scan).
        b.fillAddresses({"5", "1", "9", ""});
        b.table.setCell(1, 0, QStringLiteral("12345678"));
        b.table.setCell(1, 5, QStringLiteral("Water"));
        b.table.setCell(2, 2, QStringLiteral("REL"));
        b.table.setCell(3, 5, QStringLiteral("Heat meter"));
        config().setInputs([this] { return inputs; });
        QObject::connect(&config(), &MeterConfiguration::hexModeRequested, [this] { ++hexRequests; });
    }

    MeterConfiguration& config() { return ops.configuration(); }

    void select(int row) {
        b.table.clearMarks();
        b.table.setMarked(row, true);
        selectCell(b.table, row, b.state);
    }

    test::Bench b;
    MeterOperations& ops = b.ops;
    ConfigurationInputs inputs;
    int hexRequests = 0;
};

TEST_F(ConfigurationTest, ChangeIdOfAddressFiveReadsBack) {
    select(1);
    inputs.newId = QStringLiteral("00000042");
    b.link.otherAnswers = {ack()};
    b.link.answerRead(5, meterTelegram(5, "42 00 00 00"));
    ASSERT_TRUE(config().changeId());
    EXPECT_EQ(b.link.sent, QStringList{"68 09 09 68 73 05 51 0C 79 42 00 00 00 90 16"});
    EXPECT_EQ(b.link.words[0].serial, QStringLiteral("changing ID 5"));
    EXPECT_TRUE(ops.readCycle().readAfterAck());
    fire(b.respond); // the acknowledgement: the meter is read again
    EXPECT_EQ(b.link.sent.last(), QStringLiteral("10 7B 05 80 16"));
    fire(b.respond);
    EXPECT_EQ(b.table.cell(1, 0), QStringLiteral("00000042"));
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ConfigurationTest, ChangeBaudOfAddressOneTo2400WithoutReadBack) {
    select(2);
    inputs.baud = QStringLiteral("2400");
    b.link.otherAnswers = {ack()};
    ASSERT_TRUE(config().changeBaud());
    EXPECT_EQ(b.link.sent, QStringList{"68 03 03 68 53 01 BB 0F 16"});
    EXPECT_EQ(b.link.words[0].serial, QStringLiteral("Change baud of device 1"));
    EXPECT_FALSE(ops.readCycle().readAfterAck());
    fire(b.respond);
    EXPECT_EQ(b.link.sent.size(), 1);
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ConfigurationTest, BaudNineThousandSixHundredIsRefusedAfterTheChannelOpened) {
    select(1);
    inputs.baud = QStringLiteral("9600");
    EXPECT_FALSE(config().changeBaud());
    EXPECT_EQ(b.link.opens, 1);
    EXPECT_EQ(b.log.lines, QStringList{"Incorrect baud selected, permitted are 300,2400,4800..."});
    EXPECT_TRUE(b.link.sent.isEmpty());
}

TEST_F(ConfigurationTest, ResetWithBroadcast) {
    select(1);
    b.context.inputs.broadcast = true;
    ASSERT_TRUE(config().reset());
    EXPECT_EQ(b.link.sent, QStringList{"10 40 FE 3E 16"});
    EXPECT_TRUE(b.respond.isActive());
}

TEST_F(ConfigurationTest, ResetWithoutSelectedMeterSendsNothing) {
    b.table.setMarked(4, true);
    selectCell(b.table, 4, b.state); // the empty row: SelectedAddress "256"
    EXPECT_FALSE(config().reset());
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_EQ(b.log.lines, QStringList{"Reset: no meter selected, nothing sent"});
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_EQ(b.link.closes, b.link.opens);
}

TEST_F(ConfigurationTest, SetUnitLitresWithTheFocusedRowsWaterMedium) {
    select(1);
    inputs.unit = QStringLiteral("l");
    inputs.constant = QStringLiteral("0.01");
    ASSERT_TRUE(config().setUnit());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x05, 0x51, "0F 11 03 07 01 01")});
    EXPECT_TRUE(ops.readCycle().readAfterAck());
}

TEST_F(ConfigurationTest, SetUnitNotApplicableIgnoresTheConstant) {
    select(1);
    inputs.unit = QStringLiteral("N/A");
    inputs.constant = QStringLiteral("1000");
    ASSERT_TRUE(config().setUnit());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x05, 0x51, "0F 6E 03 07 01 01")});
}

TEST_F(ConfigurationTest, PulseValueOfEightNinesLosesItsTopPart) {
    select(1);
    inputs.pulseValue = QStringLiteral("99999999");
    ASSERT_TRUE(config().setPulseValue());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x05, 0x51, "04 13 FF E0 F5 00")});
}

TEST_F(ConfigurationTest, SetMediumCarriesTheSelectedId) {
    select(1);
    inputs.medium = QStringLiteral("Gas");
    ASSERT_TRUE(config().setMedium());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x05, 0x51, "07 79 78 56 34 12 FF FF FF 03")});
}

TEST_F(ConfigurationTest, SetMediumOfAMeterWithoutProperIdUsesTheWildcard) {
    select(2); // no ID in the row
    inputs.medium = QStringLiteral("Water");
    ASSERT_TRUE(config().setMedium());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x01, 0x51, "07 79 FF FF FF FF FF FF FF 07")});
    EXPECT_TRUE(b.log.has(QStringLiteral("ID overrided with FFFFFFFF, exception...")));
}

TEST_F(ConfigurationTest, SetPrimaryAddressByBroadcastLeavesNoWritePending) {
    select(1);
    b.context.inputs.broadcast = true;
    inputs.newPrimaryAddress = 7;
    ASSERT_TRUE(config().setPrimaryAddress());
    EXPECT_EQ(b.link.sent, QStringList{"68 06 06 68 73 FE 51 01 7A 07 44 16"});
    EXPECT_FALSE(b.state.AddressWritePending);
    EXPECT_TRUE(b.respond.isActive());
    EXPECT_FALSE(b.secondary.isActive());
}

TEST_F(ConfigurationTest, CounterTypeAnswerIsShownInHex) {
    select(1);
    inputs.counterType = QStringLiteral("Independent addresses");
    b.link.otherAnswers = {ack()};
    ops.console().setAsciiTicked(true);
    ASSERT_TRUE(config().setCounterType());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x05, 0x51, "0F FF 00 04 FF FE C3 01")});
    EXPECT_EQ(b.link.words[0].serial, QStringLiteral("5"));
    EXPECT_EQ(hexRequests, 1);
    EXPECT_TRUE(b.freeCommand.isActive());
    fire(b.freeCommand);
    EXPECT_EQ(b.log.lines, QStringList{"E5 "});
}

TEST_F(ConfigurationTest, CounterTypeIsNeverBroadcast) {
    b.table.setMarked(4, true);
    selectCell(b.table, 4, b.state);
    b.context.inputs.broadcast = true;
    inputs.counterType = QStringLiteral("Single ID for all");
    EXPECT_FALSE(config().setCounterType());
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_EQ(hexRequests, 0);
}

TEST_F(ConfigurationTest, RelayCounterGoesOnlyToARelay) {
    inputs.unit = QStringLiteral("l");
    inputs.constant = QStringLiteral("1");
    inputs.relay = true;
    inputs.relayCounter = QStringLiteral("12345");

    select(1); // manufacturer is not REL
    EXPECT_FALSE(config().setUnit());
    EXPECT_EQ(b.log.lines, QStringList{"This m-bus device is NOT Relay! Skipping..."});
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_FALSE(ops.readCycle().readAfterAck());
    EXPECT_FALSE(b.respond.isActive());

    select(2);
    ASSERT_TRUE(config().setUnit());
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x01, 0x51, "0C 13 45 23 01 00")});
    EXPECT_EQ(b.link.words[0].serial, QStringLiteral("setting liters 1"));
    EXPECT_TRUE(ops.readCycle().readAfterAck());
}

TEST_F(ConfigurationTest, RelayCounterOfMoreThanEightDigitsIsRefused) {
    select(2);
    inputs.unit = QStringLiteral("Wh");
    inputs.constant = QStringLiteral("1");
    inputs.relay = true;
    inputs.relayCounter = QStringLiteral("123456789");
    EXPECT_FALSE(config().setUnit());
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_EQ(b.log.lines, QStringList{"Relay counter value has more than 8 digits, nothing sent..."});
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ConfigurationTest, ChangeIdThatIsNotDecimalIsAnException) {
    select(1);
    inputs.newId = QStringLiteral("0000004A");
    EXPECT_FALSE(config().changeId());
    EXPECT_TRUE(b.link.sent.isEmpty());
    ASSERT_EQ(b.log.lines.size(), 1);
    EXPECT_TRUE(b.log.lines[0].startsWith(QStringLiteral("Exception changing address - ")));
    EXPECT_FALSE(ops.readCycle().readAfterAck());
    EXPECT_FALSE(b.respond.isActive());
}

TEST_F(ConfigurationTest, SingleCommandWithoutSelectedMeterSendsNothingButWaitsOnePeriod) {
    b.table.setMarked(4, true);
    selectCell(b.table, 4, b.state);
    inputs.pulseWidth = QStringLiteral("20ms");
    EXPECT_FALSE(config().setPulseWidth());
    EXPECT_TRUE(b.link.sent.isEmpty());
    fire(b.respond);
    EXPECT_EQ(b.log.lines, QStringList{"No response from address 256"});
}

// Every refusal: its line, and nothing sent.
struct Refusal {
    const char* name;
    std::function<void(ConfigurationInputs&)> fill;
    bool (MeterConfiguration::*command)();
    QList<int> marks;
    const char* line; // nullptr: refused without a line
    bool opensChannel;
};

class RefusalTest : public ConfigurationTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, LogsItsLineAndSendsNothing) {
    const Refusal& refusal = GetParam();
    b.table.clearMarks();
    for (int row : refusal.marks) {
        b.table.setMarked(row, true);
    }
    if (!refusal.marks.isEmpty()) {
        selectCell(b.table, refusal.marks.front(), b.state);
    }
    refusal.fill(inputs);
    EXPECT_FALSE((config().*refusal.command)());
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_EQ(b.log.lines,
              refusal.line == nullptr ? QStringList{} : QStringList{QString::fromUtf8(refusal.line)});
    EXPECT_EQ(b.link.opens, refusal.opensChannel ? 1 : 0);
    EXPECT_EQ(b.link.closes, b.link.opens); // a channel opened for nothing is released
    EXPECT_FALSE(b.respond.isActive());
    EXPECT_FALSE(b.set.isActive());
}

const char* const kExactlyOne = "Nothing selected from the table or too many selected...";
const char* const kNothingSelected = "Nothing selected from the table...";

INSTANTIATE_TEST_SUITE_P(
    Configuration, RefusalTest,
    ::testing::Values(
        Refusal{
            "ResetNoMark", [](ConfigurationInputs&) {}, &MeterConfiguration::reset, {}, kExactlyOne, false},
        Refusal{"ResetTwoMarks",
                [](ConfigurationInputs&) {},
                &MeterConfiguration::reset,
                {1, 2},
                kExactlyOne,
                false},
        Refusal{"AddressTwoMarks",
                [](ConfigurationInputs& i) { i.newPrimaryAddress = 3; },
                &MeterConfiguration::setPrimaryAddress,
                {1, 3},
                kExactlyOne,
                false},
        Refusal{"Address250",
                [](ConfigurationInputs& i) { i.newPrimaryAddress = 250; },
                &MeterConfiguration::setPrimaryAddress,
                {1},
                "Incorrect primary address, must be under 250...",
                false},
        Refusal{"ChangeIdNoMark",
                [](ConfigurationInputs& i) { i.newId = "00000001"; },
                &MeterConfiguration::changeId,
                {},
                kExactlyOne,
                false},
        Refusal{"ChangeIdSevenCharacters",
                [](ConfigurationInputs& i) { i.newId = "0000001"; },
                &MeterConfiguration::changeId,
                {1},
                nullptr,
                false},
        Refusal{"MediumEmpty",
                [](ConfigurationInputs&) {},
                &MeterConfiguration::setMedium,
                {1},
                "Incomplete data entered to program medium ...",
                false},
        Refusal{"MediumNoMark",
                [](ConfigurationInputs& i) { i.medium = "Gas"; },
                &MeterConfiguration::setMedium,
                {},
                kNothingSelected,
                true},
        Refusal{"UnitUnknown",
                [](ConfigurationInputs& i) { i.unit = "m3"; },
                &MeterConfiguration::setUnit,
                {1},
                "Incorrect unit. Allowable units are l,Wh,kJ,N/A...",
                false},
        Refusal{"UnitNoMark",
                [](ConfigurationInputs& i) { i.unit = "Wh"; },
                &MeterConfiguration::setUnit,
                {},
                kNothingSelected,
                true},
        Refusal{"RelayWithoutConstant",
                [](ConfigurationInputs& i) {
                    i.unit = "l";
                    i.relay = true;
                },
                &MeterConfiguration::setUnit,
                {2},
                "Enter constant - 0.001,0.01,0.1,1,etc...",
                true},
        Refusal{"BaudUnknown",
                [](ConfigurationInputs& i) { i.baud = "19200"; },
                &MeterConfiguration::changeBaud,
                {1},
                "Wrong baud...",
                false},
        Refusal{"BaudNoMark",
                [](ConfigurationInputs& i) { i.baud = "300"; },
                &MeterConfiguration::changeBaud,
                {},
                kNothingSelected,
                true},
        Refusal{"PulseWidthEmpty",
                [](ConfigurationInputs&) {},
                &MeterConfiguration::setPulseWidth,
                {1},
                "Wrong pulse width...",
                false},
        Refusal{"PulseValueEmpty",
                [](ConfigurationInputs&) {},
                &MeterConfiguration::setPulseValue,
                {1},
                "Pulse value is not entered...",
                false},
        Refusal{"PulseValueNineDigits",
                [](ConfigurationInputs& i) { i.pulseValue = "123456789"; },
                &MeterConfiguration::setPulseValue,
                {1},
                "Pulse value must be a number of at most 8 digits...",
                false},
        Refusal{"PulseValueTwoMarks",
                [](ConfigurationInputs& i) { i.pulseValue = "10"; },
                &MeterConfiguration::setPulseValue,
                {1, 2},
                "Not or too much counters/inputs selected. Setting value is for one input at a time!",
                true},
        Refusal{"CounterTypeEmpty",
                [](ConfigurationInputs&) {},
                &MeterConfiguration::setCounterType,
                {1},
                "Nothing selected to do...",
                false},
        Refusal{"CounterTypeUnknown",
                [](ConfigurationInputs& i) { i.counterType = "Decremental"; },
                &MeterConfiguration::setCounterType,
                {1},
                "Not a proper selection from Combo box...",
                false},
        Refusal{"CounterTypeNoMark",
                [](ConfigurationInputs& i) { i.counterType = "Single ID for all"; },
                &MeterConfiguration::setCounterType,
                {},
                "Not or too much counters/inputs selected. Select only FIRST input of a counter!",
                true}),
    [](const ::testing::TestParamInfo<Refusal>& test) { return std::string(test.param.name); });

TEST_F(ConfigurationTest, ChannelNotReadyGivesUpSilently) {
    select(1);
    b.link.ready = false;
    inputs.baud = QStringLiteral("300");
    EXPECT_FALSE(config().changeBaud());
    EXPECT_TRUE(b.link.sent.isEmpty());
    EXPECT_TRUE(b.log.lines.isEmpty());
}

TEST_F(ConfigurationTest, BaudOverSeveralRowsRunsTheRowRunnerWithTheChosenCode) {
    b.settings.Retry = 0;
    b.table.setMarked(1, true);
    b.table.setMarked(3, true);
    inputs.baud = QStringLiteral("300");
    ASSERT_TRUE(config().changeBaud());
    EXPECT_EQ(b.state.TableOperation, 1);
    EXPECT_TRUE(b.set.isActive());
    EXPECT_EQ(b.link.sent, QStringList{"68 03 03 68 53 05 B8 10 16"});
    inputs.baud = QStringLiteral("4800"); // the code chosen at the press stays
    fire(b.set);
    EXPECT_EQ(b.link.sent.last(), QStringLiteral("68 03 03 68 53 09 B8 14 16"));
    fire(b.set);
    EXPECT_FALSE(b.set.isActive());
    EXPECT_EQ(b.state.TableOperation, 0);
}

TEST_F(ConfigurationTest, PulseWidthOverSeveralRows) {
    b.settings.Retry = 0;
    b.table.setMarked(2, true);
    b.table.setMarked(3, true);
    inputs.pulseWidth = QStringLiteral("50ms");
    ASSERT_TRUE(config().setPulseWidth());
    EXPECT_EQ(b.state.TableOperation, 2);
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x01, 0x51, "0F FD 0B 04 00 00 00 04")});
    fire(b.set);
    EXPECT_EQ(b.link.sent.last(), frame(0x53, 0x09, 0x51, "0F FD 0B 04 00 00 00 04"));
}

// Several marked meters: each gets exactly what the operator chose, nothing taken from empty boxes or from
// another row.
TEST_F(ConfigurationTest, SeveralMarkedMetersGetOnlyTheChosenSetting) {
    struct Case {
        const char* name;
        bool medium; // "Set medium" (else "Set unit")
        QList<int> marks;
        const char* boxMedium;
        QStringList frames; // in row order, Retry 0, every meter silent
    };
    // Rows: 1 water at 5, 2 relay at 1 (no medium), 3 heat meter at 9.
    const Case cases[] = {
        {"medium: the chosen medium, the ID left alone, on every row",
         true,
         {1, 2, 3},
         "Water",
         {frame(0x53, 0x05, 0x51, "07 79 FF FF FF FF FF FF FF 07"),
          frame(0x53, 0x01, 0x51, "07 79 FF FF FF FF FF FF FF 07"),
          frame(0x53, 0x09, 0x51, "07 79 FF FF FF FF FF FF FF 07")}},
        {"unit: each row keeps its own medium, the box only where the row names none",
         false,
         {1, 2, 3},
         "Gas",
         {frame(0x53, 0x05, 0x51, "0F 11 03 07 01 01"), frame(0x53, 0x01, 0x51, "0F 11 03 03 01 01"),
          frame(0x53, 0x09, 0x51, "0F 11 03 04 01 01")}},
    };
    for (const Case& c : cases) {
        test::Bench bench;
        bench.fillAddresses({"5", "1", "9", ""});
        bench.table.setCell(1, 5, QStringLiteral("Water"));
        bench.table.setCell(3, 5, QStringLiteral("Heat meter"));
        bench.settings.Retry = 0;
        bench.state.FocusedRow = 3; // the focused heat meter lends nothing to the others
        for (int row : c.marks) {
            bench.table.setMarked(row, true);
        }
        ConfigurationInputs chosen;
        chosen.medium = QString::fromLatin1(c.boxMedium);
        chosen.unit = QStringLiteral("l");
        chosen.constant = QStringLiteral("0.01");
        MeterConfiguration& configuration = bench.ops.configuration();
        configuration.setInputs([chosen] { return chosen; });
        ASSERT_TRUE(c.medium ? configuration.setMedium() : configuration.setUnit()) << c.name;
        for (int tick = 0; tick < 10 && bench.ops.rowRunner().running(); ++tick) {
            fire(bench.set);
        }
        EXPECT_EQ(bench.link.sent, c.frames) << c.name;
    }
}

TEST_F(ConfigurationTest, ARetriedRowGetsItsOwnFrameAgain) {
    b.settings.Retry = 1;
    b.table.setMarked(1, true);
    b.table.setMarked(3, true);
    inputs.medium = QStringLiteral("Heat meter");
    ASSERT_TRUE(config().setMedium());
    EXPECT_EQ(b.state.TableOperation, 3);
    const QString first = frame(0x53, 0x05, 0x51, "07 79 FF FF FF FF FF FF FF 04");
    EXPECT_EQ(b.link.sent, QStringList{first});
    fire(b.set); // silence: the same row again
    EXPECT_EQ(b.link.sent.last(), first);
    fire(b.set); // retries used up: the next row
    EXPECT_EQ(b.link.sent.last(), frame(0x53, 0x09, 0x51, "07 79 FF FF FF FF FF FF FF 04"));
}

TEST_F(ConfigurationTest, FirstMarkedRowWithoutAddressIsPassedOver) {
    b.settings.Retry = 0;
    b.table.setMarked(4, true); // empty row: no address
    b.table.setMarked(1, true);
    b.table.setMarked(3, true);
    b.table.setCell(1, 1, QString());
    inputs.medium = QStringLiteral("Gas");
    ASSERT_TRUE(config().setMedium());
    EXPECT_TRUE(b.link.sent.isEmpty());
    fire(b.set);
    EXPECT_EQ(b.link.sent, QStringList{frame(0x53, 0x09, 0x51, "07 79 FF FF FF FF FF FF FF 03")});
}

} // namespace
} // namespace holvex
