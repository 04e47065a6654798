#include "broker/session/ApiReplies.h"

#include "platform/core/XmlHelpers.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstdlib>
#include <strings.h>

namespace {

const TiXmlElement* FindChild(const TiXmlElement* parent, const char* name)
{
    return parent ? FindChildNoCase(parent, name) : nullptr;
}

CString ChildText(const TiXmlElement* parent, const char* name)
{
    return GetElementText(FindChild(parent, name));
}

// Holds the parsed document and the <Response> root.
struct Reply {
    TiXmlDocument doc;
    const TiXmlElement* root = nullptr;

    bool Parse(const std::string& xml, CString* reason = nullptr)
    {
        if (!ParseXml(doc, xml, reason))
            return false;
        root = doc.RootElement();
        if (root && strcasecmp(root->Value(), "Response") == 0)
            return true;
        if (reason)
            *reason = root ? CString("the root element is <") + root->Value() + ">, not <Response>"
                           : CString("no root element");
        return false;
    }
    // The request-specific element, when the reply is OK.
    const TiXmlElement* Body(const char* name) const
    {
        if (!root || ChildText(root, "result").CompareNoCase("OK") != 0)
            return nullptr;
        return FindChild(root, name);
    }
};

template <class F>
void ForEachChild(const TiXmlElement* parent, const char* name, F&& f)
{
    for (const TiXmlElement* e = FindChild(parent, name); e; e = NextSiblingNoCase(e, name))
        f(e);
}

// Unix milliseconds; 0 for a text that is no number or does not fit.
int64_t ChildMilliseconds(const TiXmlElement* parent, const char* name)
{
    const CString text = ChildText(parent, name);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno == ERANGE || end == text.GetString())
        return 0;
    return value;
}

double ChildNumber(const TiXmlElement* parent, const char* name)
{
    CString text = ChildText(parent, name);
    text.Remove(',');
    return std::atof(text);
}

} // namespace

bool ParseApiResult(const std::string& xml, CApiResult& result)
{
    Reply reply;
    result = {};
    if (!reply.Parse(xml, &result.reason)) {
        result.hasError = true;
        result.error = "Malformed reply.";
        if (result.reason.IsEmpty())
            result.reason = "not XML";
        return false;
    }
    result.ok = ChildText(reply.root, "result").CompareNoCase("OK") == 0;
    if (const TiXmlElement* error = FindChild(reply.root, "error")) {
        result.hasError = true;
        result.error = GetElementText(error);
    }
    return true;
}

bool ParseLoginReply(const std::string& xml, CLoginReply& out)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("LogIn") : nullptr;
    if (!body)
        return false;
    out.sessionId = ChildText(body, "SessionId");
    out.userId = ChildText(body, "UserId");
    out.accounts.clear();
    ForEachChild(FindChild(body, "Accounts"), "Account", [&](const TiXmlElement* a) {
        CAccountInfo info;
        info.number = ChildText(a, "AccountId");
        info.name = ChildText(a, "Name");
        info.express = ChildText(a, "ExpressTrading").CompareNoCase("true") == 0;
        out.accounts.push_back(info);
    });
    return true;
}

bool ParseStreamerInfo(const std::string& xml, CStreamerInfo& out)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("StreamerInfo") : nullptr;
    if (!body)
        return false;
    out.host = ChildText(body, "Host");
    out.port = std::atoi(ChildText(body, "Port"));
    out.token = ChildText(body, "Token");
    out.userId = ChildText(body, "UserId");
    out.serverTimeMs = ChildMilliseconds(body, "ServerTime");
    if (out.port < 0 || out.port > 65535)
        out.port = 0;
    return true;
}

bool ParseMessageKey(const std::string& xml, CString& key)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("MessageKey") : nullptr;
    if (!body)
        return false;
    key = ChildText(body, "Key");
    return !key.IsEmpty();
}

bool ParseServerTime(const std::string& xml, int64_t& serverTimeMs)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("KeepAlive") : nullptr;
    if (!body)
        return false;
    serverTimeMs = ChildMilliseconds(body, "ServerTime");
    return true;
}

bool ParseBalancesAndPositions(const std::string& xml, std::vector<CBalanceRecord>& balances,
                               std::vector<CPositionRecord>& positions)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("BalancesAndPositions") : nullptr;
    if (!body)
        return false;
    const CString account = ChildText(body, "AccountId");
    balances.clear();
    positions.clear();
    ForEachChild(FindChild(body, "Balances"), "Balance", [&](const TiXmlElement* b) {
        CBalanceRecord record;
        record.name = ChildText(b, "Name");
        record.amount = ChildText(b, "Amount");
        record.netChange = ChildText(b, "Change");
        record.value = static_cast<DWORD>(std::strtoul(ChildText(b, "Value"), nullptr, 10));
        balances.push_back(record);
    });
    ForEachChild(FindChild(body, "Positions"), "Position", [&](const TiXmlElement* p) {
        CPositionRecord record;
        record.symbol = ChildText(p, "Symbol");
        record.quantity = ChildNumber(p, "Quantity");
        record.averagePrice = ChildNumber(p, "AveragePrice");
        record.account = account;
        positions.push_back(record);
    });
    return true;
}

bool ParseWatchlists(const std::string& xml, std::vector<CWatchlistRecord>& lists)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("Watchlists") : nullptr;
    if (!body)
        return false;
    lists.clear();
    ForEachChild(body, "Watchlist", [&](const TiXmlElement* w) {
        CWatchlistRecord list;
        list.listId = ChildText(w, "Id");
        list.name = ChildText(w, "Name");
        ForEachChild(FindChild(w, "Symbols"), "Symbol", [&](const TiXmlElement* s) {
            CWatchedSymbol symbol;
            symbol.symbol = ChildText(s, "Name");
            symbol.quantity = ChildNumber(s, "Quantity");
            symbol.price = ChildNumber(s, "Price");
            symbol.commission = ChildNumber(s, "Commission");
            symbol.purchaseDate = ChildText(s, "PurchaseDate");
            list.symbols.push_back(symbol);
        });
        lists.push_back(list);
    });
    return true;
}

bool ParseSavedWatchlistId(const std::string& xml, CString& id)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("Watchlist") : nullptr;
    if (!body)
        return false;
    id = ChildText(body, "Id");
    return !id.IsEmpty();
}

bool ParseOrders(const std::string& xml, std::vector<COrderStatusRecord>& orders)
{
    static const char* const kNames[COrderStatusRecord::kFieldCount] = {
        "Entered", "Status", "Action", "Quantity", "Symbol", "Type", "Price", "OrderId", "Session",
        "Routing", "Reserved", "Instructions", "OrigQuantity", "OrigPrice", "ActPrice", "Expiration",
        "Reported", "MultiLeg"};
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("Orders") : nullptr;
    if (!body)
        return false;
    orders.clear();
    ForEachChild(body, "Order", [&](const TiXmlElement* o) {
        COrderStatusRecord record;
        for (int i = 0; i < COrderStatusRecord::kFieldCount; ++i)
            record.m_fields[i] = ChildText(o, kNames[i]);
        record.m_bChangeable = ChildText(o, "Editable") == "1" ? 1 : 0;
        record.m_bOpen = ChildText(o, "Cancelable") == "1" ? 1 : 0;
        orders.push_back(record);
    });
    return true;
}

bool ParseSavedOrders(const std::string& xml, std::vector<CSavedOrderRecord>& orders)
{
    static const char* const kNames[CSavedOrderRecord::kFieldCount] = {
        "Entered", "Action", "Quantity", "Symbol", "Type", "Price", "OrderId", "Session", "Routing",
        "Instructions", "ActPrice", "Expiration", "HotKey"};
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("SavedOrders") : nullptr;
    if (!body)
        return false;
    orders.clear();
    ForEachChild(body, "SavedOrder", [&](const TiXmlElement* o) {
        CSavedOrderRecord record;
        for (int i = 0; i < CSavedOrderRecord::kFieldCount; ++i)
            record.m_fields[i] = ChildText(o, kNames[i]);
        orders.push_back(record);
    });
    return true;
}

bool ParseOptionChain(const std::string& xml, CString& underlying, std::vector<CString>& symbols)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("OptionChain") : nullptr;
    if (!body)
        return false;
    underlying = ChildText(body, "Underlying");
    symbols.clear();
    ForEachChild(FindChild(body, "Options"), "Option",
                 [&](const TiXmlElement* o) { symbols.push_back(ChildText(o, "Symbol")); });
    return true;
}

bool ParseIndustryGroups(const std::string& xml, std::vector<CIndustryGroup>& groups)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("IndustryGroups") : nullptr;
    if (!body)
        return false;
    groups.clear();
    size_t names = 0;
    ForEachChild(body, "Group", [&](const TiXmlElement* g) {
        CIndustryGroup group;
        group.name = ChildText(g, "Name");
        ForEachChild(FindChild(g, "Sets"), "Set", [&](const TiXmlElement* s) {
            const CString name = GetElementText(s);
            if (!name.IsEmpty() && names < kMaxIndustrySets) {
                group.sets.push_back(name);
                ++names;
            }
        });
        if (!group.name.IsEmpty() && !group.sets.empty())
            groups.push_back(std::move(group));
    });
    return true;
}

bool ParseIndustryGroup(const std::string& xml, std::vector<CString>& symbols)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("IndustryGroup") : nullptr;
    if (!body)
        return false;
    symbols.clear();
    ForEachChild(FindChild(body, "Symbols"), "Symbol", [&](const TiXmlElement* s) {
        const CString symbol = GetElementText(s);
        if (!symbol.IsEmpty() && symbols.size() < kMaxSymbolSetSymbols)
            symbols.push_back(symbol);
    });
    return true;
}

bool ParseNews(const std::string& xml, CNewsMessage& out)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("News") : nullptr;
    if (!body)
        return false;
    out.m_key = ChildText(body, "Key");
    out.m_headlines.clear();
    ForEachChild(FindChild(body, "Headlines"), "Headline", [&](const TiXmlElement* h) {
        CNewsHeadline headline;
        headline.symbol = ChildText(h, "Symbol");
        headline.time = std::atoll(ChildText(h, "Time"));
        headline.storyId = ChildText(h, "StoryId");
        headline.note = ChildText(h, "Note");
        headline.source = ChildText(h, "Source");
        headline.headline = ChildText(h, "Text");
        headline.storyUrl = ChildText(h, "StoryUrl");
        const CString symbols = ChildText(h, "Symbols");
        int start = 0;
        for (CString token = symbols.Tokenize(",", start); start >= 0; token = symbols.Tokenize(",", start))
            if (!token.IsEmpty())
                headline.symbols.push_back(token);
        out.m_headlines.push_back(headline);
    });
    return true;
}

bool ParseItemResults(const std::string& xml, CString& errors)
{
    Reply reply;
    if (!reply.Parse(xml))
        return false;
    const TiXmlElement* body = reply.Body("CancelOrders");
    if (!body)
        body = reply.Body("DeleteSavedOrders");
    if (!body)
        return false;
    for (const TiXmlElement* item = body->FirstChildElement(); item; item = item->NextSiblingElement()) {
        if (ChildText(item, "result").CompareNoCase("OK") == 0)
            continue;
        if (!errors.IsEmpty())
            errors += "\r\n";
        errors += "Order ";
        errors += ChildText(item, "OrderId");
        errors += ": ";
        errors += ChildText(item, "error");
    }
    return true;
}

bool ParseWebUpdates(const std::string& xml, std::vector<CWebUpdateInfo>& updates)
{
    TiXmlDocument doc;
    const TiXmlElement* root = ParseXml(doc, xml) ? doc.RootElement() : nullptr;
    if (!root)
        return false;
    updates.clear();
    auto read = [&](const TiXmlElement* u) {
        CWebUpdateInfo info;
        info.type = ChildText(u, "Type");
        info.name = ChildText(u, "Name");
        info.version = ChildText(u, "Version");
        info.message = ChildText(u, "Message");
        info.url = ChildText(u, "Url");
        updates.push_back(info);
    };
    if (strcasecmp(root->Value(), "Update") == 0)
        read(root);
    else
        ForEachChild(root, "Update", read);
    return true;
}

int CountPlacedOrders(const std::string& xml)
{
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("Orders") : nullptr;
    if (!body)
        body = reply.root ? reply.Body("SavedOrders") : nullptr;
    if (!body)
        return 0;
    int n = 0;
    ForEachChild(body, "Order", [&](const TiXmlElement*) { ++n; });
    ForEachChild(body, "SavedOrder", [&](const TiXmlElement*) { ++n; });
    return n;
}

std::vector<CString> PlacedOrderIds(const std::string& xml)
{
    std::vector<CString> ids;
    Reply reply;
    const TiXmlElement* body = reply.Parse(xml) ? reply.Body("Orders") : nullptr;
    if (body)
        ForEachChild(body, "Order", [&](const TiXmlElement* order) {
            if (const CString id = ChildText(order, "OrderId"); !id.IsEmpty())
                ids.push_back(id);
        });
    return ids;
}

CString SessionCookieFrom(const std::string& setCookie)
{
    static const std::string kName = "KELVTRADING=";
    if (setCookie.compare(0, kName.size(), kName) != 0)
        return CString();
    const size_t end = setCookie.find(';');
    return CString(setCookie.substr(kName.size(), end == std::string::npos ? std::string::npos : end - kName.size()));
}
