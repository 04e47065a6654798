#include "analytics/formula/CCompiledFormula.h"

#include "analytics/formula/CFormulaDepthListener.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/CFormulaInputShare.h"
#include "analytics/formula/CFormulaOwner.h"
#include "analytics/formula/CFormulaQuoteListener.h"
#include "analytics/formula/CFormulaRequest.h"
#include "analytics/formula/CFormulaSeriesListener.h"
#include "analytics/formula/CFormulaTimer.h"
#include "analytics/formula/FormulaColumns.h"
#include "analytics/formula/FormulaNames.h"
#include "analytics/formula/FormulaOperators.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CStudySource.h"
#include "analytics/series/TimeUnitNames.h"
#include "analytics/series/ISeriesServices.h"
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <strings.h>
#include <utility>

namespace {

// Interval texts that may go into a request key.
bool IsKeyInterval(const CString& interval)
{
    static const char* const kLetters[] = {"D", "W", "M", "Q", "Y"};
    for (const char* letter : kLetters)
        if (interval == letter)
            return true;
    if (interval.IsEmpty() || interval.GetLength() > 4)
        return false;
    for (int i = 0; i < interval.GetLength(); ++i)
        if (interval[i] < '0' || interval[i] > '9')
            return false;
    return std::atoi(interval) <= 7199;
}

bool ReadTimeName(int index, double& value)
{
    const CTime now = GetSeriesServices().GetExchangeTime();
    const struct tm t = now.GetLocalTm();
    switch (index) {
    case 0: value = t.tm_year + 1900; return true;
    case 1: value = t.tm_mon + 1; return true;
    case 2: value = t.tm_wday; return true;
    case 3: value = t.tm_mday; return true;
    case 4: value = t.tm_hour; return true;
    case 5: value = t.tm_min; return true;
    case 6: value = t.tm_sec; return true;
    default: return false;
    }
}

// The operand stack of one evaluation: on the stack for ordinary formulas.
class COperandStack {
public:
    explicit COperandStack(int depth)
    {
        if (depth > static_cast<int>(m_local.size())) {
            m_heap.resize(static_cast<size_t>(depth));
            m_data = m_heap.data();
        }
    }
    void Push(double v) { m_data[m_size++] = v; }
    double Pop() { return m_data[--m_size]; }
    int Size() const { return m_size; }

private:
    std::array<double, 32> m_local{};
    std::vector<double> m_heap;
    double* m_data = m_local.data();
    int m_size = 0;
};

// Bars of the input are shorter than those of the chart source (tick series have no span).
bool IsFinerThan(const CStudySource& input, const CStudySource& chart)
{
    const DWORD inputSpan = input.GetBaseSeries()->GetBarSpan();
    const DWORD chartSpan = chart.GetBaseSeries()->GetBarSpan();
    return inputSpan > 0 && chartSpan > 0 && inputSpan < chartSpan;
}

// The input's newest bar at the time of a chart bar, before its bar offset: the bar holding
// the chart bar's start, or for a finer input the last one starting before the chart bar's
// end (its newest bar while the chart bar runs).
int InputBarOfChartBar(CStudySource& input, bool finer, DWORD chartStart, DWORD chartEnd)
{
    const int b = input.FindBarByTime(chartStart, 0);
    const DWORD end = chartEnd;
    if (!finer || end <= chartStart)
        return b;
    int first = 0, last = 0;
    input.GetVisibleRange(first, last);
    // Feed times count 2-second units: one unit before the end lies inside the chart bar.
    return std::max(b, std::min(input.FindBarByTime(end - 1, 0), last));
}

} // namespace

CCompiledFormula::CCompiledFormula() = default;

CCompiledFormula::~CCompiledFormula()
{
    ReleaseInputs();
}

CString CCompiledFormula::GetFailure() const
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    return m_failure;
}

void CCompiledFormula::Fail(const CString& message)
{
    std::lock_guard<std::mutex> lock(m_stateLock);
    if (m_failure.IsEmpty())
        m_failure = message;
}

void CCompiledFormula::Release()
{
    std::lock_guard<std::recursive_mutex> lock(m_callLock);
    m_bReleased.store(true, std::memory_order_release);
}

void CCompiledFormula::ReleaseInputs()
{
    if (m_pTimer) {
        if (m_pEngine)
            m_pEngine->UnregisterPolled(m_pTimer.get());
        m_pTimer.reset();
    }
    m_pEngine = nullptr;
    // Taking a listener off its series waits for a running call (the series' lock); a
    // call may still read the chart source, so that goes later.
    for (CStudySource* source : m_seriesInputs)
        if (source->GetBaseSeries())
            source->GetBaseSeries()->SetListener(nullptr);
    CSessionManager* manager = CSessionManager::Instance();
    // Deleting a handle unregisters it under the store's lock, so no listener call of it
    // is running once it returns; only then are the listeners freed.
    for (CSymbolHandle* handle : m_quoteInputs) {
        if (manager)
            manager->DeleteSymbolHandle(handle);
        else
            delete handle;
    }
    m_quoteInputs.clear();
    m_quoteListeners.clear();
    for (CMarketDepthHandle* handle : m_depthInputs) {
        if (manager)
            manager->DeleteMarketDepthHandle(handle);
        else
            delete handle;
    }
    m_depthInputs.clear();
    m_depthListeners.clear();
    m_pChartSource = nullptr;
    m_chartRef.reset();
    m_seriesInputs.clear();
    m_sourceRefs.clear();
    m_seriesOffsets.clear();
    m_seriesListeners.clear();
    m_items.clear();
}

bool CCompiledFormula::ResolveInputs(const CFormulaRequest& request, CFormulaEngine& engine)
{
    const int mode = request.m_nMode;
    const bool live = mode == 0 || mode == 2;
    const int history = (mode == 3 || mode == 4) ? 1 : 0;
    CSessionManager* manager = CSessionManager::Instance();
    bool ok = true;
    std::map<std::string, CFormulaQuoteListener*> quoteBySymbol;
    std::map<std::string, CFormulaDepthListener*> depthBySymbol;
    std::map<std::string, std::pair<CStudySource*, CFormulaSeriesListener*>> seriesByKey;
    std::map<std::string, CSymbolHandle*> quoteHandles;
    std::map<std::string, CMarketDepthHandle*> depthHandles;

    // Sources taken from the share are resolved and prepared already: their formula had
    // the same request.
    CFormulaInputShare* share = history ? request.m_pShare.get() : nullptr;
    const std::string shareRequest = share ? ShareRequestText(request) : std::string();
    std::vector<std::string> sourceKeys; // share keys of m_seriesInputs
    std::vector<bool> borrowed;          // taken from the share
    const auto shared = [&](CStudySource* made) { return std::shared_ptr<CStudySource>(made, DeleteStudyCall); };

    const auto symbolOf = [&](const CFunctionCall* call) -> CString {
        return call && !call->m_symbol.IsEmpty() ? call->m_symbol : request.m_symbol;
    };
    const auto checkSymbol = [&](const CString& symbol) {
        if (IsFormulaSymbolText(symbol))
            return true;
        Fail(CString("Invalid symbol ") + symbol);
        return false;
    };

    for (auto& owned : m_items) {
        if (!ok)
            break;
        CFormulaItem* item = owned.get();
        switch (item->m_nKind) {
        case kItemTimeValue: {
            const int index = static_cast<CFormulaValueItem*>(item)->m_nIndex;
            if ((index <= kTimeSecond || index == kTradeEntryDate || index == kTradeEntryTime) && !m_pTimer)
                m_pTimer = std::make_unique<CFormulaTimer>(request.m_pOwner, request.m_pCallback.get(), this);
            break;
        }
        case kItemQuoteField: {
            auto* quote = static_cast<CFormulaValueItem*>(item);
            const CString symbol = symbolOf(quote->m_pCall.get());
            if (!checkSymbol(symbol)) {
                ok = false;
                break;
            }
            CSymbolHandle*& handle = quoteHandles[symbol.str()];
            if (!handle) {
                handle = manager ? manager->CreateSymbolHandle(symbol) : nullptr;
                if (!handle) {
                    Fail(manager ? CString("Invalid symbol ") + symbol : CString("No market data session"));
                    ok = false;
                    break;
                }
                m_quoteInputs.push_back(handle);
                if (live) {
                    m_quoteListeners.push_back(
                        std::make_unique<CFormulaQuoteListener>(request.m_pOwner, request.m_pCallback.get(), this));
                    quoteBySymbol[symbol.str()] = m_quoteListeners.back().get();
                }
            }
            if (live)
                quoteBySymbol[symbol.str()]->m_items.push_back(quote);
            quote->m_pInput = handle;
            break;
        }
        case kItemSeriesField: {
            auto* series = static_cast<CFormulaSeriesItem*>(item);
            const CFunctionCall& call = *series->m_pCall;
            const CString symbol = symbolOf(&call);
            if (!checkSymbol(symbol)) {
                ok = false;
                break;
            }
            const CString interval = request.m_bNoChartSource ? request.m_interval : call.m_params.back();
            if (!IsKeyInterval(interval)) {
                Fail(CString("Invalid interval ") + interval);
                ok = false;
                break;
            }
            CString key;
            if (call.m_function == "Bar") {
                key.Format("%s,%s", symbol.GetString(), interval.GetString());
            } else {
                key = call.m_function == "EMA" ? call.m_output : call.m_function;
                key += "(" + symbol;
                for (size_t p = 0; p + 1 < call.m_params.size(); ++p)
                    key += "," + call.m_params[p];
                key += ")," + interval;
            }
            key += SeriesKeySuffix(request);
            CString shareKey;
            shareKey.Format("%s,%d", key.GetString(), series->m_nBarOffset);
            auto& entry = seriesByKey[shareKey.str()];
            if (!entry.first) {
                std::shared_ptr<CStudySource> source = share ? share->Find(shareRequest + shareKey.str()) : nullptr;
                borrowed.push_back(source != nullptr);
                if (!source)
                    source = shared(ParseStudyCall(key, series->m_nBarOffset != 0 ? 0 : request.m_nSourceOption,
                                                   history, mode));
                if (!source) {
                    Fail(CString("Cannot open ") + key);
                    ok = false;
                    break;
                }
                entry.first = source.get();
                m_seriesInputs.push_back(source.get());
                m_sourceRefs.push_back(std::move(source));
                sourceKeys.push_back(shareRequest + shareKey.str());
                m_seriesOffsets.push_back(series->m_nBarOffset);
                if (live) {
                    m_seriesListeners.push_back(
                        std::make_unique<CFormulaSeriesListener>(request.m_pOwner, request.m_pCallback.get(), this));
                    entry.second = m_seriesListeners.back().get();
                }
            }
            if (live)
                entry.second->m_items.push_back(series);
            series->m_pInput = entry.first;
            break;
        }
        case kItemDepthField: {
            auto* depth = static_cast<CFormulaDepthItem*>(item);
            const CString symbol = symbolOf(depth->m_pCall.get());
            if (!checkSymbol(symbol)) {
                ok = false;
                break;
            }
            CMarketDepthHandle*& handle = depthHandles[symbol.str()];
            if (!handle) {
                handle = manager ? manager->CreateMarketDepthHandle(symbol) : nullptr;
                if (!handle) {
                    Fail(manager ? CString("Invalid symbol ") + symbol : CString("No market data session"));
                    ok = false;
                    break;
                }
                m_depthInputs.push_back(handle);
                if (live) {
                    m_depthListeners.push_back(
                        std::make_unique<CFormulaDepthListener>(request.m_pOwner, request.m_pCallback.get(), this));
                    depthBySymbol[symbol.str()] = m_depthListeners.back().get();
                }
            }
            const CString& output = depth->m_pCall->m_output;
            depth->m_nSide = (output == "Bid" || output == "BidSize") ? 0 : 1;
            depth->m_nField = (output == "Bid" || output == "Ask") ? 1 : 2;
            if (live)
                depthBySymbol[symbol.str()]->m_items.push_back(depth);
            depth->m_pInput = handle;
            break;
        }
        default: break;
        }
    }

    // Listeners go on before the subscriptions so that no update is missed.
    for (auto& listener : m_quoteListeners) {
        for (CSymbolHandle* handle : m_quoteInputs)
            if (!listener->m_items.empty() && listener->m_items.front()->m_pInput == handle)
                handle->SetListener(listener.get());
    }
    for (auto& listener : m_depthListeners) {
        for (CMarketDepthHandle* handle : m_depthInputs)
            if (!listener->m_items.empty() && listener->m_items.front()->m_pInput == handle)
                handle->m_pListener = listener.get();
    }
    for (CSymbolHandle* handle : m_quoteInputs)
        handle->Subscribe();
    for (CMarketDepthHandle* handle : m_depthInputs)
        handle->Subscribe();

    // Chart source: maps formula bars to times.
    DWORD t1 = 0, t2 = 0;
    if (ok && !request.m_interval.IsEmpty() && !request.m_bNoChartSource) {
        if (!checkSymbol(request.m_symbol) || !IsKeyInterval(request.m_interval)) {
            if (!IsKeyInterval(request.m_interval))
                Fail(CString("Invalid interval ") + request.m_interval);
            ok = false;
        } else {
            const CString key = ChartSourceKey(request);
            m_chartRef = share ? share->Find(shareRequest + "chart") : nullptr;
            const bool chartBorrowed = m_chartRef != nullptr;
            if (!m_chartRef)
                m_chartRef = shared(ParseStudyCall(key, request.m_nSourceOption, history, mode));
            m_pChartSource = m_chartRef.get();
            if (!m_pChartSource) {
                Fail(CString("Cannot open ") + key);
                ok = false;
            } else {
                if (mode != 2 && !chartBorrowed)
                    m_pChartSource->GetBaseSeries()->SetWindowMode(1);
                if (!chartBorrowed)
                    m_pChartSource->Prepare(request.m_nBarCount, request.m_endTime);
                int first = 0, last = 0;
                m_pChartSource->GetVisibleRange(first, last);
                m_pChartSource->GetBarTime(last, 0, t1);
                m_pChartSource->GetBarTime(last - (request.m_nBarCount - 1), 1, t2);
            }
        }
    }
    if (ok) {
        for (size_t i = 0; i < m_seriesInputs.size(); ++i) {
            if (borrowed[i])
                continue;
            CStudySource* source = m_seriesInputs[i];
            const int offset = m_seriesOffsets[i];
            const int extra = mode != 3 ? offset : 0;
            if (mode != 2)
                source->GetBaseSeries()->SetWindowMode(1);
            // Laid out for the bar count first, so that its bar arithmetic can tell how
            // many of its bars the chart's span covers.
            source->Prepare(std::max(1, request.m_nBarCount) + extra, request.m_endTime);
            if (m_pChartSource) {
                int wanted = source->FindBarByTime(t1, 0) - source->FindBarByTime(t2, 1) + 1;
                if (IsFinerThan(*source, *m_pChartSource)) {
                    // From its newest bar at the first chart bar's time to its newest bar.
                    int first = 0, last = 0;
                    m_pChartSource->GetVisibleRange(first, last);
                    const int oldest = std::max(last - (std::max(1, request.m_nBarCount) - 1), first);
                    DWORD start = 0, end = 0;
                    m_pChartSource->GetBarTime(oldest, 0, start);
                    m_pChartSource->GetBarTime(oldest, 1, end);
                    int inputFirst = 0, inputLast = 0;
                    source->GetVisibleRange(inputFirst, inputLast);
                    wanted = inputLast - InputBarOfChartBar(*source, true, start, end) + 1;
                }
                wanted = std::min(wanted, CPriceSeries::kMaxRecords - kMaxFormulaBarOffset);
                if (wanted > request.m_nBarCount)
                    source->Prepare(wanted + extra, request.m_endTime);
            }
            if (mode == 3 && offset)
                source->AddBars(-offset, 1);
        }
        // Field numbers are looked up once, before the form is published as resolved.
        for (auto& owned : m_items)
            if (owned->m_nKind == kItemSeriesField) {
                auto* series = static_cast<CFormulaSeriesItem*>(owned.get());
                series->m_nFieldIndex = series->m_pInput->FindField(series->m_field);
                series->m_bFinerThanChart = m_pChartSource && IsFinerThan(*series->m_pInput, *m_pChartSource);
            }
        for (size_t i = 0; i < m_seriesListeners.size(); ++i) {
            CFormulaSeriesListener* listener = m_seriesListeners[i].get();
            if (!listener->m_items.empty())
                listener->m_items.front()->m_pInput->GetBaseSeries()->SetListener(listener);
        }
        if (m_pTimer) {
            m_pEngine = &engine;
            engine.RegisterPolled(m_pTimer.get());
        }
        // Handed on only once prepared: a formula that failed leaves nothing half made.
        if (share) {
            for (size_t i = 0; i < m_sourceRefs.size(); ++i)
                share->Keep(sourceKeys[i], m_sourceRefs[i]);
            if (m_chartRef)
                share->Keep(shareRequest + "chart", m_chartRef);
        }
    }
    int shift = 0;
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        m_nState.store(ok ? kInputsResolved : kInputsFailed, std::memory_order_release);
        shift = m_nPendingShift;
        m_nPendingShift = 0;
    }
    if (ok && shift)
        ApplyShift(shift);
    return ok;
}

void CCompiledFormula::EvaluateResolved(CFormulaOwner* owner)
{
    if (!IsCompiled() || !owner)
        return;
    bool taken = false;
    for (auto& listener : m_quoteListeners)
        taken |= listener->TakeCurrentValues();
    for (auto& listener : m_seriesListeners)
        taken |= listener->TakeCurrentValues();
    std::lock_guard<std::recursive_mutex> lock(m_callLock);
    const bool deferred = std::exchange(m_bDeferred, false);
    if ((taken || deferred) && !IsReleased() && owner->GetTriggerState() == 0 && Evaluate(0, nullptr, 0, -1))
        owner->Fire();
}

void CCompiledFormula::AddBars(int n)
{
    {
        std::lock_guard<std::mutex> lock(m_stateLock);
        if (m_nState.load() == kInputsPending) {
            m_nPendingShift += n;
            return;
        }
    }
    if (IsCompiled())
        ApplyShift(n);
}

void CCompiledFormula::ApplyShift(int n)
{
    if (m_pChartSource) {
        m_pChartSource->AddBars(n, 1);
        DWORD time = 0;
        m_pChartSource->GetBarTime(n, 0, time);
        for (CStudySource* source : m_seriesInputs)
            source->AddBars(source->FindBarByTime(time, 0) - n, 1);
    } else {
        for (CStudySource* source : m_seriesInputs)
            source->AddBars(n, 1);
    }
}

bool CCompiledFormula::SetTimeValue(int index, double value)
{
    std::lock_guard<std::recursive_mutex> lock(m_callLock);
    bool found = false;
    for (auto& item : m_items) {
        if (item->m_nKind == kItemTimeValue && static_cast<CFormulaValueItem*>(item.get())->m_nIndex == index) {
            item->m_value = value;
            item->m_bValid = true;
            found = true;
        }
    }
    return found;
}

bool CCompiledFormula::IsWaitingForData()
{
    const int state = GetState();
    if (state == kInputsFailed)
        return false;
    if (state != kInputsResolved)
        return true;
    if (m_pChartSource && m_pChartSource->IsWaitingForData())
        return true;
    for (CStudySource* source : m_seriesInputs)
        if (source->IsWaitingForData())
            return true;
    for (CSymbolHandle* handle : m_quoteInputs)
        if (handle->IsPending())
            return true;
    return false;
}

int CCompiledFormula::GetDataResets()
{
    if (GetState() != kInputsResolved)
        return 0;
    int resets = m_pChartSource ? m_pChartSource->GetDataResets() : 0;
    for (CStudySource* source : m_seriesInputs)
        resets += source->GetDataResets();
    return resets;
}

bool CCompiledFormula::GetBarTime(int bar, int flag, DWORD& time, int mode)
{
    time = 0;
    if (!IsCompiled())
        return false;
    if (m_pChartSource)
        return m_pChartSource->GetBarTime(bar, flag, time);
    bool found = false;
    for (size_t i = 0; i < m_seriesInputs.size(); ++i) {
        DWORD t = 0;
        const int index = mode == 3 ? bar + m_seriesOffsets[i] : bar;
        if (m_seriesInputs[i]->GetBarTime(index, flag, t) && (!found || t > time)) {
            time = t;
            found = true;
        }
    }
    return found;
}

int CCompiledFormula::OffsetShift(int mode, const CFormulaSeriesItem& item) const
{
    // Found by time, the input's index is its bar at the chart bar's time; counted without a
    // chart source, the window of a grid or screener input already ends its offset back.
    return m_pChartSource || mode == 2 || mode == 3 ? item.m_nBarOffset : 0;
}

int CCompiledFormula::InputIndex(int mode, const CFormulaSeriesItem& item, int bar, DWORD chartStart,
                                 DWORD chartEnd) const
{
    if (m_pChartSource)
        bar = InputBarOfChartBar(*item.m_pInput, item.m_bFinerThanChart, chartStart, chartEnd);
    return bar - OffsetShift(mode, item);
}

bool CCompiledFormula::Evaluate(int mode, double* result, int bar, int flag)
{
    return EvaluateItems(mode, result, bar, flag, 0);
}

bool CCompiledFormula::EvaluateAsOf(int mode, double* result, int bar, DWORD feedTime)
{
    return feedTime != 0 && EvaluateItems(mode, result, bar, -1, feedTime);
}

bool CCompiledFormula::EvaluateItems(int mode, double* result, int bar, int flag, DWORD feedTime)
{
    if (!IsCompiled())
        return false;
    std::unique_lock<std::recursive_mutex> lock(m_callLock, std::defer_lock);
    if (mode == 0)
        lock.lock();
    // The inputs' bars are found by the start time of the chart bar (a time just before
    // it would fall into the previous session and read the bar before).
    DWORD chartTime = 0, chartEnd = 0;
    if (m_pChartSource &&
        (!m_pChartSource->GetBarTime(bar, 0, chartTime) || !m_pChartSource->GetBarTime(bar, 1, chartEnd)))
        return false;
    COperandStack stack(m_nStackDepth);
    for (const auto& owned : m_items) {
        CFormulaItem* item = owned.get();
        switch (item->m_nKind) {
        case kItemConstant: stack.Push(item->m_value); break;
        case kItemTimeValue: {
            const int index = static_cast<CFormulaValueItem*>(item)->m_nIndex;
            double value = item->m_value;
            if (index <= kTimeSecond && !ReadTimeName(index, value))
                return false;
            stack.Push(value);
            break;
        }
        case kItemQuoteField: {
            if (mode == 0) {
                if (!item->m_bValid)
                    return false;
                stack.Push(item->m_value);
                break;
            }
            auto* quote = static_cast<CFormulaValueItem*>(item);
            double value = 0;
            quote->m_pInput->Snapshot();
            const bool read = quote->m_pInput->GetField(quote->m_nIndex, value);
            quote->m_pInput->Attach();
            if (!read)
                return false;
            stack.Push(value);
            break;
        }
        case kItemDepthField: {
            if (mode != 0)
                UpdateDepthItem(static_cast<CFormulaDepthItem*>(item)->m_pInput, *static_cast<CFormulaDepthItem*>(item));
            if (!item->m_bValid)
                return false;
            stack.Push(item->m_value);
            break;
        }
        case kItemSeriesField: {
            if (mode == 0) {
                if (!item->m_bValid)
                    return false;
                stack.Push(item->m_value);
                break;
            }
            auto* series = static_cast<CFormulaSeriesItem*>(item);
            CStudySource* input = series->m_pInput;
            CPriceSeries* base = input->GetBaseSeries();
            std::lock_guard<CPriceSeries> seriesLock(*base);
            if (series->m_nFieldIndex < 0)
                return false;
            double value = 0;
            const int index = InputIndex(mode, *series, bar, chartTime, chartEnd);
            if (feedTime ? !input->GetValueAsOf(index, series->m_nFieldIndex, value, feedTime)
                         : !input->GetValue(index, series->m_nFieldIndex, value, flag))
                return false;
            stack.Push(value);
            break;
        }
        default: {
            if (stack.Size() < 2)
                return false;
            const double right = stack.Pop();
            const double left = stack.Pop();
            double value = 0;
            if (!ApplyFormulaOperator(static_cast<CFormulaOperatorItem*>(item)->m_nCode, left, right, value))
                return false;
            stack.Push(value);
            break;
        }
        }
    }
    if (stack.Size() == 0)
        return false;
    const double value = stack.Pop();
    if (result) {
        *result = value;
        return true;
    }
    return value > 0;
}

void CCompiledFormula::EvaluateRange(int mode, int first, int count, int flag, double* results, BYTE* valid)
{
    if (count <= 0)
        return;
    std::fill(valid, valid + count, BYTE{0});
    if (!IsCompiled())
        return;
    if (mode == 0) {
        // Alert formulas read the values their listeners stored, the same for every bar.
        for (int k = 0; k < count; ++k)
            valid[k] = Evaluate(mode, &results[k], first + k, flag);
        return;
    }
    // What does not depend on the bar is read once, before any series is locked: quotes
    // and books take their stores' locks, which are never taken under a series' lock.
    struct Operand {
        double value = 0;
        bool has = false;
        // Series items: reads of a block of consecutive indexes from `start` + bar offset,
        // or bar by bar.
        bool direct = false;
        int start = 0;
    };
    std::vector<Operand> operands(m_items.size());
    std::vector<CPriceSeries*> locked;
    for (size_t i = 0; i < m_items.size(); ++i) {
        CFormulaItem* item = m_items[i].get();
        Operand& op = operands[i];
        switch (item->m_nKind) {
        case kItemConstant: op = {item->m_value, true}; break;
        case kItemTimeValue: {
            const int index = static_cast<CFormulaValueItem*>(item)->m_nIndex;
            op.value = item->m_value;
            op.has = index > kTimeSecond || ReadTimeName(index, op.value);
            break;
        }
        case kItemQuoteField: {
            auto* quote = static_cast<CFormulaValueItem*>(item);
            quote->m_pInput->Snapshot();
            op.has = quote->m_pInput->GetField(quote->m_nIndex, op.value);
            quote->m_pInput->Attach();
            break;
        }
        case kItemDepthField: {
            auto* depth = static_cast<CFormulaDepthItem*>(item);
            UpdateDepthItem(depth->m_pInput, *depth);
            op = {item->m_value, item->m_bValid};
            break;
        }
        case kItemSeriesField: {
            auto* series = static_cast<CFormulaSeriesItem*>(item);
            CStudySource* input = series->m_pInput;
            locked.push_back(input->GetBaseSeries());
            const int shift = OffsetShift(mode, *series);
            const bool plain = !input->GetSpec() && series->m_nFieldIndex >= 0 &&
                               series->m_nFieldIndex < kFirstTimeUnitField && !series->m_bFinerThanChart;
            if (!plain)
                break;
            if (!m_pChartSource) {
                op.direct = true;
                op.start = -shift;
                break;
            }
            // Mapped by time: once locked, the input's record starting with the first chart
            // bar; consecutive when the bars of both start at the same times.
            op.direct = true;
            break;
        }
        default: break;
        }
    }
    if (m_pChartSource)
        locked.push_back(m_pChartSource->GetBaseSeries());
    CSeriesReadLocks locks(std::move(locked));
    if (m_pChartSource) {
        CPriceSeries& chart = *m_pChartSource->GetBaseSeries();
        for (size_t i = 0; i < m_items.size(); ++i)
            if (operands[i].direct) {
                const auto* series = static_cast<CFormulaSeriesItem*>(m_items[i].get());
                CPriceSeries& input = *series->m_pInput->GetBaseSeries();
                int at = 0;
                operands[i].direct = locks.FindSameStart(chart, first, input, at) &&
                                     locks.SameBarStarts(chart, first, input, at, count);
                operands[i].start = at - OffsetShift(mode, *series) - first;
            }
    }
    // The chart bar's start time, as Evaluate finds it, for the items read bar by bar.
    auto chartTimeOf = [&](int bar, DWORD& time) { return !m_pChartSource || m_pChartSource->GetBarTime(bar, 0, time); };
    // Zeroed: a block's values past its bars are computed but never read.
    std::vector<CFormulaColumn> stack(static_cast<size_t>(std::max(m_nStackDepth, 1)));
    BYTE barOk[kFormulaBlock];
    for (int b0 = 0; b0 < count; b0 += kFormulaBlock) {
        const int n = std::min(kFormulaBlock, count - b0);
        const int bar0 = first + b0;
        // A chart bar that is a record has its time; others are stepped to, or fail.
        if (!m_pChartSource || locks.AreRecords(*m_pChartSource->GetBaseSeries(), bar0, n)) {
            std::fill(barOk, barOk + n, BYTE{1});
        } else {
            for (int k = 0; k < n; ++k) {
                DWORD time = 0;
                barOk[k] = chartTimeOf(bar0 + k, time);
            }
        }
        int top = 0;
        bool failed = false;
        for (size_t i = 0; i < m_items.size() && !failed; ++i) {
            CFormulaItem* item = m_items[i].get();
            const Operand& op = operands[i];
            if (item->m_nKind == kItemOperator) {
                if (top < 2) {
                    failed = true;
                    break;
                }
                ApplyColumnOperator(static_cast<CFormulaOperatorItem*>(item)->m_nCode, stack[top - 2], stack[top - 1],
                                    n);
                --top;
                continue;
            }
            CFormulaColumn& col = stack[static_cast<size_t>(top++)];
            if (item->m_nKind != kItemSeriesField) {
                col.Fill(op.value, op.has, n);
                continue;
            }
            auto* series = static_cast<CFormulaSeriesItem*>(item);
            CStudySource* input = series->m_pInput;
            col.boolean = false;
            if (op.direct) {
                col.allOk = locks.ViewValues(*input->GetBaseSeries(), bar0 + op.start, n, series->m_nFieldIndex,
                                             col.v, col.ok, col.values);
                continue;
            }
            // Bar by bar, as Evaluate reads it.
            col.values = col.v;
            bool all = true;
            for (int k = 0; k < n; ++k) {
                const int bar = bar0 + k;
                DWORD chartTime = 0, chartEnd = 0;
                bool has = series->m_nFieldIndex >= 0 && chartTimeOf(bar, chartTime);
                if (has && series->m_bFinerThanChart)
                    m_pChartSource->GetBarTime(bar, 1, chartEnd);
                double value = 0;
                has = has && input->GetValue(InputIndex(mode, *series, bar, chartTime, chartEnd),
                                             series->m_nFieldIndex, value, flag);
                col.v[k] = value;
                col.ok[k] = has;
                all &= has;
            }
            col.allOk = all;
        }
        if (failed || top == 0)
            continue;
        const CFormulaColumn& result = stack[static_cast<size_t>(top - 1)];
        std::copy(result.values, result.values + n, results + b0);
        if (result.allOk)
            std::copy(barOk, barOk + n, valid + b0);
        else
            for (int k = 0; k < n; ++k)
                valid[b0 + k] = result.ok[k] & barOk[k];
    }
}

bool UpdateDepthItem(CMarketDepthHandle* handle, CFormulaDepthItem& item)
{
    if (!handle)
        return false;
    const CDepthReadScope scope(*handle);
    const int count = item.m_nSide == 0 ? handle->GetBidCount() : handle->GetAskCount();
    bool changed = false;
    for (int level = 0; level < count; ++level) {
        char id[9] = {};
        const bool text = item.m_nSide == 0 ? handle->GetBidText(level, 3, id, sizeof id)
                                            : handle->GetAskText(level, 3, id, sizeof id);
        if (!text || strcasecmp(id, item.m_selector) != 0)
            continue;
        DWORD raw = 0;
        const bool read = item.m_nSide == 0 ? handle->GetBidValue(level, item.m_nField, &raw)
                                            : handle->GetAskValue(level, item.m_nField, &raw);
        if (!read)
            continue;
        // The book answers prices as thousandths.
        const double value = item.m_nField == 1 ? static_cast<double>(raw) / 1000.0 : static_cast<double>(raw);
        if (item.m_bValid && item.m_value == value)
            continue;
        item.m_value = value;
        item.m_bValid = true;
        changed = true;
    }
    return changed;
}
