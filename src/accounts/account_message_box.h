#pragma once

#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

namespace holvex {

// The account windows' messages: a plain message under the application title, or a warning or error box
// with its own title.
enum class AccountMessageKind { Plain, Warning, Error };

// Where the account windows send their messages; tests replace it to capture the texts instead of blocking
// in a modal box.
using AccountMessageHook =
    std::function<void(AccountMessageKind kind, const QString& title, const QString& text)>;

// The title plain messages carry.
QString accountMessageTitle();

// Shows the message in a modal box over parent.
void showAccountMessageBox(QWidget* parent, AccountMessageKind kind, const QString& title,
                           const QString& text);

// Makes a password field echo "*" whatever the desktop style would show.
void useStarEcho(QLineEdit* field);

} // namespace holvex
