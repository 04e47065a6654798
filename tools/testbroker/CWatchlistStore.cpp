#include "tools/testbroker/CWatchlistStore.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qx::testbroker {

namespace {

std::vector<std::string> Split(const std::string& text, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = text.find(sep, start);
        parts.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos)
            return parts;
        start = pos + 1;
    }
}

bool Number(const std::string& text, double& out)
{
    if (text.empty()) {
        out = 0.0;
        return true;
    }
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

bool ValidDate(const std::string& text)
{
    if (text.empty())
        return true;
    if (text.size() != 10 || text[2] != '-' || text[5] != '-')
        return false;
    for (size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9')
            return false;
    const int month = std::atoi(text.substr(0, 2).c_str());
    const int day = std::atoi(text.substr(3, 2).c_str());
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

std::vector<Watchlist> CWatchlistStore::Lists(const std::string& user) const
{
    const auto it = m_lists.find(user);
    return it == m_lists.end() ? std::vector<Watchlist>{} : it->second;
}

bool CWatchlistStore::ParseSymbolList(const std::string& text, std::vector<WatchedSymbol>& out, std::string& error) const
{
    out.clear();
    if (text.empty())
        return true;
    for (const std::string& item : Split(text, ',')) {
        const auto parts = Split(item, '|');
        WatchedSymbol w;
        w.symbol = parts[0];
        if (parts.size() > 5 || (parts.size() > 1 && !Number(parts[1], w.quantity)) ||
            (parts.size() > 2 && !Number(parts[2], w.price)) || (parts.size() > 3 && !Number(parts[3], w.commission)) ||
            (parts.size() > 4 && !ValidDate(parts[4]))) {
            error = "Invalid watch list entry: " + item;
            return false;
        }
        if (parts.size() > 4)
            w.purchaseDate = parts[4];
        if (w.symbol.empty() || !m_known(w.symbol)) {
            error = "Invalid symbol: " + w.symbol;
            return false;
        }
        out.push_back(std::move(w));
    }
    return true;
}

bool CWatchlistStore::Save(const std::string& user, const std::string& id, const std::string& name,
                           const std::string& symbolList, std::string& savedId, std::string& error)
{
    if (name.empty()) {
        error = "Watch list name is required.";
        return false;
    }
    std::vector<WatchedSymbol> symbols;
    if (!ParseSymbolList(symbolList, symbols, error))
        return false;
    auto& lists = m_lists[user];
    for (const Watchlist& w : lists) {
        if (w.name == name && w.id != id) {
            error = "A watch list named " + name + " already exists.";
            return false;
        }
    }
    if (id.empty()) {
        Watchlist w{std::to_string(m_nextId++), name, std::move(symbols)};
        savedId = w.id;
        lists.push_back(std::move(w));
        return true;
    }
    const auto it = std::find_if(lists.begin(), lists.end(), [&](const Watchlist& w) { return w.id == id; });
    if (it == lists.end()) {
        error = "Watch list " + id + " not found.";
        return false;
    }
    it->name = name;
    it->symbols = std::move(symbols);
    savedId = id;
    return true;
}

bool CWatchlistStore::Delete(const std::string& user, const std::string& id, std::string& error)
{
    auto& lists = m_lists[user];
    const auto it = std::find_if(lists.begin(), lists.end(), [&](const Watchlist& w) { return w.id == id; });
    if (it == lists.end()) {
        error = "Watch list " + id + " not found.";
        return false;
    }
    lists.erase(it);
    return true;
}

}  // namespace qx::testbroker
