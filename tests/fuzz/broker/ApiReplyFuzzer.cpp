// Feeds arbitrary text to every reader of the XML API replies. Nothing may
// crash or recurse without bound, and what a reader takes from a text is never
// more than the text holds.
#include "broker/session/ApiReplies.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string xml(reinterpret_cast<const char*>(data), size);

    CApiResult result;
    FuzzCheck(ParseApiResult(xml, result) || (result.hasError && result.error == "Malformed reply."));

    CLoginReply login;
    if (ParseLoginReply(xml, login))
        FuzzCheck(login.accounts.size() <= size);
    CStreamerInfo streamer;
    ParseStreamerInfo(xml, streamer);
    CString key;
    ParseMessageKey(xml, key);
    int64_t serverTime = 0;
    ParseServerTime(xml, serverTime);

    std::vector<CBalanceRecord> balances;
    std::vector<CPositionRecord> positions;
    if (ParseBalancesAndPositions(xml, balances, positions))
        FuzzCheck(balances.size() + positions.size() <= size);
    std::vector<CWatchlistRecord> lists;
    if (ParseWatchlists(xml, lists))
        FuzzCheck(lists.size() <= size);
    CString savedId;
    FuzzCheck(!ParseSavedWatchlistId(xml, savedId) || !savedId.IsEmpty());

    // Orders keep their times as text; every field is read as one.
    std::vector<COrderStatusRecord> orders;
    if (ParseOrders(xml, orders)) {
        FuzzCheck(orders.size() <= size);
        for (const COrderStatusRecord& order : orders)
            for (int field = 0; field < COrderStatusRecord::kFieldCount; ++field) {
                int64_t seconds = 0;
                order.GetFieldTime(field, seconds);
            }
    }
    FuzzCheck(CountPlacedOrders(xml) >= 0);
    std::vector<CSavedOrderRecord> saved;
    if (ParseSavedOrders(xml, saved)) {
        FuzzCheck(saved.size() <= size);
        for (const CSavedOrderRecord& order : saved)
            for (int field = 0; field < CSavedOrderRecord::kFieldCount; ++field) {
                int64_t seconds = 0;
                order.GetFieldTime(field, seconds);
            }
    }

    CString underlying;
    std::vector<CString> symbols;
    if (ParseOptionChain(xml, underlying, symbols))
        FuzzCheck(symbols.size() <= size);
    CNewsMessage news;
    ParseNews(xml, news);
    CString errors;
    ParseItemResults(xml, errors);
    std::vector<CWebUpdateInfo> updates;
    if (ParseWebUpdates(xml, updates))
        FuzzCheck(updates.size() <= size);
    return 0;
}
