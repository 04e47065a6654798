#include "broker/session/CActivesHandle.h"

#include "broker/session/CQuoteStore.h"

#include <cstdlib>

CActivesHandle::CActivesHandle(CQuoteStore& store, const CString& key) : m_store(store)
{
    const int comma = key.Find(',');
    m_key = comma >= 0 ? key.Left(comma) : key;
    if (comma >= 0)
        m_nType = std::atoi(key.Mid(comma + 1));
    const int dash = m_key.Find('-');
    m_exchange = dash >= 0 ? m_key.Left(dash) : m_key;
    m_interval = dash >= 0 ? m_key.Mid(dash + 1) : CString();
}

CActivesHandle::~CActivesHandle()
{
    if (m_bSubscribed)
        m_store.RemoveActivesHandle(m_key, this);
}

bool CActivesHandle::Subscribe()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    bool existed = false;
    m_pShared = m_store.AddActivesHandle(m_key, this, &existed);
    m_bSubscribed = true;
    if (existed && m_pListener)
        m_pListener->OnActivesChange(this);
    return true;
}

void CActivesHandle::Attach()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    m_pShared = m_store.LookupActives(m_key);
}

void CActivesHandle::TakeSnapshot()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    if (!m_pShared) {
        m_bHasCopy = false;
        return;
    }
    m_copy = *m_pShared;
    m_bHasCopy = !m_copy.IsPendingFlagSet();
}

const std::vector<CActivesRow>* CActivesHandle::List() const
{
    if (!m_bHasCopy)
        return nullptr;
    return &m_copy.m_ranked[m_nType == 1 ? 0 : 1];
}

int CActivesHandle::GetCount() const
{
    const auto* list = List();
    return list ? static_cast<int>(list->size()) : 0;
}

bool CActivesHandle::GetSymbol(int row, CString& symbol) const
{
    const auto* list = List();
    if (!list || row < 0 || row >= static_cast<int>(list->size()))
        return false;
    symbol = (*list)[static_cast<size_t>(row)].symbol;
    return true;
}

bool CActivesHandle::GetValue(const CString& symbol, int mode, double& value) const
{
    const auto* list = List();
    if (!list || (mode != 1 && mode != 2))
        return false;
    for (const CActivesRow& row : *list)
        if (row.symbol == symbol) {
            value = mode == 1 ? static_cast<double>(row.value32) : static_cast<double>(row.value64);
            return true;
        }
    return false;
}

void CActivesHandle::OnListChanged()
{
    if (m_pListener)
        m_pListener->OnActivesChange(this);
}
