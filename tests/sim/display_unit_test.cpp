#include "sim/display_answers.h"
#include "sim/display_unit.h"

#include <gtest/gtest.h>

#include <optional>

namespace holvex::sim {
namespace {

// How the program reads the unit's answers: the answer becomes lines of the event log (split at CR LF), and
// fields are found by their markers, search depths and positions alone. These few rules are the reader's,
// not the unit's, so that the answers are checked against what the program will do with them.
QList<QByteArray> logLines(const QByteArray& answer) {
    QList<QByteArray> lines;
    qsizetype from = 0;
    for (qsizetype at = answer.indexOf("\r\n"); at >= 0; at = answer.indexOf("\r\n", from)) {
        lines.append(answer.mid(from, at - from));
        from = at + 2;
    }
    lines.append(answer.mid(from));
    return lines;
}

// The newest line holding the marker among the last `depth` lines; -1 when none.
qsizetype findMarker(const QList<QByteArray>& log, const char* marker, int depth) {
    for (qsizetype i = log.size() - 1; i >= 0 && i >= log.size() - depth; --i) {
        if (log.at(i).contains(marker)) {
            return i;
        }
    }
    return -1;
}

// From the first decimal digit up to the next blank.
QByteArray fromFirstDigit(const QByteArray& line) {
    qsizetype i = 0;
    while (i < line.size() && (line.at(i) < '0' || line.at(i) > '9')) {
        ++i;
    }
    const qsizetype blank = line.indexOf(' ', i);
    return line.mid(i, blank < 0 ? -1 : blank - i);
}

struct EntryFields {
    QByteArray unit, start, multDiv, total;
};

std::optional<EntryFields> readEntry(const QList<QByteArray>& log) {
    const qsizetype t = findMarker(log, "Total pulses", 5);
    if (t < 0) {
        return std::nullopt;
    }
    const qsizetype u = findMarker(log, "User mult/div", 6);
    EntryFields f;
    qsizetype anchor = t;
    if (u == t + 1) {
        anchor = u;
        f.multDiv = log.at(u).mid(15);
    } else if (const qsizetype star = log.at(t).indexOf('*'); star >= 0) {
        const qsizetype blank = log.at(t).indexOf(' ', star);
        f.multDiv = log.at(t).mid(star + 1, blank < 0 ? -1 : blank - star - 1);
    }
    const QByteArray startLine = log.value(anchor + 1);
    f.start = fromFirstDigit(startLine);
    const qsizetype digit = startLine.indexOf(f.start);
    const qsizetype blank = startLine.indexOf(' ', digit);
    f.unit = blank < 0 ? QByteArray() : startLine.mid(blank + 1);
    f.total = fromFirstDigit(log.value(anchor + 2));
    return f;
}

std::optional<QByteArray> readTariff(const QList<QByteArray>& log) {
    const qsizetype t = findMarker(log, "Total pulses", 6);
    if (t < 0) {
        return std::nullopt;
    }
    const qsizetype u = findMarker(log, "User mult/div", 7);
    return fromFirstDigit(log.value((u >= 0 ? u : t) + 2));
}

struct HistoryFields {
    QByteArray value, month, year;
};

std::optional<HistoryFields> readHistory(const QList<QByteArray>& log) {
    const qsizetype h = findMarker(log, "Hist values", 6);
    if (h < 0) {
        return std::nullopt;
    }
    HistoryFields f;
    f.value = log.at(h).mid(log.at(h).indexOf(':') + 1).replace(" ", "");
    const QByteArray next = log.value(h + 1);
    const QByteArray date = next.contains("T1") ? log.value(h + 4) : next;
    const qsizetype slash = date.indexOf('/');
    f.month = date.mid(slash + 1, 3);
    f.year = date.mid(slash + 5, 2);
    return f;
}

DisplayEntry entry(int unit, int mult, int div, qint64 pulses, bool userMultDiv = true) {
    DisplayEntry e;
    e.active = true;
    e.unitCode = unit;
    e.multiplier = mult;
    e.divider = div;
    e.pulses = pulses;
    e.userMultDiv = userMultDiv;
    return e;
}

DisplayConfig sample() {
    DisplayConfig c;
    c.clock = QDateTime(QDate(2026, 12, 8), QTime(9, 30));
    c.entries[1] = entry(2, 1, 1000, 123456);
    c.entries[1].initial = 2.5;
    c.entries[1].userNumber = "12";
    c.entries[1].text = "Flat 3";
    c.entries[1].tariffPulses = {1000, 2500, 0, 7};
    c.entries[2] = entry(1, 10, 1, 4567, false);
    c.entries[2].historyForm = HistoryForm::Tariffs;
    c.entries[3] = entry(2, 1, 1, 0);
    c.entries[3].active = false;
    return c;
}

TEST(DisplayUnitTest, SettingLinesAreCarriedOutAndAnswered) {
    DisplayUnit unit(sample());
    const struct Row {
        const char* line;
        const char* answer;
    } rows[] = {
        {"SET ENTR=3", "Entry 3: Active"},
        {"SET ENTR=3", "Entry 3: Already active"},
        {"SET ENTR=250", "Entry 250: Active"},
        {"SET ENTR=0", "Wrong address"},
        {"SET ENTR=251", "Wrong address"},
        {"SET ENTR=12a", "Wrong address"},
        {"SET ENTR", "Wrong address"},
        {"SET UNIT=3,4", "Entry 3: unit MJ"},
        {"SET UNIT=3,", "Entry 3: wrong unit"},
        {"SET UNIT=3,5", "Entry 3: wrong unit"},
        {"SET UNIT=9,2", "Entry 9: not active"},
        {"SET CONM=3,10", "Entry 3: multiplier 10"},
        {"SET CONM=3,12345", "Entry 3: wrong multiplier"},
        {"SET COND=3,0", "Entry 3: wrong divider"}, // readings divided by nothing: refused
        {"SET COND=3,100", "Entry 3: divider 100"},
        {"SET INIT=3,12.5", "Entry 3: initial value 12.5"},
        {"SET INIT=3,12,5", "Entry 3: wrong initial value"},
        {"SET INIT=3,-1", "Entry 3: wrong initial value"},
        {"SET NUMB=3,0042", "Entry 3: user number 0042"},
        {"SET NUMB=3,12345", "Entry 3: wrong user number"},
        {"SET NUMB=3,", "Entry 3: wrong user number"},
        {"SET TEXT=3,Flat 7, floor 2", "Entry 3: text stored"},
        {"SET TEX2=3,Riser\r\nB", "Entry 3: second text stored"},
        {"SET DELP=1,1", "Entry 1: wrong arguments"},
        {"SET DELP=1,0", "Entry 1: initial value zeroed"},
        {"DEL ENTR=250", "Entry 250: deleted"},
        {"DEL ENTR=250", "Entry 250: not active"},
        {"SET DATE=31/01/27", "Date 31/01/27"},
        {"SET DATE=31,01,27", "Wrong date"}, // the gateways' form
        {"SET DATE=30/02/27", "Wrong date"},
        {"SET TIME=07:05", "Time 07:05"},
        {"SET TIME=24:00", "Wrong time"},
        {"SET LOCK", "Locked"},
        {"SET LOCK=1", "Wrong arguments"},
        {"SET REFR=09", "Refresh time 9 s"},
        {"SET REFR=13", "Wrong refresh time"},
        {"SET REFR=9", "Wrong refresh time"},
        {"SET SRTP=1", "Sort by user number"},
        {"SET SRTP=2", "Wrong sort type"},
        {"SET SORT", "Sort table created, 3 entries"},
        {"SET READ", "Readings updated"},
    };
    for (const Row& row : rows) {
        const auto line = parseTextLine(row.line);
        ASSERT_TRUE(line && DisplayUnit::knows(*line)) << row.line;
        EXPECT_EQ(unit.answer(*line), QByteArray(row.answer)) << row.line;
    }

    const DisplayEntry& e = unit.entry(3);
    EXPECT_TRUE(e.active);
    EXPECT_EQ(e.unitCode, 4);
    EXPECT_EQ(e.multiplier, 10);
    EXPECT_EQ(e.divider, 100);
    EXPECT_DOUBLE_EQ(e.initial, 12.5);
    EXPECT_EQ(e.userNumber, QByteArray("0042"));
    EXPECT_EQ(e.text, QByteArray("Flat 7, floor 2"));
    EXPECT_EQ(e.text2, QByteArray("Riser  B")); // kept on one line
    EXPECT_DOUBLE_EQ(unit.entry(1).initial, 0);
    EXPECT_FALSE(unit.entry(250).active);
    EXPECT_EQ(unit.activeAddresses(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(unit.state().clock, QDateTime(QDate(2027, 1, 31), QTime(7, 5)));
    EXPECT_TRUE(unit.state().locked);
    EXPECT_EQ(unit.state().refreshSeconds, 9);
    EXPECT_TRUE(unit.state().sortByUserNumber);
    // By user number: 12 (entry 1), 42 (entry 3), then entry 2 without a number.
    EXPECT_EQ(unit.entry(1).sortPosition, 1);
    EXPECT_EQ(unit.entry(3).sortPosition, 2);
    EXPECT_EQ(unit.entry(2).sortPosition, 3);
    EXPECT_EQ(unit.readingsUpdated(), 1);
    EXPECT_EQ(unit.linesSeen(), static_cast<int>(std::size(rows)));
}

TEST(DisplayUnitTest, ReadingsStepOnlyForActiveEntries) {
    DisplayConfig c = sample();
    c.entries[1].stepPulses = 250;
    c.entries[3].stepPulses = 9;
    DisplayUnit unit(c);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(unit.answer(*parseTextLine("SET READ")), QByteArray("Readings updated"));
    }
    EXPECT_EQ(unit.entry(1).pulses, 123956);
    EXPECT_EQ(unit.entry(1).tariffPulses[0], 1500);
    EXPECT_EQ(unit.entry(1).tariffPulses[1], 2500);
    EXPECT_EQ(unit.entry(3).pulses, 0);
}

TEST(DisplayUnitTest, ReadOutsCarryTheFieldsWhereTheProgramLooks) {
    DisplayUnit unit(sample());
    const auto ask = [&unit](const char* line) {
        return logLines(*unit.answer(*parseTextLine(line)));
    };

    // With the "User mult/div" line right after "Total pulses" the factor comes from it...
    auto f = readEntry(ask("GET ENTR=1,1"));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->multDiv, QByteArray("1/1000"));
    EXPECT_EQ(f->start, QByteArray("2.5"));
    EXPECT_EQ(f->unit, QByteArray("m3"));
    EXPECT_EQ(f->total, QByteArray("125.956"));
    // ...without it from the "*" of the "Total pulses" line.
    f = readEntry(ask("GET ENTR=2,1"));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->multDiv, QByteArray("10/1"));
    EXPECT_EQ(f->start, QByteArray("0"));
    EXPECT_EQ(f->unit, QByteArray("kWh"));
    EXPECT_EQ(f->total, QByteArray("45670"));

    // User data: the marker within the last three lines, fields from the second character after the colon.
    const QList<QByteArray> user = ask("GET ENTR=1,2");
    const qsizetype u = findMarker(user, "User #:", 3);
    ASSERT_GE(u, 0);
    EXPECT_EQ(user.at(u).mid(user.at(u).indexOf(':') + 2), QByteArray("12"));
    EXPECT_EQ(user.value(u + 1).mid(user.value(u + 1).indexOf(':') + 2), QByteArray("Flat 3"));

    const struct {
        const char* line;
        const char* value;
    } tariffs[] = {
        {"GET TARR=1,0", "1"}, {"GET TARR=1,1", "2.5"}, {"GET TARR=1,3", "0.007"}, {"GET TARR=2,0", "0"}};
    for (const auto& t : tariffs) {
        EXPECT_EQ(readTariff(ask(t.line)), std::optional<QByteArray>(t.value)) << t.line;
    }

    // Not active, or asked wrongly: no marker for the program to find.
    for (const char* line : {"GET ENTR=3,1", "GET TARR=3,0", "GET HIST=3,1", "GET ENTR=1,3", "GET TARR=1,4",
                             "GET HIST=1,13", "GET HIST=1,0", "GET ENTR=1"}) {
        const QList<QByteArray> log = ask(line);
        EXPECT_FALSE(readEntry(log) || readTariff(log) || readHistory(log)) << line;
    }
    EXPECT_EQ(unit.answer(*parseTextLine("GET ENTR=3,0"))->contains("inactive"), true);
}

TEST(DisplayUnitTest, HistoryAnswersNameTheirMonth) {
    DisplayConfig c = sample();
    const auto month = [](int year, int m) {
        return QDate(year, m, 1);
    };
    c.entries[1].history = {
        {month(2025, 11), 100.5, {}}, {month(2025, 12), 101.25, {}}, {month(2026, 1), 102, {}}};
    c.entries[2].history = {{month(2026, 2), 300, {200, 90, 10}}};
    const struct Row {
        MonthNames names;
        bool blankDecember;
        const char* line;
        const char* value;
        QByteArray month;
        const char* year;
    } rows[] = {
        {MonthNames::English, false, "GET HIST=1,1", "100.5", "Nov", "25"},
        {MonthNames::English, false, "GET HIST=1,2", "101.25", "Dec", "25"},
        {MonthNames::English, true, "GET HIST=1,2", "101.25", "   ", "25"},
        {MonthNames::English, false, "GET HIST=1,3", "102", "Jan", "26"},
        {MonthNames::Bulgarian, false, "GET HIST=1,3", "102", QByteArray("\xDF\xED\xF3"), "26"},    // Яну
        {MonthNames::Bulgarian, false, "GET HIST=1,2", "101.25", QByteArray("\xC4\xE5\xEA"), "25"}, // Дек
        {MonthNames::English, false, "GET HIST=2,1", "300", "Feb", "26"}, // the tariff form
        {MonthNames::English, false, "GET HIST=1,4", "0", "---", "00"},   // not saved yet
        {MonthNames::English, false, "GET HIST=2,12", "0", "---", "00"},
    };
    for (const Row& row : rows) {
        c.monthNames = row.names;
        c.blankDecember = row.blankDecember;
        DisplayUnit unit(c);
        const QByteArray answer = *unit.answer(*parseTextLine(row.line));
        const auto h = readHistory(logLines(answer));
        ASSERT_TRUE(h) << row.line;
        EXPECT_EQ(h->value, QByteArray(row.value)) << row.line;
        EXPECT_EQ(h->month, row.month) << row.line;
        EXPECT_EQ(h->year, QByteArray(row.year)) << row.line;
    }
    DisplayUnit unit(c);
    EXPECT_EQ(
        *unit.answer(*parseTextLine("GET HIST=2,1")),
        QByteArray("Entry 2 record 1\r\nHist values: 300\r\nT1: 200\r\nT2: 90\r\nT3: 10\r\nDate: 28/Feb/26"));
}

TEST(DisplayUnitTest, AddressListInBothForms) {
    const struct Row {
        QList<int> active;
        AddressListForm form;
        const char* answer;
    } rows[] = {
        {{1, 3, 7, 8, 9}, AddressListForm::Ranges, "Active devices: 1,3,7-9"},
        {{5}, AddressListForm::Ranges, "Active devices: 5"},
        {{4, 5, 10, 11, 12, 13, 250}, AddressListForm::Ranges, "Active devices: 4,5,10-13,250"},
        {{1, 3, 7}, AddressListForm::Lines, "Active devices: \r\n1\r\n3\r\n7"},
        {{}, AddressListForm::Ranges, "No active devices"},
        {{}, AddressListForm::Lines, "No active devices"},
    };
    for (const Row& row : rows) {
        DisplayConfig c;
        c.addressList = row.form;
        for (int a : row.active) {
            c.entries[a].active = true;
        }
        c.entries[6].active = false; // in the table, not active
        DisplayUnit unit(c);
        EXPECT_EQ(unit.answer(*parseTextLine("GET ADDR")), QByteArray(row.answer)) << row.answer;
    }
}

TEST(DisplayUnitTest, InformationReportsTheSettings) {
    DisplayUnit unit(sample());
    for (const char* line : {"SET REFR=07", "SET SRTP=1", "SET LOCK"}) {
        ASSERT_TRUE(unit.answer(*parseTextLine(line)));
    }
    EXPECT_EQ(
        *unit.answer(*parseTextLine("GET MAIN")),
        QByteArray("Lumet-R7 display / data logger\r\nFirmware: 2.14\r\nDate: 08/12/26\r\nTime: 09:30\r\n"
                   "Refresh time: 7 s\r\nSort: by user number\r\nLocked: yes\r\nActive entries: 2"));
    EXPECT_EQ(*unit.answer(*parseTextLine("GET SERV")),
              QByteArray("Serial number: R7-000001\r\nLines received: 5\r\nReadings updated: 0\r\n"
                         "Sort table: not built"));
    EXPECT_EQ(*unit.answer(*parseTextLine("GET MAIN=1")), QByteArray("Wrong arguments"));
}

TEST(DisplayUnitTest, FaultsKeepTheUnitQuietAndChangeNothing) {
    DisplayConfig c = sample();
    c.faults.answerAfter = 2;
    DisplayUnit unit(c);
    EXPECT_FALSE(unit.answer(*parseTextLine("SET ENTR=3")));
    EXPECT_FALSE(unit.answer(*parseTextLine("SET ENTR=3")));
    EXPECT_FALSE(unit.entry(3).active);
    EXPECT_EQ(unit.answer(*parseTextLine("SET ENTR=3")), QByteArray("Entry 3: Active"));

    unit.setFaults({.silent = true});
    EXPECT_FALSE(unit.answer(*parseTextLine("DEL ENTR=3")));
    EXPECT_TRUE(unit.entry(3).active);
    EXPECT_EQ(unit.linesSeen(), 4);
}

TEST(DisplayUnitTest, OnlyTheUnitsOwnLinesAreKnown) {
    const struct Row {
        const char* line;
        bool known;
    } rows[] = {
        {"SET ENTR=1", true},        {"DEL ENTR=1", true},   {"GET HIST=1,1", true}, {"SET READ", true},
        {"SET TEX2=1,a", true},      {"set entr=1", false},  {"DEL UNIT=1", false},  {"GET CONN", false},
        {"SET IPV4=1.2.3.4", false}, {"SET PITO=05", false},
    };
    for (const Row& row : rows) {
        const auto line = parseTextLine(row.line);
        ASSERT_TRUE(line) << row.line;
        EXPECT_EQ(DisplayUnit::knows(*line), row.known) << row.line;
    }
}

} // namespace
} // namespace holvex::sim
