#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace holvex {

namespace {
QMenu* AddMenu(QMenuBar* bar, const QString& name, const QString& title) {
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name + QStringLiteral("_action"));
    return menu;
}

QAction* AddEntry(QMenu* menu, const QString& name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    return action;
}
} // namespace

MainMenu::MainMenu(QMenuBar* bar) : QObject(bar) {
    setObjectName(QStringLiteral("MainMenu"));
    QMenu* file = AddMenu(bar, QStringLiteral("Menu_file"), QStringLiteral("File"));
    m_open = AddEntry(file, QStringLiteral("Menu_open"), QStringLiteral("Open"));
    m_save = AddEntry(file, QStringLiteral("Menu_save"), QStringLiteral("Save"));
    file->addSeparator();
    m_exit = AddEntry(file, QStringLiteral("Menu_exit"), QStringLiteral("Exit"));

    QMenu* tools = AddMenu(bar, QStringLiteral("Menu_tools"), QStringLiteral("Tools"));
    m_users = AddEntry(tools, QStringLiteral("Menu_users"), QStringLiteral("Users"));
    m_settings = AddEntry(tools, QStringLiteral("Menu_settings"), QStringLiteral("Settings"));

    QMenu* language = AddMenu(bar, QStringLiteral("Menu_language"), QStringLiteral("Language"));
    m_english = AddEntry(language, QStringLiteral("Menu_english"), QStringLiteral("English"));
    m_italian = AddEntry(language, QStringLiteral("Menu_italian"), QStringLiteral("Italian"));
    m_english->setCheckable(true);
    m_italian->setCheckable(true);

    QMenu* help = AddMenu(bar, QStringLiteral("Menu_help"), QStringLiteral("Help"));
    m_about = AddEntry(help, QStringLiteral("Menu_about"), QStringLiteral("About"));
    m_manual = AddEntry(help, QStringLiteral("Menu_manual"), QStringLiteral("User Manual"));

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
