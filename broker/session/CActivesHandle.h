// A window's handle on one actives list of the quote store.
#pragma once

#include "broker/session/CQuoteRecord.h"
#include "platform/core/CString.h"

#include <atomic>

class CQuoteStore;
class CActivesHandle;

class CActivesListener {
public:
    virtual ~CActivesListener() = default;
    virtual void OnActivesChange(CActivesHandle* handle) = 0;
};

class CActivesHandle {
public:
    // key: exchange key "-" interval key "," type, for example "NASDAQ-300,1".
    CActivesHandle(CQuoteStore& store, const CString& key);
    ~CActivesHandle();
    CActivesHandle(const CActivesHandle&) = delete;
    CActivesHandle& operator=(const CActivesHandle&) = delete;

    CActivesListener* m_pListener = nullptr;

    bool Subscribe();
    void Attach();
    void TakeSnapshot();
    int GetCount() const;
    bool GetSymbol(int row, CString& symbol) const;
    bool GetValue(const CString& symbol, int mode, double& value) const;

    const CString& GetKey() const { return m_key; }
    const CString& GetExchangeKey() const { return m_exchange; }
    const CString& GetIntervalKey() const { return m_interval; }
    int GetType() const { return m_nType; }

    // Called by the quote store (its lock held) when the list changed.
    void OnListChanged();

private:
    const std::vector<CActivesRow>* List() const;

    CQuoteStore& m_store;
    CString m_key; // exchange "-" interval
    CString m_exchange;
    CString m_interval;
    int m_nType = 0;
    CQuoteRecord* m_pShared = nullptr;
    bool m_bSubscribed = false;
    CQuoteRecord m_copy;
    bool m_bHasCopy = false;
};
