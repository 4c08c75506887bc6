#pragma once

#include "devices/display/display_options.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace holvex::display {

// The lines of the table write: what one row of the display table sends for the option being written.

// The address cell of a row, checked before anything is sent for the row.
struct DisplayAddress {
    bool valid = false;
    QString text;    // the address as typed; it goes into the line unchanged
    QString logLine; // why the row is skipped, when !valid
};

// An empty cell: "Error in device address at row " + row. Anything but digits, above 250 or below 1: the same
// followed by ", skipping".
DisplayAddress checkDisplayAddress(const QString& cell, int row);

// The multiplier and divider of a "Mult/Div " cell M/D.
struct MultDiv {
    QString multiplier;
    QString divider;
};

// Empty: 1 and 1. No "/": the whole text and 1. Starting with "/": 1 and what follows the "/" (1 when
// nothing does). Ending with "/": what comes before the final "/" and 1. Otherwise the text before the first
// "/" and everything after it.
MultDiv splitMultDiv(const QString& cell);

// One row's part of a pass.
struct DisplayRowLine {
    QByteArray line;    // empty: nothing is sent for the row
    QString logText;    // the option's log text, the address and "...", logged with the send
    QStringList checks; // check and skip lines, logged before the send (or alone when nothing is sent)
    bool sends() const { return !line.isEmpty(); }
};

// The line of `option` for a row whose address passed checkDisplayAddress; `cells` are the row's cells
// (missing cells count as empty).
DisplayRowLine displayRowLine(DisplayOption option, const QString& address, const QStringList& cells);

// Longest free text the unit takes; longer texts are cut.
inline constexpr int kDisplayFreeTextLength = 50;
// Longest multiplier, divider and user number.
inline constexpr int kDisplayNumberLength = 4;

// The unit's code for a "Unit " cell: "m3" (or "m3 ") 2, "kWh" 1, "kJ" 3, "MJ" 4, exact and case-sensitive;
// an empty cell gives an empty code; any other text gives nothing.
std::optional<QString> displayUnitCode(const QString& unit);

// An activation has been answered: the answer holds "Active" or "Already" (case-sensitive).
bool isActivationAnswer(const QByteArray& answer);

} // namespace holvex::display
