// Lanes of doubles for the computations that restart at every record: records side by
// side, one per lane, each lane doing exactly the operations of its record alone, so the
// results are the same bits whatever the width. The portable code uses two lanes per
// register (SSE2, every x86-64); the wide code four (AVX2, without fused multiply-add, so
// that no product is ever rounded differently), where the processor has them.
#pragma once

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QX_STUDY_WIDE 1
#define QX_STUDY_WIDE_TARGET __attribute__((target("avx2")))
#endif

// The lane helpers are always inlined into the code of one width: how a vector wider than
// the default registers would be passed to a call never matters.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace studies::lanes {

using v2d = double __attribute__((vector_size(16)));
using v4d = double __attribute__((vector_size(32)));

#define QX_LANE_INLINE [[gnu::always_inline]] inline
#define QX_LANE_INLINE_LAMBDA __attribute__((always_inline))

template <class V>
QX_LANE_INLINE V Load(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
QX_LANE_INLINE void Store(double* p, const V& v)
{
    std::memcpy(p, &v, sizeof v);
}

// What comparisons of lanes give: all ones or 0 in each.
template <class V>
using Mask = decltype(V{} < V{});

// Every lane x (x - 0 keeps the sign of a zero).
template <class V>
QX_LANE_INLINE V Splat(double x)
{
    return x - V{};
}

// a < b ? a : b and a > b ? a : b, lane by lane (one instruction each).
template <class V>
QX_LANE_INLINE V Min(const V& a, const V& b)
{
    return a < b ? a : b;
}

template <class V>
QX_LANE_INLINE V Max(const V& a, const V& b)
{
    return a > b ? a : b;
}

// v < 0 ? -v : v, lane by lane, as Max(-v, v): the same for zeros of either sign and NaN.
template <class V>
QX_LANE_INLINE V Abs(const V& v)
{
    return Max(-v, v);
}

template <class V>
constexpr int kLaneCount = static_cast<int>(sizeof(V) / sizeof(double));

// Whether this processor runs the wide code.
inline bool WideCodeRuns()
{
#ifdef QX_STUDY_WIDE
    static const bool runs = __builtin_cpu_supports("avx2");
    return runs;
#else
    return false;
#endif
}

} // namespace studies::lanes
