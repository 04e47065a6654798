// How the grid matches a colour rule: the value compared with the threshold picks the
// first colour (text or box) and the second colour (a number column's background).
#pragma once

#include "common/services/CColorRuleSet.h"
#include "platform/core/CString.h"

#include <vector>

enum EColorComparison : int {
    kRuleLess = 0,
    kRuleGreater = 1,
    kRuleEqual = 2,
    kRuleLessEqual = 3,
    kRuleGreaterEqual = 4,
    kRuleNotEqual = 5,
    kRuleComparisonCount = 6
};



// "<", ">", "=", "<=", ">=", "<>"; "" outside 0..5.
const char* ColorRuleOperator(int comparison);
bool ColorRuleHolds(const CColorRule& rule, double value);
// The first rule that holds for the value, or null.
const CColorRule* FirstHoldingRule(const std::vector<CColorRule>& rules, double value);
// "%s %.2lf" of the comparison and the threshold.
CString ColorRuleText(const CColorRule& rule);
