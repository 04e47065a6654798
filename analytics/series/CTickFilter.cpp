#include "analytics/series/CTickFilter.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>

bool CTickFilter::Parse(const char* key)
{
    const char* start = key ? std::strstr(key, "&Filter") : nullptr;
    if (!start)
        return false;
    std::string rest(start);
    size_t pos = 0;
    while (pos < rest.size()) {
        size_t amp = rest.find('&', pos);
        if (amp == std::string::npos)
            amp = rest.size();
        const std::string pair = rest.substr(pos, amp - pos);
        pos = amp + 1;
        const size_t eq = pair.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = pair.substr(0, eq);
        const std::string value = pair.substr(eq + 1);
        auto is = [&](const char* n) { return strcasecmp(name.c_str(), n) == 0; };
        if (is("FilterBid")) {
            m_bPassBid = std::atoi(value.c_str()) != 0;
            m_bKindFilter = 1;
        } else if (is("FilterAsk")) {
            m_bPassAsk = std::atoi(value.c_str()) != 0;
            m_bKindFilter = 1;
        } else if (is("FilterTrade")) {
            m_bPassTrade = std::atoi(value.c_str()) != 0;
            m_bKindFilter = 1;
        } else if (is("FilterInfo")) {
            m_bPassInfo = std::atoi(value.c_str()) != 0;
            m_bKindFilter = 1;
        } else if (is("FilterMinPrice")) {
            m_minPrice = std::atof(value.c_str());
            m_bHasMinPrice = 1;
            m_bPriceRange = 1;
        } else if (is("FilterMaxPrice")) {
            m_maxPrice = std::atof(value.c_str());
            m_bHasMaxPrice = 1;
            m_bPriceRange = 1;
        } else if (is("FilterVolume")) {
            const long v = std::atol(value.c_str());
            m_nMinSize = v > 0 ? static_cast<unsigned int>(v) : 0u;
            m_bVolume = 1;
        } else if (is("FilterExg")) {
            m_exchange = value.c_str();
            m_bExchange = 1;
        }
    }
    return true;
}

bool CTickFilter::Drops(int kind, double price, unsigned int size, const char* exchange) const
{
    if (m_bKindFilter) {
        if (kind == 0 && !m_bPassTrade)
            return true;
        if (kind == 1 && !m_bPassBid)
            return true;
        if (kind == 3 && !m_bPassAsk)
            return true;
    }
    if (m_bPriceRange) {
        if (m_bHasMinPrice && price < m_minPrice)
            return true;
        if (m_bHasMaxPrice && price > m_maxPrice)
            return true;
    }
    if (m_bVolume && size < m_nMinSize)
        return true;
    if (m_bExchange) {
        CString text = exchange ? exchange : "";
        text.TrimRight();
        if (strcasecmp(text.GetString(), m_exchange.GetString()) != 0)
            return true;
    }
    return false;
}
