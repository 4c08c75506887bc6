#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace holvex {

namespace {
QMenu* addMenu(QMenuBar* bar, const QString& name, const QString& title) {
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + QStringLiteral("_action"));
    return menu;
}

QAction* addEntry(QMenu* menu, const QString& name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}
} // namespace

MainMenu::MainMenu(QMenuBar* bar) : QObject(bar) {
    setObjectName(QStringLiteral("MainMenu"));
    QMenu* file = addMenu(bar, QStringLiteral("Menu_file"), QStringLiteral("File"));
    m_open = addEntry(file, QStringLiteral("Menu_open"), QStringLiteral("Open"));
    m_save = addEntry(file, QStringLiteral("Menu_save"), QStringLiteral("Save"));
    file->addSeparator();
    m_exit = addEntry(file, QStringLiteral("Menu_exit"), QStringLiteral("Exit"));

    QMenu* tools = addMenu(bar, QStringLiteral("Menu_tools"), QStringLiteral("Tools"));
    m_users = addEntry(tools, QStringLiteral("Menu_users"), QStringLiteral("Users"));
    m_settings = addEntry(tools, QStringLiteral("Menu_settings"), QStringLiteral("Settings"));

    QMenu* language = addMenu(bar, QStringLiteral("Menu_language"), QStringLiteral("Language"));
    m_english = addEntry(language, QStringLiteral("Menu_english"), QStringLiteral("English"));
    m_italian = addEntry(language, QStringLiteral("Menu_italian"), QStringLiteral("Italian"));
    m_english->setCheckable(true);
    m_italian->setCheckable(true);

    QMenu* help = addMenu(bar, QStringLiteral("Menu_help"), QStringLiteral("Help"));
    m_about = addEntry(help, QStringLiteral("Menu_about"), QStringLiteral("About"));
    m_manual = addEntry(help, QStringLiteral("Menu_manual"), QStringLiteral("User Manual"));

    tickLanguage(false);
}

void MainMenu::tickLanguage(bool italian) {
    m_english->setChecked(!italian);
    m_italian->setChecked(italian);
}

bool MainMenu::englishTicked() const {
    return m_english->isChecked();
}

} // namespace holvex
