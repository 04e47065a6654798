#include "tools/testbroker/OrderString.h"

#include "broker/protocol/OrderWords.h"

#include <cmath>
#include <cstdlib>

namespace qx::testbroker {

using protocol::OrderWordKind;

namespace {

bool ParseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(out);
}

std::string Get(const OrderFields& f, const std::string& key)
{
    const auto it = f.find(key);
    return it == f.end() ? std::string() : it->second;
}

bool KnownBrokerWord(OrderWordKind kind, const std::string& word)
{
    return !protocol::ToUserWord(kind, word).empty();
}

}  // namespace

bool ParseOrderString(const std::string& text, OrderFields& out, std::string& error)
{
    out.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('~', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        if (item.empty())
            continue;
        const size_t eq = item.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "Invalid order string.";
            return false;
        }
        if (!out.emplace(item.substr(0, eq), item.substr(eq + 1)).second) {
            error = "Invalid order string.";
            return false;
        }
    }
    return true;
}

bool ReadOrderLegs(const OrderFields& f, bool option, std::vector<OrderLeg>& legs, std::string& ticketWord,
                   std::string& error)
{
    legs.clear();
    ticketWord = Get(f, "ordticket");
    int count = 1;
    if (!ticketWord.empty()) {
        count = protocol::TicketLegCount(ticketWord);
        if (count == 0 || Get(f, "totlegs") != std::to_string(count)) {
            error = "Invalid conditional order.";
            return false;
        }
    }
    for (int i = 1; i <= count; ++i) {
        const std::string suffix = count > 1 ? std::to_string(i) : "";
        auto key = [&](const char* k) { return Get(f, k + suffix); };
        OrderLeg leg;
        leg.action = key("action");
        if (!KnownBrokerWord(option ? OrderWordKind::OptionAction : OrderWordKind::StockAction, leg.action)) {
            error = "Invalid action: " + leg.action;
            return false;
        }
        double quantity = 0;
        if (!ParseNumber(key("quantity"), quantity) || quantity < 1 || quantity > 1000000 ||
            quantity != std::floor(quantity)) {
            error = "Invalid quantity: " + key("quantity");
            return false;
        }
        leg.quantity = leg.origQuantity = static_cast<int64_t>(quantity);
        leg.symbol = key("symbol");
        leg.ordtype = key("ordtype");
        if (!KnownBrokerWord(OrderWordKind::OrderType, leg.ordtype)) {
            error = "Invalid order type: " + leg.ordtype;
            return false;
        }
        leg.expire = key("expire");
        if (!KnownBrokerWord(OrderWordKind::Expire, leg.expire)) {
            error = "Invalid expiration: " + leg.expire;
            return false;
        }
        leg.instructions = key("spinstructions");
        if (leg.instructions.empty())
            leg.instructions = "none";
        if (!KnownBrokerWord(OrderWordKind::Instructions, leg.instructions)) {
            error = "Invalid special instructions: " + leg.instructions;
            return false;
        }
        leg.routing = key("routing");
        if (leg.routing.empty())
            leg.routing = "auto";
        if (!KnownBrokerWord(OrderWordKind::Routing, leg.routing)) {
            error = "Invalid routing: " + leg.routing;
            return false;
        }
        const bool needsPrice = leg.ordtype == "limit" || leg.ordtype == "stop_limit";
        const bool needsStop = leg.ordtype == "stop_market" || leg.ordtype == "stop_limit";
        const bool trailing = leg.ordtype == "tstoppercent" || leg.ordtype == "tstopdollar";
        if (needsPrice && (!ParseNumber(key("price"), leg.price) || leg.price <= 0)) {
            error = "A limit price is required.";
            return false;
        }
        if (needsStop && (!ParseNumber(key("actprice"), leg.actprice) || leg.actprice <= 0)) {
            error = "An activation price is required.";
            return false;
        }
        if (trailing) {
            // The trailing amount may come as tsparam or, from older clients, as price.
            if (!ParseNumber(key("tsparam"), leg.tsparam) && !ParseNumber(key("price"), leg.tsparam))
                leg.tsparam = 0;
            if (leg.tsparam <= 0 || (leg.ordtype == "tstoppercent" && leg.tsparam >= 100)) {
                error = "A trailing amount is required.";
                return false;
            }
        }
        leg.exmonth = key("exmonth");
        leg.exday = key("exday");
        leg.exyear = key("exyear");
        if (leg.expire == "gtc" || leg.expire == "gtc_ext") {
            if (!leg.exmonth.empty() || !leg.exday.empty() || !leg.exyear.empty()) {
                double m = 0, d = 0, y = 0;
                if (!ParseNumber(leg.exmonth, m) || !ParseNumber(leg.exday, d) || !ParseNumber(leg.exyear, y) ||
                    m < 1 || m > 12 || d < 1 || d > 31 || y < 2000 || y > 2200) {
                    error = "Invalid good-till date.";
                    return false;
                }
            }
        }
        leg.origPrice = leg.price;
        legs.push_back(std::move(leg));
    }
    return true;
}

}  // namespace qx::testbroker
