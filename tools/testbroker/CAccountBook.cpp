#include "tools/testbroker/CAccountBook.h"

#include "broker/protocol/OrderWords.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qx::testbroker {

using protocol::ActivityKind;

namespace {

std::string Money(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

double Multiplier(bool option) { return option ? 100.0 : 1.0; }

bool IsOpen(const Order& o) { return o.status == "Open" || o.status == "Pending"; }

}  // namespace

bool IsBuyAction(const std::string& action)
{
    return action == "buy" || action == "buytocover" || action == "buytoopen" || action == "buytoclose";
}

CAccountBook::CAccountBook(QuoteSource quotes, Clock clock) : m_quotes(std::move(quotes)), m_clock(std::move(clock)) {}

void CAccountBook::AddUser(const std::string& user)
{
    if (m_userAccounts.count(user))
        return;
    auto& ids = m_userAccounts[user];
    const struct {
        const char* name;
        bool express;
        double cash;
    } kinds[] = {{"Individual", false, 100000.0}, {"IRA", true, 50000.0}};
    for (const auto& k : kinds) {
        Account a;
        a.id = std::to_string(m_nextAccount++);
        a.name = k.name;
        a.expressTrading = k.express;
        a.cash = a.startCash = k.cash;
        ids.push_back(a.id);
        m_accounts.emplace(a.id, std::move(a));
    }
}

std::vector<Account> CAccountBook::AccountsOf(const std::string& user) const
{
    std::vector<Account> out;
    const auto it = m_userAccounts.find(user);
    if (it != m_userAccounts.end())
        for (const std::string& id : it->second)
            out.push_back(m_accounts.at(id));
    return out;
}

bool CAccountBook::Owns(const std::string& user, const std::string& account) const
{
    const auto it = m_userAccounts.find(user);
    return it != m_userAccounts.end() && std::find(it->second.begin(), it->second.end(), account) != it->second.end();
}

std::optional<Account> CAccountBook::FindAccount(const std::string& account) const
{
    const auto it = m_accounts.find(account);
    if (it == m_accounts.end())
        return std::nullopt;
    return it->second;
}

double CAccountBook::OpenOrderReserve(const std::string& account) const
{
    double reserve = 0.0;
    for (const Order& o : m_orders) {
        if (o.account != account || !IsOpen(o) || !IsBuyAction(o.leg.action))
            continue;
        double price = o.leg.price > 0 ? o.leg.price : o.leg.actprice;
        if (price <= 0)
            if (const auto q = m_quotes(o.leg.symbol))
                price = q->ask > 0 ? q->ask : q->last;
        reserve += price * static_cast<double>(o.leg.quantity) * Multiplier(o.option);
    }
    return reserve;
}

bool CAccountBook::ValidateLeg(const Account& a, const OrderLeg& leg, bool option, int64_t pending,
                               std::string& error) const
{
    const auto q = m_quotes(leg.symbol);
    if (leg.symbol.empty() || !q || q->index) {
        error = "Invalid symbol: " + leg.symbol;
        return false;
    }
    if (option && !q->option) {
        error = "An option symbol is required for an option order.";
        return false;
    }
    if (!option && q->option) {
        error = "An equity symbol is required for an equity order.";
        return false;
    }
    const auto pos = a.positions.find(leg.symbol);
    const int64_t held = (pos == a.positions.end() ? 0 : pos->second.quantity) + pending;
    if ((leg.action == "sell" || leg.action == "selltoclose") && leg.quantity > held) {
        error = "Insufficient position to sell: " + leg.symbol;
        return false;
    }
    if ((leg.action == "buytocover" || leg.action == "buytoclose") && leg.quantity > -held) {
        error = "Insufficient position to cover: " + leg.symbol;
        return false;
    }
    if (IsBuyAction(leg.action)) {
        double price = leg.price > 0 && leg.ordtype != "tstopdollar" && leg.ordtype != "tstoppercent" ? leg.price
                                                                                                      : leg.actprice;
        if (price <= 0)
            price = q->ask > 0 ? q->ask : q->last;
        const double cost = price * static_cast<double>(leg.quantity) * Multiplier(option);
        if (cost > a.cash - OpenOrderReserve(a.id) + 1e-9) {
            error = "Insufficient buying power.";
            return false;
        }
    }
    return true;
}

CAccountBook::Result CAccountBook::Place(const std::string& user, const std::string& orderString, bool option,
                                         bool conditional, bool save, Activities& out)
{
    Result r;
    if (save && conditional) {
        r.errorElement = false;  // conditional orders cannot be saved
        return r;
    }
    OrderFields fields;
    if (!ParseOrderString(orderString, fields, r.error))
        return r;
    const std::string accountId = fields.count("accountid") ? fields.at("accountid") : "";
    if (!Owns(user, accountId)) {
        r.error = "Invalid account: " + accountId;
        return r;
    }
    std::vector<OrderLeg> legs;
    std::string ticketWord;
    if (!ReadOrderLegs(fields, option, legs, ticketWord, r.error))
        return r;
    if (conditional != !ticketWord.empty()) {
        r.error = "Invalid conditional order.";
        return r;
    }
    const Account& account = m_accounts.at(accountId);
    std::map<std::string, int64_t> pending;
    for (size_t i = 0; i < legs.size(); ++i) {
        const OrderLeg& leg = legs[i];
        if (!ValidateLeg(account, leg, option, pending[leg.symbol], r.error))
            return r;
        // A later leg of a trigger ticket may close what an earlier one opens;
        // the legs of a one-cancels-another pair are alternatives.
        const bool alternative = ticketWord == "oca" || (ticketWord == "otoca" && i >= 1);
        if (!alternative)
            pending[leg.symbol] += IsBuyAction(leg.action) ? leg.quantity : -leg.quantity;
    }
    const int64_t now = m_clock();
    if (save) {
        size_t count = 0;
        for (const SavedOrder& s : m_saved)
            count += s.account == accountId;
        if (count + legs.size() > kMaxSavedOrders) {
            r.error = "ORA-20002 LIMIT VIOLATION ORA-06512";
            return r;
        }
        for (const OrderLeg& leg : legs) {
            SavedOrder s;
            s.id = std::to_string(m_nextSaved++);
            s.account = accountId;
            s.leg = leg;
            s.option = option;
            s.entered = now;
            r.ids.push_back(s.id);
            m_saved.push_back(std::move(s));
        }
        protocol::AccountActivityRecord notice;
        notice.account = accountId;
        notice.kind = static_cast<uint8_t>(ActivityKind::SavedOrdersChanged);
        notice.text = "Saved order " + r.ids.front();
        out.push_back(std::move(notice));
        r.ok = true;
        return r;
    }
    const int ticketId = ticketWord.empty() ? 0 : m_nextTicket++;
    const size_t first = m_orders.size();
    for (size_t i = 0; i < legs.size(); ++i) {
        Order o;
        o.id = std::to_string(m_nextOrder++);
        o.account = accountId;
        o.leg = legs[i];
        o.option = option;
        o.entered = o.reported = now;
        o.ticketWord = ticketWord;
        o.ticketId = ticketId;
        o.legIndex = static_cast<int>(i);
        if (!ticketWord.empty()) {
            std::string upper = ticketWord;
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            o.ticket = upper + " " + std::to_string(ticketId);
        }
        const bool waits = !ticketWord.empty() && ticketWord != "oca" && i > 0;
        o.status = waits ? "Pending" : "Open";
        r.ids.push_back(o.id);
        m_orders.push_back(std::move(o));
    }
    for (size_t i = first; i < m_orders.size(); ++i)
        out.push_back(Notice(m_orders[i], ActivityKind::OrderAccepted, "Order " + m_orders[i].id + " accepted"));
    for (size_t i = first; i < m_orders.size(); ++i) {
        Order& o = m_orders[i];
        if (o.status == "Open") {
            TryFill(o, out);
            if (o.status == "Open" && (o.leg.instructions == "fok"))
                CancelOrder(o, "not filled at once", out);
        }
    }
    r.ok = true;
    return r;
}

CAccountBook::Result CAccountBook::Edit(const std::string& user, const std::string& orderString, Activities& out)
{
    Result r;
    OrderFields fields;
    if (!ParseOrderString(orderString, fields, r.error))
        return r;
    const std::string accountId = fields.count("accountid") ? fields.at("accountid") : "";
    if (!Owns(user, accountId)) {
        r.error = "Invalid account: " + accountId;
        return r;
    }
    const std::string id = fields.count("orderid") ? fields.at("orderid") : "";
    Order* o = FindOrder(accountId, id);
    if (!o) {
        r.error = "Order " + id + " not found.";
        return r;
    }
    if (!IsOpen(*o)) {
        r.error = "Order " + id + " cannot be changed.";
        return r;
    }
    fields.erase("orderid");
    fields["action"] = o->leg.action;
    fields["symbol"] = o->leg.symbol;
    if (!fields.count("spinstructions"))
        fields["spinstructions"] = o->leg.instructions;
    if (!fields.count("routing"))
        fields["routing"] = o->leg.routing;
    if (!fields.count("tsparam") && (fields["ordtype"] == "tstoppercent" || fields["ordtype"] == "tstopdollar"))
        fields["tsparam"] = fields.count("price") ? fields["price"] : "";
    std::vector<OrderLeg> legs;
    std::string ticket;
    if (!ReadOrderLegs(fields, o->option, legs, ticket, r.error))
        return r;
    if (!ticket.empty()) {
        r.error = "Invalid order string.";
        return r;
    }
    OrderLeg leg = legs.front();
    leg.origQuantity = o->leg.origQuantity;
    leg.origPrice = o->leg.origPrice;
    // The order's own reserve does not count against its replacement.
    Account& account = m_accounts.at(accountId);
    const std::string previousStatus = o->status;
    o->status = "Replacing";
    const bool valid = ValidateLeg(account, leg, o->option, 0, r.error);
    o->status = previousStatus;
    if (!valid)
        return r;
    o->leg = leg;
    o->triggered = false;
    o->trailRef = 0.0;
    o->reported = m_clock();
    out.push_back(Notice(*o, ActivityKind::OrderReplaced, "Order " + o->id + " changed"));
    if (o->status == "Open")
        TryFill(*o, out);
    r.ids.push_back(o->id);
    r.ok = true;
    return r;
}

bool CAccountBook::Cancel(const std::string& account, const std::string& orderId, std::string& error, Activities& out)
{
    Order* o = FindOrder(account, orderId);
    if (!o) {
        error = "Order " + orderId + " not found.";
        return false;
    }
    if (!IsOpen(*o)) {
        error = "Order " + orderId + " is not open.";
        return false;
    }
    CancelOrder(*o, "canceled", out);
    return true;
}

bool CAccountBook::DeleteSaved(const std::string& account, const std::string& id, std::string& error, Activities& out)
{
    const auto it = std::find_if(m_saved.begin(), m_saved.end(),
                                 [&](const SavedOrder& s) { return s.account == account && s.id == id; });
    if (it == m_saved.end()) {
        error = "Saved order " + id + " not found.";
        return false;
    }
    m_saved.erase(it);
    protocol::AccountActivityRecord notice;
    notice.account = account;
    notice.kind = static_cast<uint8_t>(ActivityKind::SavedOrdersChanged);
    notice.orderId = id;
    notice.text = "Saved order " + id + " deleted";
    out.push_back(std::move(notice));
    return true;
}

void CAccountBook::OnQuote(const std::string& symbol, Activities& out)
{
    for (size_t i = 0; i < m_orders.size(); ++i)
        if (m_orders[i].status == "Open" && m_orders[i].leg.symbol == symbol)
            TryFill(m_orders[i], out);
}

Order* CAccountBook::FindOrder(const std::string& account, const std::string& id)
{
    for (Order& o : m_orders)
        if (o.account == account && o.id == id)
            return &o;
    return nullptr;
}

void CAccountBook::TryFill(Order& o, Activities& out)
{
    if (o.status != "Open")
        return;
    const auto q = m_quotes(o.leg.symbol);
    if (!q)
        return;
    const bool buy = IsBuyAction(o.leg.action);
    const double marketPrice = buy ? (q->ask > 0 ? q->ask : q->last) : (q->bid > 0 ? q->bid : q->last);
    const std::string& type = o.leg.ordtype;
    auto limitFill = [&](double limit) -> std::optional<double> {
        if (buy && marketPrice > 0 && marketPrice <= limit + 1e-9)
            return marketPrice;
        if (!buy && marketPrice > 0 && marketPrice >= limit - 1e-9)
            return marketPrice;
        return std::nullopt;
    };
    std::optional<double> fill;
    if (type == "market") {
        fill = marketPrice;
    } else if (type == "limit") {
        fill = limitFill(o.leg.price);
    } else if (type == "stop_market" || type == "stop_limit") {
        if (!o.triggered)
            o.triggered = buy ? q->last >= o.leg.actprice - 1e-9 : q->last <= o.leg.actprice + 1e-9;
        if (o.triggered)
            fill = type == "stop_market" ? std::optional<double>(marketPrice) : limitFill(o.leg.price);
    } else if (type == "tstopdollar" || type == "tstoppercent") {
        if (o.trailRef <= 0)
            o.trailRef = q->last;
        o.trailRef = buy ? std::min(o.trailRef, q->last) : std::max(o.trailRef, q->last);
        const double amount = type == "tstopdollar" ? o.leg.tsparam : o.trailRef * o.leg.tsparam / 100.0;
        const double stop = buy ? o.trailRef + amount : o.trailRef - amount;
        if (buy ? q->last >= stop - 1e-9 : q->last <= stop + 1e-9)
            fill = marketPrice;
    }
    if (fill && *fill > 0)
        Execute(o, *fill, out);
}

void CAccountBook::Execute(Order& o, double price, Activities& out)
{
    Account& a = m_accounts.at(o.account);
    const bool buy = IsBuyAction(o.leg.action);
    const double mult = Multiplier(o.option);
    const int64_t qty = o.leg.quantity;
    Position& p = a.positions[o.leg.symbol];
    const int64_t signedQty = buy ? qty : -qty;
    if (p.quantity == 0 || (p.quantity > 0) == (signedQty > 0)) {
        // Opening or adding: the average moves.
        const double total = std::abs(static_cast<double>(p.quantity)) * p.averagePrice + static_cast<double>(qty) * price;
        p.quantity += signedQty;
        p.averagePrice = total / std::abs(static_cast<double>(p.quantity));
    } else {
        const int64_t after = p.quantity + signedQty;
        if (after != 0 && (after > 0) != (p.quantity > 0))
            p.averagePrice = price;  // crossed through zero
        p.quantity = after;
    }
    if (p.quantity == 0)
        a.positions.erase(o.leg.symbol);
    a.cash += (buy ? -1.0 : 1.0) * price * static_cast<double>(qty) * mult;
    o.status = "Filled";
    o.fillPrice = price;
    o.reported = m_clock();
    char text[160];
    std::snprintf(text, sizeof text, "%s %lld %s @ %s", buy ? "Bought" : "Sold", static_cast<long long>(qty),
                  o.leg.symbol.c_str(), Money(price).c_str());
    auto notice = Notice(o, ActivityKind::OrderFilled, text);
    notice.price = price;
    out.push_back(std::move(notice));
    protocol::AccountActivityRecord balances;
    balances.account = o.account;
    balances.kind = static_cast<uint8_t>(ActivityKind::BalancesChanged);
    balances.text = "Balances changed";
    out.push_back(std::move(balances));
    AfterFill(o, out);
}

void CAccountBook::AfterFill(const Order& filled, Activities& out)
{
    if (filled.ticketId == 0)
        return;
    const std::string word = filled.ticketWord;
    // Copy what is needed: Activate and CancelOrder may fill further orders.
    const int ticket = filled.ticketId;
    const int leg = filled.legIndex;
    std::vector<size_t> siblings;
    for (size_t i = 0; i < m_orders.size(); ++i)
        if (m_orders[i].ticketId == ticket && m_orders[i].legIndex != leg)
            siblings.push_back(i);
    for (size_t i : siblings) {
        Order& s = m_orders[i];
        if (!IsOpen(s))
            continue;
        const bool ocaPair = word == "oca" || (word == "otoca" && leg >= 1 && s.legIndex >= 1);
        if (ocaPair) {
            CancelOrder(s, "its other leg filled", out);
        } else if (s.status == "Pending") {
            const bool next = (word == "ota" || word == "otota") ? s.legIndex == leg + 1
                                                                 : (leg == 0 && (word == "ott" || word == "otoca"));
            if (next)
                Activate(s, out);
        }
    }
}

void CAccountBook::Activate(Order& o, Activities& out)
{
    o.status = "Open";
    o.reported = m_clock();
    out.push_back(Notice(o, ActivityKind::OrderAccepted, "Order " + o.id + " triggered"));
    TryFill(o, out);
}

void CAccountBook::CancelOrder(Order& o, const std::string& why, Activities& out)
{
    o.status = "Canceled";
    o.reported = m_clock();
    out.push_back(Notice(o, ActivityKind::OrderCanceled, "Order " + o.id + " " + why));
    // Legs waiting for this one can no longer be triggered.
    if (o.ticketId == 0)
        return;
    for (Order& s : m_orders)
        if (s.ticketId == o.ticketId && s.status == "Pending" && s.legIndex > o.legIndex)
            CancelOrder(s, "its triggering leg was canceled", out);
}

protocol::AccountActivityRecord CAccountBook::Notice(const Order& o, ActivityKind kind, std::string text) const
{
    protocol::AccountActivityRecord r;
    r.account = o.account;
    r.kind = static_cast<uint8_t>(kind);
    r.orderId = o.id;
    r.symbol = o.leg.symbol;
    r.action = o.leg.action;
    r.quantity = static_cast<double>(o.leg.quantity);
    r.price = o.leg.price;
    r.text = std::move(text);
    return r;
}

std::vector<Order> CAccountBook::Orders(const std::string& account) const
{
    std::vector<Order> out;
    for (auto it = m_orders.rbegin(); it != m_orders.rend(); ++it)
        if (it->account == account)
            out.push_back(*it);
    return out;
}

std::vector<SavedOrder> CAccountBook::SavedOrders(const std::string& account) const
{
    std::vector<SavedOrder> out;
    for (const SavedOrder& s : m_saved)
        if (s.account == account)
            out.push_back(s);
    return out;
}

std::vector<BalanceLine> CAccountBook::Balances(const std::string& account) const
{
    std::vector<BalanceLine> lines;
    const auto it = m_accounts.find(account);
    if (it == m_accounts.end())
        return lines;
    const Account& a = it->second;
    double value = 0.0, change = 0.0;
    for (const auto& [symbol, p] : a.positions) {
        const auto q = m_quotes(symbol);
        if (!q)
            continue;
        const double mult = Multiplier(q->option);
        value += static_cast<double>(p.quantity) * q->last * mult;
        change += static_cast<double>(p.quantity) * (q->last - q->prevClose) * mult;
    }
    const double reserve = OpenOrderReserve(account);
    lines.push_back({"Cash Balance", a.cash, a.cash - a.startCash});
    lines.push_back({"Market Value of Positions", value, change});
    lines.push_back({"Account Value", a.cash + value, a.cash + value - a.startCash});
    lines.push_back({"Buying Power", a.cash - reserve, 0.0});
    lines.push_back({"Open Order Reserve", reserve, 0.0});
    return lines;
}

std::optional<Position> CAccountBook::PositionOf(const std::string& account, const std::string& symbol) const
{
    const auto it = m_accounts.find(account);
    if (it == m_accounts.end())
        return std::nullopt;
    const auto p = it->second.positions.find(symbol);
    if (p == it->second.positions.end())
        return std::nullopt;
    return p->second;
}

}  // namespace qx::testbroker
