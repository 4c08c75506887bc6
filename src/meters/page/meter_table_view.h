#pragma once

#include <QTableView>

#include <array>

namespace holvex {

class StringGridModel;

// The meter table as the operator sees it: the heading row as the horizontal header, whole-row selection,
// rows of 20 pixels, resizable columns, and cells drawn by their row's mark. The view reports what the mouse
// and the keyboard do in grid rows (row 0 is the heading, -1 outside the rows) and leaves the table rules to
// whoever listens.
class MeterTableView : public QTableView {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 20;
    static constexpr std::array<int, 12> kFixedColumnWidths{64, 48, 56, 64, 49, 64, 73, 83, 52, 64, 64, 87};
    static constexpr int kExtraColumnWidth = 64;

    explicit MeterTableView(QWidget* parent = nullptr);

    void setGridModel(StringGridModel* model);
    StringGridModel* gridModel() const { return m_model; }

    // Starting width of a column: the fixed ones as listed, extra value columns kExtraColumnWidth.
    static int defaultColumnWidth(int column);

    // The grid row under a point of the viewport: -1 outside the rows.
    int gridRowAt(const QPoint& viewportPos) const;
    // Top-left viewport point of a cell's rectangle plus a small offset, for pointing at it.
    QPoint cellPoint(int gridRow, int column) const;
    // Makes a data row current (running the cell selection); row 0 or a row outside the grid leaves no
    // current cell, which stands for the heading row.
    void setCurrentGridRow(int gridRow);
    int currentGridRow() const;

signals:
    // A cell of this grid row was selected by a click or the keyboard, or made current by code.
    void cellSelected(int gridRow);
    // The left button was released over this grid row (0: the heading, -1: outside the rows).
    void mouseReleasedOnRow(int gridRow, bool ctrlHeld);
    void tableDoubleClicked();
    void contextMenuRequestedAt(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyDefaultWidths(int firstColumn, int lastColumn);
    void onColumnsInserted(const QModelIndex& parent, int first, int last);

    StringGridModel* m_model = nullptr;
};

} // namespace holvex
