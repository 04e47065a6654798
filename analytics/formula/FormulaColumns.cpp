#include "analytics/formula/FormulaColumns.h"

#include "analytics/formula/CFormulaItem.h"
#include "analytics/formula/FormulaOperators.h"

#include <algorithm>
#include <cmath>

namespace {

// The bars of `left` keep a result only where `right` has one too.
void CombineOk(CFormulaColumn& left, const CFormulaColumn& right, int n)
{
    if (right.allOk)
        return;
    for (int k = 0; k < n; ++k)
        left.ok[k] &= right.ok[k];
    left.allOk = false;
}

template <class Op>
void Arithmetic(CFormulaColumn& left, const CFormulaColumn& right, int n, Op op)
{
    double* __restrict v = left.v;
    const double* __restrict r = right.v;
    for (int k = 0; k < n; ++k)
        v[k] = op(v[k], r[k]);
    CombineOk(left, right, n);
    left.boolean = false;
}

template <class Op>
void Comparison(CFormulaColumn& left, const CFormulaColumn& right, int n, Op op)
{
    double* __restrict v = left.v;
    const double* __restrict r = right.v;
    for (int k = 0; k < n; ++k)
        v[k] = op(v[k], r[k]) ? 1.0 : 0.0;
    CombineOk(left, right, n);
    left.boolean = true;
}

// Any operator, bar by bar, through ApplyFormulaOperator.
void General(int code, CFormulaColumn& left, const CFormulaColumn& right, int n)
{
    CombineOk(left, right, n);
    bool all = true;
    for (int k = 0; k < n; ++k) {
        double value = 0;
        const bool has = left.ok[k] && ApplyFormulaOperator(code, left.v[k], right.v[k], value);
        left.v[k] = value;
        left.ok[k] = has;
        all &= has;
    }
    left.allOk = all;
    left.boolean = false;
}

} // namespace

void CFormulaColumn::Fill(double value, bool has, int n)
{
    std::fill(v, v + n, value);
    std::fill(ok, ok + n, BYTE(has ? 1 : 0));
    allOk = has;
    boolean = value == 0.0 || value == 1.0;
}

void ApplyColumnOperator(int code, CFormulaColumn& left, const CFormulaColumn& right, int n)
{
    constexpr double tol = kFormulaTolerance;
    switch (code) {
    case kOpAdd: Arithmetic(left, right, n, [](double a, double b) { return a + b; }); return;
    case kOpSub: Arithmetic(left, right, n, [](double a, double b) { return a - b; }); return;
    case kOpMul: Arithmetic(left, right, n, [](double a, double b) { return a * b; }); return;
    case kOpDiv: {
        // No result where the divisor is 0.
        bool zero = false;
        for (int k = 0; k < n; ++k)
            zero |= right.v[k] == 0.0;
        if (zero) {
            General(code, left, right, n);
            return;
        }
        Arithmetic(left, right, n, [](double a, double b) { return a / b; });
        return;
    }
    case kOpLess: Comparison(left, right, n, [](double a, double b) { return a < b; }); return;
    case kOpGreater: Comparison(left, right, n, [](double a, double b) { return a > b; }); return;
    case kOpLessEqual:
        Comparison(left, right, n, [](double a, double b) { return (a <= b) | (std::fabs(a - b) < tol); });
        return;
    case kOpGreaterEqual:
        Comparison(left, right, n, [](double a, double b) { return (a >= b) | (std::fabs(a - b) < tol); });
        return;
    case kOpEqual: Comparison(left, right, n, [](double a, double b) { return std::fabs(a - b) < tol; }); return;
    case kOpNotEqual:
        Comparison(left, right, n, [](double a, double b) { return std::fabs(a - b) >= tol; });
        return;
    case kOpAnd:
    case kOpOr:
        // Values of 0 and 1 lie inside 32 bits: the bitwise operators reduce to these.
        if (left.boolean && right.boolean) {
            if (code == kOpAnd)
                Comparison(left, right, n, [](double a, double b) { return (a != 0.0) & (b != 0.0); });
            else
                Comparison(left, right, n, [](double a, double b) { return (a != 0.0) | (b != 0.0); });
            return;
        }
        General(code, left, right, n);
        return;
    default: General(code, left, right, n); return;
    }
}
