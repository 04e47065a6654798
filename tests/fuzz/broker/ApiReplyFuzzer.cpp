// Feeds arbitrary text to the readers of the broker's XML replies: the common frame, the
// streamer information and keep-alive server times, the order lists and order replies, and
// the watch lists and the id of a saved watch list.
#include "broker/session/ApiReplies.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string xml(reinterpret_cast<const char*>(data), size);
    CApiResult result;
    ParseApiResult(xml, result);
    CStreamerInfo streamer;
    ParseStreamerInfo(xml, streamer);
    int64_t serverMs = 0;
    ParseServerTime(xml, serverMs);
    std::vector<COrderStatusRecord> orders;
    ParseOrders(xml, orders);
    std::vector<CWatchlistRecord> lists;
    ParseWatchlists(xml, lists);
    CString id;
    if (ParseSavedWatchlistId(xml, id) && id.IsEmpty())
        __builtin_trap();
    if (CountPlacedOrders(xml) < 0)
        __builtin_trap();
    return 0;
}
