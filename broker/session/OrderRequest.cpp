#include "broker/session/OrderRequest.h"

#include "broker/protocol/OrderWords.h"
#include "platform/core/CivilDate.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using qx::protocol::OrderWordKind;

CString MapWord(const CString& text, OrderWordKind kind)
{
    CString trimmed = text;
    trimmed.Trim();
    return CString(qx::protocol::ToBrokerWord(kind, trimmed.view()));
}

// Empty stays empty (the broker's default); anything else must be a known word.
CString MapOptionalWord(const CString& text, OrderWordKind kind)
{
    CString trimmed = text;
    trimmed.Trim();
    return trimmed.IsEmpty() ? CString() : MapWord(trimmed, kind);
}

bool IsTrailing(const CString& type)
{
    const CString word = BrokerOrderType(type);
    return word == "tstoppercent" || word == "tstopdollar";
}

bool UsesLimitPrice(const CString& type)
{
    const CString word = BrokerOrderType(type);
    return word == "limit" || word == "stop_limit";
}

bool UsesActivationPrice(const CString& type)
{
    const CString word = BrokerOrderType(type);
    return word == "stop_market" || word == "stop_limit";
}

bool IsGoodTill(const CString& expire)
{
    const CString word = BrokerExpire(expire);
    return word == "gtc" || word == "gtc_ext";
}

CString StripPrefix(const CString& symbol)
{
    const int colon = symbol.Find(':');
    return colon >= 0 ? symbol.Mid(colon + 1) : symbol;
}

// A text for a message: control characters shown as "?", long texts cut.
CString Shown(const CString& text)
{
    constexpr int kMaxShown = 40;
    CString shown = PrintableSymbol(text.Left(kMaxShown));
    if (text.GetLength() > kMaxShown)
        shown += "...";
    return shown;
}

// A whole number of 1 to maxDigits digits (blanks around it allowed), or -1.
int DateNumber(const CString& text, int minDigits, int maxDigits)
{
    CString t = text;
    t.Trim();
    if (t.GetLength() < minDigits || t.GetLength() > maxDigits)
        return -1;
    for (int i = 0; i < t.GetLength(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(t[i])))
            return -1;
    return std::atoi(t);
}

struct GoodTillDate {
    bool present = false;
    int year = 0, month = 0, day = 0;
};

// All three texts empty: no date. Otherwise month and day of 1 or 2 digits and a year of 4
// that make a real date; false for anything else.
bool ReadGoodTillDate(const COrderLeg& leg, GoodTillDate& date)
{
    date = {};
    CString d = leg.expirationDay, m = leg.expirationMonth, y = leg.expirationYear;
    d.Trim();
    m.Trim();
    y.Trim();
    if (d.IsEmpty() && m.IsEmpty() && y.IsEmpty())
        return true;
    date.day = DateNumber(d, 1, 2);
    date.month = DateNumber(m, 1, 2);
    date.year = DateNumber(y, 4, 4);
    date.present = true;
    return date.day >= 1 && date.month >= 1 && date.year >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

CString DatePart(bool goodTill, int value)
{
    CString text;
    if (goodTill)
        text.Format("%d", value);
    return text;
}

// The symbol as sent: without its prefix, and empty when it is no symbol.
CString SymbolText(const CString& symbol)
{
    const CString bare = StripPrefix(symbol);
    return IsOrderSymbol(bare) ? bare : CString();
}

// The whole quantity as the order string's %d takes it; 0 for one that does not fit.
int WholeQuantity(double quantity)
{
    const double whole = std::floor(quantity);
    return std::isfinite(whole) && whole >= 0 && whole <= 2147483647.0 ? static_cast<int>(whole) : 0;
}

bool IsOrderIdText(const CString& id)
{
    if (id.IsEmpty())
        return false;
    for (int i = 0; i < id.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(id[i]);
        if (!std::isalnum(c) && c != '-' && c != '_' && c != '.')
            return false;
    }
    return true;
}

} // namespace

bool IsOrderSymbol(const char* symbol)
{
    const std::string_view text(symbol ? symbol : "");
    if (text.empty())
        return false;
    size_t i = 0;
    if (text[0] == '+' || text[0] == '$')
        i = 1;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!(std::isalnum(c) || c == '.' || c == '/' || c == '-' || c == '_'))
            return false;
    }
    return true;
}

CString PrintableSymbol(const char* symbol)
{
    CString out;
    for (const char* p = symbol ? symbol : ""; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        out += c < 0x20 || c == 0x7f ? '?' : *p;
    }
    return out;
}

bool IsOrderPrice(double price)
{
    if (!std::isfinite(price) || price <= 0 || price > 1e12)
        return false;
    const double units = std::round(price * 10000.0);
    // Relative slack for the binary form of decimal texts (50.123 is 50.12299999...).
    return units >= 1 && std::fabs(units - price * 10000.0) <= std::max(1e-6, units * 1e-12);
}

CString CheckOrderLegFields(const COrderLeg& leg, int securityKind)
{
    CString problem;
    const bool edit = !leg.orderId.IsEmpty();
    if (edit) {
        if (!IsOrderIdText(leg.orderId))
            problem.Format("Invalid order id: %s", Shown(leg.orderId).GetString());
    } else if (!IsOrderSymbol(StripPrefix(leg.symbol))) {
        problem.Format("Invalid symbol: %s", Shown(leg.symbol).GetString());
    } else if (BrokerActionWord(securityKind, leg.action).IsEmpty()) {
        problem.Format("Invalid action: %d", leg.action);
    }
    if (!problem.IsEmpty())
        return problem;
    CString quantityError;
    if (!CheckOrderQuantities({leg}, quantityError))
        return quantityError;
    if (BrokerOrderType(leg.orderType).IsEmpty())
        problem.Format("Invalid order type: %s", Shown(leg.orderType).GetString());
    else if (BrokerExpire(leg.expire).IsEmpty())
        problem.Format("Invalid expiration: %s", Shown(leg.expire).GetString());
    else if (!edit && BrokerInstructions(leg.instructions).IsEmpty() && !CString(leg.instructions).Trim().IsEmpty())
        problem.Format("Invalid special instructions: %s", Shown(leg.instructions).GetString());
    else if (!edit && BrokerRoute(leg.route).IsEmpty() && !CString(leg.route).Trim().IsEmpty())
        problem.Format("Invalid routing: %s", Shown(leg.route).GetString());
    else if ((UsesLimitPrice(leg.orderType) || IsTrailing(leg.orderType)) && !IsOrderPrice(leg.price))
        problem.Format(IsTrailing(leg.orderType) ? "Invalid trailing amount: %.10g (above 0, at most 4 decimals)"
                                                 : "Invalid price: %.10g (above 0, at most 4 decimals)",
                       std::isfinite(leg.price) ? leg.price : 0.0);
    else if (UsesActivationPrice(leg.orderType) && !IsOrderPrice(leg.activationPrice))
        problem.Format("Invalid activation price: %.10g (above 0, at most 4 decimals)",
                       std::isfinite(leg.activationPrice) ? leg.activationPrice : 0.0);
    if (!problem.IsEmpty())
        return problem;
    GoodTillDate date;
    if (IsGoodTill(leg.expire) && !ReadGoodTillDate(leg, date))
        problem.Format("Invalid good-till date: %s/%s/%s", Shown(leg.expirationMonth).GetString(),
                       Shown(leg.expirationDay).GetString(), Shown(leg.expirationYear).GetString());
    return problem;
}

CString CheckOrderRequestLegs(const std::vector<COrderLeg>& legs, int securityKind)
{
    if (legs.empty())
        return "No order to send.";
    for (size_t i = 0; i < legs.size(); ++i) {
        const CString problem = CheckOrderLegFields(legs[i], securityKind);
        if (problem.IsEmpty())
            continue;
        if (legs.size() == 1)
            return problem;
        CString prefixed;
        prefixed.Format("Order %d: %s", static_cast<int>(i + 1), problem.GetString());
        return prefixed;
    }
    return CString();
}

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
    std::string ticket;
    if (!qx::protocol::ConditionalTicket(conditionalType, ticket, legs))
        return false;
    word = CString(ticket);
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
    return MapWord(orderType, OrderWordKind::OrderType);
}

CString BrokerExpire(const CString& expire)
{
    return MapWord(expire, OrderWordKind::Expire);
}

CString BrokerInstructions(const CString& instructions)
{
    return MapOptionalWord(instructions, OrderWordKind::Instructions);
}

CString BrokerRoute(const CString& route)
{
    return MapOptionalWord(route, OrderWordKind::Routing);
}

namespace {

// A number of the order list, or nullopt when the text is empty or no number.
std::optional<double> ListNumber(const CString& text)
{
    CString t = text;
    t.Trim();
    t.Remove(',');
    if (t.IsEmpty())
        return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(t, &end);
    if (end == t.GetString() || *end != '\0' || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool SamePrice(std::optional<double> listed, double sent)
{
    return listed && std::llround(*listed * 10000.0) == std::llround(sent * 10000.0);
}

} // namespace

bool OrderMatchesLeg(const COrderStatusRecord& order, const COrderLeg& leg, int securityKind)
{
    using F = COrderStatusRecord;
    const auto& f = order.m_fields;
    if (f[F::kSymbol].CompareNoCase(StripPrefix(leg.symbol)) != 0)
        return false;
    CString action = f[F::kAction];
    action.Trim();
    const auto actionKind = securityKind == 1 ? OrderWordKind::OptionAction : OrderWordKind::StockAction;
    if (CString(qx::protocol::ToBrokerWord(actionKind, action.view())) != BrokerActionWord(securityKind, leg.action))
        return false;
    const std::optional<double> quantity = ListNumber(f[F::kOrigQuantity].IsEmpty() ? f[F::kQuantity] : f[F::kOrigQuantity]);
    if (!quantity || *quantity != std::floor(leg.quantity))
        return false;
    CString type = f[F::kType];
    type.Remove(' ');
    const CString sentType = BrokerOrderType(leg.orderType);
    if (BrokerOrderType(type) != sentType || BrokerExpire(f[F::kSession]) != BrokerExpire(leg.expire))
        return false;
    // The entered price; the current one only while the order has not filled (it then shows
    // the fill price).
    const bool filled = f[F::kStatus].CompareNoCase("Filled") == 0;
    std::optional<double> entered = ListNumber(f[F::kOrigPrice]);
    if (!entered && !filled)
        entered = ListNumber(f[F::kPrice]);
    if (UsesLimitPrice(leg.orderType) && !SamePrice(entered, leg.price))
        return false;
    if (IsTrailing(leg.orderType) && !filled && !SamePrice(ListNumber(f[F::kPrice]), leg.price))
        return false;
    if (UsesActivationPrice(leg.orderType) && !SamePrice(ListNumber(f[F::kActPrice]), leg.activationPrice))
        return false;
    GoodTillDate date;
    if (IsGoodTill(leg.expire) && ReadGoodTillDate(leg, date) && date.present) {
        int m = 0, d = 0, y = 0;
        if (std::sscanf(f[F::kExpiration], "%d/%d/%d", &m, &d, &y) != 3 || m != date.month || d != date.day ||
            y != date.year)
            return false;
    }
    return true;
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
        GoodTillDate date;
        const bool goodTill = IsGoodTill(leg.expire) && ReadGoodTillDate(leg, date) && date.present;
        text.AppendFormat("action%s=%s~quantity%s=%d~symbol%s=%s~ordtype%s=%s~price%s=%s~actprice%s=%s~"
                          "tsparam%s=%s~expire%s=%s~spinstructions%s=%s~routing%s=%s~exmonth%s=%s~"
                          "exday%s=%s~exyear%s=%s~",
                          n, BrokerActionWord(securityKind, leg.action), n, WholeQuantity(leg.quantity), n,
                          SymbolText(leg.symbol), n, BrokerOrderType(leg.orderType), n, price, n, actPrice, n,
                          tsParam, n, BrokerExpire(leg.expire), n, BrokerInstructions(leg.instructions), n,
                          BrokerRoute(leg.route), n, DatePart(goodTill, date.month), n, DatePart(goodTill, date.day), n,
                          DatePart(goodTill, date.year));
    }
    return text;
}

CString BuildEditOrderString(const COrderLeg& leg, const CString& accountId)
{
    GoodTillDate date;
    const bool goodTill = IsGoodTill(leg.expire) && ReadGoodTillDate(leg, date) && date.present;
    const CString price = IsTrailing(leg.orderType) || UsesLimitPrice(leg.orderType) ? OrderPriceText(leg.price)
                                                                                      : CString();
    CString text;
    text.Format("accountid=%s~orderid=%s~ordtype=%s~quantity=%d~price=%s~actprice=%s~expire=%s~exmonth=%s~"
                "exday=%s~exyear=%s",
                IsOrderIdText(accountId) ? accountId : CString(), IsOrderIdText(leg.orderId) ? leg.orderId : CString(),
                BrokerOrderType(leg.orderType), WholeQuantity(leg.quantity), price,
                UsesActivationPrice(leg.orderType) ? OrderPriceText(leg.activationPrice) : CString(),
                BrokerExpire(leg.expire), DatePart(goodTill, date.month), DatePart(goodTill, date.day),
                DatePart(goodTill, date.year));
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
