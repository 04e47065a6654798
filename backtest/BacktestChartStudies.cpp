#include "backtest/BacktestChartStudies.h"

#include "analytics/formula/CFormula.h"
#include "analytics/formula/CFunctionCall.h"
#include "studies/CStudyDefinition.h"
#include "studies/StudyFactory.h"

#include <set>
#include <string>

CString StudyCallKey(const CFunctionCall& call)
{
    CString key = call.m_function;
    if (call.m_function == "Bar" || call.m_function == "MA" || call.m_function == "EMA")
        key += "," + call.m_output;
    for (size_t i = 0; i + 1 < call.m_params.size(); ++i)
        key += "," + call.m_params[i];
    return key;
}

std::vector<std::unique_ptr<CStudyDefinition>> MakeStrategyStudies(const CStrategyDefinition& strategy,
                                                                   bool& hadInputs)
{
    std::vector<std::unique_ptr<CStudyDefinition>> studies;
    std::set<std::string> keys;
    hadInputs = false;
    for (const CString& text : {strategy.m_entryExpression, strategy.m_exitExpression}) {
        CFormula formula(text, 3, 1, 0);
        CString error;
        if (!formula.Parse(error))
            continue;
        std::vector<CFormulaSeriesItem*> inputs;
        formula.GetSeriesInputs(inputs);
        for (const CFormulaSeriesItem* item : inputs) {
            hadInputs = true;
            const CFunctionCall& call = *item->m_pCall;
            if (!keys.insert(StudyCallKey(call).str()).second)
                continue;
            CStringArray args;
            for (const CString& p : call.m_params)
                args.Add(p);
            if (auto study = CreateStudyFromCall(call.m_function, call.m_output, &args))
                studies.push_back(std::move(study));
        }
    }
    if (auto equity = CreateStudyFromCall("EQTY", "EQTY", nullptr))
        studies.push_back(std::move(equity));
    return studies;
}
