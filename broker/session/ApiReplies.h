// Readers of the broker's XML API replies (element names compared without regard to case).
#pragma once

#include "broker/session/AccountRecords.h"
#include "broker/session/COrderStatusRecord.h"
#include "broker/session/CSavedOrderRecord.h"
#include "broker/session/IndustryGroup.h"
#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"

#include <cstdint>
#include <string>
#include <vector>

// The common frame: <Response><result>OK|FAIL</result>[<error>..</error>] ...</Response>.
struct CApiResult {
    bool ok = false;
    bool hasError = false;
    CString error;
    CString reason; // why a malformed reply is one (the parser's words), for the log
};

// Parses the frame; false (with error "Malformed reply." and the parser's reason) when the
// text is not a reply.
bool ParseApiResult(const std::string& xml, CApiResult& result);

struct CLoginReply {
    CString sessionId;
    CString userId;
    std::vector<CAccountInfo> accounts;
};
struct CStreamerInfo {
    CString host;
    int port = 0;
    CString token;
    CString userId;
    int64_t serverTimeMs = 0;
};

bool ParseLoginReply(const std::string& xml, CLoginReply& out);
bool ParseStreamerInfo(const std::string& xml, CStreamerInfo& out);
bool ParseMessageKey(const std::string& xml, CString& key);
bool ParseServerTime(const std::string& xml, int64_t& serverTimeMs); // KeepAlive
bool ParseBalancesAndPositions(const std::string& xml, std::vector<CBalanceRecord>& balances,
                               std::vector<CPositionRecord>& positions);
bool ParseWatchlists(const std::string& xml, std::vector<CWatchlistRecord>& lists);
// The reply of CreateWatchlist or EditWatchlist: <Watchlist><Id>..</Id>..</Watchlist>.
bool ParseSavedWatchlistId(const std::string& xml, CString& id);
bool ParseOrders(const std::string& xml, std::vector<COrderStatusRecord>& orders);
bool ParseSavedOrders(const std::string& xml, std::vector<CSavedOrderRecord>& orders);
bool ParseOptionChain(const std::string& xml, CString& underlying, std::vector<CString>& symbols);
bool ParseNews(const std::string& xml, CNewsMessage& out);
// IndustryGroups: the groups with their set names, up to kMaxIndustrySets names in all;
// groups and names that are empty are left out.
bool ParseIndustryGroups(const std::string& xml, std::vector<CIndustryGroup>& groups);
// IndustryGroup: the set's symbols, up to kMaxSymbolSetSymbols, empty ones left out.
bool ParseIndustryGroup(const std::string& xml, std::vector<CString>& symbols);
// Per-order results of CancelOrder / DeleteSavedOrder: appends "Order <id>: <message>" lines.
bool ParseItemResults(const std::string& xml, CString& errors);
// Orders (or saved orders) an order request's reply names; 0 when it names none.
int CountPlacedOrders(const std::string& xml);
// The ids of the orders a placing reply names.
std::vector<CString> PlacedOrderIds(const std::string& xml);
bool ParseWebUpdates(const std::string& xml, std::vector<CWebUpdateInfo>& updates);

// "KELVTRADING=<id>" from a Set-Cookie value of the LogIn reply: the id, or empty.
CString SessionCookieFrom(const std::string& setCookie);
