#include "lang/caption_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

namespace holvex {

namespace {
// A page of a tab widget sits in the tab widget's inner stack, two levels below it.
QTabWidget* owningTabWidget(QWidget* page) {
    QWidget* stack = page->parentWidget();
    QWidget* tabs = stack ? stack->parentWidget() : nullptr;
    return qobject_cast<QTabWidget*>(tabs);
}

bool setCaption(QObject* object, const QString& text) {
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
        return true;
    }
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->setTitle(text);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        button->setText(text);
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
        return true;
    }
    if (auto* group = qobject_cast<QGroupBox*>(object)) {
        group->setTitle(text);
        return true;
    }
    if (auto* widget = qobject_cast<QWidget*>(object)) {
        if (QTabWidget* tabs = owningTabWidget(widget)) {
            const int index = tabs->indexOf(widget);
            if (index >= 0) {
                tabs->setTabText(index, text);
                return true;
            }
        }
    }
    return false;
}
} // namespace

int applyCaptions(QWidget* root, const CaptionTable& table, TickedLanguage language) {
    int applied = 0;
    for (const CaptionRow& row : table.rows()) {
        const std::optional<QString> caption = table.caption(row.objectName, language);
        if (!caption) {
            continue;
        }
        const QString& text = *caption;
        // Actions and menus are QObject children of their menus, so a QObject search finds them too.
        const QList<QObject*> found = root->findChildren<QObject*>(row.objectName);
        for (QObject* object : found) {
            if (setCaption(object, text)) {
                ++applied;
            }
        }
    }
    return applied;
}

bool applyCaption(QWidget* root, const CaptionTable& table, const QString& objectName,
                  TickedLanguage language) {
    const std::optional<QString> caption = table.caption(objectName, language);
    if (!caption) {
        return false;
    }
    bool applied = false;
    for (QObject* object : root->findChildren<QObject*>(objectName)) {
        applied = setCaption(object, *caption) || applied;
    }
    return applied;
}

int applyEnglish(QWidget* mainWindow, const CaptionTable& table) {
    return applyCaptions(mainWindow, table, TickedLanguage::English);
}

int applyItalian(QWidget* mainWindow, const CaptionTable& table) {
    return applyCaptions(mainWindow, table, TickedLanguage::Italian);
}

} // namespace holvex
