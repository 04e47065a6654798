#include "broker/session/OrderRequest.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

struct WordPair {
    const char* user;
    const char* broker;
};

CString MapWord(const CString& text, const WordPair* table, size_t n)
{
    CString trimmed = text;
    trimmed.Trim();
    for (size_t i = 0; i < n; ++i)
        if (trimmed.CompareNoCase(table[i].user) == 0)
            return table[i].broker;
    trimmed.MakeLower();
    return trimmed;
}

bool IsTrailing(const CString& type)
{
    return type.Find("T-Stop") >= 0;
}

bool UsesLimitPrice(const CString& type)
{
    return type.CompareNoCase("Limit") == 0 || type.CompareNoCase("StopLimit") == 0;
}

bool UsesActivationPrice(const CString& type)
{
    return type.CompareNoCase("StopMarket") == 0 || type.CompareNoCase("StopLimit") == 0;
}

bool IsGoodTill(const CString& expire)
{
    return expire.CompareNoCase("GTC") == 0 || expire.CompareNoCase("GTC+EXT") == 0;
}

CString StripPrefix(const CString& symbol)
{
    const int colon = symbol.Find(':');
    return colon >= 0 ? symbol.Mid(colon + 1) : symbol;
}

} // namespace

bool CheckOrderQuantities(const std::vector<COrderLeg>& legs, CString& error)
{
    for (const COrderLeg& leg : legs) {
        const double whole = std::floor(leg.quantity);
        if (!std::isfinite(leg.quantity) || whole < 1 || whole > 2147483647.0) {
            error.Format("Invalid quantity: %.0f", std::isfinite(leg.quantity) ? leg.quantity : 0.0);
            return false;
        }
    }
    return true;
}

CString OrderRequestName(int securityKind, int conditionalType, bool place)
{
    CString name = place ? "" : "Save";
    if (conditionalType >= 0 && conditionalType <= 5)
        name += "Conditional";
    name += securityKind == 1 ? "OptionTrade" : "EquityTrade";
    return name;
}

bool ConditionalTicket(int conditionalType, CString& word, int& legs)
{
    static const WordPair kTickets[] = {{"oca", "2"}, {"oca", "2"}, {"ota", "2"},
                                        {"ott", "3"}, {"otoca", "3"}, {"otota", "3"}};
    if (conditionalType < 0 || conditionalType > 5)
        return false;
    word = kTickets[conditionalType].user;
    legs = std::atoi(kTickets[conditionalType].broker);
    return true;
}

CString BrokerActionWord(int securityKind, int action)
{
    static const char* const kStock[] = {"buy", "sell", "sellshort", "buytocover"};
    static const char* const kOption[] = {"buytoopen", "selltoclose", "selltoopen", "buytoclose"};
    if (action < 0 || action > 3)
        return "";
    return securityKind == 1 ? kOption[action] : kStock[action];
}

CString BrokerOrderType(const CString& orderType)
{
    static const WordPair kTypes[] = {{"Limit", "limit"},         {"Market", "market"},
                                      {"StopMarket", "stop_market"}, {"StopLimit", "stop_limit"},
                                      {"T-Stop%", "tstoppercent"},   {"T-Stop$", "tstopdollar"}};
    return MapWord(orderType, kTypes, std::size(kTypes));
}

CString BrokerExpire(const CString& expire)
{
    static const WordPair kExpires[] = {{"DAY", "day"},   {"DAY+EXT", "day_ext"}, {"GTC", "gtc"},
                                        {"GTC+EXT", "gtc_ext"}, {"ExtAM", "am"},   {"ExtPM", "pm"},
                                        {"MktClose", "moc"}};
    return MapWord(expire, kExpires, std::size(kExpires));
}

CString BrokerInstructions(const CString& instructions)
{
    static const WordPair kInstructions[] = {
        {"None", "none"}, {"AON", "aon"}, {"FOK", "fok"}, {"DNR", "dnr"}, {"AON/DNR", "aon_dnr"}};
    return MapWord(instructions, kInstructions, std::size(kInstructions));
}

CString BrokerRoute(const CString& route)
{
    static const WordPair kRoutes[] = {{"Auto", "auto"}, {"Default", "auto"}, {"NSDQ (INET)", "inet"}};
    return MapWord(route, kRoutes, std::size(kRoutes));
}

CString OrderPriceText(double price)
{
    if (price == 0 || !std::isfinite(price))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", price);
    CString result(text);
    // Trailing zeros back to two decimals.
    while (result.GetLength() > 0 && result[result.GetLength() - 1] == '0' &&
           result.GetLength() - result.Find('.') > 3)
        result = result.Left(result.GetLength() - 1);
    return result;
}

CString BuildOrderString(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType,
                         const CString& accountNumber)
{
    CString text;
    text.Format("accountid=%d~", std::atoi(accountNumber));
    CString ticket;
    int ticketLegs = 0;
    if (ConditionalTicket(conditionalType, ticket, ticketLegs))
        text.AppendFormat("ordticket=%s~totlegs=%d~", ticket, static_cast<int>(legs.size()));
    for (size_t i = 0; i < legs.size(); ++i) {
        const COrderLeg& leg = legs[i];
        CString n;
        if (legs.size() > 1)
            n.Format("%d", static_cast<int>(i + 1));
        const bool trailing = IsTrailing(leg.orderType);
        const CString price = UsesLimitPrice(leg.orderType) ? OrderPriceText(leg.price) : CString();
        const CString actPrice = UsesActivationPrice(leg.orderType) ? OrderPriceText(leg.activationPrice) : CString();
        const CString tsParam = trailing ? OrderPriceText(leg.price) : CString();
        const bool goodTill = IsGoodTill(leg.expire);
        text.AppendFormat("action%s=%s~quantity%s=%d~symbol%s=%s~ordtype%s=%s~price%s=%s~actprice%s=%s~"
                          "tsparam%s=%s~expire%s=%s~spinstructions%s=%s~routing%s=%s~exmonth%s=%s~"
                          "exday%s=%s~exyear%s=%s~",
                          n, BrokerActionWord(securityKind, leg.action), n, static_cast<int>(leg.quantity), n,
                          StripPrefix(leg.symbol), n, BrokerOrderType(leg.orderType), n, price, n, actPrice, n,
                          tsParam, n, BrokerExpire(leg.expire), n, BrokerInstructions(leg.instructions), n,
                          BrokerRoute(leg.route), n, goodTill ? leg.expirationMonth : CString(), n,
                          goodTill ? leg.expirationDay : CString(), n, goodTill ? leg.expirationYear : CString());
    }
    return text;
}

CString BuildEditOrderString(const COrderLeg& leg, const CString& accountId)
{
    const bool goodTill = IsGoodTill(leg.expire);
    const CString price = IsTrailing(leg.orderType) || UsesLimitPrice(leg.orderType) ? OrderPriceText(leg.price)
                                                                                      : CString();
    CString text;
    text.Format("accountid=%s~orderid=%s~ordtype=%s~quantity=%d~price=%s~actprice=%s~expire=%s~exmonth=%s~"
                "exday=%s~exyear=%s",
                accountId, leg.orderId, BrokerOrderType(leg.orderType), static_cast<int>(leg.quantity), price,
                UsesActivationPrice(leg.orderType) ? OrderPriceText(leg.activationPrice) : CString(),
                BrokerExpire(leg.expire), goodTill ? leg.expirationMonth : CString(),
                goodTill ? leg.expirationDay : CString(), goodTill ? leg.expirationYear : CString());
    return text;
}

CString UrlEncode(const char* text)
{
    static const char kHex[] = "0123456789ABCDEF";
    CString out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : ""); *p; ++p) {
        if (std::isalnum(*p) || *p == '-' || *p == '_' || *p == '.' || *p == '~') {
            out += static_cast<char>(*p);
        } else {
            out += '%';
            out += kHex[*p >> 4];
            out += kHex[*p & 15];
        }
    }
    return out;
}
