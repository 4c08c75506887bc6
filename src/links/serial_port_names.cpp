#include "links/serial_port_names.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace holvex::links {

QString serialDevicePath(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty()) {
        return trimmed;
    }
    if (trimmed.contains(QLatin1Char('/'))) {
        return trimmed;
    }
    static const QRegularExpression comName(QStringLiteral("^COM([1-9][0-9]{0,3})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(trimmed);
    if (match.hasMatch()) {
        return QStringLiteral("/dev/ttyS") + QString::number(match.captured(1).toInt() - 1);
    }
    return QStringLiteral("/dev/") + trimmed;
}

SerialOpenFailure classifySerialOpenFailure(bool exists, bool readableAndWritable) {
    if (!exists) {
        return SerialOpenFailure::Missing;
    }
    if (!readableAndWritable) {
        return SerialOpenFailure::NoPermission;
    }
    return SerialOpenFailure::InUse;
}

SerialOpenFailure inspectSerialOpenFailure(const QString& devicePath, QString* ownerGroup) {
    const QFileInfo info(devicePath);
    const bool exists = !devicePath.isEmpty() && info.exists();
    if (ownerGroup != nullptr) {
        *ownerGroup = exists ? info.group() : QString();
    }
    return classifySerialOpenFailure(exists, exists && info.isReadable() && info.isWritable());
}

QString serialOpenFailureText(SerialOpenFailure failure, const QString& devicePath, const QString& ownerGroup,
                              bool italian) {
    switch (failure) {
    case SerialOpenFailure::Missing:
        return italian ? QStringLiteral("La porta seriale %1 non esiste.").arg(devicePath)
                       : QStringLiteral("The serial port %1 does not exist.").arg(devicePath);
    case SerialOpenFailure::NoPermission: {
        const QString group = ownerGroup.isEmpty() ? QStringLiteral("dialout") : ownerGroup;
        return italian
                   ? QStringLiteral("Nessun permesso per aprire la porta seriale %1: aggiungere l'utente al "
                                    "gruppo \"%2\" che la possiede e rientrare nella sessione.")
                         .arg(devicePath, group)
                   : QStringLiteral("No permission to open the serial port %1: join the group \"%2\" that "
                                    "owns it, then log in again.")
                         .arg(devicePath, group);
    }
    case SerialOpenFailure::InUse:
        break;
    }
    return italian ? QStringLiteral("La porta seriale %1 e aperta da un altro programma.").arg(devicePath)
                   : QStringLiteral("The serial port %1 is in use by another program.").arg(devicePath);
}

} // namespace holvex::links
