#pragma once

#include <QRect>
#include <QStyledItemDelegate>

#include <functional>

namespace holvex::display {

// Draws the display table's cells and edits them. Column 0 of a data row shows the row's selection box (the
// row's mark) before its text: a square two pixels in and four down from the cell's corner, as high as the
// cell less eight pixels, crossed when the box is ticked. Editors take only the characters their column
// accepts; any other key is dropped.
class DisplayMarkDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Which characters a column's cells take; the display table's rules unless another table sets its own.
    using KeyFilter = std::function<bool(int column, QChar key)>;

    explicit DisplayMarkDelegate(QObject* parent = nullptr);

    void setKeyFilter(KeyFilter filter) { m_accepts = std::move(filter); }
    const KeyFilter& keyFilter() const { return m_accepts; }

    // The selection box of a column-0 cell: from (L + 2, T + 4) to (L + 2 + H - 8, B - 4).
    static QRect boxRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

private:
    KeyFilter m_accepts;
};

} // namespace holvex::display
