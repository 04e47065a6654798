#include "views/CHeadlineRows.h"

#include <algorithm>
#include <unordered_set>

CHeadlineRows::CHeadlineRows(size_t limit) : m_limit(std::max<size_t>(limit, 1)) {}

const CNewsHeadline* CHeadlineRows::Find(const CString& storyId) const
{
    const auto it = m_rows.find(storyId);
    return it == m_rows.end() ? nullptr : it->second.record.get();
}

void CHeadlineRows::Clear()
{
    m_rows.clear();
    m_byAge.clear();
}

CHeadlineRows::CMerge CHeadlineRows::Merge(const std::vector<CNewsHeadline>& headlines)
{
    CMerge merge;
    std::unordered_set<const CNewsHeadline*> touched;
    for (const CNewsHeadline& headline : headlines) {
        auto it = m_rows.find(headline.storyId);
        if (it != m_rows.end()) {
            CRow& row = it->second;
            m_byAge.erase({{row.record->time, row.order}, headline.storyId});
            // The same story sent again stays read; a story whose headline changed is new
            // to the reader.
            const bool read = row.record->read && row.record->headline == headline.headline;
            *row.record = headline;
            row.record->read = read ? 1 : 0;
            m_byAge.insert({{row.record->time, row.order}, headline.storyId});
            if (touched.insert(row.record.get()).second)
                merge.updated.push_back(row.record.get());
            continue;
        }
        CRow row{std::make_unique<CNewsHeadline>(headline), m_next++};
        CNewsHeadline* record = row.record.get();
        m_byAge.insert({{record->time, row.order}, headline.storyId});
        m_rows.emplace(headline.storyId, std::move(row));
        merge.inserted.push_back(record);
        touched.insert(record);
        if (!record->keep && std::find(merge.alertSymbols.begin(), merge.alertSymbols.end(), record->symbol) ==
                                 merge.alertSymbols.end())
            merge.alertSymbols.push_back(record->symbol);
    }
    while (m_rows.size() > m_limit) {
        const auto oldest = m_byAge.begin();
        auto it = m_rows.find(oldest->second);
        CNewsHeadline* record = it->second.record.get();
        std::erase(merge.inserted, record);
        std::erase(merge.updated, record);
        merge.removed.push_back(std::move(it->second.record));
        m_rows.erase(it);
        m_byAge.erase(oldest);
    }
    return merge;
}
