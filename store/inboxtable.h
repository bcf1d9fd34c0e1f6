#pragma once

#include "records.h"

#include <vector>

class Store;

// The waiting messages in the store, in the order they arrived.
class InboxTable
{
public:
    explicit InboxTable(Store &store) : m_store(store) {}
    Store &store() { return m_store; }

    std::vector<InboxEntry> entries();
    void insert(const InboxEntry &entry);
    // Only this entry is kept from now on.
    void startWith(const InboxEntry &entry);
    void setOpened(quint64 serial);
    void remove(quint64 serial);
    void clear();

private:
    Store &m_store;
};
