#include "ui/desktop_hooks.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace holvex {

bool DesktopHooks::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

bool DesktopHooks::askYesNoWarning(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

YesNoCancel DesktopHooks::askYesNoCancel(QWidget* parent, const QString& title, const QString& text) {
    const auto answer = QMessageBox::warning(
        parent, title, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) {
        return YesNoCancel::Yes;
    }
    return answer == QMessageBox::No ? YesNoCancel::No : YesNoCancel::Cancel;
}

void DesktopHooks::warn(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

void DesktopHooks::openDocument(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

DesktopHooks& DesktopHooks::defaultHooks() {
    static DesktopHooks hooks;
    return hooks;
}

} // namespace holvex
