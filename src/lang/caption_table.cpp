#include "lang/caption_table.h"

#include <algorithm>

namespace holvex {

void CaptionTable::add(const QString& objectName, const QString& english, const QString& italian) {
    m_rows.push_back(CaptionRow{objectName, english, italian, false});
}

void CaptionTable::addEnglishOnly(const QString& objectName, const QString& english) {
    m_rows.push_back(CaptionRow{objectName, english, QString(), true});
}

void CaptionTable::append(const CaptionTable& other) {
    m_rows.insert(m_rows.end(), other.m_rows.begin(), other.m_rows.end());
}

void CaptionTable::addRunning(const QString& objectName, const QString& english, const QString& italian) {
    m_running.insert(objectName, RunningCaption{english, italian, false});
}

std::optional<QString> CaptionTable::setRunning(const QString& objectName, bool running,
                                                TickedLanguage language) {
    const auto found = m_running.find(objectName);
    if (found != m_running.end()) {
        found->running = running;
    }
    return caption(objectName, language);
}

bool CaptionTable::isRunning(const QString& objectName) const {
    const auto found = m_running.constFind(objectName);
    return found != m_running.constEnd() && found->running;
}

std::optional<QString> CaptionTable::caption(const QString& objectName, TickedLanguage language) const {
    const auto running = m_running.constFind(objectName);
    if (running != m_running.constEnd() && running->running) {
        return language == TickedLanguage::Italian ? running->italian : running->english;
    }
    for (const CaptionRow& row : m_rows) {
        if (row.objectName != objectName) {
            continue;
        }
        if (language == TickedLanguage::English) {
            return row.english;
        }
        if (row.englishOnly) {
            return std::nullopt;
        }
        return row.italian;
    }
    return std::nullopt;
}

TickedLanguage languageForCode(int languageCode) {
    return languageCode == 2 ? TickedLanguage::Italian : TickedLanguage::English;
}

CaptionTable mainWindowCaptions() {
    CaptionTable table;
    // Pages; the wireless receiver page keeps its English caption in both languages.
    table.add(QStringLiteral("Tab_mbus"), QStringLiteral("   M-bus devices   "),
              QStringLiteral("   M-bus devices   "));
    table.add(QStringLiteral("Tab_comm"), QStringLiteral("   Communication devices   "),
              QStringLiteral("   Comunicazione    "));
    table.add(QStringLiteral("Tab_lumet"), QStringLiteral("   Local display Lumet   "),
              QStringLiteral("   Display Locale Lumet   "));
    table.add(QStringLiteral("Tab_readings"), QStringLiteral("   Get Readings   "),
              QStringLiteral("   Acquisisci letture   "));

    // Menu; the "English" and "Italian" entries never change.
    table.add(QStringLiteral("Menu_file"), QStringLiteral("File"), QStringLiteral("File"));
    table.add(QStringLiteral("Menu_open"), QStringLiteral("Open"), QStringLiteral("Apri"));
    table.add(QStringLiteral("Menu_save"), QStringLiteral("Save"), QStringLiteral("Salva"));
    table.add(QStringLiteral("Menu_exit"), QStringLiteral("Exit"), QStringLiteral("Esci"));
    table.add(QStringLiteral("Menu_tools"), QStringLiteral("Tools"), QStringLiteral("Strumenti"));
    table.add(QStringLiteral("Menu_users"), QStringLiteral("Users"), QStringLiteral("Utenti"));
    table.add(QStringLiteral("Menu_settings"), QStringLiteral("Settings"), QStringLiteral("Impostazioni"));
    table.add(QStringLiteral("Menu_language"), QStringLiteral("Language"), QStringLiteral("Lingua"));
    table.add(QStringLiteral("Menu_help"), QStringLiteral("Help"), QStringLiteral("Aiuto"));
    table.add(QStringLiteral("Menu_about"), QStringLiteral("About"), QStringLiteral("Info"));
    table.add(QStringLiteral("Menu_manual"), QStringLiteral("User Manual"), QStringLiteral("Manuale Utente"));

    // Search group.
    table.add(QStringLiteral("Group_search"), QStringLiteral("   Search network   "),
              QStringLiteral("   Scansione Rete   "));
    table.add(QStringLiteral("Label_primary"), QStringLiteral("By Primary address: "),
              QStringLiteral("Per Ind. Primario "));
    table.add(QStringLiteral("Label_secondary"), QStringLiteral("By Secondary address: "),
              QStringLiteral("Per Ind. Secondario "));
    table.add(QStringLiteral("Butt_find_all"), QStringLiteral("Find all"), QStringLiteral("Trova tutti"));
    table.add(QStringLiteral("Label_timeout"), QStringLiteral("Resp. timeout"),
              QStringLiteral("Timeout risposte"));
    table.add(QStringLiteral("Butt_find_primary"), QStringLiteral("Find"), QStringLiteral("Trova"));
    table.addRunning(QStringLiteral("Butt_find_primary"), QStringLiteral("Stop"), QStringLiteral("Stop"));
    table.add(QStringLiteral("Butt_find_id"), QStringLiteral("Find"), QStringLiteral("Trova"));

    // Command line and log.
    table.add(QStringLiteral("Butt_command_send"), QStringLiteral("Send"), QStringLiteral("Invia"));
    table.add(QStringLiteral("Label_command"), QStringLiteral("Send custom command"),
              QStringLiteral("Invia custom string"));
    table.add(QStringLiteral("Butt_print_log"), QStringLiteral("Print log"), QStringLiteral("Stampa log"));
    table.add(QStringLiteral("Butt_save_log"), QStringLiteral("Save log"), QStringLiteral("Salva log"));
    table.add(QStringLiteral("Butt_clear_log"), QStringLiteral("Clear log"), QStringLiteral("Cancella log"));
    return table;
}

QStringList meterTableHeadings(TickedLanguage language, int extraTitleCount, const QStringList& extraTitles) {
    const bool italian = language == TickedLanguage::Italian;
    QStringList headings = {
        QStringLiteral("ID "),
        QStringLiteral("Addr. "),
        italian ? QStringLiteral("Produttore ") : QStringLiteral("Mfr. "),
        italian ? QStringLiteral("Valore ") : QStringLiteral("Value "),
        italian ? QStringLiteral("Unita ") : QStringLiteral("Unit "),
        italian ? QStringLiteral("Consumo ") : QStringLiteral("Medium "),
        italian ? QStringLiteral("Ora ") : QStringLiteral("Time "),
        italian ? QStringLiteral("Data ") : QStringLiteral("Date "),
        italian ? QStringLiteral("Stato ") : QStringLiteral("Status "),
        QStringLiteral("Pulse "),
        QStringLiteral("Model "),
        QStringLiteral("Batt [V] or Power "),
    };
    const int count = std::clamp(extraTitleCount, 0, 15);
    for (int i = 0; i < count; ++i) {
        headings.append(i < extraTitles.size() ? extraTitles.at(i) : QString());
    }
    return headings;
}

QMap<int, QString> displayTableHeadings(TickedLanguage language) {
    const bool italian = language == TickedLanguage::Italian;
    return {
        {3, QStringLiteral("Start ")},
        {4, QStringLiteral("Mult/Div ")},
        {5, italian ? QStringLiteral("Num. utente ") : QStringLiteral("User numb. ")},
        {6, italian ? QStringLiteral("Testo ") : QStringLiteral("Free text ")},
        {7, QStringLiteral("Total ")},
        {8, QStringLiteral("Tarr 0 ")},
        {9, QStringLiteral("Tarr 1 ")},
        {10, QStringLiteral("Tarr 2 ")},
        {11, QStringLiteral("Tarr 3 ")},
        {12, QStringLiteral("Free text second row (TFT) ")},
    };
}

QMap<int, QString> receiverTableHeadings() {
    return {
        {2, QStringLiteral("MFR ")},           {3, QStringLiteral("Version ")},
        {4, QStringLiteral("Device ")},        {6, QStringLiteral("Note ")},
        {7, QStringLiteral("Auxiliary ID ")},  {8, QStringLiteral("Telegram ")},
        {9, QStringLiteral("Time and Date ")},
    };
}

QMap<int, QString> monthHeadings(TickedLanguage language) {
    static const char* const english[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const italianNames[12] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu",
                                                 "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};
    const bool italian = language == TickedLanguage::Italian;
    QMap<int, QString> headings;
    for (int m = 0; m < 12; ++m) {
        headings.insert(12 + m, QString::fromLatin1(italian ? italianNames[m] : english[m]));
    }
    return headings;
}

} // namespace holvex
