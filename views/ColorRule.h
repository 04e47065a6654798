// A colour rule of a grid column: the value compared with a threshold picks the first
// colour (text or box) and the second colour (a number column's background).
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

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

struct CColorRule {
    int comparison = kRuleLess;
    double threshold = 0;
    COLORREF first = 0;
    COLORREF second = 0;

    bool operator==(const CColorRule&) const = default;
};

// "<", ">", "=", "<=", ">=", "<>"; "" outside 0..5.
const char* ColorRuleOperator(int comparison);
bool ColorRuleHolds(const CColorRule& rule, double value);
// The first rule that holds for the value, or null.
const CColorRule* FirstHoldingRule(const std::vector<CColorRule>& rules, double value);
// "%s %.2lf" of the comparison and the threshold.
CString ColorRuleText(const CColorRule& rule);
