#include "meters/table/string_grid_model.h"

#include <algorithm>

namespace holvex {

StringGridModel::StringGridModel(int columnCount, int maxRowCount, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::clamp(columnCount, 1, kMaxColumns)),
      m_maxRows(std::max(2, maxRowCount)) {
    m_rows.append(QStringList(m_columns, QString()));
    m_rows.append(QStringList(m_columns, QString()));
    m_marks.assign(static_cast<std::size_t>(std::max(kMarkCount, m_maxRows - 1)) + 1, false);
}

bool StringGridModel::validCell(int row, int column) const {
    return row >= 0 && row < gridRowCount() && column >= 0 && column < m_columns;
}

QString StringGridModel::cell(int row, int column) const {
    return validCell(row, column) ? m_rows[row][column] : QString();
}

bool StringGridModel::setCell(int row, int column, const QString& text) {
    if (!validCell(row, column)) {
        return false;
    }
    if (m_rows[row][column] == text) {
        return true;
    }
    m_rows[row][column] = text;
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex cell = index(row - 1, column);
        emit dataChanged(cell, cell, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

QStringList StringGridModel::row(int row) const {
    return (row >= 0 && row < gridRowCount()) ? m_rows[row] : QStringList();
}

QStringList StringGridModel::fitted(const QStringList& cells) const {
    QStringList fitted = cells.mid(0, m_columns);
    while (fitted.size() < m_columns) {
        fitted.append(QString());
    }
    return fitted;
}

bool StringGridModel::setRow(int row, const QStringList& cells) {
    if (row < 0 || row >= gridRowCount()) {
        return false;
    }
    m_rows[row] = fitted(cells);
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    } else {
        notifyRowsChanged(row, row, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

void StringGridModel::setRowCount(int rows) {
    rows = std::clamp(rows, 2, m_maxRows);
    const int current = gridRowCount();
    if (rows > current) {
        // Model rows are grid rows minus the heading: current-1 .. rows-2 are new.
        beginInsertRows(QModelIndex(), current - 1, rows - 2);
        m_rows.reserve(rows);
        for (int r = current; r < rows; ++r) {
            m_rows.append(QStringList(m_columns, QString()));
        }
        endInsertRows();
    } else if (rows < current) {
        beginRemoveRows(QModelIndex(), rows - 1, current - 2);
        m_rows.resize(rows);
        endRemoveRows();
    }
}

void StringGridModel::setColumnCount(int columns) {
    columns = std::clamp(columns, 1, kMaxColumns);
    if (columns > m_columns) {
        beginInsertColumns(QModelIndex(), m_columns, columns - 1);
        for (QStringList& row : m_rows) {
            row.resize(columns);
        }
        m_columns = columns;
        endInsertColumns();
    } else if (columns < m_columns) {
        beginRemoveColumns(QModelIndex(), columns, m_columns - 1);
        for (QStringList& row : m_rows) {
            row.resize(columns);
        }
        m_columns = columns;
        endRemoveColumns();
    }
}

void StringGridModel::setHeadings(const QStringList& headings) {
    setColumnCount(static_cast<int>(headings.size()));
    setRow(0, headings);
}

int StringGridModel::appendRow(const QStringList& cells) {
    if (gridRowCount() >= m_maxRows) {
        return 0;
    }
    const int row = gridRowCount();
    beginInsertRows(QModelIndex(), row - 1, row - 1);
    m_rows.append(fitted(cells));
    endInsertRows();
    return row;
}

int StringGridModel::setRows(int firstRow, const QList<QStringList>& rows) {
    if (firstRow < 1 || firstRow >= m_maxRows || rows.isEmpty()) {
        return 0;
    }
    const int count = std::min(static_cast<int>(rows.size()), m_maxRows - firstRow);
    const int lastRow = firstRow + count - 1;
    const int oldCount = gridRowCount();
    // Rows that already exist change in place; the rest arrive with one insertion.
    if (lastRow >= oldCount) {
        beginInsertRows(QModelIndex(), oldCount - 1, lastRow - 1);
        m_rows.reserve(lastRow + 1);
        while (gridRowCount() <= lastRow) {
            const int r = gridRowCount();
            m_rows.append(r >= firstRow ? fitted(rows[r - firstRow]) : QStringList(m_columns, QString()));
        }
        endInsertRows();
    }
    const int lastExisting = std::min(lastRow, oldCount - 1);
    if (firstRow <= lastExisting) {
        for (int r = firstRow; r <= lastExisting; ++r) {
            m_rows[r] = fitted(rows[r - firstRow]);
        }
        notifyRowsChanged(firstRow, lastExisting, {Qt::DisplayRole, Qt::EditRole});
    }
    return count;
}

bool StringGridModel::removeRow(int row) {
    if (row < 1 || row >= gridRowCount()) {
        return false;
    }
    if (gridRowCount() == 2) {
        m_rows[1] = QStringList(m_columns, QString());
        notifyRowsChanged(1, 1, {Qt::DisplayRole, Qt::EditRole});
        return true;
    }
    beginRemoveRows(QModelIndex(), row - 1, row - 1);
    m_rows.removeAt(row);
    endRemoveRows();
    return true;
}

void StringGridModel::clearDataRows() {
    setRowCount(2);
    m_rows[1] = QStringList(m_columns, QString());
    notifyRowsChanged(1, 1, {Qt::DisplayRole, Qt::EditRole});
}

bool StringGridModel::isMarked(int row) const {
    return row >= 1 && row <= markCapacity() && m_marks[static_cast<std::size_t>(row)];
}

void StringGridModel::setMarked(int row, bool marked) {
    if (row < 1 || row > markCapacity() || m_marks[static_cast<std::size_t>(row)] == marked) {
        return;
    }
    m_marks[static_cast<std::size_t>(row)] = marked;
    notifyMarksChanged(row, row);
}

void StringGridModel::toggleMark(int row) {
    setMarked(row, !isMarked(row));
}

void StringGridModel::clearMarks() {
    std::fill(m_marks.begin(), m_marks.end(), false);
    notifyMarksChanged(1, gridRowCount() - 1);
}

void StringGridModel::markAll() {
    const int last = std::min(gridRowCount() - 1, markCapacity());
    for (int r = 1; r <= last; ++r) {
        m_marks[static_cast<std::size_t>(r)] = true;
    }
    notifyMarksChanged(1, last);
}

int StringGridModel::markedRowCount() const {
    const int last = std::min(gridRowCount() - 1, markCapacity());
    int count = 0;
    for (int r = 1; r <= last; ++r) {
        count += m_marks[static_cast<std::size_t>(r)] ? 1 : 0;
    }
    return count;
}

void StringGridModel::notifyRowsChanged(int firstRow, int lastRow, const QList<int>& roles) {
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, gridRowCount() - 1);
    if (firstRow > lastRow) {
        return;
    }
    emit dataChanged(index(firstRow - 1, 0), index(lastRow - 1, m_columns - 1), roles);
}

void StringGridModel::notifyMarksChanged(int firstRow, int lastRow) {
    notifyRowsChanged(firstRow, lastRow, {MarkRole});
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : gridRowCount() - 1;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return cell(row, index.column());
    case MarkRole:
        return isMarked(row);
    default:
        return {};
    }
}

bool StringGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!m_editable || role != Qt::EditRole || !index.isValid() ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return false;
    }
    return setCell(index.row() + 1, index.column(), value.toString());
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return (section >= 0 && section < m_columns) ? QVariant(heading(section)) : QVariant();
    }
    return (section >= 0 && section < gridRowCount() - 1) ? QVariant(section + 1) : QVariant();
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_editable) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

} // namespace holvex
