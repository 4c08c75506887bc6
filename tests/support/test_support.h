#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace holvex::test {

// Bytes from hex text with blanks, as the examples are written: "10 7B 01 7C 16".
QByteArray hex(const char* text);

// Upper-case hex with a blank after every byte, the way the event log traces frames.
QString spacedHex(const QByteArray& bytes);

// Writes bytes to a file below dir; returns the full path.
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

QByteArray readFile(const QString& path);

} // namespace holvex::test
