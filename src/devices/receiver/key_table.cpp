#include "devices/receiver/key_table.h"

namespace holvex::receiver {

namespace {

constexpr int kIdCharacters = 8;

bool isHexId(const QString& id) {
    if (id.size() != kIdCharacters) {
        return false;
    }
    for (const QChar c : id) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F')))) {
            return false;
        }
    }
    return true;
}

} // namespace

KeyTable parseKeyTable(const QByteArray& text) {
    KeyTable table;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QString where =
            QStringLiteral("keys file line ") + QString::number(i + 1) + QStringLiteral(": ");
        const QStringList fields = line.split(QLatin1Char(';'));
        if (fields.size() != 2) {
            table.problems.append(where + QStringLiteral("expected ID;key"));
            continue;
        }
        const QString id = fields[0].trimmed().toUpper();
        if (!isHexId(id)) {
            table.problems.append(where + QStringLiteral("the ID must be 8 hex digits"));
            continue;
        }
        const auto key = parseHexKey(fields[1]);
        if (!key) {
            table.problems.append(where + QStringLiteral("the key must be 32 hex digits"));
            continue;
        }
        table.keys.insert(id, *key);
    }
    return table;
}

std::optional<AesKey> keyForMeter(const KeyTable& table, const QString& meterId) {
    const auto found = table.keys.constFind(meterId.toUpper());
    if (found == table.keys.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

} // namespace holvex::receiver
