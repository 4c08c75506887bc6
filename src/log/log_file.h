#pragma once

#include <QString>
#include <QStringList>

namespace holvex {

// Writes the log as plain text, one line per log line. Returns false when the file cannot be written; an
// existing file is then left as it was.
bool writeLogFile(const QString& path, const QStringList& lines);

// The name the save dialog proposes: the folder with "log.txt" in it.
QString proposedLogFileName(const QString& lastDirectory);

} // namespace holvex
