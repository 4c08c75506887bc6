#include "devices/display/display_tables.h"

#include "devices/display/display_import.h"
#include "devices/display/display_table.h"
#include "lang/caption_table.h"

namespace holvex::display {

DisplayTables::DisplayTables()
    : m_display(kDisplayColumnCount, kDisplayTableMaxRows),
      m_readings(kReadingsColumnCount, kDisplayTableMaxRows) {
    m_readings.setEditable(true);
    applyHeadings(TickedLanguage::English);
}

void DisplayTables::applyHeadings(TickedLanguage language) {
    const QMap<int, QString> display = displayTableHeadings(language);
    applyDisplayTableHeadings(m_display, display);

    // The readings table shares the display table's titles up to "Tarr 3 ", then names the months.
    QStringList readings = m_readings.headings();
    const QStringList shared = m_display.headings();
    for (int c = 0; c < kReadingsSharedColumns && c < shared.size(); ++c) {
        readings[c] = shared[c];
    }
    const QMap<int, QString> months = monthHeadings(language);
    for (auto it = months.cbegin(); it != months.cend(); ++it) {
        if (it.key() >= 0 && it.key() < kReadingsColumnCount) {
            readings[it.key()] = it.value();
        }
    }
    m_readings.setRow(0, readings);
}

} // namespace holvex::display
