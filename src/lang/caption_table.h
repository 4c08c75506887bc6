#pragma once

#include "lang/message_language.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace holvex {

// One control's caption in both languages, found by the control's object name. A row marked englishOnly is
// set by the English table and left as it is by the Italian one.
struct CaptionRow {
    QString objectName;
    QString english;
    QString italian;
    bool englishOnly = false;
};

// A window's caption table. Pages add their own rows; one function applies the whole table.
//
// A button that starts an operation names that operation while it runs ("Stop"): its running caption is
// registered once, and while the control is marked running the table gives the running caption instead, so a
// language switch or a window activation never turns a "Stop" button back into the button that starts.
class CaptionTable {
public:
    void add(const QString& objectName, const QString& english, const QString& italian);
    void addEnglishOnly(const QString& objectName, const QString& english);
    void append(const CaptionTable& other);

    void addRunning(const QString& objectName, const QString& english, const QString& italian);
    // Marks the control's operation running or ended; returns the caption to show now in `language`.
    std::optional<QString> setRunning(const QString& objectName, bool running, TickedLanguage language);
    bool isRunning(const QString& objectName) const;

    const std::vector<CaptionRow>& rows() const { return m_rows; }
    // The caption to set, or nothing when the control is not in the table or the language leaves it alone.
    std::optional<QString> caption(const QString& objectName, TickedLanguage language) const;

private:
    struct RunningCaption {
        QString english;
        QString italian;
        bool running = false;
    };

    std::vector<CaptionRow> m_rows;
    QMap<QString, RunningCaption> m_running;
};

// `LanguageCode` 2 is Italian; every other value shows English.
TickedLanguage languageForCode(int languageCode);

// The main window's rows for the search group, the pages, the menu, the command line and the log.
CaptionTable mainWindowCaptions();

// Row 0 of the meter table: twelve fixed headings, then the first `extraTitleCount` extra titles (0..15).
QStringList meterTableHeadings(TickedLanguage language, int extraTitleCount, const QStringList& extraTitles);
// Display table headings of columns 3..12, by column.
QMap<int, QString> displayTableHeadings(TickedLanguage language);
// Receiver table headings by column; only the English table sets them.
QMap<int, QString> receiverTableHeadings();
// Month headings of the readings table, columns 12..23.
QMap<int, QString> monthHeadings(TickedLanguage language);

} // namespace holvex
