#pragma once

#include <QString>

namespace holvex::transport {

// The time and date as the connection lines of the event log show them.
QString ClockTime();
QString ClockDate();

} // namespace holvex::transport
