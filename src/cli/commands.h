#pragma once

#include <QStringList>

namespace holvex::cli {

// Each sub-command takes the arguments after its own name and returns the process exit status.
int runDecodeCommand(const QStringList& arguments);
int runInitHomeCommand(const QStringList& arguments);
// The bus commands run the program's own operations on the channel its settings file chooses: 0 when the
// operation ran, 1 when the channel could not be opened, 2 for bad arguments.
int runScanCommand(const QStringList& arguments);
int runReadCommand(const QStringList& arguments);
int runSendCommand(const QStringList& arguments);
// The secondary search: the wildcard search of the whole bus, or a direct read of one ID (--id).
int runSearchCommand(const QStringList& arguments);
// Gives the meter with an ID a new primary address through its selection, then reads it back.
int runSetAddressCommand(const QStringList& arguments);
// One setting or information request of the maker's gateways on their RS-232 service port (2 also for a
// refused value or a road that takes no gateway settings).
int runGatewayCommand(const QStringList& arguments);
// The display unit: programming its table from a display table file, and its one-shot commands.
int runDisplayCommand(const QStringList& arguments);
// "Read all meters" over a saved meter table file.
int runReadAllCommand(const QStringList& arguments);
// Automatic primary addressing of the meters of a saved table file.
int runAutoAddressCommand(const QStringList& arguments);
// The detailed report of a reply given as hex text or read from one meter, as JSON.
int runReportCommand(const QStringList& arguments);
// The configuration commands (set-id, set-medium, ..., reset) to one meter or to every meter.
int runMeterCommand(const QString& name, const QStringList& arguments);
QStringList meterCommandNames();
// The wireless receiver: its settings, acquisition, binding, keys, the programming run, and decoding a radio
// telegram.
int runReceiverCommand(const QStringList& arguments);

} // namespace holvex::cli
