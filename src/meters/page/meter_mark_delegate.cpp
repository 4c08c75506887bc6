#include "meters/page/meter_mark_delegate.h"

#include "meters/table/string_grid_model.h"

#include <QPainter>

namespace holvex {

MeterMarkDelegate::MeterMarkDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QColor MeterMarkDelegate::backgroundColour(bool marked, const QPalette& palette) {
    return marked ? palette.color(QPalette::Active, QPalette::Highlight) : QColor(Qt::white);
}

QColor MeterMarkDelegate::textColour(bool marked) {
    return marked ? QColor(Qt::white) : QColor(Qt::black);
}

void MeterMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const bool marked = index.data(StringGridModel::MarkRole).toBool();
    painter->save();
    painter->fillRect(option.rect, backgroundColour(marked, option.palette));
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(textColour(marked));
    painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

} // namespace holvex
