#include "views/ColorRule.h"

namespace {
const char* const kOperators[kRuleComparisonCount] = {"<", ">", "=", "<=", ">=", "<>"};
}

const char* ColorRuleOperator(int comparison)
{
    return comparison >= 0 && comparison < kRuleComparisonCount ? kOperators[comparison] : "";
}

bool ColorRuleHolds(const CColorRule& rule, double value)
{
    switch (rule.comparison) {
    case kRuleLess: return value < rule.threshold;
    case kRuleGreater: return value > rule.threshold;
    case kRuleEqual: return value == rule.threshold;
    case kRuleLessEqual: return value <= rule.threshold;
    case kRuleGreaterEqual: return value >= rule.threshold;
    case kRuleNotEqual: return value != rule.threshold;
    default: return false;
    }
}

const CColorRule* FirstHoldingRule(const std::vector<CColorRule>& rules, double value)
{
    for (const CColorRule& rule : rules)
        if (ColorRuleHolds(rule, value))
            return &rule;
    return nullptr;
}

CString ColorRuleText(const CColorRule& rule)
{
    CString text;
    text.Format("%s %.2lf", ColorRuleOperator(rule.comparison), rule.threshold);
    return text;
}
