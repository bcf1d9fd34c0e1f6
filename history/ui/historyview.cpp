#include "historyview.h"

#include "historyaccessible.h"

#include <QAccessible>

#include <QHeaderView>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

HistoryView::HistoryView(QWidget *parent)
    : QAbstractItemView(parent), m_header(new QHeaderView(Qt::Horizontal, this))
{
    // Its rows are read as a table's (Qt knows only its own views' rows).
    static const bool readable = [] {
        QAccessible::installFactory(&HistoryAccessible::factory);
        return true;
    }();
    Q_UNUSED(readable);
    m_header->setSectionsClickable(false);
    m_header->setStretchLastSection(false);
    m_header->setObjectName(QStringLiteral("header"));
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerItem);
    connect(m_header, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
}

void HistoryView::setModel(QAbstractItemModel *model)
{
    if (this->model())
        disconnect(this->model(), nullptr, this, nullptr);
    QAbstractItemView::setModel(model);
    m_header->setModel(model);
    if (model) {
        connect(model, &QAbstractItemModel::rowsRemoved, this, &HistoryView::rowsChanged);
        connect(model, &QAbstractItemModel::layoutChanged, this, &HistoryView::rowsChanged);
    }
    rowsChanged();
}

void HistoryView::setColumnWidth(int column, int width)
{
    m_header->resizeSection(column, width);
}

int HistoryView::columnWidth(int column) const
{
    return m_header->sectionSize(column);
}

int HistoryView::rowHeight() const
{
    // Every row as high as a line of the font, as the delegate draws it.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return std::max(1, fontMetrics().height() +
                           2 * (style()->pixelMetric(QStyle::PM_FocusFrameVMargin, &option, this)));
}

int HistoryView::firstRow() const
{
    return verticalScrollBar()->value();
}

int HistoryView::rowsShown() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

QRect HistoryView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    return QRect(m_header->sectionViewportPosition(index.column()),
                 (index.row() - firstRow()) * rowHeight(), m_header->sectionSize(index.column()),
                 rowHeight());
}

void HistoryView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row();
    const int top = firstRow();
    const int shown = rowsShown();
    int to = top;
    switch (hint) {
    case PositionAtTop:
        to = row;
        break;
    case PositionAtBottom:
        to = row - shown + 1;
        break;
    case PositionAtCenter:
        to = row - shown / 2;
        break;
    case EnsureVisible:
        if (row < top)
            to = row;
        else if (row >= top + shown)
            to = row - shown + 1;
        break;
    }
    verticalScrollBar()->setValue(to);
}

QModelIndex HistoryView::indexAt(const QPoint &point) const
{
    if (!model() || point.y() < 0)
        return {};
    const int row = firstRow() + point.y() / rowHeight();
    const int column = m_header->logicalIndexAt(point.x());
    if (row >= model()->rowCount(rootIndex()) || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

QModelIndex HistoryView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    if (!model())
        return {};
    const int rows = model()->rowCount(rootIndex());
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : -1;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = std::max(0, row - 1);
        break;
    case MoveDown:
    case MoveNext:
        row = std::min(rows - 1, row + 1);
        break;
    case MovePageUp:
        row = std::max(0, row - rowsShown());
        break;
    case MovePageDown:
        row = std::min(rows - 1, std::max(0, row) + rowsShown());
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    default:
        row = std::max(0, row);
        break;
    }
    return model()->index(row, current.isValid() ? current.column() : 0, rootIndex());
}

int HistoryView::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int HistoryView::verticalOffset() const
{
    return firstRow() * rowHeight();
}

bool HistoryView::isIndexHidden(const QModelIndex &) const
{
    return false;
}

void HistoryView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags flags)
{
    const QModelIndex top = indexAt(QPoint(rect.left() + horizontalOffset(), rect.top()));
    const QModelIndex bottom = indexAt(QPoint(rect.left() + horizontalOffset(), rect.bottom()));
    if (!top.isValid() && !bottom.isValid())
        return;
    const int first = top.isValid() ? top.row() : bottom.row();
    const int last = bottom.isValid() ? bottom.row() : top.row();
    const int lastColumn = model()->columnCount(rootIndex()) - 1;
    selectionModel()->select(QItemSelection(model()->index(first, 0, rootIndex()),
                                            model()->index(last, lastColumn, rootIndex())),
                             flags);
}

QRegion HistoryView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const int top = firstRow();
    const int bottom = top + rowsShown();
    for (const QItemSelectionRange &range : selection) {
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last)
            region += QRect(0, (first - top) * rowHeight(), viewport()->width(),
                            (last - first + 1) * rowHeight());
    }
    return region;
}

void HistoryView::updateGeometries()
{
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect vg = viewport()->geometry();
    m_header->setGeometry(vg.left(), vg.top() - headerHeight, vg.width(), headerHeight);
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    verticalScrollBar()->setRange(0, std::max(0, rows - rowsShown()));
    verticalScrollBar()->setPageStep(rowsShown());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, m_header->length() - vg.width()));
    horizontalScrollBar()->setPageStep(vg.width());
    horizontalScrollBar()->setSingleStep(20);
    m_header->setOffset(horizontalScrollBar()->value());
    QAbstractItemView::updateGeometries();
}

void HistoryView::scrollContentsBy(int dx, int)
{
    m_header->setOffset(horizontalScrollBar()->value());
    if (dx != 0)
        m_header->viewport()->update();
    viewport()->update();
}

void HistoryView::paintEvent(QPaintEvent *event)
{
    if (!model())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int h = rowHeight();
    const int top = firstRow();
    const int rows = model()->rowCount(rootIndex());
    const int columns = model()->columnCount(rootIndex());
    const QRect area = event->rect();
    const int last = std::min(rows - 1, top + (area.bottom() / h));
    const QModelIndex current = currentIndex();
    for (int row = top + std::max(0, area.top() / h); row <= last; ++row) {
        const bool selected = selectionModel() && selectionModel()->isRowSelected(row, rootIndex());
        const int y = (row - top) * h;
        if (selected) {
            QStyleOptionViewItem rowOption = option;
            rowOption.rect = QRect(0, y, viewport()->width(), h);
            rowOption.state |= QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &rowOption, &painter, this);
        }
        for (int column = 0; column < columns; ++column) {
            const int x = m_header->sectionViewportPosition(column);
            const int w = m_header->sectionSize(column);
            if (x + w < area.left() || x > area.right())
                continue;
            const QModelIndex index = model()->index(row, column, rootIndex());
            QStyleOptionViewItem cell = option;
            cell.rect = QRect(x, y, w, h);
            if (selected)
                cell.state |= QStyle::State_Selected;
            if (current.row() == row && hasFocus())
                cell.state |= QStyle::State_HasFocus;
            itemDelegateForIndex(index)->paint(&painter, cell, index);
        }
    }
}

void HistoryView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    rowsChanged();
}

void HistoryView::reset()
{
    QAbstractItemView::reset();
    rowsChanged();
}

void HistoryView::rowsChanged()
{
    updateGeometries();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&event);
    }
}

void HistoryView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    // A screen reader follows the row the keys move to.
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(current.row() * model()->columnCount(rootIndex()) + current.column());
        QAccessible::updateAccessibility(&event);
    }
}
