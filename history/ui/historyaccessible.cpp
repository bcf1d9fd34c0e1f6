#include "historyaccessible.h"

#include "historyview.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace {

// One cell of the list; it has no object of its own.
class HistoryCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    HistoryCell(HistoryAccessible *table, int row, int column)
        : m_table(table), m_row(row), m_column(column)
    {
    }

    bool isValid() const override
    {
        const QAbstractItemModel *model = view() ? view()->model() : nullptr;
        return model && m_row < model->rowCount() && m_column < model->columnCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_table->window(); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return m_table; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return index().data(Qt::DisplayRole).toString();
        if (t == QAccessible::Description)
            return index().data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QRect r = view()->visualRect(index());
        if (!r.isValid())
            return {};
        return QRect(view()->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        const QModelIndex current = view()->currentIndex();
        s.focused = view()->hasFocus() && current.row() == m_row && current.column() == m_column;
        const QRect shown = view()->viewport()->rect();
        s.invisible = s.offscreen = !shown.intersects(view()->visualRect(index()));
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override { return m_table->isRowSelected(m_row); }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return m_table; }

private:
    HistoryView *view() const { return m_table->view(); }
    QModelIndex index() const { return view()->model()->index(m_row, m_column); }

    HistoryAccessible *m_table;
    int m_row;
    int m_column;
};

} // namespace

HistoryAccessible::HistoryAccessible(HistoryView *view)
    : QAccessibleWidget(view, QAccessible::Table)
{
}

HistoryAccessible::~HistoryAccessible()
{
    dropCells();
}

QAccessibleInterface *HistoryAccessible::factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("HistoryView") && object && object->isWidgetType())
        return new HistoryAccessible(static_cast<HistoryView *>(object));
    return nullptr;
}

HistoryView *HistoryAccessible::view() const
{
    return static_cast<HistoryView *>(widget());
}

void *HistoryAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int HistoryAccessible::rowCount() const
{
    return view()->model() ? view()->model()->rowCount() : 0;
}

int HistoryAccessible::columnCount() const
{
    return view()->model() ? view()->model()->columnCount() : 0;
}

int HistoryAccessible::childCount() const
{
    return rowCount() * columnCount();
}

QAccessibleInterface *HistoryAccessible::child(int index) const
{
    const int columns = columnCount();
    if (index < 0 || columns == 0)
        return nullptr;
    return cellAt(index / columns, index % columns);
}

int HistoryAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->parent() != this || child->role() != QAccessible::Cell)
        return -1;
    auto *cell = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
    return cell ? cell->rowIndex() * columnCount() + cell->columnIndex() : -1;
}

QAccessibleInterface *HistoryAccessible::childAt(int x, int y) const
{
    const QPoint at = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(at);
    return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
}

QAccessibleInterface *HistoryAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    if (!view()->hasFocus() || !current.isValid())
        return nullptr;
    return cellAt(current.row(), current.column());
}

QAccessibleInterface *HistoryAccessible::cellAt(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    const QPair<int, int> key(row, column);
    if (const auto found = m_cells.constFind(key); found != m_cells.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto *cell = new HistoryCell(const_cast<HistoryAccessible *>(this), row, column);
    m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

QString HistoryAccessible::columnDescription(int column) const
{
    return view()->model()
               ? view()->model()->headerData(column, Qt::Horizontal).toString().trimmed()
               : QString();
}

QString HistoryAccessible::rowDescription(int row) const
{
    return view()->model()
               ? view()->model()->index(row, 0).data(Qt::AccessibleDescriptionRole).toString()
               : QString();
}

QList<int> HistoryAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel *s = view()->selectionModel())
        for (const QModelIndex &index : s->selectedRows())
            rows << index.row();
    return rows;
}

bool HistoryAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *s = view()->selectionModel();
    return s && s->isRowSelected(row);
}

int HistoryAccessible::selectedCellCount() const
{
    return selectedRowCount() * columnCount();
}

QList<QAccessibleInterface *> HistoryAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (int row : selectedRows())
        for (int column = 0; column < columnCount(); ++column)
            cells << cellAt(row, column);
    return cells;
}

bool HistoryAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    view()->setCurrentIndex(view()->model()->index(row, 0));
    return true;
}

bool HistoryAccessible::unselectRow(int row)
{
    if (!isRowSelected(row))
        return false;
    view()->selectionModel()->clearSelection();
    return true;
}

void HistoryAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // The rows are another list now: a cell asked for again is made anew.
    dropCells();
}

void HistoryAccessible::dropCells()
{
    for (const QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
}
