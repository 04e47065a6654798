// The build defines CPPHTTPLIB_OPENSSL_SUPPORT (and the library's other switches).
#include <httplib.h>

#include "tools/testbroker/CApiServer.h"

#include "broker/protocol/HistoryFormat.h"
#include "broker/protocol/OrderWords.h"
#include "tools/testbroker/CBrokerCore.h"
#include "tools/testbroker/ExchangeClock.h"
#include "tools/testbroker/IndustryGroups.h"
#include "tools/testbroker/XmlReply.h"

#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace qx::testbroker {

using protocol::OrderWordKind;

namespace {

constexpr const char* kCookie = "KELVTRADING";
constexpr const char* kExpired = "Session has expired. Please log in again.";

std::string Param(const httplib::Request& req, const char* key)
{
    return req.has_param(key) ? req.get_param_value(key) : std::string();
}

std::string CookieOf(const httplib::Request& req)
{
    const std::string header = req.get_header_value("Cookie");
    const std::string key = std::string(kCookie) + "=";
    size_t pos = 0;
    while ((pos = header.find(key, pos)) != std::string::npos) {
        if (pos == 0 || header[pos - 1] == ' ' || header[pos - 1] == ';') {
            const size_t start = pos + key.size();
            const size_t end = header.find(';', start);
            return header.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
        pos += key.size();
    }
    return {};
}

std::string DateTimeText(int64_t unixSeconds)
{
    const ExchangeTime t = UnixToExchange(unixSeconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", t.month, t.day, t.year, t.hour, t.minute, t.second);
    return buf;
}

std::string PriceText(double v)
{
    if (v <= 0)
        return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = FormatDecimal(v);
    return s.find('.') == std::string::npos || s.size() - s.find('.') < 3 ? std::string(buf) : s;
}

std::string ActionText(const OrderLeg& leg, bool option)
{
    return protocol::ToUserWord(option ? OrderWordKind::OptionAction : OrderWordKind::StockAction, leg.action);
}

// The "Expiration" column: the good-till date of a GTC order, empty for every other.
std::string ExpirationText(const OrderLeg& leg)
{
    if ((leg.expire == "gtc" || leg.expire == "gtc_ext") && !leg.exmonth.empty()) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", std::atoi(leg.exmonth.c_str()), std::atoi(leg.exday.c_str()),
                      std::atoi(leg.exyear.c_str()));
        return buf;
    }
    return {};
}

// The "Session" column: the order's time in force as the order forms name it ("DAY",
// "GTC+EXT", "ExtAM", "MktClose", ...).
std::string SessionText(const OrderLeg& leg)
{
    return protocol::ToUserWord(OrderWordKind::Expire, leg.expire);
}

std::string LegPriceText(const OrderLeg& leg)
{
    const bool trailing = leg.ordtype == "tstoppercent" || leg.ordtype == "tstopdollar";
    return PriceText(trailing ? leg.tsparam : leg.price);
}

void OrderXml(CXmlReply& x, const Order& o)
{
    const bool open = o.status == "Open" || o.status == "Pending";
    x.Open("Order")
        .Text("Entered", DateTimeText(o.entered))
        .Text("Status", o.status)
        .Text("Action", ActionText(o.leg, o.option))
        .Text("Quantity", std::to_string(o.leg.quantity))
        .Text("Symbol", o.leg.symbol)
        .Text("Type", protocol::ToUserWord(OrderWordKind::OrderType, o.leg.ordtype))
        .Text("Price", o.status == "Filled" ? PriceText(o.fillPrice) : LegPriceText(o.leg))
        .Text("OrderId", o.id)
        .Text("Session", SessionText(o.leg))
        .Text("Routing", protocol::ToUserWord(OrderWordKind::Routing, o.leg.routing))
        .Text("Reserved", "")
        .Text("Instructions", protocol::ToUserWord(OrderWordKind::Instructions, o.leg.instructions))
        .Text("OrigQuantity", std::to_string(o.leg.origQuantity))
        .Text("OrigPrice", PriceText(o.leg.origPrice))
        .Text("ActPrice", PriceText(o.leg.actprice))
        .Text("Expiration", ExpirationText(o.leg))
        .Text("Reported", DateTimeText(o.reported))
        .Text("MultiLeg", o.ticket)
        .Text("Editable", open ? "1" : "0")
        .Text("Cancelable", open ? "1" : "0")
        .Close("Order");
}

void SavedXml(CXmlReply& x, const SavedOrder& s)
{
    x.Open("SavedOrder")
        .Text("Entered", DateTimeText(s.entered))
        .Text("Action", ActionText(s.leg, s.option))
        .Text("Quantity", std::to_string(s.leg.quantity))
        .Text("Symbol", s.leg.symbol)
        .Text("Type", protocol::ToUserWord(OrderWordKind::OrderType, s.leg.ordtype))
        .Text("Price", LegPriceText(s.leg))
        .Text("OrderId", s.id)
        .Text("Session", SessionText(s.leg))
        .Text("Routing", protocol::ToUserWord(OrderWordKind::Routing, s.leg.routing))
        .Text("Instructions", protocol::ToUserWord(OrderWordKind::Instructions, s.leg.instructions))
        .Text("ActPrice", PriceText(s.leg.actprice))
        .Text("Expiration", ExpirationText(s.leg))
        .Text("HotKey", s.hotKey)
        .Close("SavedOrder");
}

void HeadlineXml(CXmlReply& x, const protocol::Headline& h)
{
    std::string symbols;
    for (const std::string& s : h.symbols)
        symbols += (symbols.empty() ? "" : ",") + s;
    x.Open("Headline")
        .Text("Symbol", h.symbol)
        .Text("Time", std::to_string(h.time))
        .Text("StoryId", h.storyId)
        .Text("Note", h.note)
        .Text("Source", h.source)
        .Text("Text", h.text)
        .Text("StoryUrl", h.storyUrl)
        .Text("Symbols", symbols)
        .Close("Headline");
}

void Xml(httplib::Response& res, const std::string& body, int status = 200)
{
    res.status = status;
    res.set_content(body, "text/xml");
}

bool LoopbackAddress(const std::string& address)
{
    in_addr a{};
    return inet_pton(AF_INET, address.c_str(), &a) == 1 && (ntohl(a.s_addr) >> 24) == 127;
}

// Minute bars of today's live trades, aggregated like the history, or today's newest trades
// as ticks. Only minute bars and ticks hold today: the day in progress reaches daily and
// longer bars through the quotes alone.
std::vector<protocol::HistoryBar> TodayBars(const SimSymbol& s, const HistoryInterval& interval, bool extended,
                                            int64_t today)
{
    std::vector<protocol::HistoryBar> out;
    if (!CHistoryGenerator::IsTradingDay(today) ||
        (interval.kind != HistoryInterval::Minutes && interval.kind != HistoryInterval::Ticks))
        return out;
    int y, m, d;
    DateFromDays(today, y, m, d);
    const uint32_t dayStart = protocol::HistoryFeedTime(y, m, d, 0, 0, 0);
    const uint32_t open = dayStart + (extended ? 4 * 3600 : 9 * 3600 + 1800) / 2;
    const uint32_t close = dayStart + (extended ? 20 * 3600 : 16 * 3600) / 2;
    if (interval.kind == HistoryInterval::Ticks) {
        for (const protocol::HistoryBar& t : s.todayTicks)
            if (t.feedTime >= open && t.feedTime < close)
                out.push_back(t);
        return out;
    }
    const uint32_t span = static_cast<uint32_t>(interval.minutes) * 30;
    for (const protocol::HistoryBar& b : s.todayBars) {
        if (b.feedTime < open || b.feedTime >= close)
            continue;
        const uint32_t start = open + (b.feedTime - open) / span * span;
        if (!out.empty() && out.back().feedTime == start) {
            auto& bar = out.back();
            bar.high = std::max(bar.high, b.high);
            bar.low = std::min(bar.low, b.low);
            bar.close = b.close;
            bar.volume += b.volume;
        } else {
            protocol::HistoryBar bar = b;
            bar.feedTime = start;
            out.push_back(bar);
        }
    }
    return out;
}

}  // namespace

CApiServer::CApiServer(CBrokerCore& core, CStreamServer& stream) : m_core(core), m_stream(stream) {}

CApiServer::~CApiServer()
{
    Stop();
}

bool CApiServer::Start(const std::string& address, uint16_t port, const std::string& certFile,
                       const std::string& keyFile, std::string& error)
{
    if (!LoopbackAddress(address)) {
        error = "the HTTPS server listens on loopback addresses only";
        return false;
    }
    m_server = std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str());
    if (!m_server->is_valid()) {
        error = "cannot load the certificate " + certFile;
        return false;
    }
    m_server->set_keep_alive_max_count(1000);
    m_server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        RecordRequest(req.path);
        Delay(req.path);
        FaultRule rule;
        if (!TakeFault(req.path, false, rule))
            return httplib::Server::HandlerResponse::Unhandled;
        if (rule.fault == ApiFault::FalseOk) {
            res.set_content(CXmlReply().Ok(), "text/xml");
        } else if (rule.fault == ApiFault::Unavailable) {
            res.status = 503;
            res.set_content("<html><body>Service Unavailable</body></html>", "text/html");
        } else {
            res.status = 500;
            res.set_content("<html><body>Internal Server Error</body></html>", "text/html");
        }
        RunFaultHook(rule.name);
        return httplib::Server::HandlerResponse::Handled;
    });

    // An idle keep-alive connection holds a worker; the workstation keeps
    // several, and tests add their own, so more workers than the default
    // (the server owns and deletes the queue).
    m_server->new_task_queue = [] { return new httplib::ThreadPool(32); };
    Routes();
    if (port == 0) {
        const int bound = m_server->bind_to_any_port(address);
        if (bound <= 0) {
            error = "cannot bind the HTTPS port";
            return false;
        }
        m_port = static_cast<uint16_t>(bound);
    } else {
        if (!m_server->bind_to_port(address, port)) {
            error = "cannot bind HTTPS port " + std::to_string(port);
            return false;
        }
        m_port = port;
    }
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    for (int i = 0; i < 500 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
}

void CApiServer::Stop()
{
    if (!m_server)
        return;
    HoldHistory(HistoryHold::None);
    // stop() only reaches a server that is listening; wait for it a little.
    for (int i = 0; i < 1000 && m_thread.joinable() && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_server.reset();
}

void CApiServer::AddFault(const std::string& name, ApiFault fault, int count, size_t cutAt)
{
    std::lock_guard lock(m_faultLock);
    for (int i = 0; i < count; ++i)
        m_faults.push_back({name, fault, cutAt});
}

void CApiServer::ClearFaults()
{
    std::lock_guard lock(m_faultLock);
    m_faults.clear();
    m_delays.clear();
}

void CApiServer::DelayReplies(const std::string& name, int ms)
{
    std::lock_guard lock(m_faultLock);
    if (ms > 0)
        m_delays[name] = ms;
    else
        m_delays.erase(name);
}

void CApiServer::SetFaultHook(std::function<void(const std::string&)> hook)
{
    std::lock_guard lock(m_faultLock);
    m_faultHook = std::move(hook);
}

void CApiServer::RunFaultHook(const std::string& name)
{
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(m_faultLock);
        hook = m_faultHook;
    }
    if (hook)
        hook(name);
}

void CApiServer::RecordRequest(const std::string& path)
{
    static constexpr std::string_view kApi = "/apps/100/";
    std::string name;
    if (path.compare(0, kApi.size(), kApi) == 0)
        name = path.substr(kApi.size());
    else if (path == "/history")
        name = "history";
    else
        return;
    std::lock_guard lock(m_receivedLock);
    if (m_received.size() >= 1000)
        m_received.pop_front();
    m_received.push_back(std::move(name));
}

std::vector<std::string> CApiServer::ReceivedRequests() const
{
    std::lock_guard lock(m_receivedLock);
    return {m_received.begin(), m_received.end()};
}

void CApiServer::Delay(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    int ms = 0;
    {
        std::lock_guard lock(m_faultLock);
        const auto it = m_delays.find(name);
        if (it == m_delays.end())
            return;
        ms = it->second;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void CApiServer::HoldHistory(HistoryHold hold)
{
    {
        std::lock_guard lock(m_holdLock);
        m_hold = hold;
    }
    m_holdChanged.notify_all();
}

bool CApiServer::WaitForHeldHistory(size_t count, int timeoutMs)
{
    std::unique_lock lock(m_holdLock);
    return m_holdChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_held >= count; });
}

void CApiServer::HistoryStage(HistoryHold stage)
{
    std::unique_lock lock(m_holdLock);
    if (m_hold != stage)
        return;
    ++m_held;
    m_holdChanged.notify_all();
    // (Bounded: a test that forgets to let go does not wedge the server.)
    m_holdChanged.wait_for(lock, std::chrono::seconds(60), [&] { return m_hold != stage; });
    --m_held;
}

bool CApiServer::TakeFault(const std::string& path, bool carriedOut, FaultRule& rule)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::lock_guard lock(m_faultLock);
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        const bool before =
            it->fault == ApiFault::Refused || it->fault == ApiFault::FalseOk || it->fault == ApiFault::Unavailable;
        if (it->name != name || before == carriedOut)
            continue;
        rule = *it;
        m_faults.erase(it);
        return true;
    }
    return false;
}

void CApiServer::BreakReply(const httplib::Request& req, httplib::Response& res)
{
    FaultRule rule;
    if (!TakeFault(req.path, true, rule))
        return;
    RunFaultHook(rule.name);
    switch (rule.fault) {
    case ApiFault::ServerError:
        res.status = 500;
        res.set_content("<html><body>Internal Server Error</body></html>", "text/html");
        break;
    case ApiFault::CutReply: {
        const size_t keep = rule.cutAt ? std::min(rule.cutAt, res.body.size()) : res.body.size() / 2;
        res.set_content(res.body.substr(0, keep), res.get_header_value("Content-Type"));
        break;
    }
    case ApiFault::EmptyOk:
        res.set_content(CXmlReply().Ok(), "text/xml");
        break;
    case ApiFault::Refused:
    case ApiFault::FalseOk:
    case ApiFault::Unavailable:
        break;
    }
}

void CApiServer::Routes()
{
    auto api = [this](const httplib::Request& req, httplib::Response& res) {
        Api(req, res);
        BreakReply(req, res);
    };
    m_server->Get(R"(/apps/100/(\w+))", api);
    m_server->Post(R"(/apps/100/(\w+))", api);
    m_server->Post("/cgi-bin/apps/LogIn", [this](const auto& req, auto& res) { PageLogIn(req, res); });
    m_server->Get("/cgi-bin/apps/KeepAlive", [this](const auto& req, auto& res) { PageKeepAlive(req, res); });
    m_server->Get("/cgi-bin/apps/LogOut", [this](const auto& req, auto& res) { PageLogOut(req, res); });
    m_server->Get("/history", [this](const auto& req, auto& res) {
        History(req, res);
        BreakReply(req, res);
    });
    m_server->Get("/", [this](const auto&, auto& res) {
        std::lock_guard lock(m_core.Lock());
        res.set_content(m_core.News().HomePage(30), "text/html");
    });
    m_server->Get("/update/QxUpdate.xml", [this](const auto& req, auto& res) { Update(req, res); });
    m_server->Get("/update/QuorvantelixSetup.bin", [](const auto&, auto& res) {
        res.set_content("Quorvantelix test installer\n", "application/octet-stream");
    });
}

void CApiServer::Api(const httplib::Request& req, httplib::Response& res)
{
    const std::string name = req.matches[1];
    if (Param(req, "source").empty() || Param(req, "version").empty())
        return Xml(res, CXmlReply::Fail("Missing source or version."));
    const int64_t now = m_core.NowMs() / 1000;

    if (name == "LogIn") {
        const std::string user = Param(req, "userid");
        std::string error;
        std::vector<Account> accounts;
        {
            std::lock_guard lock(m_core.Lock());
            if (!m_core.CheckLogin(user, Param(req, "password"), error))
                return Xml(res, CXmlReply::Fail(error));
            accounts = m_core.Accounts().AccountsOf(user);
        }
        const Session s = m_core.Sessions().Create(user, now);
        res.set_header("Set-Cookie", std::string(kCookie) + "=" + s.id + "; Path=/; Secure; HttpOnly");
        CXmlReply x;
        x.Open("LogIn").Text("SessionId", s.id).Text("UserId", user).Text("Timeout", "30").Open("Accounts");
        for (const Account& a : accounts)
            x.Open("Account")
                .Text("AccountId", a.id)
                .Text("Name", a.name)
                .Text("Description", a.name + " - " + a.id)
                .Text("ExpressTrading", a.expressTrading ? "true" : "false")
                .Close("Account");
        x.Close("Accounts").Close("LogIn");
        return Xml(res, x.Ok());
    }

    const std::optional<Session> session = m_core.Sessions().Touch(CookieOf(req), now);
    if (!session)
        return Xml(res, CXmlReply::Fail(kExpired));
    const std::string& user = session->user;
    CXmlReply x;

    if (name == "StreamerInfo") {
        x.Open("StreamerInfo")
            .Text("Host", m_core.Options().address)
            .Text("Port", std::to_string(m_stream.Port()))
            .Text("Token", session->token)
            .Text("UserId", user)
            .Text("ServerTime", std::to_string(m_core.NowMs()))
            .Close("StreamerInfo");
        return Xml(res, x.Ok());
    }
    if (name == "MessageKey") {
        x.Open("MessageKey").Text("Key", session->messageKey).Close("MessageKey");
        return Xml(res, x.Ok());
    }
    if (name == "KeepAlive") {
        ++m_keepAlives;
        x.Open("KeepAlive").Text("ServerTime", std::to_string(m_core.NowMs())).Close("KeepAlive");
        return Xml(res, x.Ok());
    }
    if (name == "LogOut") {
        m_core.Sessions().End(session->id);
        m_stream.DropUser(user);
        x.Text("LogOut", "OK");
        return Xml(res, x.Ok());
    }
    if (name == "NewsStory") {
        protocol::StoryRecord story;
        bool found;
        {
            std::lock_guard lock(m_core.Lock());
            found = m_core.News().Story(Param(req, "storyid"), story);
        }
        if (!found) {
            res.status = 404;
            res.set_content("<html><body><p>Story not found.</p></body></html>", "text/html");
            return;
        }
        res.set_content(story.body, "text/html");
        return;
    }

    std::lock_guard lock(m_core.Lock());
    if (name.ends_with("Trade") || name == "EditOrder")
        m_core.RecordOrderRequest(
            {name, Param(req, "source"), Param(req, "version"), user, Param(req, "orderstring"), false, {}, {}});
    Activities activities;
    auto accountOk = [&](const std::string& account) { return m_core.Accounts().Owns(user, account); };
    auto watchlistNotice = [&]() {
        for (const Account& a : m_core.Accounts().AccountsOf(user)) {
            protocol::AccountActivityRecord r;
            r.account = a.id;
            r.kind = static_cast<uint8_t>(protocol::ActivityKind::WatchlistsChanged);
            r.text = "Watch lists changed";
            activities.push_back(std::move(r));
        }
    };

    if (name == "ActionLogger") {
        m_core.LogAction(user, Param(req, "action"), Param(req, "text"));
        x.Text("ActionLogger", "OK");
    } else if (name == "BalancesAndPositions") {
        const std::string account = Param(req, "accountid");
        if (!accountOk(account))
            return Xml(res, CXmlReply::Fail("Invalid account: " + account));
        x.Open("BalancesAndPositions").Text("AccountId", account).Open("Balances");
        for (const BalanceLine& b : m_core.Accounts().Balances(account))
            x.Open("Balance")
                .Text("Name", b.name)
                .Text("Amount", FormatMoney(b.amount))
                .Text("Change", FormatMoney(b.change))
                .Text("Value", "0")
                .Close("Balance");
        x.Close("Balances").Open("Positions");
        if (const auto a = m_core.Accounts().FindAccount(account))
            for (const auto& [symbol, p] : a->positions)
                x.Open("Position")
                    .Text("Symbol", symbol)
                    .Text("Quantity", std::to_string(p.quantity))
                    .Number("AveragePrice", p.averagePrice)
                    .Close("Position");
        x.Close("Positions").Close("BalancesAndPositions");
    } else if (name == "GetWatchlists") {
        x.Open("Watchlists");
        for (const Watchlist& w : m_core.Watchlists().Lists(user)) {
            x.Open("Watchlist").Text("Id", w.id).Text("Name", w.name).Open("Symbols");
            for (const WatchedSymbol& s : w.symbols)
                x.Open("Symbol")
                    .Text("Name", s.symbol)
                    .Number("Quantity", s.quantity)
                    .Number("Price", s.price)
                    .Number("Commission", s.commission)
                    .Text("PurchaseDate", s.purchaseDate)
                    .Close("Symbol");
            x.Close("Symbols").Close("Watchlist");
        }
        x.Close("Watchlists");
    } else if (name == "CreateWatchlist" || name == "EditWatchlist") {
        const std::string id = name == "EditWatchlist" ? Param(req, "listid") : std::string();
        if (name == "EditWatchlist" && id.empty())
            return Xml(res, CXmlReply::Fail("Watch list  not found."));
        std::string savedId, error;
        if (!m_core.Watchlists().Save(user, id, Param(req, "name"), Param(req, "symbollist"), savedId, error))
            return Xml(res, CXmlReply::Fail(error));
        watchlistNotice();
        x.Open("Watchlist").Text("Id", savedId).Text("Name", Param(req, "name")).Close("Watchlist");
    } else if (name == "DeleteWatchlist") {
        std::string error;
        if (!m_core.Watchlists().Delete(user, Param(req, "listid"), error))
            return Xml(res, CXmlReply::Fail(error));
        watchlistNotice();
        x.Text("DeleteWatchlist", "OK");
    } else if (name == "OrderStatus") {
        const std::string account = Param(req, "accountid");
        if (!accountOk(account))
            return Xml(res, CXmlReply::Fail("Invalid account: " + account));
        x.Open("Orders");
        for (const Order& o : m_core.Accounts().Orders(account))
            OrderXml(x, o);
        x.Close("Orders");
    } else if (name == "SavedOrders") {
        const std::string account = Param(req, "accountid");
        if (!accountOk(account))
            return Xml(res, CXmlReply::Fail("Invalid account: " + account));
        x.Open("SavedOrders");
        for (const SavedOrder& s : m_core.Accounts().SavedOrders(account))
            SavedXml(x, s);
        x.Close("SavedOrders");
    } else if (name == "EquityTrade" || name == "OptionTrade" || name == "ConditionalEquityTrade" ||
               name == "ConditionalOptionTrade" || name == "SaveEquityTrade" || name == "SaveOptionTrade" ||
               name == "SaveConditionalEquityTrade" || name == "SaveConditionalOptionTrade") {
        const bool save = name.starts_with("Save");
        const bool conditional = name.find("Conditional") != std::string::npos;
        const bool option = name.find("Option") != std::string::npos;
        const auto result =
            m_core.Accounts().Place(user, Param(req, "orderstring"), option, conditional, save, activities);
        if (!result.ok) {
            m_core.PublishActivities(activities);
            return Xml(res, CXmlReply::Fail(result.error, result.errorElement));
        }
        if (save) {
            x.Open("SavedOrders");
            for (const std::string& id : result.ids)
                for (const Account& a : m_core.Accounts().AccountsOf(user))
                    for (const SavedOrder& s : m_core.Accounts().SavedOrders(a.id))
                        if (s.id == id)
                            SavedXml(x, s);
            x.Close("SavedOrders");
        } else {
            x.Open("Orders");
            for (const std::string& id : result.ids)
                for (const Account& a : m_core.Accounts().AccountsOf(user))
                    for (const Order& o : m_core.Accounts().Orders(a.id))
                        if (o.id == id)
                            x.Open("Order")
                                .Text("OrderId", o.id)
                                .Text("Symbol", o.leg.symbol)
                                .Text("Action", ActionText(o.leg, o.option))
                                .Text("Quantity", std::to_string(o.leg.quantity))
                                .Text("Status", o.status)
                                .Close("Order");
            x.Close("Orders");
        }
    } else if (name == "EditOrder") {
        const auto result = m_core.Accounts().Edit(user, Param(req, "orderstring"), activities);
        if (!result.ok)
            return Xml(res, CXmlReply::Fail(result.error));
        x.Open("Orders");
        for (const Account& a : m_core.Accounts().AccountsOf(user))
            for (const Order& o : m_core.Accounts().Orders(a.id))
                if (!result.ids.empty() && o.id == result.ids.front())
                    x.Open("Order")
                        .Text("OrderId", o.id)
                        .Text("Symbol", o.leg.symbol)
                        .Text("Action", ActionText(o.leg, o.option))
                        .Text("Quantity", std::to_string(o.leg.quantity))
                        .Text("Status", o.status)
                        .Close("Order");
        x.Close("Orders");
    } else if (name == "CancelOrder" || name == "DeleteSavedOrder") {
        const bool cancel = name == "CancelOrder";
        const std::string account = Param(req, "accountid");
        if (!accountOk(account))
            return Xml(res, CXmlReply::Fail("Invalid account: " + account));
        const size_t n = req.get_param_value_count("orderid");
        if (n == 0)
            return Xml(res, CXmlReply::Fail("No order given."));
        const char* item = cancel ? "Cancel" : "Delete";
        x.Open(cancel ? "CancelOrders" : "DeleteSavedOrders");
        for (size_t i = 0; i < n; ++i) {
            const std::string id = req.get_param_value("orderid", i);
            std::string error;
            const bool ok = cancel ? m_core.Accounts().Cancel(account, id, error, activities)
                                   : m_core.Accounts().DeleteSaved(account, id, error, activities);
            x.Open(item).Text("OrderId", id).Text("result", ok ? "OK" : "FAIL");
            if (!ok)
                x.Text("error", error);
            x.Close(item);
        }
        x.Close(cancel ? "CancelOrders" : "DeleteSavedOrders");
    } else if (name == "OptionChain") {
        ChainQuery q;
        q.underlying = Param(req, "symbol");
        for (char& c : q.underlying)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!Param(req, "type").empty()) q.type = Param(req, "type");
        if (!Param(req, "range").empty()) q.range = Param(req, "range");
        if (!Param(req, "expire").empty()) q.expire = Param(req, "expire");
        q.strike = std::atof(Param(req, "strike").c_str());
        if (!m_core.Market().Find(q.underlying))
            return Xml(res, CXmlReply::Fail("Invalid symbol: " + q.underlying));
        const auto symbols = m_core.Market().Chain(q);
        if (symbols.empty() && q.range == "ALL" && q.expire == "AL" && q.strike <= 0)
            return Xml(res, CXmlReply::Fail("No options for " + q.underlying));
        x.Open("OptionChain").Text("Underlying", q.underlying).Open("Options");
        for (const std::string& s : symbols) {
            const SimSymbol* o = m_core.Market().Find(s);
            x.Open("Option")
                .Text("Symbol", s)
                .Text("Type", std::string(1, o->right))
                .Number("Strike", o->strike)
                .Text("Expiration", std::to_string(o->expiry))
                .Close("Option");
        }
        x.Close("Options").Close("OptionChain");
    } else if (name == "IndustryGroups") {
        x.Open("IndustryGroups");
        for (const IndustryGroup& group : IndustryGroupsOf(m_core.Market())) {
            x.Open("Group").Text("Name", group.name).Open("Sets");
            for (const std::string& set : group.sets)
                x.Text("Set", set);
            x.Close("Sets").Close("Group");
        }
        x.Close("IndustryGroups");
    } else if (name == "IndustryGroup") {
        const std::string set = Param(req, "name");
        if (set.empty())
            return Xml(res, CXmlReply::Fail("A symbol set name is required."));
        const auto symbols = IndustrySymbols(m_core.Market(), set);
        if (!symbols)
            return Xml(res, CXmlReply::Fail("Unknown symbol set: " + set));
        x.Open("IndustryGroup").Text("Name", set).Open("Symbols");
        for (const std::string& symbol : *symbols)
            x.Text("Symbol", symbol);
        x.Close("Symbols").Close("IndustryGroup");
    } else if (name == "NewsHistory") {
        const std::string key = Param(req, "symbol");
        int count = Param(req, "count").empty() ? 50 : std::atoi(Param(req, "count").c_str());
        if (count < 1 || count > 200)
            count = 50;
        x.Open("News").Text("Key", key).Open("Headlines");
        for (const auto& h : m_core.News().Recent(key, static_cast<size_t>(count)))
            HeadlineXml(x, h);
        x.Close("Headlines").Close("News");
    } else {
        return Xml(res, CXmlReply::Fail("Unknown request."), 404);
    }
    m_core.PublishActivities(activities);
    Xml(res, x.Ok());
}

void CApiServer::PageLogIn(const httplib::Request& req, httplib::Response& res)
{
    const std::string user = Param(req, "userid");
    std::string error;
    bool ok;
    {
        std::lock_guard lock(m_core.Lock());
        ok = m_core.CheckLogin(user, Param(req, "password"), error);
    }
    if (!ok) {
        res.set_content("<html><body><p class=\"error\">" + XmlEscape(error) + "</p></body></html>", "text/html");
        return;
    }
    const Session s = m_core.Sessions().Create(user, m_core.NowMs() / 1000);
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + s.id + "; Path=/; Secure; HttpOnly");
    res.set_content("<html><body><p>Welcome, " + XmlEscape(user) + ".</p></body></html>", "text/html");
}

void CApiServer::PageKeepAlive(const httplib::Request& req, httplib::Response& res)
{
    if (!m_core.Sessions().Touch(CookieOf(req), m_core.NowMs() / 1000)) {
        res.status = 401;
        res.set_content(kExpired, "text/plain");
        return;
    }
    ++m_keepAlives;
    res.set_content("OK", "text/plain");
}

void CApiServer::PageLogOut(const httplib::Request& req, httplib::Response& res)
{
    const std::string id = CookieOf(req);
    if (const auto s = m_core.Sessions().Touch(id, m_core.NowMs() / 1000)) {
        m_core.Sessions().End(id);
        m_stream.DropUser(s->user);
    }
    res.set_header("Set-Cookie", std::string(kCookie) + "=; Path=/; Max-Age=0; Secure; HttpOnly");
    res.set_content("<html><body><p>Logged out.</p></body></html>", "text/html");
}

void CApiServer::History(const httplib::Request& req, httplib::Response& res)
{
    const int64_t now = m_core.NowMs() / 1000;
    auto fail = [&](const std::string& text, int status = 200) {
        res.status = status;
        res.set_content("ERROR|" + text + "\n", "text/plain");
    };
    if (!m_core.Sessions().Touch(CookieOf(req), now) && !m_core.Sessions().ByMessageKey(Param(req, "k"), now))
        return fail(kExpired, 401);
    const std::string symbol = Param(req, "s");
    const std::string fields = Param(req, "f").empty() ? std::string(protocol::kDefaultHistoryFields) : Param(req, "f");
    if (!protocol::ValidHistoryFields(fields))
        return fail("Invalid field list: " + fields);
    HistoryInterval interval;
    if (!ParseHistoryInterval(Param(req, "i"), interval))
        return fail("Invalid interval: " + Param(req, "i"));
    const bool extended = Param(req, "x") == "1";
    const uint32_t nowFeed = UnixToFeedTime(now);
    uint32_t endFeed = static_cast<uint32_t>(std::strtoul(Param(req, "e").c_str(), nullptr, 10));
    if (endFeed == 0 || endFeed > nowFeed)
        endFeed = nowFeed;
    const uint32_t beginFeed = static_cast<uint32_t>(std::strtoul(Param(req, "b").c_str(), nullptr, 10));
    long count = Param(req, "n").empty() ? 500 : std::strtol(Param(req, "n").c_str(), nullptr, 10);
    if (count < 1 || count > 20000)
        count = 500;

    HistoryStage(HistoryHold::Requests);
    PriceProfile profile;
    std::vector<protocol::HistoryBar> today;
    const SimSymbol* option = nullptr;
    SimSymbol optionCopy;
    int64_t todayDay = 0;
    uint64_t asOf = 0;
    {
        std::lock_guard lock(m_core.Lock());
        const SimSymbol* s = m_core.Market().Find(symbol);
        if (!s)
            return fail("Unknown symbol: " + symbol);
        profile = s->profile;
        if (s->kind == SymbolKind::Option) {
            // Options are priced from their underlying's history.
            optionCopy = *s;
            option = &optionCopy;
            if (const SimSymbol* u = m_core.Market().Find(s->underlying))
                profile = u->profile;
        }
        todayDay = m_core.Market().Today();
        today = TodayBars(*s, interval, extended, todayDay);
        // Read with today's bars, under the same lock as every trade; bars without today
        // hold no trade.
        asOf = interval.kind == HistoryInterval::Minutes ? s->tradeSequence : 0;
    }
    std::vector<protocol::HistoryBar> bars;
    bars = m_core.Market().History().Bars(profile, interval, extended, beginFeed, endFeed,
                                          static_cast<size_t>(count), todayDay);
    if (option)
        bars = OptionBarsFrom(bars, option->right == 'C', option->strike, option->expiryDays, option->iv);
    for (const protocol::HistoryBar& b : today)
        if (b.feedTime >= beginFeed && b.feedTime <= endFeed)
            bars.push_back(b);
    if (bars.size() > static_cast<size_t>(count))
        bars.erase(bars.begin(), bars.end() - count);
    std::string body;
    for (const protocol::HistoryBar& b : bars) {
        body += protocol::FormatHistoryLine(b, fields);
        body += '\n';
    }
    if (m_historyMarks)
        res.set_header(std::string(protocol::kHistoryAsOfHeader), std::to_string(asOf));
    res.set_content(body, "text/plain");
    HistoryStage(HistoryHold::Replies);
}

void CApiServer::Update(const httplib::Request&, httplib::Response& res)
{
    const auto& o = m_core.Options();
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Updates><Update>";
    body += "<Type>" + XmlEscape(o.updateType) + "</Type>";
    body += "<Name>Quorvantelix</Name>";
    body += "<Version>" + XmlEscape(o.updateVersion) + "</Version>";
    body += "<Message>Quorvantelix " + XmlEscape(o.updateVersion) + " is available.</Message>";
    body += "<Url>https://" + o.address + ":" + std::to_string(m_port) + "/update/QuorvantelixSetup.bin</Url>";
    body += "</Update></Updates>\n";
    res.set_content(body, "text/xml");
}

}  // namespace qx::testbroker
