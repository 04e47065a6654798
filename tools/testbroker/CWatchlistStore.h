// Watch lists kept on the test broker's server, per user.
#pragma once

#include "tools/testbroker/AccountTypes.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qx::testbroker {

class CWatchlistStore {
public:
    using SymbolCheck = std::function<bool(const std::string&)>;
    explicit CWatchlistStore(SymbolCheck known) : m_known(std::move(known)) {}

    std::vector<Watchlist> Lists(const std::string& user) const;
    // Creates (empty id) or replaces a list; false with the error text.
    bool Save(const std::string& user, const std::string& id, const std::string& name, const std::string& symbolList,
              std::string& savedId, std::string& error);
    bool Delete(const std::string& user, const std::string& id, std::string& error);

    // "SYM|qty|price|commission|MM-DD-YYYY" items joined by ",".
    bool ParseSymbolList(const std::string& text, std::vector<WatchedSymbol>& out, std::string& error) const;

private:
    SymbolCheck m_known;
    std::map<std::string, std::vector<Watchlist>> m_lists;
    int m_nextId = 1;
};

}  // namespace qx::testbroker
