// The compiled form of a formula: postfix items, the resolved inputs and their listeners,
// the clock timer, the chart source and the state flags shared with the engine's threads.
#pragma once

#include "analytics/formula/FormulaParser.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CFormulaEngine;
class CFormulaOwner;
class CFormulaRequest;
class CFormulaTimer;
class CFormulaQuoteListener;
class CFormulaDepthListener;
class CFormulaSeriesListener;
class CSymbolHandle;
class CMarketDepthHandle;
class CStudySource;
class CFormulaSeriesItem;

enum EFormulaInputState : int {
    kInputsPending = 0,
    kInputsResolved = 1,
    kInputsFailed = 2,
};

class CCompiledFormula {
public:
    CCompiledFormula();
    ~CCompiledFormula();
    CCompiledFormula(const CCompiledFormula&) = delete;
    CCompiledFormula& operator=(const CCompiledFormula&) = delete;

    // Resolves the inputs of the request (input thread); true when every input was resolved.
    bool ResolveInputs(const CFormulaRequest& request, CFormulaEngine& engine);
    // Unregisters and frees the timer, listeners, handles, sources and items.
    void ReleaseInputs();

    // An alert formula (mode 0) takes the values its inputs already hold once they are
    // resolved and is evaluated once: a condition that is already true fires without
    // waiting for the next change of an input.
    void EvaluateResolved(CFormulaOwner* owner);

    // Runs the items for one bar; see CFormula::Evaluate.
    bool Evaluate(int mode, double* result, int bar, int flag);
    // Runs the items for one bar read as it stood at a moment; see CFormula::EvaluateAsOf.
    bool EvaluateAsOf(int mode, double* result, int bar, DWORD feedTime);
    // Runs the items for the bars first .. first + count - 1 in one pass; see
    // CFormula::EvaluateRange.
    void EvaluateRange(int mode, int first, int count, int flag, double* results, BYTE* valid);

    bool IsCompiled() const { return m_nState.load(std::memory_order_acquire) == kInputsResolved; }
    int GetState() const { return m_nState.load(std::memory_order_acquire); }
    CString GetFailure() const;
    bool IsReleased() const { return m_bReleased.load(std::memory_order_acquire); }
    // Marks the form released; waits until no listener or timer call for it is running.
    void Release();
    // The formula lets go of the form: from now on the clean-up thread may free it. The
    // formula's last touch of the form.
    void Disown() { m_bDisowned.store(true, std::memory_order_release); }
    bool IsDisowned() const { return m_bDisowned.load(std::memory_order_acquire); }

    bool IsWaitingForData();
    // The resets of the series its inputs read, once they are resolved.
    int GetDataResets();
    bool GetBarTime(int bar, int flag, DWORD& time, int mode);
    void AddBars(int n);
    // Sets the stored value of every time-and-trade item of the index; false when none.
    bool SetTimeValue(int index, double value);

    // Serialises the listeners, the timer and mode-0 evaluation of one formula.
    std::recursive_mutex& CallLock() { return m_callLock; }
    // An input changed before the form was resolved: EvaluateResolved evaluates for it.
    // Call lock held.
    void DeferEvaluation() { m_bDeferred = true; }

    CFormulaItemArray m_items;
    std::vector<CSymbolHandle*> m_quoteInputs;
    std::vector<CMarketDepthHandle*> m_depthInputs;
    std::vector<CStudySource*> m_seriesInputs;
    std::vector<int> m_seriesOffsets;
    std::unique_ptr<CFormulaTimer> m_pTimer;
    CStudySource* m_pChartSource = nullptr;
    int m_nStackDepth = 0;

private:
    // Bars an input with a bar offset reads back from the bar it is mapped to.
    int OffsetShift(int mode, const CFormulaSeriesItem& item) const;
    // The input's index read for a formula bar (with a chart source: the chart bar's start and end).
    int InputIndex(int mode, const CFormulaSeriesItem& item, int bar, DWORD chartStart, DWORD chartEnd) const;
    // Evaluate's work: the series inputs read as of companion record `flag`, or with a
    // feed time as they stood at it.
    bool EvaluateItems(int mode, double* result, int bar, int flag, DWORD feedTime);
    void ApplyShift(int n);
    void Fail(const CString& message);

    // Owners of m_seriesInputs (in the same order) and of the chart source: other formulas
    // of an input share may hold them too.
    std::vector<std::shared_ptr<CStudySource>> m_sourceRefs;
    std::shared_ptr<CStudySource> m_chartRef;
    std::vector<std::unique_ptr<CFormulaQuoteListener>> m_quoteListeners;
    std::vector<std::unique_ptr<CFormulaDepthListener>> m_depthListeners;
    std::vector<std::unique_ptr<CFormulaSeriesListener>> m_seriesListeners;
    CFormulaEngine* m_pEngine = nullptr; // where the timer is registered
    std::atomic<int> m_nState{kInputsPending};
    std::atomic<bool> m_bReleased{false};
    std::atomic<bool> m_bDisowned{false};
    std::recursive_mutex m_callLock;
    mutable std::mutex m_stateLock; // failure text and the pending shift
    CString m_failure;
    int m_nPendingShift = 0;
    bool m_bDeferred = false; // under the call lock
};

// Updates a Level II item from its book; true when its value changed.
bool UpdateDepthItem(CMarketDepthHandle* handle, CFormulaDepthItem& item);
