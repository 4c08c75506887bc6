#include "cli/option_words.h"

namespace holvex::cli {

bool isOption(const QString& argument, const QString& name) {
    return argument == name || argument.startsWith(name + QLatin1Char('='));
}

bool takeValue(const QStringList& arguments, int& index, const QString& name, QString& target,
               QString* error) {
    const QString& argument = arguments.at(index);
    if (argument.startsWith(name + QLatin1Char('='))) {
        target = argument.mid(name.size() + 1);
    } else if (index + 1 < arguments.size()) {
        target = arguments.at(++index);
    } else {
        target.clear();
    }
    if (target.isEmpty()) {
        *error = name + QStringLiteral(" needs a value");
        return false;
    }
    return true;
}

std::optional<QSet<int>> parseRows(const QString& list, int dataRows, QString* error) {
    QSet<int> rows;
    for (const QString& piece : list.split(QLatin1Char(','))) {
        const QStringList ends = piece.trimmed().split(QLatin1Char('-'));
        bool firstOk = false;
        bool lastOk = ends.size() <= 2;
        const int first = ends.value(0).toInt(&firstOk);
        const int last = ends.size() == 2 ? ends.value(1).toInt(&lastOk) : first;
        if (!firstOk || !lastOk || first < 1 || last < first || last > dataRows) {
            *error = QStringLiteral("--rows: \"%1\" is not a range of the table's rows 1 to %2")
                         .arg(piece.trimmed())
                         .arg(dataRows);
            return std::nullopt;
        }
        for (int row = first; row <= last; ++row) {
            rows.insert(row);
        }
    }
    return rows;
}

} // namespace holvex::cli
