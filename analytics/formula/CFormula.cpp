#include "analytics/formula/CFormula.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/formula/CFormulaEngine.h"
#include "analytics/formula/CFormulaInputShare.h"
#include "analytics/formula/CFormulaRequest.h"
#include "analytics/formula/FormulaNames.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/CStudySource.h"

#include <algorithm>

CFormula::CFormula(const char* text, int mode, int barCount, DWORD endTime)
    : m_pOwned(std::make_unique<CCompiledFormula>()), m_text(text ? text : ""), m_nMode(mode),
      m_nBarCount(std::clamp(barCount, 0, CPriceSeries::kMaxRecords - kMaxFormulaBarOffset)), m_endTime(endTime)
{
    m_pCompiled = m_pOwned.get();
}

CFormula::~CFormula()
{
    m_pCompiled->Release();
    m_pCompiled->Disown();
    if (m_pEngine)
        m_pEngine->WakeCleanup();
}

bool CFormula::Parse(CString& error)
{
    if (m_bParsed)
        return true;
    if (!m_pOwned) {
        error = "The formula is already subscribed";
        return false;
    }
    m_pOwned->ReleaseInputs();
    if (!CompileFormulaText(m_text, m_pOwned->m_items, error))
        return false;
    // Deepest operand stack the items need.
    int depth = 0, deepest = 0;
    for (const auto& item : m_pOwned->m_items) {
        depth += item->m_nKind == kItemOperator ? -1 : 1;
        deepest = std::max(deepest, depth);
    }
    m_pOwned->m_nStackDepth = deepest;
    m_bParsed = true;
    return true;
}

bool CFormula::ShareInputs(std::shared_ptr<CFormulaInputShare> share)
{
    if ((m_nMode != 3 && m_nMode != 4) || !m_pOwned)
        return false;
    m_pShare = std::move(share);
    return true;
}

void CFormula::FillRequest(CFormulaRequest& request, const char* symbol, int extendedSession, const char* interval,
                           int sourceOption, int noChartSource) const
{
    request.m_nMode = m_nMode;
    request.m_symbol = symbol ? symbol : "";
    request.m_symbol.MakeUpper();
    request.m_nBarCount = m_nBarCount;
    request.m_endTime = m_endTime;
    request.m_interval = interval ? interval : "";
    request.m_bExtended = extendedSession;
    request.m_nSourceOption = sourceOption;
    request.m_bNoChartSource = noChartSource;
    request.m_pShare = m_pShare;
}

bool CFormula::ShareChartSource(const std::shared_ptr<CStudySource>& source, const char* key, const char* symbol,
                                int extendedSession, const char* interval, int sourceOption, int noChartSource)
{
    if (m_nMode != 3 || !m_pShare || !m_pOwned || !source || !source->GetBaseSeries() || !key)
        return false;
    CFormulaRequest request;
    FillRequest(request, symbol, extendedSession, interval, sourceOption, noChartSource);
    // A source option gives the chart source a companion the caller's lacks.
    if (request.m_interval.IsEmpty() || request.m_bNoChartSource || request.m_nSourceOption != 0 ||
        ChartSourceKey(request) != CString(key))
        return false;
    m_pShare->Keep(ShareRequestText(request) + "chart", source);
    return true;
}

bool CFormula::Subscribe(const char* symbol, int extendedSession, CFormulaOwner* owner,
                         std::unique_ptr<CSeriesListener> callback, const char* interval, int sourceOption,
                         int noChartSource)
{
    CFormulaEngine* engine = CFormulaEngine::Instance();
    if (!m_bParsed || !m_pOwned || !engine)
        return false;
    auto request = std::make_unique<CFormulaRequest>();
    FillRequest(*request, symbol, extendedSession, interval, sourceOption, noChartSource);
    request->m_pOwner = owner;
    request->m_pCallback = std::move(callback);
    request->m_pCompiled = std::move(m_pOwned);
    m_pEngine = engine;
    engine->AddRequest(std::move(request));
    return true;
}

bool CFormula::Evaluate(double* result, int bar, int flag)
{
    return m_pCompiled->Evaluate(m_nMode, result, bar, flag);
}

bool CFormula::EvaluateAsOf(double* result, int bar, DWORD feedTime)
{
    return m_pCompiled->EvaluateAsOf(m_nMode, result, bar, feedTime);
}

void CFormula::EvaluateRange(int first, int count, int flag, double* results, BYTE* valid)
{
    m_pCompiled->EvaluateRange(m_nMode, first, count, flag, results, valid);
}

int CFormula::SetNumTriggered(int n)
{
    return m_pCompiled->SetTimeValue(kTradeNumTriggered, n) ? 0 : 1;
}

bool CFormula::SetTradeValue(double value, int index)
{
    return index >= kTradeEntryPrice && index <= kTradeEntryTime && m_pCompiled->SetTimeValue(index, value);
}

void CFormula::GetSeriesInputs(std::vector<CFormulaSeriesItem*>& items) const
{
    items.clear();
    for (const auto& item : m_pCompiled->m_items)
        if (item->m_nKind == kItemSeriesField)
            items.push_back(static_cast<CFormulaSeriesItem*>(item.get()));
}

void CFormula::AddBars(int n)
{
    m_pCompiled->AddBars(n);
}

bool CFormula::GetBarTime(int bar, int flag, DWORD& time) const
{
    return m_pCompiled->GetBarTime(bar, flag, time, m_nMode);
}

bool CFormula::IsWaitingForData() const
{
    if (!m_bParsed)
        return false; // nothing will ever arrive for it
    if (m_pOwned)
        return true; // not subscribed yet
    return m_pCompiled->IsWaitingForData();
}

int CFormula::GetDataResets() const
{
    return m_bParsed && !m_pOwned ? m_pCompiled->GetDataResets() : 0;
}

bool CFormula::HasFailed(CString* message) const
{
    if (m_pCompiled->GetState() != kInputsFailed)
        return false;
    if (message)
        *message = m_pCompiled->GetFailure();
    return true;
}

bool CFormula::IsResolved() const
{
    return m_pCompiled->IsCompiled();
}
