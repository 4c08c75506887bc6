#pragma once

#include <QString>
#include <QStringList>

namespace holvex::cli {

// The text "holvex-cli COMMAND --help" prints: its usage lines and what it does. Empty for a command that
// prints its own (gateway, display) and for an unknown name.
QString commandUsage(const QString& command);

// "holvex-cli --help": every command's usage line and the options the bus commands share.
QString programUsage();

// --help or -h among the arguments.
bool wantsHelp(const QStringList& arguments);

} // namespace holvex::cli
