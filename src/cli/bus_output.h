#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace holvex {
struct Settings;
class StringGridModel;
} // namespace holvex

namespace holvex::cli {

struct BusArguments;
class CliBus;

inline constexpr int kBadArguments = 2;
inline constexpr int kChannelFailed = 1;

// "holvex-cli COMMAND: message" on standard error; returns `status`.
int fail(const QString& command, const QString& message, int status);

void writeOut(const QByteArray& bytes);

// The settings the program itself would run with, from the INI file of the program's folder, with the
// command line's overrides on top. The file is only read.
Settings loadBusSettings(const BusArguments& arguments);

// The data rows as the meter table's CSV file holds them: every field followed by the export separator,
// the value column with the file's decimal separator, CR LF line ends. The empty row the table keeps for the
// next meter is no meter and is not printed.
QByteArray tableCsv(const StringGridModel& table, const Settings& settings);
// {"rows":[{...}, ...]} with the cells as the table shows them.
QByteArray tableJson(const StringGridModel& table);
void printTable(CliBus& bus, bool json);

// Runs the event loop with the operation started from inside it, as a button press would start it; the
// operation's own ending quits the loop. Returns 0, or kChannelFailed when `start` could not open the
// channel.
int runOperation(CliBus& bus, const std::function<bool()>& start);

} // namespace holvex::cli
