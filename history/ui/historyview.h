#pragma once

#include <QAbstractItemView>

class QHeaderView;

// A list of rows of one height under a header of columns, that keeps
// nothing per row: a million rows open and scroll as fast as ten (a tree
// view keeps an item for every row, a table view a header section). It
// scrolls by whole rows; a row is chosen whole, one at a time.
class HistoryView : public QAbstractItemView
{
    Q_OBJECT
public:
    explicit HistoryView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    QHeaderView *header() const { return m_header; }
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const;
    int rowHeight() const;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void reset() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    int firstRow() const;
    int rowsShown() const; // whole rows that fit
    void rowsChanged();

    QHeaderView *m_header;
};
