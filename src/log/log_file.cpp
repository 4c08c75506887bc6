#include "log/log_file.h"

#include <QDir>
#include <QSaveFile>

namespace holvex {

bool writeLogFile(const QString& path, const QStringList& lines) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    for (const QString& line : lines) {
        const QByteArray bytes = line.toUtf8() + '\n';
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

QString proposedLogFileName(const QString& lastDirectory) {
    const QString name = QStringLiteral("log.txt");
    if (lastDirectory.isEmpty()) {
        return name;
    }
    // The stored folder may come with or without a trailing separator; never glue the name onto the folder's
    // last component.
    return QDir(lastDirectory).filePath(name);
}

} // namespace holvex
