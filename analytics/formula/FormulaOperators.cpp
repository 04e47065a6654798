#include "analytics/formula/FormulaOperators.h"

#include "analytics/formula/CFormulaItem.h"

#include <cmath>
#include <cstdint>

namespace {

// Truncates toward zero to a 32-bit integer; false outside the range.
bool ToInt32(double value, int64_t& out)
{
    const double t = std::trunc(value);
    if (!(t >= -2147483648.0 && t <= 2147483647.0))
        return false;
    out = static_cast<int64_t>(t);
    return true;
}

} // namespace

bool ApplyFormulaOperator(int code, double left, double right, double& result)
{
    int64_t a = 0, b = 0;
    switch (code) {
    case kOpAdd: result = left + right; return true;
    case kOpSub: result = left - right; return true;
    case kOpMul: result = left * right; return true;
    case kOpDiv:
        if (right == 0)
            return false;
        result = left / right;
        return true;
    case kOpMod:
        if (!ToInt32(left, a) || !ToInt32(right, b) || b == 0)
            return false;
        result = static_cast<double>(a % b); // 64-bit: the smallest integer % -1 is 0
        return true;
    case kOpPow: result = std::pow(left, right); return true;
    case kOpLess: result = left < right ? 1 : 0; return true;
    case kOpLessEqual: result = (left <= right || std::fabs(left - right) < kFormulaTolerance) ? 1 : 0; return true;
    case kOpNotEqual: result = std::fabs(left - right) >= kFormulaTolerance ? 1 : 0; return true;
    case kOpEqual: result = std::fabs(left - right) < kFormulaTolerance ? 1 : 0; return true;
    case kOpGreater: result = left > right ? 1 : 0; return true;
    case kOpGreaterEqual:
        result = (left >= right || std::fabs(left - right) < kFormulaTolerance) ? 1 : 0;
        return true;
    case kOpAnd:
        if (!ToInt32(left, a) || !ToInt32(right, b))
            return false;
        result = static_cast<double>(static_cast<int32_t>(a) & static_cast<int32_t>(b));
        return true;
    case kOpOr:
        if (!ToInt32(left, a) || !ToInt32(right, b))
            return false;
        result = static_cast<double>(static_cast<int32_t>(a) | static_cast<int32_t>(b));
        return true;
    default: return false;
    }
}
