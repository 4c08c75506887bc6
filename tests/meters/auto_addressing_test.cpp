#include "meters/ops/auto_addressing.h"

#include "fake_link.h"
#include "meters/ops/meter_configuration.h"
#include "meters/ops/meter_operations.h"
#include "meters/table/meter_table.h"

#include <QMetaObject>

#include <gtest/gtest.h>

namespace holvex {
namespace {

using test::ack;
using test::meterTelegram;

constexpr int kSelected = 0xFD;

void fire(QTimer& timer) {
    ASSERT_TRUE(QMetaObject::invokeMethod(&timer, "timeout"));
}

// The set-primary-address frame to the selected meter, as the fake channel records it.
QString addressWrite(int address) {
    return codec::spacedHex(codec::longFrame(0x73, kSelected, 0x51,
                                             test::hex("01 7A") + QByteArray(1, static_cast<char>(address))))
        .trimmed();
}

class AutoAddressingTest : public ::testing::Test {
protected:
    AutoAddressingTest() {
        // After a scan with three meters: rows 1..3 filled, row 4 empty; the operator clicked row 1.
        b.fillAddresses({"1", "2", "3", ""});
        b.table.setCell(1, 0, QStringLiteral("11111111"));
        b.table.setCell(2, 0, QStringLiteral("22222222"));
        b.table.setCell(3, 0, QStringLiteral("33333333"));
        b.table.setMarked(1, true);
        selectCell(b.table, 1, b.state);
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
    void answer(const QList<std::pair<const char*, int>>& meters) {
        for (const auto& [id, address] : meters) {
            b.link.otherAnswers.push_back(ack());
            b.link.otherAnswers.push_back(ack());
            b.link.answerRead(kSelected, meterTelegram(address, id));
        }
    }

    // Ticks whichever of Timer_secondary and Timer_auto_address runs.
    void runToEnd() {
        for (int ticks = 0; ticks < 100 && (b.secondary.isActive() || b.autoAddress.isActive()); ++ticks) {
            fire(b.secondary.isActive() ? b.secondary : b.autoAddress);
        }
    }

    QStringList addressWrites() const {
        QStringList writes;
        for (const QString& frame : b.link.sent) {
            if (frame.startsWith(QStringLiteral("68 06 06 68 73 FD"))) {
                writes.append(frame);
            }
        }
        return writes;
    }

    test::Bench b;
    MeterOperations& ops = b.ops;
    QList<int> chosen;
    bool confirm = true;
    int started = 0;
    int finished = 0;
};

TEST_F(AutoAddressingTest, ThreeMetersFromTenGetTenElevenTwelve) {
    answer({{"11 11 11 11", 10}, {"22 22 22 22", 11}, {"33 33 33 33", 12}});
    b.context.inputs.broadcast = true;
    ops.autoAddressing().press(10);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(b.context.inputs.broadcast);
    EXPECT_TRUE(ops.autoAddressing().running());
    EXPECT_TRUE(ops.busy());
    runToEnd();
    EXPECT_EQ(chosen, (QList<int>{10, 11, 12}));
    EXPECT_EQ(addressWrites(), (QStringList{addressWrite(10), addressWrite(11), addressWrite(12)}));
    EXPECT_EQ(b.table.cell(1, 1), QStringLiteral("10"));
    EXPECT_EQ(b.table.cell(2, 1), QStringLiteral("11"));
    EXPECT_EQ(b.table.cell(3, 1), QStringLiteral("12"));
    EXPECT_EQ(b.table.gridRowCount(), 5); // updated in place by ID
    EXPECT_EQ(b.log.plain().last(), QStringLiteral("Auto addressing has finished..."));
    EXPECT_EQ(b.waits, (QList<int>{200, 200, 200}));
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(ops.busy());
}

TEST_F(AutoAddressingTest, FromTwoFortyEightAbortsAtTheLimit) {
    answer({{"11 11 11 11", 248}, {"22 22 22 22", 249}});
    ops.autoAddressing().press(248);
    runToEnd();
    EXPECT_EQ(addressWrites(), (QStringList{addressWrite(248), addressWrite(249)}));
    EXPECT_EQ(b.log.plain().last(), QStringLiteral("Primary address can not be above 249, aborting..."));
    EXPECT_FALSE(b.log.has(QStringLiteral("Auto addressing has finished...")));
    EXPECT_EQ(b.table.cell(3, 1), QStringLiteral("3"));
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(b.state.AutoAddressRunning);
}

TEST_F(AutoAddressingTest, RowWithoutIdIsSkippedAndItsNumberUsedUp) {
    b.table.setCell(2, 0, QString());
    answer({{"11 11 11 11", 10}, {"33 33 33 33", 12}});
    ops.autoAddressing().press(10);
    runToEnd();
    EXPECT_EQ(addressWrites(), (QStringList{addressWrite(10), addressWrite(12)}));
    int selections = 0;
    for (const QString& frame : b.link.sent) {
        selections += frame.startsWith(QStringLiteral("68 0B 0B 68 53 FD 52")) ? 1 : 0;
    }
    EXPECT_EQ(selections, 2);
    EXPECT_TRUE(b.log.has(QStringLiteral("Auto addressing has finished...")));
}

TEST_F(AutoAddressingTest, SilentMeterIsPassedOver) {
    b.link.otherAnswers = {}; // row 1 does not answer its selection
    ops.autoAddressing().press(10);
    fire(b.secondary);
    EXPECT_TRUE(b.log.has(QStringLiteral("No response from device 11111111")));
    EXPECT_TRUE(b.autoAddress.isActive());
    answer({{"22 22 22 22", 11}, {"33 33 33 33", 12}});
    runToEnd();
    EXPECT_EQ(addressWrites(), (QStringList{addressWrite(11), addressWrite(12)}));
}

TEST_F(AutoAddressingTest, MetersSharingAnAddressAreEachReachedByTheirOwnId) {
    for (int row = 1; row <= 3; ++row) {
        b.table.setCell(row, 1, QStringLiteral("0"));
    }
    answer({{"11 11 11 11", 10}, {"22 22 22 22", 11}, {"33 33 33 33", 12}});
    ops.autoAddressing().press(10);
    runToEnd();
    QStringList selections;
    for (const QString& frame : b.link.sent) {
        if (frame.startsWith(QStringLiteral("68 0B 0B 68 53 FD 52"))) {
            selections.append(frame.mid(21, 11));
        }
    }
    EXPECT_EQ(selections, (QStringList{"11 11 11 11", "22 22 22 22", "33 33 33 33"}));
    EXPECT_EQ(b.table.cell(1, 1), QStringLiteral("10"));
    EXPECT_EQ(b.table.cell(3, 1), QStringLiteral("12"));
}

TEST_F(AutoAddressingTest, PressingAgainStopsTheRunAtOnce) {
    answer({{"11 11 11 11", 10}});
    ops.autoAddressing().press(10);
    fire(b.secondary); // the selection acknowledged: the address write is out
    ops.autoAddressing().press(10);
    EXPECT_FALSE(b.secondary.isActive());
    EXPECT_FALSE(b.autoAddress.isActive());
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_FALSE(b.state.AddressWritePending);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(started, 1); // no new run, no question
    EXPECT_FALSE(ops.busy());
}

TEST_F(AutoAddressingTest, PressingDuringThePauseAfterAMeterEndsTheRun) {
    answer({{"11 11 11 11", 10}});
    b.context.waitProcessingEvents = [this](int) {
        ops.autoAddressing().press(10);
    };
    ops.autoAddressing().press(10);
    runToEnd();
    EXPECT_EQ(addressWrites(), QStringList{addressWrite(10)});
    EXPECT_EQ(finished, 1);
}

TEST_F(AutoAddressingTest, OneRowTableHasNothingToAddress) {
    b.table.setRowCount(2);
    ops.autoAddressing().press(10);
    EXPECT_EQ(b.log.lines, QStringList{"Nothing to auto address..."});
    EXPECT_EQ(started, 0);
    EXPECT_TRUE(b.link.sent.isEmpty());
}

TEST_F(AutoAddressingTest, AnswerOtherThanYesStartsNothing) {
    confirm = false;
    ops.autoAddressing().press(10);
    EXPECT_EQ(started, 0);
    EXPECT_FALSE(b.state.AutoAddressRunning);
    EXPECT_TRUE(b.link.sent.isEmpty());
}

TEST_F(AutoAddressingTest, WithoutASingleMarkTheRunWaitsUntilStopped) {
    b.table.setMarked(2, true);
    ops.autoAddressing().press(10);
    EXPECT_EQ(b.log.lines, QStringList{"Nothing selected from the table or too many selected..."});
    EXPECT_TRUE(ops.autoAddressing().running());
    EXPECT_FALSE(b.secondary.isActive());
    EXPECT_FALSE(b.autoAddress.isActive());
    ops.autoAddressing().press(10);
    EXPECT_FALSE(ops.autoAddressing().running());
    EXPECT_EQ(finished, 1);
}

TEST_F(AutoAddressingTest, StopWorksAfterTheTableWasCleared) {
    b.table.setMarked(2, true); // the run waits
    ops.autoAddressing().press(10);
    clearMeterTable(b.table);
    ops.autoAddressing().press(10);
    EXPECT_FALSE(ops.autoAddressing().running());
    EXPECT_FALSE(b.log.has(QStringLiteral("Nothing to auto address...")));
}

} // namespace
} // namespace holvex
