#include "broker/session/COrderStatusListHandle.h"

#include <ctime>
#include <strings.h>

namespace {

int64_t LocalMidnight(int64_t now)
{
    const time_t t = static_cast<time_t>(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&tm));
}

bool Contains(const CString& text, const char* part)
{
    return text.Find(part) >= 0;
}

bool Equals(const CString& text, const char* word)
{
    return strcasecmp(text.GetString(), word) == 0;
}

bool PassesStatus(const CString& status, int mode)
{
    switch (mode) {
    case 1: return Contains(status, "Open");
    case 2: return Equals(status, "Filled");
    case 3: return Equals(status, "Filled") || Contains(status, "Open");
    case 4: return Contains(status, "Canceled");
    case 5: return Equals(status, "Expired");
    case 6: return Contains(status, "Pending");
    case 7: return Equals(status, "Exercised");
    default: return true;
    }
}

} // namespace

COrderListFilter COrderListFilter::Default(int64_t now)
{
    COrderListFilter filter;
    filter.from = now - 604800;
    filter.to = now;
    return filter;
}

bool OrderPassesFilter(const COrderStatusRecord& record, const COrderListFilter& filter, int64_t now)
{
    const CString& status = record.m_fields[COrderStatusRecord::kStatus];
    if (!PassesStatus(status, filter.status))
        return false;
    const bool multiLeg = !record.m_fields[COrderStatusRecord::kMultiLeg].IsEmpty();
    if ((filter.type == 1 && multiLeg) || (filter.type == 2 && !multiLeg))
        return false;
    if (Contains(status, "Pending") || Contains(status, "Open"))
        return true;
    int64_t entered = 0;
    if (!record.GetFieldTime(COrderStatusRecord::kEntered, entered))
        return true;
    const int64_t midnight = LocalMidnight(now);
    switch (filter.dateMode) {
    case 0: {
        int64_t reported = 0;
        if (!record.GetFieldTime(COrderStatusRecord::kReported, reported))
            reported = entered;
        return entered >= midnight || reported >= midnight;
    }
    case 1: return entered < midnight && entered >= midnight - 86400;
    case 2: return entered >= midnight - static_cast<int64_t>(filter.days) * 86400;
    case 3: return entered >= filter.from && entered <= filter.to;
    default: return true;
    }
}

COrderStatusListHandle::COrderStatusListHandle(CAccountDataStore& store)
    : CAccountListHandle(store, kAccountOrders, &CAccountDataStore::Orders),
      m_filter(COrderListFilter::Default(static_cast<int64_t>(time(nullptr))))
{
    m_store.AddOrderHandle(this);
}

COrderStatusListHandle::~COrderStatusListHandle()
{
    m_store.RemoveOrderHandle(this);
}

void COrderStatusListHandle::SetFilter(int status, int type, int dateMode, int days, int64_t from, int64_t to)
{
    SetFilter(COrderListFilter{status, type, dateMode, days, from, to});
}

void COrderStatusListHandle::SetFilter(const COrderListFilter& filter)
{
    {
        std::lock_guard<std::mutex> lock(m_filterLock);
        m_filter = filter;
    }
    m_store.RecheckLiveOrders();
}

COrderListFilter COrderStatusListHandle::GetFilter() const
{
    std::lock_guard<std::mutex> lock(m_filterLock);
    return m_filter;
}

bool COrderStatusListHandle::ShowsOpenOrders() const
{
    const int status = GetFilter().status;
    return status == 0 || status == 1 || status == 3 || status == 6;
}

bool COrderStatusListHandle::Accept(const COrderStatusRecord& record) const
{
    return OrderPassesFilter(record, GetFilter(), static_cast<int64_t>(time(nullptr)));
}
