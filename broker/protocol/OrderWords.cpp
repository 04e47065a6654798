#include "broker/protocol/OrderWords.h"

#include <cctype>
#include <utility>

namespace qx::protocol {

namespace {

struct WordPair {
    const char* user;
    const char* broker;
};

constexpr WordPair kStockActions[] = {
    {"Buy", "buy"}, {"Sell", "sell"}, {"Sell Short", "sellshort"}, {"Buy to Cover", "buytocover"}};
constexpr WordPair kOptionActions[] = {{"Buy to Open", "buytoopen"},
                                       {"Sell to Close", "selltoclose"},
                                       {"Sell to Open", "selltoopen"},
                                       {"Buy to Close", "buytoclose"}};
constexpr WordPair kOrderTypes[] = {{"Limit", "limit"},         {"Market", "market"},
                                    {"StopMarket", "stop_market"}, {"StopLimit", "stop_limit"},
                                    {"T-Stop%", "tstoppercent"}, {"T-Stop$", "tstopdollar"}};
constexpr WordPair kExpires[] = {{"DAY", "day"},     {"DAY+EXT", "day_ext"}, {"GTC", "gtc"},
                                 {"GTC+EXT", "gtc_ext"}, {"ExtAM", "am"},        {"ExtPM", "pm"},
                                 {"MktClose", "moc"}};
constexpr WordPair kInstructions[] = {
    {"None", "none"}, {"AON", "aon"}, {"FOK", "fok"}, {"DNR", "dnr"}, {"AON/DNR", "aon_dnr"}};
constexpr WordPair kRoutes[] = {{"Auto", "auto"}, {"Default", "auto"}, {"NSDQ (INET)", "inet"},
                                {"ARCA", "arca"}, {"CBOE", "cboe"},    {"PHLX", "phlx"},
                                {"AMEX", "amex"}, {"ISE", "ise"},      {"BOX", "box"},
                                {"NYSE", "nyse"}, {"NASDAQ", "nasdaq"}, {"BATS", "bats"}};

template <size_t N>
std::pair<const WordPair*, size_t> Table(const WordPair (&t)[N])
{
    return {t, N};
}

std::pair<const WordPair*, size_t> TableOf(OrderWordKind kind)
{
    switch (kind) {
    case OrderWordKind::StockAction: return Table(kStockActions);
    case OrderWordKind::OptionAction: return Table(kOptionActions);
    case OrderWordKind::OrderType: return Table(kOrderTypes);
    case OrderWordKind::Expire: return Table(kExpires);
    case OrderWordKind::Instructions: return Table(kInstructions);
    case OrderWordKind::Routing: return Table(kRoutes);
    }
    return {nullptr, 0};
}

bool SameNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string ToBrokerWord(OrderWordKind kind, std::string_view userWord)
{
    const auto [table, n] = TableOf(kind);
    for (size_t i = 0; i < n; ++i)
        if (SameNoCase(table[i].user, userWord))
            return table[i].broker;
    return {};
}

std::string ToUserWord(OrderWordKind kind, std::string_view brokerWord)
{
    const auto [table, n] = TableOf(kind);
    for (size_t i = 0; i < n; ++i)
        if (brokerWord == table[i].broker)
            return table[i].user;
    return {};
}

bool ConditionalTicket(int conditionalType, std::string& ticketWord, int& legs)
{
    static constexpr std::pair<const char*, int> kTickets[] = {{"oca", 2}, {"oca", 2}, {"ota", 2},
                                                               {"ott", 3}, {"otoca", 3}, {"otota", 3}};
    if (conditionalType < 0 || conditionalType > 5)
        return false;
    ticketWord = kTickets[conditionalType].first;
    legs = kTickets[conditionalType].second;
    return true;
}

int TicketLegCount(std::string_view ticketWord)
{
    if (ticketWord == "oca" || ticketWord == "ota")
        return 2;
    if (ticketWord == "ott" || ticketWord == "otoca" || ticketWord == "otota")
        return 3;
    return 0;
}

}  // namespace qx::protocol
