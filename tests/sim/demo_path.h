#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

namespace holvex::test {

// sim/demo.json in the source tree. The compiler may have seen this file by a path relative to the build
// folder (ccache's base folder does that), which is one above the test binaries; CTest runs them from their
// own folder.
inline QString demoPath() {
    const QString relative =
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../sim/demo.json"));
    if (QFileInfo(relative).isAbsolute() || QFileInfo::exists(relative)) {
        return relative;
    }
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).filePath(relative);
}

} // namespace holvex::test
