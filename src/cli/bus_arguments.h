#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace holvex {
struct Settings;
}

namespace holvex::cli {

// The options shared by the commands that work on the bus, and those of each command.
struct BusArguments {
    QString home; // empty: HOLVEX_HOME, then the executable's folder
    std::optional<QString> port;
    std::optional<QString> lanHost;
    std::optional<int> lanPort;
    std::optional<int> timeout;
    std::optional<int> retry;
    bool wholeTimeout = false; // "End the wait when the answer is complete" off for this run
    bool json = false;

    // scan
    std::optional<int> from;
    std::optional<int> to;
    // read
    std::optional<int> address;
    // send
    std::optional<QString> hex;
    std::optional<QString> ascii;
    // a device command: the words and values that are not options, in order
    QStringList positional;
};

inline constexpr int kMinTimeout = 300;
inline constexpr int kMaxTimeout = 30000;
inline constexpr int kMaxRetry = 9;
inline constexpr int kMaxPrimaryAddress = 255;

// Which command-specific options a command takes. A device command (gateway ...) takes no option of its own
// here: its words and values are gathered as positional arguments. Common: the shared options alone (a
// command that parses its own options first).
enum class BusCommand { Scan, Read, Send, Device, Common };

// Parses the arguments after the command name. On a bad argument returns nothing and puts a one-line message
// into `error`. The command's own required options are checked too (scan: --from and --to, read: --address,
// send: exactly one of --hex and --ascii).
std::optional<BusArguments> parseBusArguments(BusCommand command, const QStringList& arguments,
                                              QString* error);

// The overrides applied to the settings read from the file: --port chooses the serial port (and leaves the
// network channels), --lan the LAN adapter at that address, --timeout and --retry replace the stored values,
// --whole-timeout turns the early end of the wait off.
void applyOverrides(const BusArguments& arguments, Settings& settings);

} // namespace holvex::cli
