#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPair>

class HistoryView;

// The history list as assistive technology reads it: a table of the
// model's rows and columns, each cell with its text and the row's whole
// message as its description. A cell is made only when asked for, so a
// million rows cost nothing until they are read.
class HistoryAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit HistoryAccessible(HistoryView *view);
    ~HistoryAccessible() override;

    // For QAccessible::installFactory: the face of every HistoryView.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    int columnCount() const override;
    QString rowDescription(int row) const override;
    int rowCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    HistoryView *view() const;

private:
    void dropCells();

    mutable QHash<QPair<int, int>, QAccessible::Id> m_cells;
};
