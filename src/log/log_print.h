#pragma once

#include <QString>
#include <QStringList>

class QDateTime;
class QPagedPaintDevice;

namespace holvex {

// "Print of log file " followed by the date and time in the system's short formats.
QString logPrintHeading(const QDateTime& when);

// Prints the log on the device (a printer or a PDF writer), one heading per page and a double line height per
// log line, positions measured in A4 millimetres of the printable area. Returns the number of pages printed,
// or 0 when the device could not be painted on.
int printLog(QPagedPaintDevice& device, const QStringList& lines, const QString& heading);

} // namespace holvex
