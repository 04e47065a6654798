#include "broker/session/CSessionMessage.h"

const char* SessionCodeName(int code)
{
    static const char* const kNames[kMsgCodeCount] = {
        "login result", "stream state", "quote",        "time mark",  "trade",
        "history",      "book",         "positions",    "balances",   "order status",
        "saved orders", "watch lists",  "actives",      "account list", "option chain",
        "news",         "web update",   "status text",  "order fill",
        "session lost", "symbol refused", "account refreshed"};
    if (code < 0 || code >= kMsgCodeCount)
        return "?";
    return kNames[code];
}
