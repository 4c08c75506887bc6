#include "ui/dialog_accessibility.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QWidget>

namespace holvex {

namespace {

const char kDialogProperty[] = "holvexAccessibleDialog";

// Windows marked by behaveAsDialog are dialogs to assistive technology; every other object is left to Qt.
QAccessibleInterface* dialogRoleFactory(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget != nullptr && widget->isWindow() && widget->property(kDialogProperty).toBool()) {
        return new QAccessibleWidget(widget, QAccessible::Dialog);
    }
    return nullptr;
}

// A caption as a name: without the mnemonic's "&", the trailing colon and blanks.
QString nameFromCaption(QString caption) {
    caption.remove(QLatin1Char('&'));
    caption = caption.trimmed();
    if (caption.endsWith(QLatin1Char(':'))) {
        caption.chop(1);
    }
    return caption.trimmed();
}

} // namespace

void behaveAsDialog(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(dialogRoleFactory);
        return true;
    }();
    (void)installed;
    window->setProperty(kDialogProperty, true);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
    nameControlsForAssistiveTechnology(window);
}

void nameControlsForAssistiveTechnology(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (buddy != nullptr && buddy->accessibleName().isEmpty()) {
            buddy->setAccessibleName(nameFromCaption(label->text()));
        }
    }
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->accessibleName().isEmpty() && !button->text().isEmpty()) {
            button->setAccessibleName(nameFromCaption(button->text()));
        }
    }
}

} // namespace holvex
