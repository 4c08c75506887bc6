#include "accounts/account_message_box.h"

#include <QLineEdit>
#include <QMessageBox>

namespace holvex {

QString accountMessageTitle() {
    return QStringLiteral("Holvex");
}

void showAccountMessageBox(QWidget* parent, AccountMessageKind kind, const QString& title,
                           const QString& text) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (kind == AccountMessageKind::Warning) {
        icon = QMessageBox::Warning;
    } else if (kind == AccountMessageKind::Error) {
        icon = QMessageBox::Critical;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void useStarEcho(QLineEdit* field) {
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

} // namespace holvex
