#pragma once

#include <QStringList>

namespace holvex::cli {

// Each sub-command takes the arguments after its own name and returns the process exit status.
int RunDecodeCommand(const QStringList& arguments);
int RunInitHomeCommand(const QStringList& arguments);

} // namespace holvex::cli
