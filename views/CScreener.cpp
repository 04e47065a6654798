#include "views/CScreener.h"

#include "analytics/formula/CFormula.h"
#include "broker/core/ExchangeTime.h"
#include "broker/session/CSessionManager.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int kMaxTitleFormula = 128;

struct Entry {
    CString symbol;
    std::unique_ptr<CFormula> formula; // none when the formula does not parse
};

constexpr size_t kMaxNamedFailures = 5;

// The server's words when it refused the symbol.
bool SymbolRefused(const CString& symbol, CString& reason)
{
    CSessionManager* session = CSessionManager::Instance();
    return session && session->GetQuoteStore().GetRefusal(symbol, reason);
}

CTime ExchangeNow()
{
    if (CSessionManager* session = CSessionManager::Instance())
        return session->GetExchangeCTime();
    return CTime::GetCurrentTime();
}

} // namespace

CScreener::CScreener(IScreenerSink& sink) : m_sink(sink) {}

CScreener::~CScreener()
{
    Stop(false);
}

void CScreener::Start(const CString& symbols, const CString& formula, const CString& interval, bool extendedSession)
{
    Stop(false);
    m_symbols = symbols;
    m_formula = formula;
    m_interval = interval;
    m_bExtended = extendedSession;
    m_bStop = false;
    m_bRestore = false;
    m_bPaused = false;
    m_nProgress = 0;
    m_lastPass = -1;
    SetFailures({});
    m_thread = std::thread([this] { Run(); });
}

void CScreener::Stop(bool restore)
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_bRestore = restore;
        m_bStop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    m_bPaused = false;
    m_nProgress = 0;
}

bool CScreener::GetLastPassTime(CTime& time) const
{
    const int64_t seconds = m_lastPass;
    if (seconds < 0)
        return false;
    time = CTime(seconds);
    return true;
}

void CScreener::SetFailures(const std::vector<CScreenerFailure>& failures)
{
    const CString text = ScreenerFailureText(failures);
    std::lock_guard<std::mutex> lock(m_failureLock);
    if (text != m_failureText) {
        m_failureText = text;
        m_bFailureNew = !text.IsEmpty();
    }
}

bool CScreener::TakeFailureNotice(CString& text)
{
    std::lock_guard<std::mutex> lock(m_failureLock);
    if (!m_bFailureNew)
        return false;
    m_bFailureNew = false;
    text = m_failureText;
    return true;
}

bool CScreener::StopRequested()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_bStop;
}

bool CScreener::WaitForStop(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_wake.wait_for(lock, timeout, [this] { return m_bStop; });
}

void CScreener::Run()
{
    std::vector<Entry> entries;
    std::vector<CString> all;
    bool stopped = false;
    int start = 0;
    for (;;) {
        const CString symbol = m_symbols.Tokenize(" ", start);
        if (start < 0)
            break;
        if (!symbol.IsEmpty())
            all.push_back(symbol);
        if (StopRequested()) {
            stopped = true;
            break;
        }
    }
    for (size_t i = 0; i < all.size() && !stopped; ++i) {
        Entry entry{all[i], std::make_unique<CFormula>(m_formula, 4, 1, 0)};
        CString error;
        if (entry.formula->Parse(error)) {
            std::vector<CFormulaSeriesItem*> series;
            entry.formula->GetSeriesInputs(series);
            entry.formula->Subscribe(entry.symbol, m_bExtended ? 1 : 0, nullptr, nullptr, m_interval, 0,
                                     series.empty() ? 1 : 0);
        } else {
            entry.formula.reset();
        }
        entries.push_back(std::move(entry));
        stopped = StopRequested();
    }
    int previous = -1;
    for (int pass = 0; !stopped; ++pass) {
        if (!m_bPaused) {
            std::vector<CString> passed;
            std::vector<CScreenerFailure> failures;
            size_t ready = 0;
            for (const Entry& entry : entries) {
                if (!entry.formula) {
                    ++ready; // no data will ever come for it
                } else {
                    // A symbol the broker refused, or inputs that failed, get no data: done.
                    const CScreenerVerdict verdict = JudgeSymbol(
                        *entry.formula, [&](CString& reason) { return SymbolRefused(entry.symbol, reason); });
                    ready += verdict.ready ? 1 : 0;
                    if (verdict.failed)
                        failures.push_back({entry.symbol, verdict.reason});
                    if (verdict.passed)
                        passed.push_back(entry.symbol);
                }
                if (StopRequested()) {
                    stopped = true;
                    break;
                }
            }
            if (stopped)
                break;
            // An empty list is scanned at once.
            m_nProgress = entries.empty() ? 100 : static_cast<int>(100 * ready / entries.size());
            m_lastPass = static_cast<int64_t>(ExchangeNow().GetTime());
            SetFailures(failures);
            m_sink.OnScreenerSymbols(std::move(passed));
            m_sink.OnScreenerProgress();
        }
        std::chrono::milliseconds wait;
        const int progress = m_nProgress;
        if (progress >= 100)
            wait = std::max(m_times.interval, std::chrono::milliseconds(1000));
        else if (pass == 0)
            wait = m_times.firstWait;
        else if (pass <= 3 || progress != previous)
            wait = m_times.shortWait;
        else
            wait = m_times.longWait;
        previous = progress;
        stopped = WaitForStop(wait);
    }
    bool restore;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        restore = m_bRestore;
    }
    if (restore)
        m_sink.OnScreenerSymbols(all);
    entries.clear(); // the formulas go before the worker ends
}

CString ScreenerTitleSuffix(const CScreener* screener, bool userTitle)
{
    if (!screener || !screener->IsRunning())
        return userTitle ? CString() : CString(" (Screener Off)");
    CString suffix;
    CTime time;
    if (screener->GetProgress() >= 100 && screener->GetLastPassTime(time)) {
        suffix = ", Scan as of " + FormatExchangeTime(time.GetTime(), "%H:%M:%S");
    } else {
        suffix = ", Scanning...";
        if (screener->GetProgress() >= 1) {
            CString done;
            done.Format(" %d%% done", screener->GetProgress());
            suffix += done;
        } else {
            suffix += "..";
        }
    }
    if (!userTitle) {
        CString formula = screener->GetFormula();
        if (formula.GetLength() > kMaxTitleFormula)
            formula = formula.Left(kMaxTitleFormula) + "...";
        suffix += ", " + formula;
    }
    return suffix;
}

CString ScreenerFailureText(const std::vector<CScreenerFailure>& failures)
{
    if (failures.empty())
        return CString();
    CString text = "Screener: no data for ";
    for (size_t i = 0; i < failures.size() && i < kMaxNamedFailures; ++i) {
        if (i > 0)
            text += ", ";
        text += failures[i].symbol;
        if (!failures[i].reason.IsEmpty())
            text += " (" + failures[i].reason + ")";
    }
    if (failures.size() > kMaxNamedFailures)
        text.AppendFormat(" and %d more", static_cast<int>(failures.size() - kMaxNamedFailures));
    return text;
}
