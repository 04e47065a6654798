// The words of order requests: what the user sees ("Sell Short", "StopLimit",
// "DAY+EXT") and what the broker's order string carries ("sellshort",
// "stop_limit", "day_ext"). Lookups of user words ignore case.
#pragma once

#include <string>
#include <string_view>

namespace qx::protocol {

enum class OrderWordKind { StockAction, OptionAction, OrderType, Expire, Instructions, Routing };

// The broker's word for a user word, or empty when there is none.
std::string ToBrokerWord(OrderWordKind kind, std::string_view userWord);
// The user word for a broker word (the first one when several map to it), or empty.
std::string ToUserWord(OrderWordKind kind, std::string_view brokerWord);

// Conditional ticket word and leg count of conditional type 0 to 5; false outside.
bool ConditionalTicket(int conditionalType, std::string& ticketWord, int& legs);
// Leg count of a ticket word ("oca" 2, "ota" 2, "ott" 3, "otoca" 3, "otota" 3), or 0.
int TicketLegCount(std::string_view ticketWord);

}  // namespace qx::protocol
