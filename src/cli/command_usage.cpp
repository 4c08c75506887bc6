#include "cli/command_usage.h"

namespace holvex::cli {

namespace {

struct CommandHelp {
    const char* name;
    const char* usage;  // the lines after "usage: "
    const char* detail; // what the command does, its values and results
};

const char kCommonOptions[] =
    "OPTIONS: [--home DIR] [--port NAME | --lan HOST:PORT] [--timeout MS] [--retry N] [--whole-timeout] "
    "[--json]\n"
    "  --home DIR       the home folder whose holvex.ini gives every setting (only read)\n"
    "  --port NAME      the serial port instead of the one in the settings\n"
    "  --lan HOST:PORT  the serial-to-Ethernet adapter at that address\n"
    "  --timeout MS     the response timeout, 300..30000 ms\n"
    "  --retry N        the retries, 0..9\n"
    "  --whole-timeout  every exchange waits its whole response timeout, even when the answer is complete\n"
    "  --json           results as JSON instead of the table's CSV lines\n"
    "The event log goes to standard error; exit status 0 ran, 1 channel not opened or no answer, 2 bad "
    "input.\n";

constexpr CommandHelp kCommands[] = {
    {"decode",
     "holvex-cli decode [--extra N] [--apator] [HEX | -]\n"
     "holvex-cli decode [--extra N] [--apator] --batch FILE",
     "Decodes one meter reply (hex text, or standard input with -) and prints the row, the records and the\n"
     "log as JSON; --batch decodes one reply per line. --extra N fills N extra value columns, --apator\n"
     "decodes relayed Apator telegrams."},
    {"init-home", "holvex-cli init-home [DIR]",
     "Makes a home folder (DIR, else the one the program would use): holvex.ini with every default and\n"
     "files/users.dat (owner-only) with the account admin / admin. Files already there are left alone."},
    {"scan", "holvex-cli scan --from A --to B [OPTIONS]",
     "Asks every primary address from A to B (0..255) and prints the meter table as CSV."},
    {"read", "holvex-cli read --address N [OPTIONS]",
     "Reads the meter at primary address N and prints its row."},
    {"send", "holvex-cli send (--hex \"10 7B 01 7C 16\" | --ascii TEXT) [OPTIONS]",
     "Sends one command as the command line's \"Send\" does; the answer is logged (and printed with "
     "--json)."},
    {"search", "holvex-cli search [--id 12345678] [--lsb] [OPTIONS]",
     "The secondary search of the whole bus (wildcards), or the direct read of one ID; prints the table."},
    {"set-address", "holvex-cli set-address --id ID --to N [OPTIONS]",
     "Gives the meter with that ID the primary address N (0..249) through its selection and reads it back."},
    {"read-all", "holvex-cli read-all --table FILE.csv [--out FILE.csv] [OPTIONS]",
     "\"Read all meters\" over a saved meter table: every row is read at its address; the table is printed\n"
     "and, with --out, saved as \"Save / Export\" writes it."},
    {"set-id", "holvex-cli set-id (--address N | --id ID) --to ID [OPTIONS]",
     "Gives the meter a new ID (8 digits) and reads it back. With --id the meter is read through its ID "
     "first\n"
     "and the command goes to the primary address it answered with."},
    {"set-medium", "holvex-cli set-medium (--address N | --id ID | --broadcast) MEDIUM [OPTIONS]",
     "Sets the meter's medium: Electricity, Water, \"Hot water\", \"Cold water\", H.C.A, \"Heat meter\",\n"
     "\"Cold meter\", Gas, Oil, Pressure, Other."},
    {"set-unit",
     "holvex-cli set-unit (--address N | --id ID) UNIT CONSTANT [--relay COUNTER] [OPTIONS]\n"
     "holvex-cli set-unit --broadcast UNIT CONSTANT --medium MEDIUM [OPTIONS]",
     "Sets the meter's unit and multiplier (set type): UNIT l, Wh, kJ or N/A; CONSTANT 0.001, 0.01, 0.1, 1,\n"
     "10, 100, 1000 or 10000. The meter is read first: the frame carries its medium. --relay writes the\n"
     "counter value of a relay (maker REL) instead."},
    {"set-baud", "holvex-cli set-baud (--address N | --id ID | --broadcast) 300|1200|2400|4800 [OPTIONS]",
     "Switches the meter's baud rate (the master's stays as the settings give it)."},
    {"set-pulse-width",
     "holvex-cli set-pulse-width (--address N | --id ID | --broadcast) 5ms|10ms|20ms|50ms|100ms",
     "Sets the width of the meter's output pulses."},
    {"set-pulse-value", "holvex-cli set-pulse-value (--address N | --id ID | --broadcast) PULSES [OPTIONS]",
     "Sets the pulse counter's value (at most 8 digits) and reads the meter back."},
    {"set-counter", "holvex-cli set-counter (--address N | --id ID) incremental|single|independent [OPTIONS]",
     "Sets the counter type of the selected first input: incremental (an ID for each input), single (one ID\n"
     "for all) or independent (independent addresses). The meter's answer is printed in hex."},
    {"reset", "holvex-cli reset (--address N | --id ID | --broadcast) [OPTIONS]",
     "Resets the meter's link layer (SND_NKE)."},
    {"auto-address", "holvex-cli auto-address --table FILE.csv --from N [--out FILE.csv] [OPTIONS]",
     "Gives the meters of a saved table the primary addresses N, N+1, ... (at most 249), one after the\n"
     "other through their IDs; prints the table with the read-back rows and, with --out, saves it."},
    {"report",
     "holvex-cli report HEX\n"
     "holvex-cli report --address N [OPTIONS]",
     "The detailed report (\"Full read\") of one reply given as hex text, or of the meter at address N:\n"
     "{\"lines\":[the report's lines],\"rows\":[[data field, value, unit, qualifier, \"\"], ...]}."},
    {"gateway", "holvex-cli gateway SETTING [VALUE ...] [--galdor] [OPTIONS]", nullptr}, // prints its own
    {"display", "holvex-cli display SUB-COMMAND ... [OPTIONS]", nullptr},
    {"receiver", "holvex-cli receiver SUB-COMMAND ... [OPTIONS]", nullptr},
};

bool takesBusOptions(const char* name) {
    const QLatin1String command(name);
    return command != QLatin1String("decode") && command != QLatin1String("init-home");
}

} // namespace

QString commandUsage(const QString& command) {
    for (const CommandHelp& help : kCommands) {
        if (command != QLatin1String(help.name) || help.detail == nullptr) {
            continue;
        }
        QString text =
            QStringLiteral("usage: ") +
            QString::fromLatin1(help.usage).replace(QLatin1Char('\n'), QStringLiteral("\n       "));
        text += QLatin1Char('\n') + QString::fromLatin1(help.detail) + QLatin1Char('\n');
        if (takesBusOptions(help.name)) {
            text += QString::fromLatin1(kCommonOptions);
        }
        return text;
    }
    return {};
}

QString programUsage() {
    QString text = QStringLiteral("usage: holvex-cli COMMAND [ARGUMENTS] (holvex-cli COMMAND --help)\n");
    for (const CommandHelp& help : kCommands) {
        for (const QString& line : QString::fromLatin1(help.usage).split(QLatin1Char('\n'))) {
            text += QStringLiteral("  ") + line + QLatin1Char('\n');
        }
    }
    return text + QString::fromLatin1(kCommonOptions);
}

bool wantsHelp(const QStringList& arguments) {
    return arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"));
}

} // namespace holvex::cli
