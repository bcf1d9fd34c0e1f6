#include "userlistmodel.h"

#include "fieldtext.h"
#include "wire.h"

#include <algorithm>

int UserListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int UserListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const QString &UserListModel::cell(const Row &row, int column)
{
    switch (column) {
    case MarkCol:
        return row.mark;
    case AddressCol:
        return row.address;
    case LoginCol:
        return row.login;
    default:
        return row.name;
    }
}

QVariant UserListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &row = m_rows[size_t(index.row())];
    if (role == Qt::AccessibleTextRole) {
        // Read aloud as one sentence: who, and whether a note waits (the
        // mark is a picture to the ear).
        const bool note = row.mark == QStringLiteral("○");
        if (index.column() == NameCol)
            return row.name.trimmed() + (note ? QStringLiteral("、置き手紙あり") : QString());
        if (index.column() == MarkCol)
            return note ? QStringLiteral("置き手紙あり") : QStringLiteral("置き手紙なし");
        return cell(row, index.column());
    }
    if (role != Qt::DisplayRole)
        return {};
    return cell(row, index.column());
}

QVariant UserListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QString captions[ColumnCount] = {
        QStringLiteral("ﾕｰｻﾞｰ名"), QStringLiteral("置き手紙"), QStringLiteral("IPｱﾄﾞﾚｽ"),
        QStringLiteral("ﾛｸﾞｲﾝ名")};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return captions[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

void UserListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_addresses.clear();
    m_ownAddresses.clear();
    endResetModel();
}

bool UserListModel::lessThan(const Row &a, const Row &b) const
{
    return QString::compare(cell(a, m_sortColumn), cell(b, m_sortColumn)) < 0;
}

bool UserListModel::addReplier(const wire::SearchReply &reply, const QString &source)
{
    // A copy on two of the networks searched answers on each, naming the
    // same own address, login and name: it is listed once.
    const QString own = reply.address.trimmed().isEmpty()
                            ? QString()
                            : reply.loginField + reply.address + reply.name.field;
    Row row{reply.nameCell, reply.mark, source, reply.loginCell};
    if (m_addresses.contains(source)) {
        if (!own.isEmpty())
            m_ownAddresses.insert(own);
        return update(std::move(row));
    }
    if (rowCount() >= MaxPeers || (!own.isEmpty() && m_ownAddresses.contains(own)))
        return false;

    // Arrival order until a column is chosen; sorted (stable) after that.
    auto at = m_rows.end();
    if (m_sortColumn >= 0)
        at = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                              [this](const Row &a, const Row &b) { return lessThan(a, b); });
    const int position = int(at - m_rows.begin());
    beginInsertRows({}, position, position);
    m_rows.insert(at, std::move(row));
    m_addresses.insert(source);
    if (!own.isEmpty())
        m_ownAddresses.insert(own);
    endInsertRows();
    emit countChanged(countText());
    return true;
}

bool UserListModel::update(Row row)
{
    // A peer that answers again (another search, its note left or taken
    // back) keeps its one row, with what it says now.
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](const Row &r) { return r.address == row.address; });
    if (it == m_rows.end())
        return false;
    const bool keyChanged = m_sortColumn >= 0 && cell(*it, m_sortColumn) != cell(row, m_sortColumn);
    *it = std::move(row);
    const int r = int(it - m_rows.begin());
    emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
    if (keyChanged)
        sortByColumn(m_sortColumn);
    return true;
}

void UserListModel::sortByColumn(int column)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<Row> old = m_rows;
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Row &a, const Row &b) { return lessThan(a, b); });
    // Keep the view's selection on the same peers.
    QModelIndexList after;
    for (const QModelIndex &idx : before) {
        const QString &address = old[size_t(idx.row())].address;
        const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                     [&](const Row &r) { return r.address == address; });
        after << index(int(it - m_rows.begin()), idx.column());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void UserListModel::select(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_selectedPeer = m_rows[size_t(row)].address;
}

QString UserListModel::countText() const
{
    return QStringLiteral("ﾕｰｻﾞｰ数 : ") + QString::number(rowCount());
}

UserListModel::Found UserListModel::find(const QList<GroupMember> &members) const
{
    Found found;
    for (const GroupMember &m : members) {
        int exact = -1, byLogin = -1, logins = 0;
        for (int r = 0; r < rowCount(); ++r) {
            const GroupMember listed = memberAt(r);
            if (listed.login != m.login)
                continue;
            if (listed.address == m.address) {
                exact = r;
                break;
            }
            byLogin = r;
            ++logins;
        }
        const int row = exact >= 0 ? exact : logins == 1 ? byLogin : -1;
        if (row < 0) {
            found.missing << m;
        } else if (!found.rows.contains(row)) {
            found.rows << row;
            if (exact < 0)
                found.moved << row;
        }
    }
    std::sort(found.rows.begin(), found.rows.end());
    std::sort(found.moved.begin(), found.moved.end());
    return found;
}

const UserListModel::Row *UserListModel::rowAt(const QString &address) const
{
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](const Row &r) { return r.address == address; });
    return it == m_rows.end() ? nullptr : &*it;
}

QString UserListModel::nameAt(const QString &address) const
{
    const Row *row = rowAt(address);
    // A peer's name may go into a sentence a terminal prints: an escape
    // sequence in it is shown as spaces.
    return row ? fieldtext::unprintablesAsSpaces(row->name.trimmed()) : QString();
}
