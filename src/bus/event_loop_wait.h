#pragma once

#include <functional>

namespace holvex {

// Waits in steps of 10 ms while the event loop keeps running, so the window repaints and socket events
// (the connect event among them) are handled during the wait. With a condition the wait ends as soon as it
// holds. Returns whether the condition held at the end (true when there is none).
bool waitProcessingEvents(int milliseconds, const std::function<bool()>& doneEarly = {});

} // namespace holvex
