#pragma once

#include <vector>

namespace holvex {

// One printed page of the event log: lines firstLine..lastLine (none when lastLine < firstLine). A line i
// sits at slot i - slotBase below the top line position, one slot being a double line height.
struct LogPage {
    int firstLine = 0;
    int lastLine = -1;
    int slotBase = 0;

    bool empty() const { return lastLine < firstLine; }
    int lineCount() const { return empty() ? 0 : lastLine - firstLine + 1; }
};

// Every page carries the heading. A new page starts after every line whose index is a positive multiple of
// kLogLinesPerPage, so page one holds lines 0..35 and a log ending on such a line gets a last page with the
// heading alone.
inline constexpr int kLogLinesPerPage = 35;

std::vector<LogPage> paginateLog(int lineCount);

} // namespace holvex
