#pragma once

#include "devices/receiver/receiver_command.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace holvex::receiver {

// The receiver's setting lines, in the lower-case form "set key=value" / "get key". Each builder returns
// the line with its log text, or nothing when the control's text is not one the line knows.

// "set date=dd/mm/yy", year minus 2000; "Setting date of Ravik-Q...".
ReceiverCommand dateCommand(const QDate& date);
// "set time=hh:mm:ss"; "Setting time of Ravik-Q...".
ReceiverCommand timeCommand(const QTime& time);

// "set pito=n" with n from 1 to 240 in plain decimal (no leading zero). Nothing for an empty field, or for a
// text that is not a number in that range (the up-down box cannot produce one).
std::optional<ReceiverCommand> saveIntervalCommand(const QString& interval);

// "set wmod=code"; any text that is not one of the modes sends code 1.
ReceiverCommand radioModeCommand(const QString& mode);
// The mode choices in the order the page lists them.
const QStringList& radioModes();

// "set nrol=code": "Slave" 0, "Master" 1, "Repeater" 2; nothing for another text.
std::optional<ReceiverCommand> roleCommand(const QString& role);
const QStringList& roles();

// "set wwrk=code": "Normal" 0, "Install" 1 (accepted when typed, not listed), "Accept All" 2.
std::optional<ReceiverCommand> workModeCommand(const QString& workMode);
const QStringList& workModes();

// The on/off option's line with 1 when `on`, else 0; "Setting " + option + " of Ravik-Q...". Nothing for a
// text that is none of the six options.
std::optional<ReceiverCommand> optionCommand(const QString& option, bool on);
const QStringList& options();

// "get serv" and "get wsta"; nothing is logged for them.
ReceiverCommand servingInfoCommand();
ReceiverCommand wirelessInfoCommand();

// The transparent-output switch written when acquisition starts and stops: "set trns=1" / "set trns=0", or
// "set rtra=1" / "set rtra=0" for receivers up to firmware v3.01f. Nothing is logged for it.
ReceiverCommand transparentModeCommand(bool on, bool upToV301f);

} // namespace holvex::receiver
