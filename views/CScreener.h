// A screener: one worker thread evaluates a formula for every symbol of a list and hands
// the symbols whose formula is true to the window, pass after pass, with the share of
// symbols whose data have arrived (or will never come) as progress.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/CTime.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// How the worker reaches the window (any thread; the window posts itself messages).
class IScreenerSink {
public:
    virtual ~IScreenerSink() = default;
    // The rows to show: exactly these symbols.
    virtual void OnScreenerSymbols(std::vector<CString> symbols) = 0;
    // Progress or pass time changed (the title follows).
    virtual void OnScreenerProgress() = 0;
};

// A symbol whose formula will get no data, and why.
struct CScreenerFailure {
    CString symbol;
    CString reason;
};

struct CScreenerTimes {
    std::chrono::milliseconds firstWait{3000};
    std::chrono::milliseconds shortWait{5000};
    std::chrono::milliseconds longWait{10000};
    // Between passes once every symbol has data; at least one second.
    std::chrono::milliseconds interval{60000};
};

class CScreener {
public:
    explicit CScreener(IScreenerSink& sink);
    ~CScreener(); // stops without restoring
    CScreener(const CScreener&) = delete;
    CScreener& operator=(const CScreener&) = delete;

    // Starts the worker for the symbols (joined by blanks) and the formula. The bars of
    // formulas are laid out at the interval; times apply from the next start.
    void Start(const CString& symbols, const CString& formula, const CString& interval, bool extendedSession);
    void SetTimes(const CScreenerTimes& times) { m_times = times; }
    // Ends the worker and waits for it; with restore the whole list goes to the window
    // as the worker ends.
    void Stop(bool restore);

    bool IsRunning() const { return m_thread.joinable(); }
    void SetPaused(bool paused) { m_bPaused = paused; }
    bool IsPaused() const { return m_bPaused; }
    // 0..100: the share of symbols whose formula has its data.
    int GetProgress() const { return m_nProgress; }
    // When the last pass ended (an instant; its title shows the exchange's clock); false before the first.
    bool GetLastPassTime(CTime& time) const;
    const CString& GetSymbols() const { return m_symbols; }
    const CString& GetFormula() const { return m_formula; }
    // The status-bar text naming the symbols that failed, once each time it changes: true
    // with the text when the last pass failed others than the pass before.
    bool TakeFailureNotice(CString& text);

private:
    void Run();
    // Waits for the stop event; true when it was set.
    bool WaitForStop(std::chrono::milliseconds timeout);
    bool StopRequested();
    void SetFailures(const std::vector<CScreenerFailure>& failures);

    IScreenerSink& m_sink;
    CScreenerTimes m_times;
    CString m_symbols;
    CString m_formula;
    CString m_interval;
    bool m_bExtended = false;
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_bStop = false;
    bool m_bRestore = false;
    std::atomic<bool> m_bPaused{false};
    std::atomic<int> m_nProgress{0};
    std::atomic<int64_t> m_lastPass{-1};
    std::mutex m_failureLock;
    CString m_failureText;
    bool m_bFailureNew = false;
};

// How one symbol fared in a pass.
struct CScreenerVerdict {
    bool passed = false; // the formula was true
    bool ready = false;  // its data are complete, or none will ever come
    bool failed = false; // no data will come; reason says why
    CString reason;
};

// Evaluates a symbol's formula. Data may arrive or be thrown away and fetched anew on another
// thread while the formula runs, so the symbol is ready only when it waits for nothing both
// before and after the evaluation and no data were thrown away in between. refused(reason)
// tells whether the server refused the symbol.
template <class Formula, class Refused>
CScreenerVerdict JudgeSymbol(Formula& formula, Refused&& refused)
{
    CScreenerVerdict verdict;
    const int resetsBefore = formula.GetDataResets();
    const bool waitingBefore = formula.IsWaitingForData();
    verdict.passed = formula.Evaluate(nullptr, 0, -1);
    const bool waitingAfter = formula.IsWaitingForData();
    if (!waitingBefore && !waitingAfter && formula.GetDataResets() == resetsBefore) {
        verdict.ready = true;
        verdict.failed = formula.HasFailed(&verdict.reason);
    } else if (refused(verdict.reason)) {
        verdict.ready = true;
        verdict.failed = true;
    }
    return verdict;
}

// "Screener: no data for SYMBOL (reason), ..." naming five symbols at most, then " and %d
// more"; empty without failures.
CString ScreenerFailureText(const std::vector<CScreenerFailure>& failures);

// What the window title shows of a screener: ", Scan as of %H:%M:%S" once every symbol
// has data, else ", Scanning..." with " %d%% done" or ".."; then, without a title of the
// user's, ", " and the formula (cut to 128 characters and "..."). Without a screener
// " (Screener Off)" unless the user set a title.
CString ScreenerTitleSuffix(const CScreener* screener, bool userTitle);
