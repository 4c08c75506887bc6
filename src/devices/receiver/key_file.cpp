#include "devices/receiver/key_file.h"

#include "settings/program_home.h"

#include <QFile>

namespace holvex::receiver {

namespace {

// A keys file is a few lines a meter; anything far larger is not one.
constexpr qint64 kMaxKeyFileBytes = 4 * 1024 * 1024;

} // namespace

QString defaultKeyFilePath() {
    return ProgramHome::filePath(QStringLiteral("files/keys.csv"));
}

KeyTable loadKeyFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        KeyTable table;
        table.problems.append(QStringLiteral("cannot read the keys file ") + path + QStringLiteral(": ") +
                              file.errorString());
        return table;
    }
    if (file.size() > kMaxKeyFileBytes) {
        KeyTable table;
        table.problems.append(QStringLiteral("the keys file ") + path + QStringLiteral(" is too large"));
        return table;
    }
    return parseKeyTable(file.read(kMaxKeyFileBytes));
}

} // namespace holvex::receiver
