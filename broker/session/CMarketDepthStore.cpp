#include "broker/session/CMarketDepthStore.h"

#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/IStreamSubscriber.h"

#include <algorithm>
#include <map>

void CMarketDepthBook::CopyDataFrom(const CMarketDepthBook& other)
{
    if (this == &other)
        return;
    m_symbol = other.m_symbol;
    m_source = other.m_source;
    m_bids = other.m_bids;
    m_asks = other.m_asks;
    m_bNoData = other.m_bNoData;
    m_nService = other.m_nService;
}

int BookSourceService(const CString& source)
{
    if (source.CompareNoCase("L2") == 0)
        return kServiceLevelII;
    if (source.CompareNoCase("NYSE") == 0)
        return kServiceNyseBook;
    if (source.CompareNoCase("INET") == 0)
        return kServiceInetBook;
    if (source.CompareNoCase("OPRA") == 0)
        return kServiceOptionBook;
    return kServiceTotalView;
}

CMarketDepthStore::CMarketDepthStore(IStreamSubscriber* subscriber) : m_pSubscriber(subscriber) {}

CMarketDepthStore::~CMarketDepthStore() = default;

void CMarketDepthStore::SetSubscriber(IStreamSubscriber* subscriber)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_pSubscriber = subscriber;
}

CString CMarketDepthStore::MakeKey(const CString& symbol, const CString& source)
{
    CString key = source;
    key += ":";
    key += symbol;
    return key;
}

CMarketDepthBook* CMarketDepthStore::RegisterHandle(const CString& symbol, const CString& source,
                                                    CMarketDepthHandle* handle, int* existed)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const CString key = MakeKey(symbol, source);
    auto it = m_books.find(key);
    if (existed)
        *existed = it != m_books.end() && it->second ? 1 : 0;
    if (it == m_books.end() || !it->second) {
        auto book = std::make_unique<CMarketDepthBook>();
        book->m_symbol = symbol;
        book->m_source = source;
        book->m_nService = BookSourceService(source);
        it = m_books.insert_or_assign(key, std::move(book)).first;
        if (m_pSubscriber)
            m_pSubscriber->Subscribe(symbol, it->second->m_nService);
    }
    it->second->m_handles.push_back(handle);
    return it->second.get();
}

void CMarketDepthStore::UnregisterHandle(const CString& symbol, const CString& source, CMarketDepthHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_books.find(MakeKey(symbol, source));
    if (it == m_books.end() || !it->second)
        return;
    auto& handles = it->second->m_handles;
    auto pos = std::find(handles.begin(), handles.end(), handle);
    if (pos != handles.end())
        handles.erase(pos);
    if (!handles.empty())
        return;
    if (m_pSubscriber)
        m_pSubscriber->Unsubscribe(symbol, it->second->m_nService);
    m_books.erase(it);
}

CMarketDepthBook* CMarketDepthStore::FindBook(const CString& symbol, const CString& source)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_books.find(MakeKey(symbol, source));
    return it == m_books.end() ? nullptr : it->second.get();
}

void CMarketDepthStore::SetNoDataFlag(const CString& symbol, const CString& source, int value)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    if (CMarketDepthBook* book = FindBook(symbol, source))
        book->m_bNoData = value;
}

size_t CMarketDepthStore::GetBookCount()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_books.size();
}

namespace {

void ApplySide(std::vector<CMarketDepthLevel>& side, const std::vector<CBookMessageRow>& rows, bool tracking)
{
    if (rows.empty()) {
        // Kept as it was; what an earlier message moved is not moved again.
        for (CMarketDepthLevel& level : side)
            level.changed = 0;
        return;
    }
    std::map<CString, CMarketDepthLevel> previous;
    if (tracking)
        for (const auto& level : side)
            previous[level.participant] = level;
    side.assign(rows.size(), CMarketDepthLevel{});
    for (size_t j = 0; j < rows.size(); ++j) {
        CMarketDepthLevel& level = side[j];
        level.participant = rows[j].participant;
        level.price = rows[j].price;
        level.size = rows[j].size;
        level.time = rows[j].time;
        if (!tracking)
            continue;
        auto old = previous.find(level.participant);
        if (old == previous.end())
            continue;
        level.priceDirection = old->second.priceDirection;
        level.sizeDirection = old->second.sizeDirection;
        if (level.price != old->second.price) {
            level.priceDirection = level.price > old->second.price ? 1 : -1;
            level.changed |= kDepthPriceMoved;
        }
        if (level.size != old->second.size) {
            level.sizeDirection = level.size > old->second.size ? 1 : -1;
            level.changed |= kDepthSizeMoved;
        }
    }
}

} // namespace

void CMarketDepthStore::ApplyMessage(const CBookMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_books.find(MakeKey(message.m_symbol, message.m_source));
    if (it == m_books.end() || !it->second)
        return;
    CMarketDepthBook& book = *it->second;
    const bool tracking = message.m_source.CompareNoCase("TV") != 0 && message.m_source.CompareNoCase("INET") != 0;
    ApplySide(book.m_bids, message.m_bids, tracking);
    ApplySide(book.m_asks, message.m_asks, tracking);
    book.m_bNoData = 0; // the book at hand: no second lookup
    if (!tracking)
        return;
    for (size_t h = 0; h < book.m_handles.size(); ++h) {
        CMarketDepthHandle* handle = book.m_handles[h];
        if (!handle->m_pListener)
            continue;
        const std::vector<CMarketDepthLevel>* sides[2] = {&book.m_bids, &book.m_asks};
        for (DWORD side = 0; side < 2; ++side)
            for (size_t i = 0; i < sides[side]->size(); ++i) {
                const CMarketDepthLevel& level = (*sides[side])[i];
                if (level.changed)
                    handle->m_pListener->OnDepthChange(handle, 1, side, static_cast<DWORD>(i), level.changed);
            }
    }
}
