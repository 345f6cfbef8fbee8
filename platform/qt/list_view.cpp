#include "platform/qt/list_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace platform::qt {

ListView::ListView(QWidget* parent) : QAbstractItemView(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(ScrollPerItem);
    verticalScrollBar()->setSingleStep(1);
}

int ListView::rows() const {
    return model() != nullptr ? model()->rowCount(rootIndex()) : 0;
}

int ListView::row_height() const {
    return std::max(fontMetrics().height() + 2, 1);
}

int ListView::first_shown() const {
    return verticalScrollBar()->value();
}

int ListView::rows_shown() const {
    return std::max(viewport()->height() / row_height(), 1);
}

int ListView::row_at(int y) const {
    return first_shown() + (y < 0 ? -1 : y / row_height());
}

QRect ListView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex()) {
        return {};
    }
    // Rows far from the shown ones lie outside the viewport; their exact place does not matter.
    const long long offset = static_cast<long long>(index.row() - first_shown()) * row_height();
    const long long top = std::clamp<long long>(offset, -row_height(), viewport()->height() + 1);
    return {0, static_cast<int>(top), viewport()->width(), row_height()};
}

void ListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) {
        return;
    }
    const int row = index.row();
    const int shown = rows_shown();
    int first = first_shown();
    switch (hint) {
        case PositionAtTop:
            first = row;
            break;
        case PositionAtBottom:
            first = row - shown + 1;
            break;
        case PositionAtCenter:
            first = row - shown / 2;
            break;
        case EnsureVisible:
            if (row < first) {
                first = row;
            } else if (row >= first + shown) {
                first = row - shown + 1;
            }
            break;
    }
    verticalScrollBar()->setValue(first);
}

QModelIndex ListView::indexAt(const QPoint& point) const {
    const int row = row_at(point.y());
    if (row < 0 || row >= rows() || point.x() < 0 || point.x() >= viewport()->width()) {
        return {};
    }
    return model()->index(row, 0, rootIndex());
}

QModelIndex ListView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int count = rows();
    if (count == 0) {
        return {};
    }
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : -1;
    switch (action) {
        case MoveUp:
        case MovePrevious:
            row = row < 0 ? 0 : row - 1;
            break;
        case MoveDown:
        case MoveNext:
            row += 1;
            break;
        case MovePageUp:
            row -= rows_shown();
            break;
        case MovePageDown:
            row += rows_shown();
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = count - 1;
            break;
        case MoveLeft:
        case MoveRight:
            return current;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

int ListView::horizontalOffset() const {
    return 0;
}

int ListView::verticalOffset() const {
    return 0;
}

bool ListView::isIndexHidden(const QModelIndex&) const {
    return false;
}

void ListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const int count = rows();
    const int first = std::max(row_at(rect.normalized().top()), 0);
    const int last = std::min(row_at(rect.normalized().bottom()), count - 1);
    if (first > last) {
        selectionModel()->clearSelection();
        return;
    }
    QItemSelection chosen(model()->index(first, 0, rootIndex()),
                          model()->index(last, 0, rootIndex()));
    selectionModel()->select(chosen, command);
}

QRegion ListView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const int first = std::max(range.top(), first_shown());
        const int last = std::min(range.bottom(), first_shown() + rows_shown());
        for (int row = first; row <= last; ++row) {
            region += visualRect(model()->index(row, 0, rootIndex()));
        }
    }
    return region;
}

void ListView::update_scroll_range() {
    const int shown = rows_shown();
    verticalScrollBar()->setPageStep(shown);
    verticalScrollBar()->setRange(0, std::max(rows() - shown, 0));
}

void ListView::updateGeometries() {
    update_scroll_range();
    QAbstractItemView::updateGeometries();
}

void ListView::reset() {
    QAbstractItemView::reset();
    // Not left to the delayed layout: a key may move the highlight before that runs.
    update_scroll_range();
}

void ListView::scrollContentsBy(int, int) {
    viewport()->update();
}

void ListView::paintEvent(QPaintEvent* event) {
    if (model() == nullptr) {
        return;
    }
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int first = std::max(row_at(event->rect().top()), 0);
    const int last = std::min(row_at(event->rect().bottom()), rows() - 1);
    const QModelIndex current = currentIndex();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        QStyleOptionViewItem item = option;
        item.rect = visualRect(index);
        item.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (selectionModel()->isSelected(index)) {
            item.state |= QStyle::State_Selected;
        }
        if (index == current && hasFocus()) {
            item.state |= QStyle::State_HasFocus;
        }
        itemDelegateForIndex(index)->paint(&painter, item, index);
    }
}

}  // namespace platform::qt
