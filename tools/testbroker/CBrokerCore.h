// The shared state of the test broker (market, accounts, watch lists, news,
// sessions) behind one lock, and the step from market changes to stream records.
#pragma once

#include "tools/testbroker/CAccountBook.h"
#include "tools/testbroker/CNewsDesk.h"
#include "tools/testbroker/CSessionTable.h"
#include "tools/testbroker/CSimMarket.h"
#include "tools/testbroker/CStreamServer.h"
#include "tools/testbroker/CWatchlistStore.h"
#include "tools/testbroker/ExchangeClock.h"
#include "tools/testbroker/OrderString.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace qx::testbroker {

struct TestBrokerOptions {
    std::string address = "127.0.0.1";
    uint16_t httpsPort = 8443;  // 0: any free port
    uint16_t streamPort = 8444; // 0: any free port
    std::string certFile;       // empty: a certificate is made in certFolder
    std::string keyFile;
    std::string certFolder;     // default: a folder under the system's temp folder
    std::string user = "demo";
    std::string password = "demo";
    uint64_t seed = 20261207;
    int stockCount = 300;
    int tickIntervalMs = 100;   // one simulation step every interval
    int movesPerTick = 20;      // symbols moved per step
    int heartbeatMs = 1000;
    int newsEverySteps = 50;    // a headline every that many steps (0: none)
    int newsHistory = 0;        // headlines about every symbol over the last days, made at start
    int activesEverySteps = 20; // actives lists re-sent every that many steps
    bool startPaused = false;
    // Whole days added to the broker's clock: market day, history's today, trade and
    // headline times, session times and the server time it reports.
    int clockShiftDays = 0;
    // Seconds added on top (a time of day inside the trading session, for tests).
    int64_t clockShiftSeconds = 0;
    std::string updateVersion = "0.1.0";
    std::string updateType = "optional";
};

// An order request as it reached the broker: the request name (EquityTrade, EditOrder,
// ...), the source and version keys and the order string as received (before it was
// checked), and the order string split into its keys. A request a fault turned away
// before the broker saw it is not recorded.
struct ReceivedOrderRequest {
    std::string name;
    std::string source;
    std::string version;
    std::string user;
    std::string orderString;
    // Key to value of the order string; parsed false (with the broker's error text) when it
    // is no order string (an item without "=", a key twice), and fields then empty.
    bool parsed = false;
    std::string parseError;
    OrderFields fields;
};

class CBrokerCore {
public:
    explicit CBrokerCore(const TestBrokerOptions& options);

    std::mutex& Lock() { return m_lock; }
    const TestBrokerOptions& Options() const { return m_options; }
    // The broker's clock (unix milliseconds); thread-safe.
    int64_t NowMs() const { return ShiftedNowUnixMs(m_clockShiftDays) + m_clockShiftSeconds * 1000; }

    // Everything below expects the lock to be held by the caller.
    CSimMarket& Market() { return m_market; }
    CAccountBook& Accounts() { return m_accounts; }
    CWatchlistStore& Watchlists() { return m_watchlists; }
    CNewsDesk& News() { return m_news; }
    void SetStream(CStreamServer* stream) { m_stream = stream; }

    // Checks credentials; false with the broker's error text.
    bool CheckLogin(const std::string& user, const std::string& password, std::string& error);
    void RejectLogins(int count, std::string text);
    void SetPassword(std::string password) { m_options.password = std::move(password); }

    void PublishEvents(const std::vector<SimEvent>& events);
    void PublishActivities(const Activities& activities);
    void PublishHeadline(const protocol::Headline& headline);
    // One record per subscribed key holding the headlines that belong to it.
    void PublishHeadlines(const std::vector<protocol::Headline>& headlines);
    void PublishActives();
    // The stream image handler.
    bool Image(const std::string& user, int service, const std::string& item, const StreamHandlers::Deliver& deliver,
               std::string& error);
    // One simulation step: moves, news, actives.
    void Step(int64_t nowMs);

    void LogAction(const std::string& user, const std::string& action, const std::string& text);
    std::vector<std::string> ActionLog() const;
    // Every order request received, oldest first (the last 1000).
    void RecordOrderRequest(ReceivedOrderRequest request);
    std::vector<ReceivedOrderRequest> OrderRequests() const;
    void ClearOrderRequests() { m_orderRequests.clear(); }

    // Thread-safe parts.
    CSessionTable& Sessions() { return m_sessions; }

private:
    std::optional<MarketQuote> QuoteOf(const std::string& symbol) const;

    std::mutex m_lock;
    const int m_clockShiftDays;
    const int64_t m_clockShiftSeconds;
    TestBrokerOptions m_options;
    CSimMarket m_market;
    CAccountBook m_accounts;
    CWatchlistStore m_watchlists;
    CNewsDesk m_news;
    CSessionTable m_sessions;
    CStreamServer* m_stream = nullptr;
    int m_rejectLogins = 0;
    std::string m_rejectText;
    uint64_t m_steps = 0;
    std::deque<std::string> m_actionLog;
    std::deque<ReceivedOrderRequest> m_orderRequests;
};

// "OptionChain,UND,TYPE,RANGE,EXPIRE,STRIKE[,INTERVAL]"; false when it is not one.
bool ParseChainDefinition(const std::string& definition, ChainQuery& out);

}  // namespace qx::testbroker
