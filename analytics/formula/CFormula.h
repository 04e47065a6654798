// A formula of the workstation's language: text, compiled form, parse, subscribe and
// evaluate. Modes: 0 alerts, 1 custom grid columns, 2 chart formula series, 3 strategies
// and backtests, 4 screeners.
#pragma once

#include "analytics/formula/CFormulaItem.h"
#include "analytics/series/CSeriesListener.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <vector>

class CCompiledFormula;
class CFormulaEngine;
class CFormulaOwner;
class CFormulaInputShare;
class CFormulaRequest;
class CStudySource;


class CFormula {
public:
    CFormula(const char* text, int mode, int barCount, DWORD endTime);
    // Marks the compiled form released; the engine's clean-up thread frees it. Once this
    // returns no listener or timer calls the owner any more.
    virtual ~CFormula();
    CFormula(const CFormula&) = delete;
    CFormula& operator=(const CFormula&) = delete;

    // Compiles the text; false with the message in `error`.
    bool Parse(CString& error);
    // Queues the resolution of the inputs for the symbol. The owner's Fire is called when
    // the formula turns true (mode 0); the callback (owned from now on) hears of changes.
    // False when not parsed, already subscribed or no engine is installed.
    // Before Subscribe, for a history formula (mode 3 or 4) whose bars are never shifted:
    // its series inputs are shared with the other formulas given the same share and the
    // same request (see CFormulaInputShare). False for other modes or once subscribed.
    bool ShareInputs(std::shared_ptr<CFormulaInputShare> share);
    // After ShareInputs, for a strategy's formula (mode 3) that maps its bars to times by a
    // chart source of its own: hands the share a source the caller opened with `key` and
    // laid out as the formula would (window mode, its bar count up to its end time), so that
    // the formulas subscribed with the same arguments read it instead of loading their own.
    // False when the formula would open another key or none.
    bool ShareChartSource(const std::shared_ptr<CStudySource>& source, const char* key, const char* symbol,
                          int extendedSession, const char* interval, int sourceOption, int noChartSource);
    bool Subscribe(const char* symbol, int extendedSession, CFormulaOwner* owner,
                   std::unique_ptr<CSeriesListener> callback, const char* interval, int sourceOption,
                   int noChartSource);

    // Runs the formula for one bar. With `result`, true means a value was stored there;
    // without, true means the value is greater than 0. flag: the companion index of the
    // study sources (-1: bars as they stand).
    bool Evaluate(double* result, int bar, int flag);
    bool Evaluate(int bar, int flag, double& result) { return Evaluate(&result, bar, flag); }
    // As Evaluate, with every series input's bar as it stood at a moment (a feed time, not
    // 0), each read through its own companion: inputs of symbols whose sessions differ
    // are read at the same moment.
    bool EvaluateAsOf(double* result, int bar, DWORD feedTime);
    // Runs the formula for the bars first .. first + count - 1 in one pass (a formula series,
    // a screener, a backtest): valid[k] is 1 where Evaluate(&results[k], first + k, flag)
    // would return true, with the same value in results[k]. Each series input is locked
    // once for the pass.
    void EvaluateRange(int first, int count, int flag, double* results, BYTE* valid);

    // Sets every NumTriggered value; 1 when the formula has none, else 0.
    int SetNumTriggered(int n);
    // Sets every trade value of the index: 8 EntryPrice, 9 EntryShares, 10 EntryDate, 11 EntryTime.
    // False when the formula reads none of that index.
    bool SetTradeValue(double value, int index);
    // Empties the array and appends every series item (with its call).
    void GetSeriesInputs(std::vector<CFormulaSeriesItem*>& items) const;
    void AddBars(int n);
    // Feed time of a formula bar; false while unresolved or when no time was found.
    bool GetBarTime(int bar, int flag, DWORD& time) const;
    // True while the inputs are being resolved or any input is still waiting for data.
    // A failed resolution is not waiting: see HasFailed.
    bool IsWaitingForData() const;
    // How many times the data of its inputs were thrown away to be fetched anew: an
    // evaluation during which the count changed read data in between.
    int GetDataResets() const;
    // True when resolving the inputs failed; the message says why.
    bool HasFailed(CString* message = nullptr) const;
    bool IsResolved() const;

    const CString& GetText() const { return m_text; }
    bool IsParsed() const { return m_bParsed; }
    int GetMode() const { return m_nMode; }
    int GetBarCount() const { return m_nBarCount; }
    DWORD GetEndTime() const { return m_endTime; }

protected:
    CCompiledFormula& Compiled() const { return *m_pCompiled; }

private:
    // The request Subscribe makes, without its compiled form, owner and callback.
    void FillRequest(CFormulaRequest& request, const char* symbol, int extendedSession, const char* interval,
                     int sourceOption, int noChartSource) const;

    CCompiledFormula* m_pCompiled;  // owned here until subscribed, then by the engine
    std::unique_ptr<CCompiledFormula> m_pOwned;
    CString m_text;
    bool m_bParsed = false;
    int m_nMode;
    int m_nBarCount;
    DWORD m_endTime;
    CFormulaEngine* m_pEngine = nullptr;
    std::shared_ptr<CFormulaInputShare> m_pShare;
};
