#pragma once

#include <QStringList>

namespace holvex::cli {

// The actions of holvex-cli display that read the unit back.
bool isDisplayReadAction(const QString& action);
// holvex-cli display read | values | history | read-meters | info (the action first).
int runDisplayReadCommand(const QStringList& arguments);

} // namespace holvex::cli
