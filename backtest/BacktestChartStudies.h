// The studies of a strategy's custom chart: one per distinct study call of its entry and
// exit formulas (entry first), then its equity curve.
#pragma once

#include "backtest/CStrategyDefinition.h"
#include "platform/core/CString.h"

#include <memory>
#include <vector>

class CFunctionCall;
class CStudyDefinition;

// What tells two calls apart: the function, for Bar, MA and EMA its output field, then
// every parameter but the last (the interval).
CString StudyCallKey(const CFunctionCall& call);
// hadInputs: the formulas read series at all (then the chart's studies are replaced).
std::vector<std::unique_ptr<CStudyDefinition>> MakeStrategyStudies(const CStrategyDefinition& strategy,
                                                                   bool& hadInputs);
