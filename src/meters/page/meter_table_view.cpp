#include "meters/page/meter_table_view.h"

#include "meters/page/meter_mark_delegate.h"
#include "meters/table/string_grid_model.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace holvex {

MeterTableView::MeterTableView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("Grid_bmeters"));
    setItemDelegate(new MeterMarkDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // The right button opens the table's own menu on press; Qt's context menu event would come a second time.
    setContextMenuPolicy(Qt::PreventContextMenu);

    verticalHeader()->setVisible(false);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Releases and double clicks on the heading row count as the table's own.
    horizontalHeader()->viewport()->installEventFilter(this);
}

void MeterTableView::setGridModel(StringGridModel* model) {
    if (m_model) {
        disconnect(m_model, nullptr, this, nullptr);
    }
    m_model = model;
    setModel(model);
    if (m_model) {
        connect(m_model, &QAbstractItemModel::columnsInserted, this, &MeterTableView::onColumnsInserted);
        applyDefaultWidths(0, m_model->gridColumnCount() - 1);
    }
}

int MeterTableView::defaultColumnWidth(int column) {
    if (column >= 0 && column < static_cast<int>(kFixedColumnWidths.size())) {
        return kFixedColumnWidths[static_cast<std::size_t>(column)];
    }
    return kExtraColumnWidth;
}

void MeterTableView::applyDefaultWidths(int firstColumn, int lastColumn) {
    for (int c = firstColumn; c <= lastColumn; ++c) {
        setColumnWidth(c, defaultColumnWidth(c));
    }
}

void MeterTableView::onColumnsInserted(const QModelIndex& parent, int first, int last) {
    // Columns the operator already resized keep their widths; only new ones get a starting width.
    if (!parent.isValid()) {
        applyDefaultWidths(first, last);
    }
}

int MeterTableView::gridRowAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() + 1 : -1;
}

QPoint MeterTableView::cellPoint(int gridRow, int column) const {
    if (!m_model || gridRow < 1) {
        return {};
    }
    const QRect rect = visualRect(m_model->index(gridRow - 1, column));
    return rect.topLeft() + QPoint(3, 3);
}

void MeterTableView::setCurrentGridRow(int gridRow) {
    if (!m_model || gridRow < 1 || gridRow >= m_model->gridRowCount()) {
        setCurrentIndex(QModelIndex());
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex target = m_model->index(gridRow - 1, column);
    if (target == currentIndex()) {
        // Qt reports no change for the same cell; the selection still runs again.
        emit cellSelected(gridRow);
        return;
    }
    setCurrentIndex(target);
}

int MeterTableView::currentGridRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}

void MeterTableView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        viewport()->update();
        emit contextMenuRequestedAt(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    const QModelIndex before = currentIndex();
    QTableView::mousePressEvent(event);
    // A click on the cell that already was current selects it again.
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && clicked.isValid() && clicked == before &&
        clicked == currentIndex()) {
        emit cellSelected(clicked.row() + 1);
    }
}

void MeterTableView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit mouseReleasedOnRow(gridRowAt(event->position().toPoint()),
                                event->modifiers().testFlag(Qt::ControlModifier));
        viewport()->update();
    }
}

void MeterTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit tableDoubleClicked();
    }
}

void MeterTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        emit cellSelected(current.row() + 1);
    } else if (previous.isValid()) {
        emit cellSelected(0);
    }
}

bool MeterTableView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                emit mouseReleasedOnRow(0, mouse->modifiers().testFlag(Qt::ControlModifier));
                viewport()->update();
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                emit tableDoubleClicked();
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::RightButton) {
                viewport()->update();
                emit contextMenuRequestedAt(mouse->globalPosition().toPoint());
                return true;
            }
        }
    }
    return QTableView::eventFilter(watched, event);
}

} // namespace holvex
