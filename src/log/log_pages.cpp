#include "log/log_pages.h"

namespace holvex {

std::vector<LogPage> paginateLog(int lineCount) {
    std::vector<LogPage> pages;
    pages.push_back(LogPage{0, -1, 0});
    for (int i = 0; i < lineCount; ++i) {
        pages.back().lastLine = i;
        if (i > 0 && i % kLogLinesPerPage == 0) {
            // The page break keeps the broken line's index as the base, so the next line lands one slot below
            // the top position rather than on it.
            pages.push_back(LogPage{i + 1, i, i});
        }
    }
    return pages;
}

} // namespace holvex
