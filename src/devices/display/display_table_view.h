#pragma once

#include <QModelIndex>
#include <QTableView>

#include <functional>

namespace holvex {
class StringGridModel;
}

namespace holvex::display {

// The display table as the operator sees it: the heading row as the horizontal header, rows of 20 pixels,
// editable cells (a double click, F2 or typing), and a selection box in column 0 of every data row. A click
// toggles a box only when the button goes down and comes up on the same column-0 cell and is released inside
// the box. Keys the column does not take never start or reach an editor. Rows are reported in grid rows (row
// 0 is the heading).
class DisplayTableView : public QTableView {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 20;

    explicit DisplayTableView(QWidget* parent = nullptr);

    void setGridModel(StringGridModel* model);
    // Another table's rules for the characters its columns take (the receiver table's).
    void setKeyFilter(std::function<bool(int column, QChar key)> filter);
    StringGridModel* gridModel() const { return m_model; }

    // The grid row of the current cell; 0 when there is none.
    int currentGridRow() const;
    int currentColumn() const;
    // A cell's editor is open.
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
    // Top-left viewport point of a cell plus a small offset, and the centre of a row's box, for pointing.
    QPoint cellPoint(int gridRow, int column) const;
    QPoint boxCentre(int gridRow) const;

    static int defaultColumnWidth(int column);

signals:
    // A data row's box was clicked.
    void boxClicked(int gridRow);
    // A cell became current (click, keyboard or code).
    void cellSelected(int gridRow, int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    StringGridModel* m_model = nullptr;
    QPersistentModelIndex m_pressed;
    std::function<bool(int column, QChar key)> m_accepts;
};

} // namespace holvex::display
