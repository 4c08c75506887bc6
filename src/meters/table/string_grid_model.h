#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace holvex {

// A grid of text cells with a heading row and one mark flag per data row: the meter, display, readings and
// receiver tables all use it.
//
// Two indexings exist side by side:
// - The grid's own, used by every table rule and by the CSV files: row 0 is the heading row, rows
//   1..gridRowCount()-1 hold data. gridRowCount() includes the heading and is never below 2 (heading plus one
//   row), because a table always keeps one row for the next meter to be written into.
// - Qt's, for views: the heading row is the horizontal header and model row i is grid row i + 1, so
//   rowCount() == gridRowCount() - 1. The vertical header shows the grid row number.
//
// Marks belong to row numbers, not to row contents: deleting a row does not move them. Views read a mark
// through MarkRole (a bool) and draw the colours themselves, so this model needs nothing from QtGui.
class StringGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kMarkCount = 450;      // flags for rows 1..450
    static constexpr int kDefaultMaxRows = 450; // heading included
    static constexpr int kMaxColumns = 256;     // far above any table of the program
    static constexpr int MarkRole = Qt::UserRole + 1;

    explicit StringGridModel(int columnCount, int maxRowCount = kDefaultMaxRows, QObject* parent = nullptr);

    // Grid indexing
    int gridRowCount() const { return static_cast<int>(m_rows.size()); }
    int gridColumnCount() const { return m_columns; }
    int maxRowCount() const { return m_maxRows; }
    int dataRowCount() const { return gridRowCount() - 1; }

    // Empty text for a cell outside the grid.
    QString cell(int row, int column) const;
    // Returns false (and changes nothing) for a cell outside the grid.
    bool setCell(int row, int column, const QString& text);
    // The row's cells, gridColumnCount() texts; empty list outside the grid.
    QStringList row(int row) const;
    // Writes cells into columns 0.. of the row; columns beyond the given texts are emptied, texts beyond the
    // last column are dropped. Returns false outside the grid.
    bool setRow(int row, const QStringList& cells);

    // Clamped to 2..maxRowCount(); new rows are empty. Removing rows does not touch the marks.
    void setRowCount(int rows);
    // Clamped to 1..kMaxColumns; new cells are empty.
    void setColumnCount(int columns);

    QString heading(int column) const { return cell(0, column); }
    QStringList headings() const { return row(0); }
    // Sets the column count to the number of texts and writes them into row 0.
    void setHeadings(const QStringList& headings);

    // Adds one row holding the cells at the end; returns its row number, or 0 when the grid is full.
    int appendRow(const QStringList& cells = {});
    // Writes rows starting at firstRow, growing the grid as needed in one step. Rows that would go beyond
    // maxRowCount() are not written. Returns the number of rows written.
    int setRows(int firstRow, const QList<QStringList>& rows);
    // Removes data row `row`; the rows below move up. Marks stay with their row numbers. With only one data
    // row left the row is emptied instead, so the grid keeps its two rows. Returns false for row 0 or a row
    // outside the grid.
    bool removeRow(int row);
    // Empties every data row and leaves the heading and one empty row. Marks are not touched.
    void clearDataRows();

    // Marks of rows 1..markCapacity(); other rows read as unmarked and cannot be marked.
    int markCapacity() const { return static_cast<int>(m_marks.size()) - 1; }
    bool isMarked(int row) const;
    void setMarked(int row, bool marked);
    void toggleMark(int row);
    // Clears every flag, including those of rows beyond the current row count.
    void clearMarks();
    // Marks rows 1..gridRowCount()-1.
    void markAll();
    // Number of marked rows among 1..gridRowCount()-1.
    int markedRowCount() const;

    // Whether views may edit the cells (the display, readings and receiver tables are editable).
    void setEditable(bool editable) { m_editable = editable; }
    bool editable() const { return m_editable; }

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool validCell(int row, int column) const;
    QStringList fitted(const QStringList& cells) const;
    void notifyRowsChanged(int firstRow, int lastRow, const QList<int>& roles);
    void notifyMarksChanged(int firstRow, int lastRow);

    QList<QStringList> m_rows; // m_rows[0] is the heading row
    int m_columns = 1;
    int m_maxRows = kDefaultMaxRows;
    std::vector<bool> m_marks; // index = grid row; index 0 unused
    bool m_editable = false;
};

} // namespace holvex
