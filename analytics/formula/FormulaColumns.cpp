#include "analytics/formula/FormulaColumns.h"

#include "analytics/formula/CFormulaItem.h"
#include "analytics/formula/FormulaOperators.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Two lanes of doubles and the comparison masks they give (one SSE register on x86-64).
using v2d = double __attribute__((vector_size(16)));
using v2m = decltype(v2d{} < v2d{});

inline v2d Load(const double* p)
{
    v2d v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store(double* p, v2d v)
{
    std::memcpy(p, &v, sizeof v);
}

// 1.0 where the mask is set, else 0.0: bit operations, which every processor does in its
// vector registers (a select may be done lane by lane).
inline v2d OneWhere(v2m mask)
{
#ifdef __SSE2__
    // As an instruction: written as an operator, the compiler makes a lane-by-lane select.
    return reinterpret_cast<v2d>(_mm_and_pd(reinterpret_cast<__m128d>(mask), _mm_set1_pd(1.0)));
#else
    const v2m one = reinterpret_cast<v2m>(v2d{1.0, 1.0});
    return reinterpret_cast<v2d>(mask & one);
#endif
}

inline v2d Max(v2d a, v2d b)
{
#ifdef __SSE2__
    return reinterpret_cast<v2d>(_mm_max_pd(reinterpret_cast<__m128d>(a), reinterpret_cast<__m128d>(b)));
#else
    return v2d{std::max(a[0], b[0]), std::max(a[1], b[1])};
#endif
}

// The sign bit cleared.
inline v2d Abs(v2d v)
{
    const v2m magnitude = reinterpret_cast<v2m>(v2d{-0.0, -0.0});
    return reinterpret_cast<v2d>(reinterpret_cast<v2m>(v) & ~magnitude);
}

// The bars of `left` keep a result only where `right` has one too.
void CombineOk(CFormulaColumn& left, const CFormulaColumn& right, int n)
{
    if (right.allOk)
        return;
    if (left.allOk)
        std::memcpy(left.ok, right.ok, static_cast<size_t>(n));
    else
        for (int k = 0; k < n; ++k)
            left.ok[k] &= right.ok[k];
    left.allOk = false;
}



// The whole block is computed, two bars at a time; values past n are never read.
template <class Op>
void Arithmetic(CFormulaColumn& left, const CFormulaColumn& right, int n, Op op)
{
    const double* a = left.values;
    const double* b = right.values;
    if (n == kFormulaBlock) {
        for (int k = 0; k < kFormulaBlock; k += 2)
            Store(left.v + k, op(Load(a + k), Load(b + k)));
    } else {
        for (int k = 0; k < n; ++k)
            left.v[k] = op(v2d{a[k], 0}, v2d{b[k], 0})[0];
    }
    left.values = left.v;
    CombineOk(left, right, n);
    left.boolean = false;
}

template <class Op>
void Comparison(CFormulaColumn& left, const CFormulaColumn& right, int n, Op op)
{
    const double* a = left.values;
    const double* b = right.values;
    if (n == kFormulaBlock) {
        for (int k = 0; k < kFormulaBlock; k += 2)
            Store(left.v + k, OneWhere(op(Load(a + k), Load(b + k))));
    } else {
        for (int k = 0; k < n; ++k)
            left.v[k] = OneWhere(op(v2d{a[k], 0}, v2d{b[k], 0}))[0];
    }
    left.values = left.v;
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
        const bool has =
            (left.allOk || left.ok[k]) && ApplyFormulaOperator(code, left.values[k], right.values[k], value);
        left.v[k] = value;
        left.ok[k] = has;
        all &= has;
    }
    left.values = left.v;
    left.allOk = all;
    left.boolean = false;
}

} // namespace

void CFormulaColumn::Fill(double value, bool has, int n)
{
    std::fill(v, v + kFormulaBlock, value);
    values = v;
    std::fill(ok, ok + n, BYTE(has ? 1 : 0));
    allOk = has;
    boolean = value == 0.0 || value == 1.0;
}

void ApplyColumnOperator(int code, CFormulaColumn& left, const CFormulaColumn& right, int n)
{
    const v2d tol = {kFormulaTolerance, kFormulaTolerance};
    switch (code) {
    case kOpAdd: Arithmetic(left, right, n, [](v2d a, v2d b) { return a + b; }); return;
    case kOpSub: Arithmetic(left, right, n, [](v2d a, v2d b) { return a - b; }); return;
    case kOpMul: Arithmetic(left, right, n, [](v2d a, v2d b) { return a * b; }); return;
    case kOpDiv: {
        // No result where the divisor is 0.
        int zeros = 0;
        for (int k = 0; k < n; ++k)
            zeros += right.values[k] == 0.0;
        if (zeros) {
            General(code, left, right, n);
            return;
        }
        Arithmetic(left, right, n, [](v2d a, v2d b) { return a / b; });
        return;
    }
    case kOpLess: Comparison(left, right, n, [](v2d a, v2d b) { return a < b; }); return;
    case kOpGreater: Comparison(left, right, n, [](v2d a, v2d b) { return a > b; }); return;
    case kOpLessEqual: Comparison(left, right, n, [&](v2d a, v2d b) { return (a <= b) | (Abs(a - b) < tol); }); return;
    case kOpGreaterEqual:
        Comparison(left, right, n, [&](v2d a, v2d b) { return (a >= b) | (Abs(a - b) < tol); });
        return;
    case kOpEqual: Comparison(left, right, n, [&](v2d a, v2d b) { return Abs(a - b) < tol; }); return;
    case kOpNotEqual: Comparison(left, right, n, [&](v2d a, v2d b) { return Abs(a - b) >= tol; }); return;
    case kOpAnd:
    case kOpOr:
        // Values of 0 and 1 lie inside 32 bits: the bitwise operators reduce to these.
        // On 0 and 1, "and" is the product and "or" the larger.
        if (left.boolean && right.boolean) {
            if (code == kOpAnd)
                Arithmetic(left, right, n, [](v2d a, v2d b) { return a * b; });
            else
                Arithmetic(left, right, n, [](v2d a, v2d b) { return Max(a, b); });
            left.boolean = true;
            return;
        }
        General(code, left, right, n);
        return;
    default: General(code, left, right, n); return;
    }
}
