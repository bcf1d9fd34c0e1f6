#pragma once

#include "group.h"
#include "wire.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <vector>

// The peers that answered the last search, one row per address.
class UserListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameCol, MarkCol, AddressCol, LoginCol };
    static constexpr int ColumnCount = 4;
    // Replies beyond this many peers are not listed: a flood of spoofed
    // replies cannot grow the list without bound.
    static constexpr int MaxPeers = 4096;

    struct Row
    {
        QString name;
        QString mark;
        QString address;
        QString login;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Row &at(int row) const { return m_rows[size_t(row)]; }
    // The row of address; none when it is not listed.
    const Row *rowAt(const QString &address) const;
    // The name the list shows for address, on one line; empty when it is
    // not listed or has none.
    QString nameAt(const QString &address) const;

    // Empties the list before a search; the sort column and the selected
    // peer stay.
    void clear();
    // A search reply from source: a new row, or the row of that address with
    // what it says now; false when the list is full or the reply comes from
    // a copy listed already under another of its addresses.
    bool addReplier(const wire::SearchReply &reply, const QString &source);
    // Sorts ascending by column, now and for every row added later.
    void sortByColumn(int column);

    // The row clicked last becomes the recipient.
    void select(int row);
    const QString &selectedPeerAddress() const { return m_selectedPeer; }
    void setSelectedPeerAddress(const QString &address) { m_selectedPeer = address; }

    // Where a group's members are listed: the row of the same address and
    // login, or, for a member who moved, the one row of that login. Rows in
    // list order; the members listed nowhere, in the group's order.
    struct Found
    {
        QList<int> rows;
        QList<GroupMember> missing;
        QList<int> moved; // of rows: found by login alone, at another address
    };
    Found find(const QList<GroupMember> &members) const;
    // The login without the blanks a space-filled field leaves.
    GroupMember memberAt(int row) const { return {at(row).login.trimmed(), at(row).address}; }

    // "ﾕｰｻﾞｰ数 : N"
    QString countText() const;

signals:
    void countChanged(const QString &text);

private:
    static const QString &cell(const Row &row, int column);
    bool update(Row row);
    bool lessThan(const Row &a, const Row &b) const;

    std::vector<Row> m_rows;
    QSet<QString> m_addresses;
    QSet<QString> m_ownAddresses; // who each listed reply says it is
    int m_sortColumn = -1;
    QString m_selectedPeer;
};
