#pragma once

#include "devices/display/display_command_sender.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace holvex {
struct BusContext;
class FreeCommandConsole;
class StringGridModel;
class TimerSet;
} // namespace holvex

namespace holvex::display {

class DisplayTables;

// "Read values": the entries' main values or their four tariff registers.
enum class DisplayValues { Main, Tariffs };

// The choices of "   General info   ".
enum class DisplayInfo { Main, Service, Addresses, Entry1, Entry2, Entry3 };

// The month choice of "Get historical values": every month, or one of 1 ("Jan") .. 12 ("Dec").
inline constexpr int kAllMonths = 0;

// Reading the display unit back into the display and readings tables. Each request goes out on the active
// channel, the answer is taken one response timeout later (the window keeps painting meanwhile, and the
// caller holds the bus so nothing else starts), added to the log and decoded. The operations return when
// they are done; each returns false when the channel could not be made ready.
class DisplayReadout {
public:
    DisplayReadout(BusContext& context, DisplayTables& tables, TimerSet& timers, FreeCommandConsole& console);

    // "Read data ": the active addresses ("GET ADDR") into column "Addr. " of both tables, then each entry's
    // values ("GET ENTR=a,1") and user data ("GET ENTR=a,2"). Both tables are cleared first.
    bool readData();
    // "Read values": with no choice logs "Select which values you want to read from device...".
    bool readValues(std::optional<DisplayValues> values);
    // "Get historical values" into the readings table: every month of each row (kAllMonths), or one month
    // found from the month of the unit's newest record.
    bool readHistory(int month);
    // "   General info   ": one request whose answer Timer_free_command shows; the entry requests need the
    // address of the row last clicked (0: none).
    DisplaySendOutcome requestInfo(DisplayInfo info, int address);
    // "Read meters": "SET READ" on the serial port, its answer shown by Timer_free_command.
    DisplaySendOutcome readMeters();

    // The line "   General info   " sends for the choice; empty for an entry request without an address.
    static QByteArray infoLine(DisplayInfo info, int address);

private:
    struct Answer {
        bool taken = false; // false: nothing could be sent or the serial port is closed
        QByteArray bytes;
    };

    // Sends the line, waits one response timeout and takes what arrived. The serial port's input is dropped
    // first, so a late answer is never taken for this one; `purge`: its output too (the address request).
    Answer exchange(const QByteArray& line, bool purge = false);
    void wait();
    void logAnswer(const QByteArray& bytes, bool evenEmpty);
    bool readActiveAddresses();
    void readEntry(const QString& address);
    void readEntryValues(const QString& address);
    void readTariffs(const QString& address);
    void readMonth(const QString& address, int month);
    bool readAllMonths();
    // Writes the cell of every display row whose address is `address`, and of the readings rows with the same
    // row numbers.
    void writeMatching(const QString& address, int column, const QString& text);
    void fileHistory(const QString& address, const QByteArray& answer);
    void dropTrailingEmptyRow(StringGridModel& table);
    bool noValidConnection();

    BusContext& m_context;
    DisplayTables& m_tables;
    TimerSet& m_timers;
    FreeCommandConsole& m_console;
};

} // namespace holvex::display
