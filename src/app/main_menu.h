#pragma once

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

namespace holvex {

// The main window's menu: "File", "Tools", "Language" and "Help". The window connects the entries; this class
// only builds them and keeps the two language entries' ticks consistent.
class MainMenu : public QObject {
    Q_OBJECT
public:
    explicit MainMenu(QMenuBar* bar);

    QAction* open() const { return m_open; }
    QAction* save() const { return m_save; }
    QAction* exit() const { return m_exit; }
    QAction* users() const { return m_users; }
    QAction* settings() const { return m_settings; }
    QAction* english() const { return m_english; }
    QAction* italian() const { return m_italian; }
    QAction* about() const { return m_about; }
    QAction* manual() const { return m_manual; }

    // Ticks one language entry and unticks the other.
    void tickLanguage(bool italian);
    bool englishTicked() const;

private:
    QAction* m_open = nullptr;
    QAction* m_save = nullptr;
    QAction* m_exit = nullptr;
    QAction* m_users = nullptr;
    QAction* m_settings = nullptr;
    QAction* m_english = nullptr;
    QAction* m_italian = nullptr;
    QAction* m_about = nullptr;
    QAction* m_manual = nullptr;
};

} // namespace holvex
