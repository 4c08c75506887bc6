#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace holvex::cli {

// "--name" or "--name=value".
bool isOption(const QString& argument, const QString& name);

// The value of the option at `index`, given as "--name=value" or as the next argument (then `index` moves
// on to it); false with "--name needs a value" when there is none or it is empty.
bool takeValue(const QStringList& arguments, int& index, const QString& name, QString& target,
               QString* error);

// "1,3-5" as a set of the data rows 1..dataRows; nothing, with the reason, for a piece that is not a number
// or a range of them within the table.
std::optional<QSet<int>> parseRows(const QString& list, int dataRows, QString* error);

} // namespace holvex::cli
