#include "tools/testbroker/CBrokerCore.h"

#include "tools/testbroker/ExchangeClock.h"

#include <cstdlib>

namespace qx::testbroker {

using protocol::Service;
using protocol::StreamRecord;

namespace {

struct BookService {
    const char* source;
    Service service;
};
constexpr BookService kBooks[] = {{"L2", Service::LevelII},
                                  {"NYSE", Service::NyseBook},
                                  {"INET", Service::InetBook},
                                  {"OPRA", Service::OptionBook},
                                  {"TV", Service::TotalView}};

const char* BookSource(int service)
{
    for (const BookService& b : kBooks)
        if (static_cast<int>(b.service) == service)
            return b.source;
    return nullptr;
}

}  // namespace

bool ParseChainDefinition(const std::string& definition, ChainQuery& out)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = definition.find(',', start);
        const std::string part = definition.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!part.empty())
            parts.push_back(part);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() < 2 || parts[0] != "OptionChain")
        return false;
    out = ChainQuery{};
    out.underlying = parts[1];
    for (char& c : out.underlying)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (parts.size() > 2) out.type = parts[2];
    if (parts.size() > 3) out.range = parts[3];
    if (parts.size() > 4) out.expire = parts[4];
    if (parts.size() > 5) out.strike = std::atof(parts[5].c_str());
    return true;
}

CBrokerCore::CBrokerCore(const TestBrokerOptions& options)
    : m_clockShiftDays(options.clockShiftDays),
      m_clockShiftSeconds(options.clockShiftSeconds),
      m_options(options),
      m_market(options.seed, options.stockCount, NowMs() / 1000),
      m_accounts([this](const std::string& s) { return QuoteOf(s); }, [this] { return NowMs() / 1000; }),
      m_watchlists([this](const std::string& s) { return m_market.Find(s) != nullptr; }),
      m_news(options.seed),
      m_sessions(options.seed)
{
    m_accounts.AddUser(options.user);
}

std::optional<MarketQuote> CBrokerCore::QuoteOf(const std::string& symbol) const
{
    const SimSymbol* s = m_market.Find(symbol);
    if (!s)
        return std::nullopt;
    return MarketQuote{s->bid, s->ask, s->last, s->prevClose, s->kind == SymbolKind::Option,
                       s->kind == SymbolKind::Index};
}

bool CBrokerCore::CheckLogin(const std::string& user, const std::string& password, std::string& error)
{
    if (m_rejectLogins > 0) {
        --m_rejectLogins;
        error = m_rejectText;
        return false;
    }
    if (user != m_options.user || password != m_options.password) {
        error = "Invalid user name or password.";
        return false;
    }
    m_accounts.AddUser(user);
    return true;
}

void CBrokerCore::RejectLogins(int count, std::string text)
{
    m_rejectLogins = count;
    m_rejectText = text.empty() ? "Invalid user name or password." : std::move(text);
}

void CBrokerCore::PublishEvents(const std::vector<SimEvent>& events)
{
    Activities activities;
    const int64_t now = NowMs();
    for (const SimEvent& e : events) {
        const SimSymbol* s = m_market.Find(e.symbol);
        if (!s)
            continue;
        if (m_stream) {
            if (!e.exactFields.empty()) {
                m_stream->PublishQuote(e.symbol, e.exactFields);
            } else if (!e.fields.empty()) {
                std::vector<protocol::QuoteField> fields;
                for (uint8_t id : e.fields)
                    if (auto f = QuoteFieldOf(*s, id, m_market.Today()))
                        fields.push_back(std::move(*f));
                m_stream->PublishQuote(e.symbol, fields);
            }
            if (e.trade) {
                const StreamRecord trade{static_cast<uint8_t>(Service::Quote), 0, *e.trade};
                m_stream->Publish(static_cast<int>(Service::Quote), e.symbol, trade);
                StreamRecord tick = trade;
                tick.service = static_cast<uint8_t>(Service::TimeSales);
                m_stream->Publish(static_cast<int>(Service::TimeSales), e.symbol, tick);
            }
            if (e.bidAskChanged) {
                for (uint8_t bas : {uint8_t{1}, uint8_t{3}}) {
                    protocol::TradeRecord t;
                    t.symbol = e.symbol;
                    t.feedTime = UnixToFeedTime(now / 1000);
                    t.basCode = bas;
                    t.price = bas == 1 ? s->bid : s->ask;
                    t.size = static_cast<uint32_t>(bas == 1 ? s->bidSize : s->askSize);
                    t.exchange = s->exchange;
                    m_stream->Publish(static_cast<int>(Service::TimeSales), e.symbol,
                                      StreamRecord{static_cast<uint8_t>(Service::TimeSales), 0, t});
                }
            }
            if (e.injectedBook) {
                for (const BookService& b : kBooks)
                    if (e.injectedBook->source == b.source)
                        m_stream->Publish(static_cast<int>(b.service), e.symbol,
                                          StreamRecord{static_cast<uint8_t>(b.service), 0, *e.injectedBook});
            } else if (e.booksChanged) {
                for (const BookService& b : kBooks) {
                    if (!m_stream->IsSubscribed(static_cast<int>(b.service), e.symbol))
                        continue;
                    if (auto book = m_market.Book(e.symbol, b.source, now))
                        m_stream->Publish(static_cast<int>(b.service), e.symbol,
                                          StreamRecord{static_cast<uint8_t>(b.service), 0, *book});
                }
            }
        }
        m_accounts.OnQuote(e.symbol, activities);
    }
    PublishActivities(activities);
}

void CBrokerCore::PublishActivities(const Activities& activities)
{
    if (!m_stream)
        return;
    for (const auto& a : activities)
        m_stream->Publish(static_cast<int>(Service::Account), a.account,
                          StreamRecord{static_cast<uint8_t>(Service::Account), 0, a});
}

void CBrokerCore::PublishHeadline(const protocol::Headline& h)
{
    if (!m_stream)
        return;
    for (const std::string& key : m_stream->SubscribedItems(static_cast<int>(Service::News)))
        if (CNewsDesk::Matches(h, key))
            m_stream->Publish(static_cast<int>(Service::News), key,
                              StreamRecord{static_cast<uint8_t>(Service::News), 0, protocol::HeadlinesRecord{key, {h}}});
}

void CBrokerCore::PublishHeadlines(const std::vector<protocol::Headline>& headlines)
{
    if (!m_stream)
        return;
    for (const std::string& key : m_stream->SubscribedItems(static_cast<int>(Service::News))) {
        protocol::HeadlinesRecord record{key, {}};
        for (const protocol::Headline& h : headlines)
            if (CNewsDesk::Matches(h, key))
                record.headlines.push_back(h);
        if (!record.headlines.empty())
            m_stream->Publish(static_cast<int>(Service::News), key,
                              StreamRecord{static_cast<uint8_t>(Service::News), 0, std::move(record)});
    }
}

void CBrokerCore::PublishActives()
{
    if (!m_stream)
        return;
    const int64_t now = NowMs();
    for (const std::string& key : m_stream->SubscribedItems(static_cast<int>(Service::Actives)))
        if (auto record = m_market.Actives(key, now))
            m_stream->Publish(static_cast<int>(Service::Actives), key,
                              StreamRecord{static_cast<uint8_t>(Service::Actives), 0, *record});
}

void CBrokerCore::Step(int64_t nowMs)
{
    ++m_steps;
    PublishEvents(m_market.Step(m_options.movesPerTick, nowMs));
    if (m_options.newsEverySteps > 0 && m_steps % static_cast<uint64_t>(m_options.newsEverySteps) == 0)
        PublishHeadline(m_news.Generate(m_market.Symbols(), nowMs / 1000));
    if (m_options.activesEverySteps > 0 && m_steps % static_cast<uint64_t>(m_options.activesEverySteps) == 0)
        PublishActives();
}

bool CBrokerCore::Image(const std::string& user, int service, const std::string& item,
                        const StreamHandlers::Deliver& deliver, std::string& error)
{
    std::lock_guard lock(m_lock);
    std::vector<StreamRecord> images;
    const uint8_t svc = static_cast<uint8_t>(service);
    const int64_t now = NowMs();
    switch (static_cast<Service>(service)) {
    case Service::Quote:
    case Service::TimeSales: {
        const SimSymbol* s = m_market.Find(item);
        if (!s) {
            error = std::string(protocol::kUnknownSymbolPrefix) + item;
            return false;
        }
        if (service == static_cast<int>(Service::Quote))
            images.push_back({svc, protocol::kFlagSnapshot,
                              protocol::QuoteRecord{item, AllQuoteFields(*s, m_market.Today())}});
        break;
    }
    case Service::LevelII:
    case Service::NyseBook:
    case Service::InetBook:
    case Service::OptionBook:
    case Service::TotalView: {
        auto book = m_market.Book(item, BookSource(service), now);
        if (!book) {
            error = "No book for " + item;
            return false;
        }
        images.push_back({svc, protocol::kFlagSnapshot, *book});
        break;
    }
    case Service::Actives: {
        auto record = m_market.Actives(item, now);
        if (!record) {
            error = "Unknown actives list: " + item;
            return false;
        }
        images.push_back({svc, protocol::kFlagSnapshot, *record});
        break;
    }
    case Service::OptionChain: {
        ChainQuery query;
        if (!ParseChainDefinition(item, query) || !m_market.Find(query.underlying)) {
            error = "Invalid option chain: " + item;
            return false;
        }
        images.push_back({svc, protocol::kFlagSnapshot, protocol::OptionChainRecord{item, m_market.Chain(query)}});
        break;
    }
    case Service::Account:
        if (!m_accounts.Owns(user, item)) {
            error = "Invalid account: " + item;
            return false;
        }
        break;
    case Service::Story: {
        protocol::StoryRecord story;
        if (!m_news.Story(item, story)) {
            error = "Unknown story: " + item;
            return false;
        }
        images.push_back({svc, protocol::kFlagSnapshot, story});
        break;
    }
    case Service::News:
        images.push_back({svc, protocol::kFlagSnapshot, protocol::HeadlinesRecord{item, m_news.Recent(item, 20)}});
        break;
    default:
        error = "Unknown service";
        return false;
    }
    deliver(images);
    return true;
}

void CBrokerCore::LogAction(const std::string& user, const std::string& action, const std::string& text)
{
    m_actionLog.push_back(user + " " + action + " " + text);
    if (m_actionLog.size() > 1000)
        m_actionLog.pop_front();
}

std::vector<std::string> CBrokerCore::ActionLog() const
{
    return {m_actionLog.begin(), m_actionLog.end()};
}

void CBrokerCore::RecordOrderRequest(ReceivedOrderRequest request)
{
    request.parsed = ParseOrderString(request.orderString, request.fields, request.parseError);
    if (!request.parsed)
        request.fields.clear();
    m_orderRequests.push_back(std::move(request));
    if (m_orderRequests.size() > 1000)
        m_orderRequests.pop_front();
}

std::vector<ReceivedOrderRequest> CBrokerCore::OrderRequests() const
{
    return {m_orderRequests.begin(), m_orderRequests.end()};
}

}  // namespace qx::testbroker
