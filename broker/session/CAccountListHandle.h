// Shared workings of the account list handles: observer registration, snapshot or live list.
#pragma once

#include "broker/session/CAccountDataStore.h"
#include "platform/core/CArray.h"

#include <atomic>

template <class T>
class CAccountListHandle {
public:
    using ListType = CAccountDataStore::List<T>;
    using Getter = const ListType& (CAccountDataStore::*)() const;

    CAccountListHandle(CAccountDataStore& store, int kind, Getter getter)
        : m_store(store), m_nKind(kind), m_getter(getter), m_pList(&(store.*getter)())
    {
    }
    virtual ~CAccountListHandle()
    {
        if (m_pListener)
            m_store.RemoveListener(m_nKind, m_pListener);
    }
    CAccountListHandle(const CAccountListHandle&) = delete;
    CAccountListHandle& operator=(const CAccountListHandle&) = delete;

    // Registers the observer and reads the live list.
    bool Subscribe(CAccountDataListener* listener)
    {
        if (m_pListener)
            m_store.RemoveListener(m_nKind, m_pListener);
        m_pListener = listener;
        if (listener)
            m_store.AddListener(m_nKind, listener);
        UseLive();
        return true;
    }

    // Copies the list under the store lock and reads the copy.
    void TakeSnapshot()
    {
        std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
        m_copy = (m_store.*m_getter)();
        m_pList = &m_copy;
    }

    void UseLive()
    {
        std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
        m_pList = &(m_store.*m_getter)();
    }

    // Copies the records that pass Accept into 'out'; false while no list has arrived.
    bool CopyRecords(CArray<T>& out) const
    {
        out.RemoveAll();
        auto copy = [&](const ListType& list) {
            if (!list.present)
                return false;
            for (const T& record : list.records)
                if (Accept(record))
                    out.Add(record);
            return true;
        };
        const ListType* list = m_pList.load();
        if (list == &m_copy)
            return copy(*list);
        std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
        return copy(*m_pList.load());
    }

    CAccountDataListener* GetListener() const { return m_pListener; }

protected:
    virtual bool Accept(const T&) const { return true; }

    CAccountDataStore& m_store;
    const int m_nKind;
    Getter m_getter;
    CAccountDataListener* m_pListener = nullptr;
    std::atomic<const ListType*> m_pList;
    ListType m_copy;
};
