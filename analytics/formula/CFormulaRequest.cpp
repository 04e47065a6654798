#include "analytics/formula/CFormulaRequest.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CSeriesListener.h"

CFormulaRequest::CFormulaRequest() = default;

CFormulaRequest::~CFormulaRequest()
{
    if (m_pCompiled)
        m_pCompiled->ReleaseInputs();
}

CString SeriesKeySuffix(const CFormulaRequest& request)
{
    CString suffix;
    if (request.m_bExtended)
        suffix += ":255";
    if (request.m_endTime != 0 && request.m_nMode == 3)
        suffix.AppendFormat("&EndETime=%lu", static_cast<unsigned long>(request.m_endTime));
    return suffix;
}

CString ChartSourceKey(const CFormulaRequest& request)
{
    CString key;
    key.Format("%s,%s", request.m_symbol.GetString(), request.m_interval.GetString());
    return key + SeriesKeySuffix(request);
}

std::string ShareRequestText(const CFormulaRequest& request)
{
    CString text;
    text.Format("%d|%s|%d|%lu|%s|%d|%d|%d|", request.m_nMode, request.m_symbol.GetString(), request.m_nBarCount,
                static_cast<unsigned long>(request.m_endTime), request.m_interval.GetString(), request.m_bExtended,
                request.m_nSourceOption, request.m_bNoChartSource);
    return text.str();
}
