// A request to resolve the inputs of one subscribed formula; owned by the formula engine.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <string>

class CCompiledFormula;
class CFormulaInputShare;
class CFormulaOwner;
class CSeriesListener;

class CFormulaRequest {
public:
    CFormulaRequest();
    ~CFormulaRequest();
    CFormulaRequest(const CFormulaRequest&) = delete;
    CFormulaRequest& operator=(const CFormulaRequest&) = delete;

    CFormulaOwner* m_pOwner = nullptr;
    std::unique_ptr<CSeriesListener> m_pCallback;
    int m_nMode = 0;
    std::unique_ptr<CCompiledFormula> m_pCompiled;
    CString m_symbol;
    int m_nBarCount = 1;
    DWORD m_endTime = 0;
    CString m_interval;
    int m_bExtended = 0;
    int m_nSourceOption = 0;
    int m_bNoChartSource = 0;
    std::shared_ptr<CFormulaInputShare> m_pShare; // none: inputs of its own
};

// The key suffix of the request's series: the extended session, and a strategy's end time.
CString SeriesKeySuffix(const CFormulaRequest& request);
// The key of the series that maps the request's formula bars to times.
CString ChartSourceKey(const CFormulaRequest& request);
// Requests with the same text read the same inputs (see CFormulaInputShare).
std::string ShareRequestText(const CFormulaRequest& request);
