#include "devices/display/display_mark_delegate.h"

#include "devices/display/display_columns.h"
#include "devices/display/display_table.h"
#include "meters/table/string_grid_model.h"

#include <QLineEdit>
#include <QPainter>
#include <QValidator>

#include <algorithm>

namespace holvex::display {

namespace {

// A cell's editor keeps only what its column accepts: a refused character, typed or pasted, is dropped.
class ColumnValidator : public QValidator {
public:
    ColumnValidator(int column, DisplayMarkDelegate::KeyFilter accepts, QObject* parent)
        : QValidator(parent), m_column(column), m_accepts(std::move(accepts)) {}

    State validate(QString& input, int&) const override {
        for (const QChar ch : input) {
            if (!m_accepts(m_column, ch)) {
                return Invalid;
            }
        }
        return Acceptable;
    }

private:
    int m_column;
    DisplayMarkDelegate::KeyFilter m_accepts;
};

} // namespace

DisplayMarkDelegate::DisplayMarkDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_accepts(&displayCellAccepts) {}

QRect DisplayMarkDelegate::boxRect(const QRect& cell) {
    const int left = cell.left();
    const int top = cell.top();
    const int bottom = cell.top() + cell.height();
    const int side = std::max(cell.height() - 8, 1);
    return QRect(QPoint(left + 2, top + 4), QPoint(left + 2 + side, bottom - 4));
}

void DisplayMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (index.column() != kDisplayIdColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QRect cell = option.rect;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->save();
    painter->fillRect(cell, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
    painter->setClipRect(cell);
    const QRect box = boxRect(cell);
    painter->setPen(QPen(text, 1));
    painter->drawRect(box);
    if (index.data(StringGridModel::MarkRole).toBool()) {
        const int bottom = cell.top() + cell.height();
        painter->drawLine(box.topLeft(), box.bottomRight());
        painter->drawLine(QPoint(box.left(), bottom - 5), QPoint(box.right(), cell.top() + 3));
    }
    painter->setFont(option.font);
    const QRect textRect = cell.adjusted(box.right() - cell.left() + 4, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QWidget* DisplayMarkDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->setValidator(new ColumnValidator(index.column(), m_accepts, line));
    }
    return editor;
}

} // namespace holvex::display
