// Feeds arbitrary text to every reader of the XML API replies. Nothing may
// crash or recurse without bound, and what a reader takes from a text is never
// more than the text holds.
#include "broker/session/ApiReplies.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
void Check(bool condition)
{
    if (!condition)
        std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string xml(reinterpret_cast<const char*>(data), size);

    CApiResult result;
    Check(ParseApiResult(xml, result) || (result.hasError && result.error == "Malformed reply."));

    CLoginReply login;
    if (ParseLoginReply(xml, login))
        Check(login.accounts.size() <= size);
    CStreamerInfo streamer;
    ParseStreamerInfo(xml, streamer);
    CString key;
    ParseMessageKey(xml, key);
    int64_t serverTime = 0;
    ParseServerTime(xml, serverTime);

    std::vector<CBalanceRecord> balances;
    std::vector<CPositionRecord> positions;
    if (ParseBalancesAndPositions(xml, balances, positions))
        Check(balances.size() + positions.size() <= size);
    std::vector<CWatchlistRecord> lists;
    if (ParseWatchlists(xml, lists))
        Check(lists.size() <= size);
    CString savedId;
    Check(!ParseSavedWatchlistId(xml, savedId) || !savedId.IsEmpty());

    // Orders keep their times as text; every field is read as one.
    std::vector<COrderStatusRecord> orders;
    if (ParseOrders(xml, orders)) {
        Check(orders.size() <= size);
        for (const COrderStatusRecord& order : orders)
            for (int field = 0; field < COrderStatusRecord::kFieldCount; ++field) {
                int64_t seconds = 0;
                order.GetFieldTime(field, seconds);
            }
    }
    Check(CountPlacedOrders(xml) >= 0);
    std::vector<CSavedOrderRecord> saved;
    if (ParseSavedOrders(xml, saved)) {
        Check(saved.size() <= size);
        for (const CSavedOrderRecord& order : saved)
            for (int field = 0; field < CSavedOrderRecord::kFieldCount; ++field) {
                int64_t seconds = 0;
                order.GetFieldTime(field, seconds);
            }
    }

    CString underlying;
    std::vector<CString> symbols;
    if (ParseOptionChain(xml, underlying, symbols))
        Check(symbols.size() <= size);
    CNewsMessage news;
    ParseNews(xml, news);
    CString errors;
    ParseItemResults(xml, errors);
    std::vector<CWebUpdateInfo> updates;
    if (ParseWebUpdates(xml, updates))
        Check(updates.size() <= size);
    return 0;
}
