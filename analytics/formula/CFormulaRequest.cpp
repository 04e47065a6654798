#include "analytics/formula/CFormulaRequest.h"

#include "analytics/formula/CCompiledFormula.h"
#include "analytics/series/CSeriesListener.h"

CFormulaRequest::CFormulaRequest() = default;

CFormulaRequest::~CFormulaRequest()
{
    if (m_pCompiled)
        m_pCompiled->ReleaseInputs();
}
