#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace holvex {

// Swallows every typed character outside an allowed set. Backspace, line feed and carriage return always
// pass, and so do keys that type nothing (arrows, Delete, Tab, shortcuts).
class KeyFilter : public QObject {
    Q_OBJECT
public:
    explicit KeyFilter(QString allowed, QObject* parent = nullptr);

    // Installs a filter on the field; the filter is owned by the field.
    static void install(QWidget* field, const QString& allowed);

    static QString digits();       // "0123456789"
    static QString digitsAndDot(); // digits and "."
    static QString digitsAndF();   // digits and "F", the wildcard digit of a secondary address

    bool accepts(const QString& typed) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_allowed;
};

} // namespace holvex
