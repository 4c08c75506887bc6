#include "devices/display/display_table_view.h"

#include "devices/display/display_columns.h"
#include "devices/display/display_mark_delegate.h"
#include "devices/display/display_table.h"
#include "meters/table/string_grid_model.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace holvex::display {

DisplayTableView::DisplayTableView(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("Grid_lumet"));
    auto* delegate = new DisplayMarkDelegate(this);
    m_accepts = delegate->keyFilter();
    setItemDelegate(delegate);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A single click only selects (or ticks a box); editing starts as in any grid.
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setWordWrap(false);

    verticalHeader()->setVisible(false);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

int DisplayTableView::defaultColumnWidth(int column) {
    switch (column) {
    case kDisplayIdColumn:
        return 84;
    case kDisplayUserNumberColumn:
        return 80;
    case kDisplayFreeTextColumn:
    case kDisplayFreeText2Column:
        return 160;
    default:
        return 64;
    }
}

void DisplayTableView::setGridModel(StringGridModel* model) {
    m_model = model;
    setModel(model);
    if (m_model) {
        for (int c = 0; c < m_model->gridColumnCount(); ++c) {
            setColumnWidth(c, defaultColumnWidth(c));
        }
    }
}

void DisplayTableView::setKeyFilter(std::function<bool(int column, QChar key)> filter) {
    m_accepts = filter;
    if (auto* delegate = qobject_cast<DisplayMarkDelegate*>(itemDelegate())) {
        delegate->setKeyFilter(std::move(filter));
    }
}

int DisplayTableView::currentGridRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}

int DisplayTableView::currentColumn() const {
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

QPoint DisplayTableView::cellPoint(int gridRow, int column) const {
    if (!m_model || gridRow < 1) {
        return {};
    }
    return visualRect(m_model->index(gridRow - 1, column)).topLeft() + QPoint(3, 3);
}

QPoint DisplayTableView::boxCentre(int gridRow) const {
    if (!m_model || gridRow < 1) {
        return {};
    }
    return DisplayMarkDelegate::boxRect(visualRect(m_model->index(gridRow - 1, kDisplayIdColumn))).center();
}

void DisplayTableView::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton
                    ? QPersistentModelIndex(indexAt(event->position().toPoint()))
                    : QPersistentModelIndex();
    QTableView::mousePressEvent(event);
}

void DisplayTableView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const QModelIndex released = indexAt(at);
    const bool sameCell = released.isValid() && m_pressed.isValid() && QModelIndex(m_pressed) == released;
    m_pressed = QPersistentModelIndex();
    if (sameCell && released.column() == kDisplayIdColumn &&
        DisplayMarkDelegate::boxRect(visualRect(released)).contains(at)) {
        emit boxClicked(released.row() + 1);
        viewport()->update(visualRect(released));
    }
}

void DisplayTableView::keyPressEvent(QKeyEvent* event) {
    // A character the column refuses neither starts an editor nor goes anywhere.
    const QString text = event->text();
    if (state() != QAbstractItemView::EditingState && currentIndex().isValid() && text.size() == 1 &&
        text.at(0).isPrint() && !m_accepts(currentIndex().column(), text.at(0))) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DisplayTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        emit cellSelected(current.row() + 1, current.column());
    }
}

} // namespace holvex::display
