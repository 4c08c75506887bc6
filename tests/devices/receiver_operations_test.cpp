// The receiver's programming run and acquisition over the fake link, ticked by hand: the lines of every
// option, row checks, the key box's part in the run, telegrams split over ticks and the switch lines.
#include "devices/receiver/receiver_operations.h"
#include "devices/receiver/receiver_table.h"

#include "../meters/fake_link.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace holvex::receiver {
namespace {

struct Row {
    QString id;
    QString address;
    QString medium;
    bool ticked = true;
};

class ReceiverOperationsTest : public ::testing::Test {
protected:
    void setRows(const std::vector<Row>& rows) {
        clearReceiverTable(table);
        QList<QStringList> cells;
        for (const Row& row : rows) {
            QStringList line(kReceiverColumns, QString());
            line[kReceiverIdColumn] = row.id;
            line[kReceiverAddressColumn] = row.address;
            line[kReceiverMediumColumn] = row.medium;
            cells.append(line);
        }
        table.setRows(1, cells);
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            table.setMarked(r + 1, rows[static_cast<std::size_t>(r)].ticked);
        }
    }

    int runToEnd(int limit = 100) {
        int ticks = 0;
        while (programmer.running() && ticks < limit) {
            programmer.tick();
            ++ticks;
        }
        return ticks;
    }

    // The lines as the log would show them: raw key bytes as hex.
    QStringList sentLines() const {
        QStringList lines;
        for (const QString& line : b.link.lines) {
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            const bool keyLine =
                line.startsWith(QStringLiteral("set encr=")) || line.startsWith(QStringLiteral("set akey="));
            lines.append(keyLine ? line.left(comma + 1) +
                                       QString::fromLatin1(line.mid(comma + 1).toLatin1().toHex())
                                 : line);
        }
        return lines;
    }

    test::Bench b;
    ReceiverOperations& receiver = b.bus.receiver();
    ReceiverProgrammer& programmer = receiver.programmer();
    RadioAcquisition& acquisition = receiver.acquisition();
    StringGridModel& table = receiver.table();
};

struct ProgramCase {
    const char* name;
    std::vector<ProgramOption> options;
    std::vector<Row> rows;
    int retries;
    std::deque<QByteArray> answers;
    QStringList lines;
    QStringList log; // answers left out
};

TEST_F(ReceiverOperationsTest, EveryOptionSendsItsLinesAndLogsItsChecks) {
    const std::vector<ProgramCase> cases{
        {"delete with wrong and missing addresses; an unticked row is left alone",
         {ProgramOption::Delete},
         {{"1", "", ""}, {"2", "464", ""}, {"3", "0", ""}, {"4", "7", ""}, {"5", "8", "", false}},
         0,
         {},
         {"del entr=7"},
         {"Error in Primary device address at row 1", "Error in Primary device address at row 2, skipping",
          "Error in Primary device address at row 3, skipping", "Deleting device 7..."}},
        {"activation then unit, answered at once and after one busy answer",
         {ProgramOption::Activate, ProgramOption::SaveUnit},
         {{"123", "3", "Heat"}, {"21034601", "4", "Cold water"}},
         2,
         {"Done!\n", "Busy\n", "Entry 4 already active\n"},
         {"set entr=3,00000123", "set entr=4,21034601", "set entr=4,21034601", "set unit=3,12",
          "set unit=4,16"},
         {"Activating device 3/00000123...", "Activating device 4/21034601...",
          "Activating device 4/21034601...", "Setting unit of device 3...", "Setting unit of device 4..."}},
        {"an activation without ID is retried, then the run moves on",
         {ProgramOption::Activate},
         {{"", "5", ""}, {"7", "6", ""}},
         1,
         {},
         {"set entr=6,00000007", "set entr=6,00000007"},
         {"Error in device ID on row 1", "Error in device ID on row 1", "Activating device 6/00000007...",
          "Activating device 6/00000007..."}},
    };
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(c.name);
        b.link.lines.clear();
        b.log.lines.clear();
        b.link.lineAnswers = c.answers;
        b.settings.Retry = c.retries;
        setRows(c.rows);
        ProgramOptions options;
        for (const ProgramOption option : c.options) {
            options.setTicked(option, true);
        }
        programmer.setOptions(options);
        ASSERT_TRUE(programmer.start());
        EXPECT_EQ(b.progress.maximum, static_cast<int>(c.options.size() * c.rows.size()));
        EXPECT_LT(runToEnd(), 100);
        EXPECT_EQ(b.link.lines, c.lines);
        QStringList own;
        for (const QString& line : b.log.lines) {
            if (std::find(c.answers.begin(), c.answers.end(), line.toLatin1()) == c.answers.end()) {
                own.append(line);
            }
        }
        EXPECT_EQ(own, c.log);
        EXPECT_FALSE(b.state.ReceiverProgramRunning);
        EXPECT_EQ(b.state.ReceiverRow, 1);
        EXPECT_FALSE(b.progress.shown);
    }
    // Activation wrote the 8-character ID back.
    EXPECT_EQ(table.cell(2, kReceiverIdColumn), QStringLiteral("00000007"));
}

TEST_F(ReceiverOperationsTest, TheKeyPassClearsOneKeyAllAndDeleteExcludesTheOthers) {
    ProgramOptions options;
    options.setTicked(ProgramOption::Activate, true);
    options.setTicked(ProgramOption::SaveKey, true);
    options.setTicked(ProgramOption::Delete, true);
    EXPECT_EQ(options.tickedCount(), 1);
    options.setTicked(ProgramOption::SaveUnit, true);
    EXPECT_FALSE(options.isTicked(ProgramOption::Delete));
    EXPECT_EQ(options.first(), ProgramOption::SaveUnit);

    setRows({{"1234ABCD", "4", ""}, {"00000009", "451", ""}});
    KeyBoxState key;
    key.text = QStringLiteral("000102030405060708090A0B0C0D0E0F");
    key.targets = {true, true, true};
    programmer.setKeyBox(key);
    ProgramOptions keyOnly;
    keyOnly.setTicked(ProgramOption::SaveKey, true);
    programmer.setOptions(keyOnly);
    QSignalSpy rows(&programmer, &ReceiverProgrammer::currentRowChanged);
    ASSERT_TRUE(programmer.start());
    runToEnd();
    EXPECT_FALSE(programmer.keyBox().targets.oneKeyAll);
    EXPECT_EQ(rows.count(), 2);
    EXPECT_EQ(sentLines(), (QStringList{"set encr=4,000102030405060708090a0b0c0d0e0f",
                                        "set akey=1234ABCD,000102030405060708090a0b0c0d0e0f"}));
    EXPECT_TRUE(b.log.has(QStringLiteral("Setting encryption key of 1234ABCD")));
    EXPECT_EQ(b.waits, QList<int>{ReceiverCommandSender::kLineGapMs}) << "the two key lines go out apart";
    // 451 is an address of the run, but not one a key can be stored under.
    EXPECT_TRUE(b.log.has(QStringLiteral("Max primary address for AES-128 key is 450")));

    // Nothing starts with an empty table or without an option.
    EXPECT_FALSE(programmer.start());
    setRows({{"", "", ""}});
    programmer.setOptions(keyOnly);
    EXPECT_FALSE(programmer.start());
}

TEST_F(ReceiverOperationsTest, AcquisitionKeepsASplitTelegramForTheNextTick) {
    const QByteArray telegram = test::hex("68 0E 44 93 15 78 56 34 12 33 07 7A 2A 00 00 00 16");
    acquisition.setUpToV301f(true);
    ASSERT_TRUE(acquisition.start());
    EXPECT_EQ(b.waits, (QList<int>{RadioAcquisition::kSwitchRepeatMs}));
    EXPECT_EQ(b.link.lines, (QStringList{"set rtra=1", "set rtra=1"}));

    const int discards = b.link.inputDiscards;
    b.link.pending = QByteArrayLiteral("Done!\n");
    acquisition.tick();
    EXPECT_EQ(b.link.inputDiscards, discards + 1);
    EXPECT_EQ(table.cell(1, kReceiverIdColumn), QString());

    b.link.pending = telegram.left(9);
    acquisition.tick();
    EXPECT_EQ(table.cell(1, kReceiverIdColumn), QString()) << "the end byte has not come yet";
    b.link.pending = telegram.mid(9) + telegram.left(4);
    acquisition.tick();
    EXPECT_EQ(table.cell(1, kReceiverIdColumn), QStringLiteral("12345678"));
    EXPECT_TRUE(b.log.has(QStringLiteral("68 0E 44 93 15 78 56 34 12 33 07 7A 2A 00 00 00 16 ")) ||
                b.log.has(QStringLiteral("68 0E 44 93 15 78 56 34 12 33 07 7A 2A 00 00 00 16")));
    b.link.pending = telegram.mid(4);
    acquisition.tick();
    EXPECT_EQ(table.dataRowCount(), 2) << "the second telegram started in the tick before";

    acquisition.stop();
    EXPECT_FALSE(acquisition.running());
    EXPECT_EQ(b.link.lines.mid(2), (QStringList{"set rtra=0", "set rtra=0"}));
    EXPECT_EQ(b.waits, (QList<int>{RadioAcquisition::kSwitchRepeatMs, RadioAcquisition::kSwitchRepeatMs,
                                   RadioAcquisition::kLineOutMs}));
}

} // namespace
} // namespace holvex::receiver
