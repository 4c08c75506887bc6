#include "settings/key_filter_widget.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace holvex {

KeyFilter::KeyFilter(QString allowed, QObject* parent) : QObject(parent), m_allowed(std::move(allowed)) {}

void KeyFilter::install(QWidget* field, const QString& allowed) {
    field->installEventFilter(new KeyFilter(allowed, field));
}

QString KeyFilter::digits() {
    return QStringLiteral("0123456789");
}

QString KeyFilter::digitsAndDot() {
    return QStringLiteral("0123456789.");
}

QString KeyFilter::digitsAndF() {
    return QStringLiteral("0123456789F");
}

bool KeyFilter::accepts(const QString& typed) const {
    for (const QChar c : typed) {
        if (c == QLatin1Char('\b') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            continue;
        }
        if (!m_allowed.contains(c)) {
            return false;
        }
    }
    return true;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        // Keys that type nothing printable (navigation, editing, shortcuts) are not ours to judge.
        const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (printable && !shortcut && !accepts(typed)) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace holvex
