#include "devices/display/display_columns.h"
#include "devices/display/display_commands.h"
#include "devices/display/display_lines.h"
#include "devices/display/display_options.h"

#include "../mbus/qstring_print.h"

#include <gtest/gtest.h>

namespace holvex::display {
namespace {

QString q(const char* text) {
    return QString::fromUtf8(text);
}

// A display row with the given cells in the columns the lines read.
QStringList rowWith(std::initializer_list<std::pair<int, const char*>> cells) {
    QStringList row(kDisplayColumnCount, QString());
    for (const auto& [column, text] : cells) {
        row[column] = q(text);
    }
    return row;
}

struct AddressCase {
    const char* cell;
    bool valid;
    const char* log;
};

TEST(DisplayLines, TheAddressCellIsCheckedBeforeTheRowIsSent) {
    const AddressCase cases[] = {
        {"1", true, ""},
        {"250", true, ""},
        {"007", true, ""},
        {"", false, "Error in device address at row 12"},
        {"0", false, "Error in device address at row 12, skipping"},
        {"251", false, "Error in device address at row 12, skipping"},
        {"12a", false, "Error in device address at row 12, skipping"},
        {"-1", false, "Error in device address at row 12, skipping"},
        {" 5", false, "Error in device address at row 12, skipping"},
        {"99999999999999999999", false, "Error in device address at row 12, skipping"},
    };
    for (const AddressCase& c : cases) {
        const DisplayAddress address = checkDisplayAddress(q(c.cell), 12);
        EXPECT_EQ(address.valid, c.valid) << c.cell;
        EXPECT_EQ(address.logLine, q(c.log)) << c.cell;
        EXPECT_EQ(address.text, q(c.cell)) << "the address goes out as typed";
    }
}

struct SplitCase {
    const char* cell;
    const char* multiplier;
    const char* divider;
};

TEST(DisplayLines, MultDivSplitsIntoMultiplierAndDivider) {
    const SplitCase cases[] = {
        {"10/1", "10", "1"}, {"/", "1", "1"},  {"25", "25", "1"},     {"10/", "10", "1"},
        {"", "1", "1"},      {"/7", "1", "7"}, {"3/4/5", "3", "4/5"}, {"//", "1", "/"},
    };
    for (const SplitCase& c : cases) {
        const MultDiv split = splitMultDiv(q(c.cell));
        EXPECT_EQ(split.multiplier, q(c.multiplier)) << c.cell;
        EXPECT_EQ(split.divider, q(c.divider)) << c.cell;
    }
}

struct RowCase {
    const char* what;
    DisplayOption option;
    QStringList cells;
    const char* line; // "" when nothing is sent
    const char* log;
    QStringList checks;
};

TEST(DisplayLines, EveryOptionBuildsItsLineForARow) {
    const QString sixty = QString(50, u'a') + QString(10, u'b');
    const QByteArray firstFifty = "SET TEXT=5," + QByteArray(50, 'a');
    const RowCase cases[] = {
        {"activate", DisplayOption::Activate, {}, "SET ENTR=5", "Activating device 5...", {}},
        {"unit m3",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "m3"}}),
         "SET UNIT=5,2",
         "Setting unit of device 5...",
         {}},
        {"unit m3 blank",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "m3 "}}),
         "SET UNIT=5,2",
         "Setting unit of device 5...",
         {}},
        {"unit kWh",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "kWh"}}),
         "SET UNIT=5,1",
         "Setting unit of device 5...",
         {}},
        {"unit kJ",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "kJ"}}),
         "SET UNIT=5,3",
         "Setting unit of device 5...",
         {}},
        {"unit MJ",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "MJ"}}),
         "SET UNIT=5,4",
         "Setting unit of device 5...",
         {}},
        {"unit empty", DisplayOption::Units, rowWith({}), "SET UNIT=5,", "Setting unit of device 5...", {}},
        {"unit M3",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "M3"}}),
         "",
         "",
         {q("Skipping unit of device 5...wrong")}},
        {"unit kwh",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "kwh"}}),
         "",
         "",
         {q("Skipping unit of device 5...wrong")}},
        {"unit two blanks",
         DisplayOption::Units,
         rowWith({{kDisplayUnitColumn, "m3  "}}),
         "",
         "",
         {q("Skipping unit of device 5...wrong")}},
        {"multiplier",
         DisplayOption::Multiplier,
         rowWith({{kDisplayMultDivColumn, "10/1"}}),
         "SET CONM=5,10",
         "Setting multiplier of device 5...",
         {}},
        {"multiplier empty cell",
         DisplayOption::Multiplier,
         rowWith({}),
         "SET CONM=5,1",
         "Setting multiplier of device 5...",
         {}},
        {"multiplier too long",
         DisplayOption::Multiplier,
         rowWith({{kDisplayMultDivColumn, "12345/1"}}),
         "",
         "",
         {q("Skipping multiplier of device 5...wrong")}},
        {"divider",
         DisplayOption::Divider,
         rowWith({{kDisplayMultDivColumn, "1/1000"}}),
         "SET COND=5,1000",
         "Setting divider of device 5...",
         {}},
        {"divider of 3/4/5",
         DisplayOption::Divider,
         rowWith({{kDisplayMultDivColumn, "3/4/5"}}),
         "SET COND=5,4/5",
         "Setting divider of device 5...",
         {}},
        {"divider too long",
         DisplayOption::Divider,
         rowWith({{kDisplayMultDivColumn, "1/10000"}}),
         "",
         "",
         {q("Skipping divider of device 5...wrong")}},
        {"initial comma",
         DisplayOption::InitialValue,
         rowWith({{kDisplayStartColumn, "12,5"}}),
         "SET INIT=5,12.5",
         "Setting initial value of device 5...",
         {}},
        {"initial commas",
         DisplayOption::InitialValue,
         rowWith({{kDisplayStartColumn, "1,2,3"}}),
         "SET INIT=5,0",
         "Setting initial value of device 5...",
         {q("Error in initial value of device 5, setting to 0")}},
        {"initial point",
         DisplayOption::InitialValue,
         rowWith({{kDisplayStartColumn, "7.25"}}),
         "SET INIT=5,7.25",
         "Setting initial value of device 5...",
         {}},
        {"initial empty",
         DisplayOption::InitialValue,
         rowWith({}),
         "SET INIT=5,0",
         "Setting initial value of device 5...",
         {}},
        {"user number",
         DisplayOption::UserNumber,
         rowWith({{kDisplayUserNumberColumn, "9999"}}),
         "SET NUMB=5,9999",
         "Setting user number of device 5...",
         {}},
        {"user number empty",
         DisplayOption::UserNumber,
         rowWith({}),
         "",
         "",
         {q("Skipping user number of device 5...wrong")}},
        {"user number long",
         DisplayOption::UserNumber,
         rowWith({{kDisplayUserNumberColumn, "12345"}}),
         "",
         "",
         {q("Skipping user number of device 5...wrong")}},
        {"free text",
         DisplayOption::FreeText,
         rowWith({{kDisplayFreeTextColumn, "Flat 3, left"}}),
         "SET TEXT=5,Flat 3, left",
         "Setting free text of device 5...",
         {}},
        {"free text empty",
         DisplayOption::FreeText,
         rowWith({}),
         "SET TEXT=5, ",
         "Setting free text of device 5...",
         {}},
        {"free text 2",
         DisplayOption::FreeText2,
         rowWith({{kDisplayFreeText2Column, "Hall"}}),
         "SET TEX2=5,Hall",
         "Setting free text second row of device 5...",
         {}},
        {"free text 2 missing cell",
         DisplayOption::FreeText2,
         {q("1"), q("5")},
         "SET TEX2=5, ",
         "Setting free text second row of device 5...",
         {}},
        {"delete", DisplayOption::Delete, {}, "DEL ENTR=5", "Deleting device 5...", {}},
        {"zero initials",
         DisplayOption::ZeroInitials,
         {},
         "SET DELP=5,0",
         "Zeroing initial value of device 5...",
         {}},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.what);
        const DisplayRowLine row = displayRowLine(c.option, q("5"), c.cells);
        EXPECT_EQ(row.line, QByteArray(c.line));
        EXPECT_EQ(row.sends(), *c.line != '\0');
        EXPECT_EQ(row.logText, q(c.log));
        EXPECT_EQ(row.checks, c.checks);
    }

    QStringList longText = rowWith({});
    longText[kDisplayFreeTextColumn] = sixty;
    EXPECT_EQ(displayRowLine(DisplayOption::FreeText, q("5"), longText).line, firstFifty);
    // The address goes into the line as typed.
    EXPECT_EQ(displayRowLine(DisplayOption::Activate, q("007"), {}).line, QByteArray("SET ENTR=007"));
}

TEST(DisplayLines, ActivationIsAnsweredByActiveOrAlready) {
    EXPECT_TRUE(isActivationAnswer("Active"));
    EXPECT_TRUE(isActivationAnswer("Entry 5 Already present"));
    EXPECT_TRUE(isActivationAnswer(QByteArray("\0\x01"
                                              "Active",
                                              8)));
    EXPECT_FALSE(isActivationAnswer("active"));
    EXPECT_FALSE(isActivationAnswer("ALREADY"));
    EXPECT_FALSE(isActivationAnswer(QByteArray()));
}

TEST(DisplayOptions, DeleteExcludesTheOthersAndPassesGoInPriorityOrder) {
    DisplayOptions options;
    options.setTicked(DisplayOption::UserNumber, true);
    options.setTicked(DisplayOption::Units, true);
    EXPECT_EQ(options.tickedCount(), 2);
    EXPECT_EQ(options.first(), DisplayOption::Units);
    EXPECT_EQ(options.clearFirst(), DisplayOption::Units);
    EXPECT_EQ(options.clearFirst(), DisplayOption::UserNumber);
    EXPECT_TRUE(options.none());
    EXPECT_EQ(options.clearFirst(), std::nullopt);

    for (const DisplayOption option : displayOptionsInOrder()) {
        options.setTicked(option, true);
    }
    // "DELETE" cleared the eight before it; "Zero initials " came after it and clears nothing.
    EXPECT_EQ(options.tickedCount(), 2);
    EXPECT_EQ(options.first(), DisplayOption::Delete);
    EXPECT_TRUE(options.isTicked(DisplayOption::ZeroInitials));
    options.setTicked(DisplayOption::FreeText2, true);
    EXPECT_FALSE(options.isTicked(DisplayOption::Delete));
    EXPECT_EQ(options.first(), DisplayOption::FreeText2);
    options.setTicked(DisplayOption::FreeText2, false);
    EXPECT_EQ(options.first(), DisplayOption::ZeroInitials);
    options.setTicked(DisplayOption::Units, false);
    EXPECT_EQ(options.tickedCount(), 1) << "clearing a box clears nothing else";
    options.setFlag(DisplayOption::Delete, true);
    EXPECT_EQ(options.tickedCount(), 2) << "a restored flag applies no exclusion";

    EXPECT_EQ(displayOptionCaption(DisplayOption::ZeroInitials), q("Zero initials "));
    EXPECT_EQ(displayOptionCaption(displayOptionsInOrder().front()), q("Activate"));
}

struct CommandCase {
    const char* what;
    DisplayCommand command;
    const char* line;
    const char* log;
    const char* refusal;
    bool answerTimerOnSerial;
};

TEST(DisplayCommands, OneShotLines) {
    const CommandCase cases[] = {
        {"date", displayDateCommand(QDate(2025, 1, 9)), "SET DATE=09/01/25",
         "Setting date of Lumet-R7/Pavo...", "", true},
        {"date late", displayDateCommand(QDate(2031, 11, 30)), "SET DATE=30/11/31",
         "Setting date of Lumet-R7/Pavo...", "", true},
        {"time", displayTimeCommand(QTime(7, 3, 40)), "SET TIME=07:03", "Setting time of Lumet-R7/Pavo...",
         "", true},
        {"time late", displayTimeCommand(QTime(18, 45)), "SET TIME=18:45", "Setting time of Lumet-R7/Pavo...",
         "", true},
        {"lock", displayLockCommand(), "SET LOCK", "Locking Lumet-R7/Pavo...", "", true},
        {"refresh 4", displayRefreshCommand(q("4")), "SET REFR=04",
         "Setting refresh time of Lumet-R7/Pavo...", "", true},
        {"refresh 12", displayRefreshCommand(q("12")), "SET REFR=12",
         "Setting refresh time of Lumet-R7/Pavo...", "", true},
        {"refresh 13", displayRefreshCommand(q("13")), "", "", "", true},
        {"refresh letters", displayRefreshCommand(q("x")), "", "",
         "Wrong value for refresh time of Lumet-R7/Pavo...", true},
        {"refresh empty", displayRefreshCommand(QString()), "", "",
         "Wrong value for refresh time of Lumet-R7/Pavo...", true},
        {"sort address", displaySortCommand(true, false), "SET SRTP=0", "Sorting Lumet-R7/Pavo by address...",
         "", false},
        {"sort number", displaySortCommand(false, true), "SET SRTP=1",
         "Sorting Lumet-R7/Pavo by user number...", "", false},
        {"sort neither", displaySortCommand(false, false), "", "", "", false},
        {"sort table", displaySortTableCommand(), "SET SORT",
         "Creating sort table in Lumet-R7/Pavo, please wait...", "", true},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.command.line, QByteArray(c.line));
        EXPECT_EQ(c.command.sends(), *c.line != '\0');
        EXPECT_EQ(c.command.logText, q(c.log));
        EXPECT_EQ(c.command.refusal, q(c.refusal));
        EXPECT_EQ(c.command.answerTimerOnSerial, c.answerTimerOnSerial);
    }
}

} // namespace
} // namespace holvex::display
