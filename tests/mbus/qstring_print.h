#pragma once

#include <QString>

#include <ostream>

// Readable texts in failure messages instead of the bytes of each character.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
