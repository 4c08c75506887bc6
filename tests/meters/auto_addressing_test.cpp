#include "meters/ops/auto_addressing.h"

#include "fake_channel.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/meter_table.h"

#include <QMetaObject>

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::Ack;
using test::MeterTelegram;

constexpr int kSelected = 0xFD;

void Fire(QTimer& timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout"));
}

// The set-primary-address frame to the selected meter, as the fake channel records it.
QString AddressWrite(int address) {
    return codec::SpacedHex(codec::LongFrame(0x73, kSelected, 0x51,
                                             test::Hex("01 7A") + QByteArray(1, static_cast<char>(address))))
        .trimmed();
}

class AutoAddressingTest : public ::testing::Test {
protected:
    AutoAddressingTest() {
        // After a scan with three meters: rows 1..3 filled, row 4 empty; the operator clicked row 1.
        b.FillAddresses({"1", "2", "3", ""});
        b.table.SetCell(1, 0, QStringLiteral("11111111"));
        b.table.SetCell(2, 0, QStringLiteral("22222222"));
        b.table.SetCell(3, 0, QStringLiteral("33333333"));
        b.table.SetMarked(1, true);
        SelectCell(b.table, 1, b.state);
        ops.configuration().setInputs([this] {
            ConfigurationInputs inputs;
            inputs.newPrimaryAddress = chosen.isEmpty() ? 1 : chosen.last();
            return inputs;
        });
        auto& addressing = ops.autoAddressing();
        addressing.setConfirm([this] { return confirm; });
        QObject::connect(&addressing, &AutoAddressing::newAddressChosen, [this](int n) { chosen.append(n); });
        QObject::connect(&addressing, &AutoAddressing::runStarted, [this] { ++started; });
        QObject::connect(&addressing, &AutoAddressing::runFinished, [this] { ++finished; });
    }

    // Each listed meter acknowledges its selection and its address write and answers the read-back with its
    // ID and new address.
    void Answer(const QList<std::pair<const char*, int>>& meters) {
        for (const auto& [id, address] : meters) {
            b.channel.otherAnswers.push_back(Ack());
            b.channel.otherAnswers.push_back(Ack());
            b.channel.AnswerRead(kSelected, MeterTelegram(address, id));
        }
    }

    // Ticks whichever of Timer_secondary and Timer_auto_address runs.
    void RunToEnd() {
        for (int ticks = 0; ticks < 100 && (b.secondary.isActive() || b.autoAddress.isActive()); ++ticks) {
            Fire(b.secondary.isActive() ? b.secondary : b.autoAddress);
        }
    }

    QStringList AddressWrites() const {
        QStringList writes;
        for (const QString& frame : b.channel.sent) {
            if (frame.startsWith(QStringLiteral("68 06 06 68 73 FD"))) {
                writes.append(frame);
            }
        }
        return writes;
    }

    test::Bench b;
    MeterOperations ops{b.context,
                        BusTimers{b.respond, b.readAll, b.secondary, b.set, b.freeCommand, b.autoAddress}};
    QList<int> chosen;
    bool confirm = true;
    int started = 0;
    int finished = 0;
};

TEST_F(AutoAddressingTest, ThreeMetersFromTenGetTenElevenTwelve) {
    Answer({{"11 11 11 11", 10}, {"22 22 22 22", 11}, {"33 33 33 33", 12}});
    b.context.inputs.broadcast = true;
    ops.autoAddressing().Press(10);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(b.context.inputs.broadcast);
    EXPECT_TRUE(ops.autoAddressing().Running());
    EXPECT_TRUE(ops.Busy());
    RunToEnd();
    EXPECT_EQ(chosen, (QList<int>{10, 11, 12}));
    EXPECT_EQ(AddressWrites(), (QStringList{AddressWrite(10), AddressWrite(11), AddressWrite(12)}));
    EXPECT_EQ(b.table.Cell(1, 1), QStringLiteral("10"));
    EXPECT_EQ(b.table.Cell(2, 1), QStringLiteral("11"));
    EXPECT_EQ(b.table.Cell(3, 1), QStringLiteral("12"));
    EXPECT_EQ(b.table.RowCount(), 5); // updated in place by ID
    EXPECT_EQ(b.log.Plain().last(), QStringLiteral("Auto addressing has finished..."));
    EXPECT_EQ(b.waits, (QList<int>{200, 200, 200}));
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(ops.Busy());
}

TEST_F(AutoAddressingTest, FromTwoFortyEightAbortsAtTheLimit) {
    Answer({{"11 11 11 11", 248}, {"22 22 22 22", 249}});
    ops.autoAddressing().Press(248);
    RunToEnd();
    EXPECT_EQ(AddressWrites(), (QStringList{AddressWrite(248), AddressWrite(249)}));
    EXPECT_EQ(b.log.Plain().last(), QStringLiteral("Primary address can not be above 249, aborting..."));
    EXPECT_FALSE(b.log.Has(QStringLiteral("Auto addressing has finished...")));
    EXPECT_EQ(b.table.Cell(3, 1), QStringLiteral("3"));
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(b.state.AutoAddressRunning);
}

TEST_F(AutoAddressingTest, RowWithoutIdIsSkippedAndItsNumberUsedUp) {
    b.table.SetCell(2, 0, QString());
    Answer({{"11 11 11 11", 10}, {"33 33 33 33", 12}});
    ops.autoAddressing().Press(10);
    RunToEnd();
    EXPECT_EQ(AddressWrites(), (QStringList{AddressWrite(10), AddressWrite(12)}));
    int selections = 0;
    for (const QString& frame : b.channel.sent) {
        selections += frame.startsWith(QStringLiteral("68 0B 0B 68 53 FD 52")) ? 1 : 0;
    }
    EXPECT_EQ(selections, 2);
    EXPECT_TRUE(b.log.Has(QStringLiteral("Auto addressing has finished...")));
}

TEST_F(AutoAddressingTest, SilentMeterIsPassedOver) {
    b.channel.otherAnswers = {}; // row 1 does not answer its selection
    ops.autoAddressing().Press(10);
    Fire(b.secondary);
    EXPECT_TRUE(b.log.Has(QStringLiteral("No response from device 11111111")));
    EXPECT_TRUE(b.autoAddress.isActive());
    Answer({{"22 22 22 22", 11}, {"33 33 33 33", 12}});
    RunToEnd();
    EXPECT_EQ(AddressWrites(), (QStringList{AddressWrite(11), AddressWrite(12)}));
}

TEST_F(AutoAddressingTest, MetersSharingAnAddressAreEachReachedByTheirOwnId) {
    for (int row = 1; row <= 3; ++row) {
        b.table.SetCell(row, 1, QStringLiteral("0"));
    }
    Answer({{"11 11 11 11", 10}, {"22 22 22 22", 11}, {"33 33 33 33", 12}});
    ops.autoAddressing().Press(10);
    RunToEnd();
    QStringList selections;
    for (const QString& frame : b.channel.sent) {
        if (frame.startsWith(QStringLiteral("68 0B 0B 68 53 FD 52"))) {
            selections.append(frame.mid(21, 11));
        }
    }
    EXPECT_EQ(selections, (QStringList{"11 11 11 11", "22 22 22 22", "33 33 33 33"}));
    EXPECT_EQ(b.table.Cell(1, 1), QStringLiteral("10"));
    EXPECT_EQ(b.table.Cell(3, 1), QStringLiteral("12"));
}

TEST_F(AutoAddressingTest, PressingAgainStopsTheRunAtOnce) {
    Answer({{"11 11 11 11", 10}});
    ops.autoAddressing().Press(10);
    Fire(b.secondary); // the selection acknowledged: the address write is out
    ops.autoAddressing().Press(10);
    EXPECT_FALSE(b.secondary.isActive());
    EXPECT_FALSE(b.autoAddress.isActive());
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_FALSE(b.state.AddressWritePending);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(started, 1); // no new run, no question
    EXPECT_FALSE(ops.Busy());
}

TEST_F(AutoAddressingTest, PressingDuringThePauseAfterAMeterEndsTheRun) {
    Answer({{"11 11 11 11", 10}});
    b.context.waitProcessingEvents = [this](int) {
        ops.autoAddressing().Press(10);
    };
    ops.autoAddressing().Press(10);
    RunToEnd();
    EXPECT_EQ(AddressWrites(), QStringList{AddressWrite(10)});
    EXPECT_EQ(finished, 1);
}

TEST_F(AutoAddressingTest, OneRowTableHasNothingToAddress) {
    b.table.SetRowCount(2);
    ops.autoAddressing().Press(10);
    EXPECT_EQ(b.log.lines, QStringList{"Nothing to auto address..."});
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(b.channel.sent.isEmpty());
}

TEST_F(AutoAddressingTest, AnswerOtherThanYesStartsNothing) {
    confirm = false;
    ops.autoAddressing().Press(10);
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_TRUE(b.channel.sent.isEmpty());
}

TEST_F(AutoAddressingTest, WithoutASingleMarkTheRunWaitsUntilStopped) {
    b.table.SetMarked(2, true);
    ops.autoAddressing().Press(10);
    EXPECT_EQ(b.log.lines, QStringList{"Nothing selected from the table or too many selected..."});
    EXPECT_TRUE(ops.autoAddressing().Running());
    EXPECT_FALSE(b.secondary.isActive());
    EXPECT_FALSE(b.autoAddress.isActive());
    ops.autoAddressing().Press(10);
    EXPECT_FALSE(ops.autoAddressing().Running());
    EXPECT_EQ(finished, 1);
}

TEST_F(AutoAddressingTest, StopWorksAfterTheTableWasCleared) {
    b.table.SetMarked(2, true); // the run waits
    ops.autoAddressing().Press(10);
    ClearMeterTable(b.table);
    ops.autoAddressing().Press(10);
    EXPECT_FALSE(ops.autoAddressing().Running());
    EXPECT_FALSE(b.log.Has(QStringLiteral("Nothing to auto address...")));
}

} // namespace
} // namespace holvex
