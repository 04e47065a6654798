// Series services without a broker that answer every history request on a thread of
// their own, from rows the test gives per symbol or from a function of the request; a
// hold keeps requests unanswered, and a request may be made to fail as a failed download
// reaches a series (told of it, then answered with no rows). A released series is never
// answered. A symbol may have sessions of its own.
#pragma once

#include "../analytics/FakeSeriesServices.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

class CAnsweringServices : public FakeSeriesServices {
public:
    // The rows of a request: symbol, interval, feed times of its span.
    using RowSource = std::function<std::vector<CHistoryRow>(const CString& symbol, const CString& interval,
                                                             DWORD start, DWORD end)>;

    CAnsweringServices()
    {
        m_thread = std::thread([this] { Loop(); });
    }
    ~CAnsweringServices() override
    {
        {
            std::lock_guard<std::mutex> g(lock);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    int RequestHistory(CPriceSeries* series, DWORD start, DWORD end) override
    {
        {
            std::lock_guard<std::mutex> g(lock);
            requests.push_back({series, start, end});
            const std::string symbol = series->GetSymbol().str();
            // A layout's one-day request may be dropped by the layout that follows it, and a
            // series may borrow its twin's bars instead of asking: only the downloads of more
            // than a day are counted.
            if (end - start > 86400) {
                const int n = ++m_asked[symbol];
                const auto fail = m_failingDownloads.find(symbol);
                if (fail != m_failingDownloads.end() && n >= fail->second.first && n < fail->second.second)
                    m_failing.insert({series, start, end});
            }
        }
        m_wake.notify_all();
        return 1;
    }
    void RemoveSeries(CPriceSeries* series) override
    {
        std::lock_guard<std::mutex> a(m_answering);
        std::lock_guard<std::mutex> g(lock);
        std::erase_if(requests, [&](const Request& r) { return r.series == series; });
    }
    // Daily rows of a symbol (answered whole), and a quote so that its series take them.
    void SetRows(const char* symbol, std::vector<CHistoryRow> rows)
    {
        std::lock_guard<std::mutex> g(lock);
        m_rows[symbol] = std::move(rows);
        SetQuoteLocked(symbol);
    }
    void SetQuote(const char* symbol)
    {
        std::lock_guard<std::mutex> g(lock);
        SetQuoteLocked(symbol);
    }
    // Sessions of a symbol of its own (the others keep the common ones).
    void SetRules(const char* symbol, const CSessionRules& symbolRules)
    {
        std::lock_guard<std::mutex> g(lock);
        m_rulesOf[symbol] = symbolRules;
    }
    const CSessionRules* FindSessionRules(const char* exchangeAndSymbol) override
    {
        const std::string key = exchangeAndSymbol ? exchangeAndSymbol : "";
        const size_t colon = key.find(':');
        std::lock_guard<std::mutex> g(lock);
        const auto it = m_rulesOf.find(colon == std::string::npos ? key : key.substr(colon + 1));
        return it != m_rulesOf.end() ? &it->second : &rules;
    }
    void SetSource(RowSource source)
    {
        std::lock_guard<std::mutex> g(lock);
        m_source = std::move(source);
    }
    // From now on, `count` downloads of more than a day for the symbol fail, from its
    // `first`-th (1: the next one).
    void FailDownloads(const char* symbol, int first, int count)
    {
        std::lock_guard<std::mutex> g(lock);
        const int next = m_asked[symbol] + first;
        m_failingDownloads[symbol] = {next, next + count};
    }
    void Hold(bool hold)
    {
        {
            std::lock_guard<std::mutex> g(lock);
            m_hold = hold;
        }
        m_wake.notify_all();
    }

private:
    void SetQuoteLocked(const char* symbol)
    {
        CSeriesQuote quote;
        quote.pending = false;
        quote.exchange = "NYSE";
        quote.open = quote.high = quote.low = quote.last = 100;
        quote.tradeFeedTime = CTimeToFeedTime(now);
        quotes[symbol] = quote;
    }
    void Loop()
    {
        for (;;) {
            {
                std::unique_lock<std::mutex> g(lock);
                m_wake.wait(g, [this] { return m_stop || (!m_hold && !requests.empty()); });
                if (m_stop)
                    return;
            }
            std::lock_guard<std::mutex> a(m_answering);
            std::vector<Request> taken;
            RowSource source;
            std::map<std::string, std::vector<CHistoryRow>> rows;
            {
                std::lock_guard<std::mutex> g(lock);
                if (m_hold)
                    continue;
                taken.swap(requests);
                source = m_source;
            }
            for (const Request& r : taken) {
                const CString interval = r.series->GetInterval();
                const bool daily = std::atoi(interval) == 0;
                std::vector<CHistoryRow> answer;
                bool failed = false;
                {
                    std::lock_guard<std::mutex> g(lock);
                    failed = m_failing.erase({r.series, r.start, r.end}) != 0;
                }
                if (failed) {
                    r.series->OnHistoryFailed(r.start, r.end);
                } else if (source) {
                    answer = source(r.series->GetSymbol(), interval, r.start, r.end);
                } else {
                    std::lock_guard<std::mutex> g(lock);
                    answer = m_rows[r.series->GetSymbol().str()];
                }
                if (daily)
                    r.series->OnDailyHistory(answer);
                else
                    r.series->OnIntradayHistory(answer);
            }
        }
    }

    std::map<std::string, std::vector<CHistoryRow>> m_rows;
    std::map<std::string, CSessionRules> m_rulesOf;  // nodes stay put: series keep pointers
    std::map<std::string, int> m_asked;  // downloads of more than a day per symbol
    std::map<std::string, std::pair<int, int>> m_failingDownloads;  // their numbers to fail: [first, end)
    std::set<std::tuple<CPriceSeries*, DWORD, DWORD>> m_failing;
    RowSource m_source;
    std::condition_variable m_wake;
    std::mutex m_answering;
    bool m_stop = false;
    bool m_hold = false;
    std::thread m_thread;
};
