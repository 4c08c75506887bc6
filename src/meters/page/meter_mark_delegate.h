#pragma once

#include <QStyledItemDelegate>

namespace holvex {

// Draws the cells of a grid whose rows carry marks: a marked row in white on the highlight colour, any other
// row in black on white. The text sits at the cell's top-left corner without inset, so a narrow column shows
// the beginning of its text, as the operator expects of a plain grid.
class MeterMarkDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit MeterMarkDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Colours of a cell by its row's mark; `palette` gives the system's highlight colour.
    static QColor backgroundColour(bool marked, const QPalette& palette);
    static QColor textColour(bool marked);
};

} // namespace holvex
