#pragma once

#include <QString>

namespace holvex {

// Which entry of the "Language" menu is ticked. Messages pick their language from it at the moment they are
// produced; the settings and users windows pick their caption table from it when they are activated.
enum class TickedLanguage { English, Italian };

class MessageLanguage {
public:
    void setTicked(TickedLanguage language) { m_ticked = language; }
    TickedLanguage ticked() const { return m_ticked; }
    bool italian() const { return m_ticked == TickedLanguage::Italian; }

    // The English or the Italian text, by the ticked entry.
    QString pick(const QString& english, const QString& italianText) const {
        return italian() ? italianText : english;
    }

private:
    TickedLanguage m_ticked = TickedLanguage::English;
};

} // namespace holvex
