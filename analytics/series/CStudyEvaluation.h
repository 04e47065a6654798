// The study a study source evaluates itself, with the series it reads.
#pragma once

#include "platform/core/CString.h"

class CPriceSeries;

class CStudyEvaluation {
public:
    explicit CStudyEvaluation(int type);
    ~CStudyEvaluation();
    CStudyEvaluation(const CStudyEvaluation&) = delete;
    CStudyEvaluation& operator=(const CStudyEvaluation&) = delete;

    int m_nType;
    double m_params[5] = {0, 0, 0, 0, 0};
    CPriceSeries* m_pCompanion = nullptr;   // the finer series of the as-of bars
    CPriceSeries* m_pStudySeries = nullptr; // MACD, OBV, RSI: the full study key
    int m_nDisplacement = 0;
};
