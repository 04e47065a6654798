// Headlines reaching an open headline list, offscreen: 10,000 headlines for 50 symbols
// arrive one message each on a session thread (as the dispatcher applies them to the
// news registry) while the list's thread takes them into the list. Two sides of the same
// work, in one run:
//   NewsToOpenList              the news window's way: listeners queue the changed rows,
//                               the window is woken once per filled queue and copies only
//                               the changed headlines;
//   NewsToOpenListWholeEntry    one posted message per change, each copying the key's
//                               whole entry under the registry's lock and taking the
//                               changed rows out of the copy.
// Both insert the same rows into the same owner-drawn list; each run checks that every
// headline was listed and reports the count.
#include "broker/session/CNewsRegistry.h"
#include "platform/ui/CMessageMap.h"
#include "platform/ui/CWnd.h"
#include "views/CNewsSubscriptions.h"
#include "views/ui/CHeadlinesCtrl.h"
#include "views/ui/NewsIds.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSymbols = 50;
constexpr int kHeadlines = 10000;
constexpr UINT WM_WHOLE_ENTRY = WM_APP + 60;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "qx_news_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    return *app;
}

std::string Symbol(int run, int i)
{
    return "S" + std::to_string(run) + "X" + std::to_string(i);
}

// The messages of one run, made before the clock starts.
std::vector<CNewsMessage> Messages(int run)
{
    std::vector<CNewsMessage> out(kHeadlines);
    for (int i = 0; i < kHeadlines; ++i) {
        const std::string symbol = Symbol(run, i % kSymbols);
        CNewsMessage& m = out[static_cast<size_t>(i)];
        m.m_key = symbol;
        CNewsHeadline h;
        h.symbol = symbol;
        h.time = 1765000000 + i;
        h.storyId = ("R" + std::to_string(run) + "N" + std::to_string(i)).c_str();
        h.note = i % 5 == 0 ? "H" : "";
        h.source = "Newswire";
        h.headline = (symbol + " shares rise after quarterly results").c_str();
        h.storyUrl = ("https://127.0.0.1:8443/apps/100/NewsStory?storyid=" + h.storyId.str()).c_str();
        m.m_headlines.push_back(std::move(h));
    }
    return out;
}

// The window that holds the list, with both ways of taking changes.
class CHost : public CWnd {
public:
    CHost()
    {
        App();
        Create(nullptr, "news bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1200, 800), nullptr, 0);
        m_list.CreateList(this, IDC_HEADLINES, {});
        m_list.MoveWindow(0, 0, 1200, 800);
        m_list.ApplyNewsLayout(DefaultNewsLayout());
    }

    CHeadlinesCtrl m_list;
    CNewsSubscriptions* m_subscriptions = nullptr;
    CNewsRegistry* m_registry = nullptr;

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map = MessageMapFor<CHost>(CWnd::GetMessageMap())
                                           .Message(WM_NEWS_CHANGED, &CHost::OnChanged)
                                           .Message(WM_WHOLE_ENTRY, &CHost::OnWholeEntry)
                                           .Build();
        return map;
    }

private:
    LRESULT OnChanged(WPARAM, LPARAM)
    {
        if (m_subscriptions)
            m_list.MergeHeadlines(m_subscriptions->TakeChanges());
        return 0;
    }
    // wParam the entry, lParam first and last packed.
    LRESULT OnWholeEntry(WPARAM entry, LPARAM range)
    {
        const int first = static_cast<int>(range >> 32);
        const int last = static_cast<int>(range & 0xFFFFFFFF);
        CNewsEntry copy;
        {
            std::lock_guard<std::recursive_mutex> lock(m_registry->GetLock());
            copy.CopyFrom(*reinterpret_cast<const CNewsEntry*>(entry));
        }
        std::vector<CNewsHeadline> changed;
        for (int i = std::max(first, copy.base); i <= last && i < copy.End(); ++i)
            changed.push_back(CNewsRegistry::GetHeadline(copy, i));
        m_list.MergeHeadlines(changed);
        return 0;
    }
};

// A listener that posts every change with its entry, as one message each.
class CWholeEntryListener : public CNewsCallback {
public:
    CWholeEntryListener(HWND host, const CString& key) : m_host(host), m_key(key)
    {
        m_listener.callback = this;
    }
    void OnNewsChange(CNewsListener*, int first, int last) override
    {
        const LPARAM range = (static_cast<LPARAM>(first) << 32) | static_cast<LPARAM>(static_cast<uint32_t>(last));
        ::PostMessage(m_host, WM_WHOLE_ENTRY, reinterpret_cast<WPARAM>(m_entry), range);
    }
    CNewsListener m_listener;
    CNewsEntry* m_entry = nullptr;
    HWND m_host;
    CString m_key;
};

CHost& Host()
{
    static CHost* host = new CHost;
    return *host;
}

// Feeds the run's messages from a session thread and waits until the list holds them.
void Run(benchmark::State& state, CNewsRegistry& registry, std::vector<CNewsMessage>& messages)
{
    CHost& host = Host();
    std::thread session([&] {
        for (const CNewsMessage& m : messages)
            registry.DispatchNews(m);
    });
    QElapsedTimer waited;
    waited.start();
    while (host.m_list.GetItemCount() < kHeadlines && waited.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    session.join();
    QCoreApplication::processEvents();
    if (host.m_list.GetItemCount() != kHeadlines)
        state.SkipWithError("not every headline reached the list");
}

void NewsToOpenList(benchmark::State& state)
{
    CHost& host = Host();
    int run = 0;
    int64_t listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++run;
        CNewsRegistry registry;
        host.m_list.RemoveAllHeadlines();
        CNewsSubscriptions subscriptions(registry, [h = host.m_hWnd] { ::PostMessage(h, WM_NEWS_CHANGED); });
        std::vector<CString> keys;
        for (int i = 0; i < kSymbols; ++i)
            keys.emplace_back(Symbol(run, i).c_str());
        subscriptions.Resubscribe(keys);
        host.m_subscriptions = &subscriptions;
        std::vector<CNewsMessage> messages = Messages(run);
        state.ResumeTiming();
        Run(state, registry, messages);
        state.PauseTiming();
        listed += host.m_list.GetItemCount();
        host.m_subscriptions = nullptr;
        subscriptions.RemoveAll();
        state.ResumeTiming();
    }
    state.counters["headlines_listed"] = benchmark::Counter(static_cast<double>(listed) / state.iterations());
    state.counters["per_headline"] =
        benchmark::Counter(static_cast<double>(listed), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void NewsToOpenListWholeEntry(benchmark::State& state)
{
    CHost& host = Host();
    int run = 1000;
    int64_t listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++run;
        CNewsRegistry registry;
        host.m_registry = &registry;
        host.m_list.RemoveAllHeadlines();
        std::vector<std::unique_ptr<CWholeEntryListener>> listeners;
        for (int i = 0; i < kSymbols; ++i) {
            auto l = std::make_unique<CWholeEntryListener>(host.m_hWnd, Symbol(run, i).c_str());
            l->m_entry = registry.AddListener(l->m_key, &l->m_listener, nullptr);
            listeners.push_back(std::move(l));
        }
        std::vector<CNewsMessage> messages = Messages(run);
        state.ResumeTiming();
        Run(state, registry, messages);
        state.PauseTiming();
        listed += host.m_list.GetItemCount();
        for (auto& l : listeners)
            registry.RemoveListener(l->m_key, &l->m_listener);
        host.m_registry = nullptr;
        state.ResumeTiming();
    }
    state.counters["headlines_listed"] = benchmark::Counter(static_cast<double>(listed) / state.iterations());
    state.counters["per_headline"] =
        benchmark::Counter(static_cast<double>(listed), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(NewsToOpenList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(NewsToOpenListWholeEntry)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
