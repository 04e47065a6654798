#include "tools/testbroker/CTestBroker.h"

#include "tools/testbroker/CApiServer.h"
#include "tools/testbroker/CStreamServer.h"
#include "tools/testbroker/ExchangeClock.h"
#include "tools/testbroker/SelfSignedCertificate.h"

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace qx::testbroker {

using protocol::StreamRecord;

CTestBroker::CTestBroker(TestBrokerOptions options)
    : m_options(std::move(options)), m_core(std::make_unique<CBrokerCore>(m_options)),
      m_heartbeatMs(m_options.heartbeatMs)
{
    m_paused = m_options.startPaused;
    StreamHandlers handlers;
    handlers.login = [this](const std::string& user, const std::string& token) {
        return m_core->Sessions().ValidToken(user, token, m_core->NowMs() / 1000);
    };
    handlers.image = [this](const std::string& user, int service, const std::string& item,
                            const StreamHandlers::Deliver& deliver, std::string& error) {
        return m_core->Image(user, service, item, deliver, error);
    };
    m_stream = std::make_unique<CStreamServer>(std::move(handlers));
    m_api = std::make_unique<CApiServer>(*m_core, *m_stream);
    m_core->SetStream(m_stream.get());
}

CTestBroker::~CTestBroker()
{
    Stop();
}

bool CTestBroker::Start(std::string& error)
{
    m_certFile = m_options.certFile;
    m_keyFile = m_options.keyFile;
    if (m_certFile.empty() || m_keyFile.empty()) {
        std::string folder = m_options.certFolder;
        if (folder.empty())
            folder = (std::filesystem::temp_directory_path() / ("qx_testbroker_" + std::to_string(::getpid()) + "_" +
                                                                std::to_string(reinterpret_cast<uintptr_t>(this))))
                         .string();
        if (!WriteSelfSignedCertificate(folder, m_certFile, m_keyFile, error))
            return false;
    }
    if (!m_stream->Start(m_options.address, m_options.streamPort, error))
        return false;
    if (!m_api->Start(m_options.address, m_options.httpsPort, m_certFile, m_keyFile, error)) {
        m_stream->Stop();
        return false;
    }
    {
        std::lock_guard lock(m_core->Lock());
        m_core->News().SetStoryBase(BaseUrl());
        if (m_options.newsHistory > 0)
            m_core->News().Seed(m_core->Market().Symbols(), m_core->NowMs() / 1000, m_options.newsHistory);
    }
    m_running = true;
    m_simThread = std::thread([this] { SimulationLoop(); });
    m_heartbeatThread = std::thread([this] { HeartbeatLoop(); });
    return true;
}

void CTestBroker::Stop()
{
    if (m_running.exchange(false)) {
        m_wake.notify_all();
        if (m_simThread.joinable())
            m_simThread.join();
        if (m_heartbeatThread.joinable())
            m_heartbeatThread.join();
    }
    m_api->Stop();
    m_stream->Stop();
}

uint16_t CTestBroker::HttpsPort() const { return m_api->Port(); }
uint16_t CTestBroker::StreamPort() const { return m_stream->Port(); }

std::string CTestBroker::BaseUrl() const
{
    return "https://" + m_options.address + ":" + std::to_string(HttpsPort());
}

void CTestBroker::SimulationLoop()
{
    while (m_running) {
        {
            std::unique_lock lock(m_threadLock);
            m_wake.wait_for(lock, std::chrono::milliseconds(std::max(1, m_options.tickIntervalMs)));
        }
        if (!m_running || m_paused)
            continue;
        std::lock_guard lock(m_core->Lock());
        m_core->Step(m_core->NowMs());
    }
}

void CTestBroker::HeartbeatLoop()
{
    while (m_running) {
        {
            std::unique_lock lock(m_threadLock);
            m_wake.wait_for(lock, std::chrono::milliseconds(std::max(10, m_heartbeatMs.load())));
        }
        if (m_running)
            m_stream->Heartbeat(m_core->NowMs());
    }
}

void CTestBroker::PauseSimulation(bool paused)
{
    m_paused = paused;
}

void CTestBroker::StepSimulation(int steps)
{
    for (int i = 0; i < steps; ++i) {
        std::lock_guard lock(m_core->Lock());
        m_core->Step(m_core->NowMs());
    }
}

bool CTestBroker::InjectQuote(const std::string& symbol, const std::vector<protocol::QuoteField>& fields)
{
    std::lock_guard lock(m_core->Lock());
    auto e = m_core->Market().ApplyQuote(symbol, fields);
    if (!e)
        return false;
    m_core->PublishEvents({*e});
    return true;
}

bool CTestBroker::InjectTrade(const std::string& symbol, double price, uint32_t size, const std::string& exchange)
{
    std::lock_guard lock(m_core->Lock());
    auto e = m_core->Market().ApplyTrade(symbol, price, size, exchange, m_core->NowMs());
    if (!e)
        return false;
    m_core->PublishEvents({*e});
    return true;
}

bool CTestBroker::InjectBook(const protocol::BookRecord& book)
{
    std::lock_guard lock(m_core->Lock());
    auto e = m_core->Market().ApplyBook(book);
    if (!e)
        return false;
    m_core->PublishEvents({*e});
    return true;
}

protocol::Headline CTestBroker::InjectHeadline(protocol::Headline headline, const std::string& body)
{
    std::lock_guard lock(m_core->Lock());
    if (headline.time == 0)
        headline.time = m_core->NowMs() / 1000;
    const protocol::Headline kept = m_core->News().Add(std::move(headline), body);
    m_core->PublishHeadline(kept);
    return kept;
}

std::vector<protocol::Headline> CTestBroker::InjectHeadlines(std::vector<protocol::Headline> headlines)
{
    std::lock_guard lock(m_core->Lock());
    std::vector<protocol::Headline> kept;
    for (protocol::Headline& h : headlines) {
        if (h.time == 0)
            h.time = m_core->NowMs() / 1000;
        kept.push_back(m_core->News().Add(std::move(h), ""));
    }
    m_core->PublishHeadlines(kept);
    return kept;
}

void CTestBroker::DropStreamConnections() { m_stream->DropAll(); }
bool CTestBroker::DropStreamConnection(int id) { return m_stream->Drop(id); }
std::vector<StreamConnectionInfo> CTestBroker::StreamConnections() const { return m_stream->Connections(); }
void CTestBroker::StallStreams(bool stalled) { m_stream->SetStalled(stalled); }
void CTestBroker::SetStreamsDown(bool down) { m_stream->SetRefused(down); }

void CTestBroker::RestartSessions(bool dropStreams)
{
    m_core->Sessions().Clear();
    if (dropStreams)
        m_stream->DropAll();
}

void CTestBroker::SendHeartbeatAt(int64_t serverTimeMs)
{
    m_stream->SendRaw(EncodeForWire(StreamRecord{static_cast<uint8_t>(protocol::Service::Session), 0,
                                                 protocol::HeartbeatRecord{serverTimeMs, 0}}));
}

void CTestBroker::SendTradeAt(const std::string& symbol, uint32_t feedTime, double price, uint32_t size)
{
    protocol::TradeRecord trade;
    trade.symbol = symbol;
    trade.feedTime = feedTime;
    trade.basCode = 0;
    trade.price = price;
    trade.size = size;
    trade.exchange = "NASD";
    m_stream->SendRaw(EncodeForWire(StreamRecord{static_cast<uint8_t>(protocol::Service::Quote), 0, trade}));
}

void CTestBroker::FailReplies(const std::string& name, ApiFault fault, int count, size_t cutAt)
{
    m_api->AddFault(name, fault, count, cutAt);
}
void CTestBroker::ClearFaults()
{
    m_api->ClearFaults();
}
void CTestBroker::DelayReplies(const std::string& name, int ms)
{
    m_api->DelayReplies(name, ms);
}
void CTestBroker::OnFault(std::function<void(const std::string&)> hook)
{
    m_api->SetFaultHook(std::move(hook));
}
void CTestBroker::HoldHistory(HistoryHold hold) { m_api->HoldHistory(hold); }
bool CTestBroker::WaitForHeldHistory(size_t count, int timeoutMs) const
{
    return m_api->WaitForHeldHistory(count, timeoutMs);
}
void CTestBroker::SetHistoryMarks(bool on) { m_api->SetHistoryMarks(on); }
void CTestBroker::SendRawToStreams(const std::vector<uint8_t>& bytes) { m_stream->SendRaw(bytes); }
void CTestBroker::SendRawToStreamsPaced(const std::vector<uint8_t>& bytes, int durationMs)
{
    m_stream->SendRawPaced(bytes, std::chrono::milliseconds(durationMs));
}
void CTestBroker::SetHeartbeatInterval(int intervalMs) { m_heartbeatMs = intervalMs; }
bool CTestBroker::WaitForHeartbeat(int timeoutMs) const
{
    return m_stream->WaitForHeartbeatAfter(m_stream->HeartbeatCount(), timeoutMs);
}

void CTestBroker::SendMalformedRecords()
{
    std::vector<uint8_t> bytes = {0xDE, 0xAD, 0xBE, 0xEF};  // no record start
    auto append = [&](const std::vector<uint8_t>& b) { bytes.insert(bytes.end(), b.begin(), b.end()); };
    const auto quote = protocol::EncodePayload(protocol::QuoteRecord{"MSFT", {{3, false, 1.0, {}}}});
    auto badCheck = protocol::EncodeFrame(0, 1, 0, quote);
    badCheck[6] ^= 0x5A;
    append(badCheck);                                                    // header check fails
    append(protocol::EncodeFrame(0, 200, 0, quote));                     // unknown kind
    append(protocol::EncodeFrame(0, 1, 0, {7, 0xFF, 0x00, 'M'}));        // truncated string
    append(protocol::EncodeFrame(0, 1, protocol::kFlagCompressed, {8, 0, 0, 0, 1, 2, 3, 4}));  // bad zlib
    append(EncodeForWire(StreamRecord{static_cast<uint8_t>(protocol::Service::Session), 0,
                                      protocol::HeartbeatRecord{m_core->NowMs(), 0}}));
    m_stream->SendRaw(bytes);
}

size_t CTestBroker::StreamConnectionCount() const
{
    size_t n = 0;
    for (const auto& c : m_stream->Connections())
        n += c.loggedIn;
    return n;
}

bool CTestBroker::WaitForStreamConnections(size_t count, int timeoutMs) const
{
    return m_stream->WaitForConnections(count, timeoutMs);
}

bool CTestBroker::IsSubscribed(int service, const std::string& item) const
{
    return m_stream->IsSubscribed(service, item);
}

bool CTestBroker::WaitForSubscription(int service, const std::string& item, int timeoutMs) const
{
    return m_stream->WaitForSubscription(service, item, timeoutMs);
}

void CTestBroker::RejectLogins(int count, const std::string& text)
{
    std::lock_guard lock(m_core->Lock());
    m_core->RejectLogins(count, text);
}

void CTestBroker::SetPassword(const std::string& password)
{
    std::lock_guard lock(m_core->Lock());
    m_core->SetPassword(password);
}

uint64_t CTestBroker::KeepAliveCount() const { return m_api->KeepAliveCount(); }
std::vector<std::string> CTestBroker::ReceivedRequests() const { return m_api->ReceivedRequests(); }
size_t CTestBroker::SessionCount() const { return m_core->Sessions().Count(); }

std::vector<std::string> CTestBroker::IssuedSecrets() const { return m_core->Sessions().Issued(); }

std::vector<Account> CTestBroker::Accounts() const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->Accounts().AccountsOf(m_options.user);
}

std::optional<Position> CTestBroker::PositionOf(const std::string& account, const std::string& symbol) const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->Accounts().PositionOf(account, symbol);
}

std::vector<Order> CTestBroker::Orders(const std::string& account) const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->Accounts().Orders(account);
}

double CTestBroker::Cash(const std::string& account) const
{
    std::lock_guard lock(m_core->Lock());
    const auto a = m_core->Accounts().FindAccount(account);
    return a ? a->cash : 0.0;
}

std::vector<Watchlist> CTestBroker::Watchlists() const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->Watchlists().Lists(m_options.user);
}

std::vector<std::string> CTestBroker::ActionLog() const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->ActionLog();
}

std::vector<ReceivedOrderRequest> CTestBroker::OrderRequests() const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->OrderRequests();
}

void CTestBroker::ClearOrderRequests()
{
    std::lock_guard lock(m_core->Lock());
    m_core->ClearOrderRequests();
}

std::vector<std::string> CTestBroker::PlaceOrder(const std::string& orderString, bool option, bool save,
                                                std::string& error)
{
    std::lock_guard lock(m_core->Lock());
    Activities activities;
    const auto result = m_core->Accounts().Place(m_options.user, orderString, option, false, save, activities);
    m_core->PublishActivities(activities);
    error = result.error;
    return result.ok ? result.ids : std::vector<std::string>();
}

std::optional<protocol::BookRecord> CTestBroker::Book(const std::string& symbol, const std::string& source) const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->Market().Book(symbol, source, m_core->NowMs());
}

std::optional<SimSymbol> CTestBroker::Symbol(const std::string& symbol) const
{
    std::lock_guard lock(m_core->Lock());
    const SimSymbol* s = m_core->Market().Find(symbol);
    if (!s)
        return std::nullopt;
    return *s;
}

std::vector<std::string> CTestBroker::Symbols() const
{
    std::lock_guard lock(m_core->Lock());
    return m_core->Market().Symbols();
}

}  // namespace qx::testbroker
