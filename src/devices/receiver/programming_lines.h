#pragma once

#include "devices/receiver/receiver_command.h"
#include "devices/receiver/receiver_row.h"

#include <QString>

#include <optional>

namespace holvex::receiver {

// The lines of the programming run ("Program Ravik-Q"), one row at a time. `rowNumber` is the table's row
// number as the log shows it (1 for the first data row).

// The primary addresses a row may carry in the programming run.
inline constexpr int kMinProgramAddress = 1;
inline constexpr int kMaxProgramAddress = 463;

struct ProgramAddress {
    std::optional<int> address;
    QString logLine; // set when address is none
};

// The row's address cell: empty gives "Error in Primary device address at row " + row; not a number from
// 1 to 463 gives the same followed by ", skipping".
ProgramAddress programAddress(const QString& addressCell, int rowNumber);

// The ID used for activation: cut to its first 8 characters, or padded with leading zeros to 8. The caller
// writes it back into its cell. None for an empty cell: padding would invent the ID 00000000.
std::optional<QString> activationId(const QString& idCell);

enum class ActivationIdSource {
    MainId, // "Main ID": column 0
    AuxId,  // "Aux ID": column 7
};

// The cell activation takes its ID from.
QString activationIdCell(const ReceiverRow& row, ActivationIdSource source);

struct Activation {
    std::optional<ReceiverCommand> command; // "set entr=" a "," id, "Activating device " a "/" id "..."
    std::optional<QString> idWriteBack;     // the 8-character ID for its cell
    QString logLine;                        // "Error in device ID on row " + row, when nothing is sent
};

// "Activate selected" for a row with a valid address.
Activation activationCommand(int address, const QString& idCell, int rowNumber);

// The unit code the receiver keeps for a medium text ("Other" 0 ... "Cold water" 16; any other text 15).
// "Heat" gives 12, the code of the "Heat" that device type 12 shows; device type 4 shows "Heat" as well.
int unitCodeForMedium(const QString& medium);

// "Save unit": "set unit=" a "," code, "Setting unit of device " a "...".
ReceiverCommand unitCommand(int address, const QString& medium);

// "Delete selected": "del entr=" a, "Deleting device " a "...".
ReceiverCommand deleteCommand(int address);

// The receiver's answer to an activation line is accepted when it holds "Done!" or "already".
bool activationAccepted(const QByteArray& answer);

} // namespace holvex::receiver
