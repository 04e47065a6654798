// The SAR of position q is the end of a walk that starts at max(q - 149, lowest) and steps
// through every position up to q. Walks that reach the same state at a position go on alike
// from there, so one sweep over the positions carries one state ("lane") per set of walks
// that coincide: a new walk joins as a lane of its own, a lane that comes to equal another is
// folded into it, and a walk's value is its lane's SAR at the walk's last position. Every
// value is computed by the same operations as the walk's own, so all of them are exact.
//
// A lane's state is kept with the sign of its trend: SAR and extreme point as they are when
// rising, negated when falling (g all ones). A falling trend then reads like a rising one
// over negated prices (-High in the place of Low, -Low in the place of High), with the same
// result bit for bit, since rounding to nearest is symmetric in sign.
#include "analytics/studies/ParabolicSar.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

// The portable code is built twice: for every processor, and in the three-operand encoding
// where the processor has it (fewer instructions for the same operations; fused multiply-add
// stays off, so the bits are the same). Each build inlines the whole of it.
#define QX_SAR_INLINE inline __attribute__((always_inline))

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QX_SAR_WIDE 1
#define QX_SAR_WIDE_TARGET __attribute__((target("avx512f,avx512cd,bmi2")))
#define QX_SAR_VEX 1
#define QX_SAR_VEX_TARGET __attribute__((target("avx")))
#endif

namespace studies {

namespace {

// The walk of position q starts at max(q - kBack, lowest).
constexpr int kBack = 149;
// A walk ends kLife positions after the position at which it joins the sweep.
constexpr int kLife = kBack - 1;
// Ranges of at most this many positions walk each position on its own.
constexpr int kFewPositions = 4;
// More lanes than walks alive at once (149), and room for whole vectors past the last.
constexpr int kLaneCap = 176;
// The portable code folds equal lanes every kFoldEvery positions.
constexpr int kFoldEvery = 8;
// The wide code holds 16 lanes and takes over from the portable code at this many.
constexpr int kWideLanes = 16;
constexpr int kWideEnter = 12;

struct SarSteps {
    double first, increment, most;
};

// One walk from position s to position q, as the definition reads.
double WalkSar(const double* h, const double* l, const double* c, int s, int q, const SarSteps& p)
{
    bool rising = c[s + 1] >= c[s];
    const double low = std::min(l[s], l[s + 1]), high = std::max(h[s], h[s + 1]);
    double sar = rising ? low : high, ep = rising ? high : low, step = p.first;
    for (int i = s + 2; i <= q; ++i) {
        if (rising) {
            if (l[i] <= sar) {
                sar = ep;
                ep = l[i];
                step = p.first;
                rising = false;
                continue;
            }
            if (h[i] > ep) {
                ep = h[i];
                step = std::min(step + p.increment, p.most);
            }
            sar += step * (ep - sar);
            sar = std::min(sar, std::min(l[i], l[i - 1]));
        } else {
            if (h[i] >= sar) {
                sar = ep;
                ep = h[i];
                step = p.first;
                rising = true;
                continue;
            }
            if (l[i] < ep) {
                ep = l[i];
                step = std::min(step + p.increment, p.most);
            }
            sar += step * (ep - sar);
            sar = std::max(sar, std::max(h[i], h[i - 1]));
        }
    }
    return sar;
}

// The lanes, one array per field. Walk q is bit q & 63 of word (q & 255) >> 6 of its lane's
// walks (at most 149 walks are alive, all within 256 positions). The portable code keeps a
// lane's four words side by side (`held`), the wide code each word's lanes side by side
// (`walks`); the words change hands with the lanes.
struct SarLanes {
    alignas(64) double x[kLaneCap];
    alignas(64) double e[kLaneCap];
    alignas(64) double s[kLaneCap];
    alignas(64) int64_t g[kLaneCap];
    alignas(64) uint64_t walks[4][kLaneCap];
    alignas(64) uint64_t held[kLaneCap][4];
    // For folding: the lowest lane of each bucket of keys.
    uint8_t owner[256];
    static_assert(kLaneCap <= 256);
};

inline int WalkWord(int q)
{
    return (q & 255) >> 6;
}

inline uint64_t WalkBit(int q)
{
    return uint64_t{1} << (q & 63);
}

inline uint64_t Bits(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

inline double FromBits(uint64_t b)
{
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

struct SarSweep {
    const double* h;
    const double* l;
    const double* c;
    SarSteps p;
    int q0, to;
    double* out;
    SarLanes* lanes;
    int n = 0;    // lanes in use
    int hint = 0; // the lane that held the walk that ended last
    SarCounts* counts;

    // The signed state after positions s and s + 1.
    void Start(int s, double& x, double& e, int64_t& g) const
    {
        // Without branches: the trend is a coin toss.
        const uint64_t falling = uint64_t{0} - static_cast<uint64_t>(!(c[s + 1] >= c[s]));
        const double low = std::min(l[s], l[s + 1]), high = std::max(h[s], h[s + 1]);
        const uint64_t bl = Bits(low), bh = Bits(high), sign = Bits(-0.0);
        x = FromBits(bl ^ (falling & (bl ^ bh ^ sign)));
        e = FromBits(bh ^ (falling & (bl ^ bh ^ sign)));
        g = static_cast<int64_t>(falling);
    }
};

// ---------------------------------------------------------------- portable code

using v2d = double __attribute__((vector_size(16)));
using v2i = long long __attribute__((vector_size(16)));

inline v2d Load2(const double* p)
{
    v2d v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store2(double* p, v2d v)
{
    std::memcpy(p, &v, sizeof v);
}

inline v2i Load2i(const int64_t* p)
{
    v2i v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void Store2i(int64_t* p, v2i v)
{
    std::memcpy(p, &v, sizeof v);
}

inline v2i AsInt(v2d v)
{
    return std::bit_cast<v2i>(v);
}

inline v2d AsDouble(v2i v)
{
    return std::bit_cast<v2d>(v);
}

inline v2i Splat(double v)
{
    return AsInt(v2d{v, v});
}

// m ? a : b, lane by lane.
inline v2d Pick(v2i m, v2d a, v2d b)
{
    return AsDouble((m & AsInt(a)) | (~m & AsInt(b)));
}

// Steps the lanes through position i. With kBounded the step never exceeds `most` (the first
// one does not), so a lane's step is min(most, step + increment on a new extreme).
template <bool kBounded>
QX_SAR_INLINE void StepPortable(SarSweep& w, int i)
{
    SarLanes& L = *w.lanes;
    const double li = w.l[i], hi = w.h[i];
    const double cl = std::min(li, w.l[i - 1]), ch = std::max(hi, w.h[i - 1]);
    // Rising lanes read Low, High and cl, falling ones -High, -Low and -ch: x ^ (g & d)
    // picks the second when g is all ones.
    const v2i aR = Splat(li), aD = aR ^ Splat(-hi);
    const v2i fR = Splat(hi), fD = fR ^ Splat(-li);
    const v2i cR = Splat(cl), cD = cR ^ Splat(-ch);
    const v2d first = {w.p.first, w.p.first}, inc = {w.p.increment, w.p.increment}, most = {w.p.most, w.p.most};
    const v2i sign = Splat(-0.0);
    for (int j = 0; j < w.n; j += 2) {
        const v2d x = Load2(L.x + j), e = Load2(L.e + j), s = Load2(L.s + j);
        const v2i g = Load2i(L.g + j);
        const v2d a = AsDouble(aR ^ (g & aD)), f = AsDouble(fR ^ (g & fD)), clamp = AsDouble(cR ^ (g & cD));
        const v2i reverse = a <= x;
        // The choices that are a minimum or a maximum take one instruction each.
        const v2d e1 = f > e ? f : e;
        const v2i extreme = e1 > e;
        v2d s1;
        if constexpr (kBounded) {
            const v2d raised = s + AsDouble(extreme & AsInt(inc)); // s + 0 is s
            s1 = most < raised ? most : raised;
        } else {
            const v2d raised = s + inc;
            s1 = Pick(extreme, most < raised ? most : raised, s);
        }
        const v2d u = x + s1 * (e1 - x);
        const v2d x1 = clamp < u ? clamp : u;
        Store2(L.x + j, Pick(reverse, AsDouble(AsInt(e) ^ sign), x1));
        Store2(L.e + j, Pick(reverse, AsDouble(AsInt(a) ^ sign), e1));
        Store2(L.s + j, Pick(reverse, first, s1));
        Store2i(L.g + j, g ^ reverse);
    }
}

// Lanes that are equal have equal keys; most that are not differ in them. Lanes clamped at
// the same price share their SAR, so the key mixes in the extreme and the step.
inline uint64_t LaneKey(const SarLanes& L, int j)
{
    return Bits(L.x[j]) ^ (Bits(L.e[j]) * 0xC2B2AE3D27D4EB4Full) ^ Bits(L.s[j]);
}

// Equal bits, not equal values: 0 and -0 may go on to different results.
inline bool SameState(const SarLanes& L, int a, int b)
{
    return ((Bits(L.x[a]) ^ Bits(L.x[b])) | (Bits(L.e[a]) ^ Bits(L.e[b])) | (Bits(L.s[a]) ^ Bits(L.s[b])) |
            static_cast<uint64_t>(L.g[a] ^ L.g[b])) == 0;
}

// The walks of a lane added to those of another, two words at a time.
QX_SAR_INLINE void AddWalks(uint64_t* to, const uint64_t* from)
{
    for (int word = 0; word < 4; word += 2) {
        v2i a, b;
        std::memcpy(&a, to + word, sizeof a);
        std::memcpy(&b, from + word, sizeof b);
        a |= b;
        std::memcpy(to + word, &a, sizeof a);
    }
}

// Moves the last lane into lane d.
QX_SAR_INLINE void DropLane(SarSweep& w, int d)
{
    SarLanes& L = *w.lanes;
    const int k = --w.n;
    L.x[d] = L.x[k];
    L.e[d] = L.e[k];
    L.s[d] = L.s[k];
    L.g[d] = L.g[k];
    std::memcpy(L.held[d], L.held[k], sizeof L.held[d]);
    if (w.hint == k)
        w.hint = d;
}

// Starts walk i + kLife, whose state after position i is the start at i - 1, in a lane of
// its own.
QX_SAR_INLINE void BeginWalk(SarSweep& w, int i)
{
    SarLanes& L = *w.lanes;
    const int q = i + kLife, j = w.n++;
    w.Start(i - 1, L.x[j], L.e[j], L.g[j]);
    L.s[j] = w.p.first;
    std::memset(L.held[j], 0, sizeof L.held[j]);
    L.held[j][WalkWord(q)] = WalkBit(q);
}

// Ends walk q: its value is its lane's SAR.
QX_SAR_INLINE void EndWalk(SarSweep& w, int q)
{
    SarLanes& L = *w.lanes;
    const int word = WalkWord(q);
    const uint64_t bit = WalkBit(q);
    int a = w.hint;
    if (a >= w.n || !(L.held[a][word] & bit))
        for (a = 0; a < w.n - 1 && !(L.held[a][word] & bit); ++a) {
        }
    w.hint = a;
    w.out[q] = FromBits(Bits(L.x[a]) ^ (static_cast<uint64_t>(L.g[a]) & Bits(-0.0)));
    L.held[a][word] &= ~bit;
    if (!(L.held[a][0] | L.held[a][1] | L.held[a][2] | L.held[a][3]))
        DropLane(w, a);
}

// Folds each lane that equals a lower one into it. Lanes that came to be equal since the
// last fold have moved on alike, so folding now and then finds them. Lanes are put in buckets
// by their keys, and each is checked against the lowest lane of its bucket: one whose equal
// is not the lowest (keys of different states that share a bucket) only costs work until a
// later fold. No pass reads what the same pass writes, and none takes a branch on the
// buckets; the few lanes named are checked and folded after.
QX_SAR_INLINE void FoldAllPortable(SarSweep& w)
{
    SarLanes& L = *w.lanes;
    uint8_t bucket[kLaneCap];
    for (int j = 0; j < w.n; ++j)
        bucket[j] = static_cast<uint8_t>((LaneKey(L, j) * 0x9E3779B97F4A7C15ull) >> 56);
    // From the top down, so that the lowest lane of a bucket writes last.
    for (int j = w.n - 1; j >= 0; --j)
        L.owner[bucket[j]] = static_cast<uint8_t>(j);
    int folded[kLaneCap], into[kLaneCap], m = 0;
    for (int j = 0; j < w.n; ++j) {
        const int o = L.owner[bucket[j]];
        folded[m] = j;
        into[m] = o;
        m += o != j;
    }
    // From the last down: the last lane, moved into a folded one's place, is neither folded
    // nor folded into by the lanes still to come (all below it); a bucket's lowest lane,
    // which the others fold into, never folds itself.
    for (int k = m - 1; k >= 0; --k)
        if (SameState(L, into[k], folded[k])) {
            AddWalks(L.held[into[k]], L.held[folded[k]]);
            DropLane(w, folded[k]);
        }
}

// Position i after its step: a new walk, folds now and then, the walk that ends.
QX_SAR_INLINE void FinishPosition(SarSweep& w, int i)
{
    if (i + kLife < w.to)
        BeginWalk(w, i);
    if (i % kFoldEvery == 0)
        FoldAllPortable(w);
    if (i >= w.q0)
        EndWalk(w, i);
    if (w.counts)
        w.counts->mostLanes = std::max(w.counts->mostLanes, w.n);
}

// Runs positions from i on in the portable code, up to `to` or, with untilFew, until the lanes
// are few enough for the wide code. Returns the position reached.
QX_SAR_INLINE int RunPortable(SarSweep& sweep, int i, bool untilFew)
{
    SarSweep w = sweep; // a local copy keeps the counters in registers
    const bool bounded = w.p.first <= w.p.most && !std::signbit(w.p.first);
    for (; i < w.to && !(untilFew && w.n <= kWideEnter); ++i) {
        if (bounded)
            StepPortable<true>(w, i);
        else
            StepPortable<false>(w, i);
        FinishPosition(w, i);
    }
    sweep = w;
    return i;
}

int RunPortableBaseline(SarSweep& w, int i, bool untilFew)
{
    return RunPortable(w, i, untilFew);
}

#ifdef QX_SAR_VEX
QX_SAR_VEX_TARGET int RunPortableVex(SarSweep& w, int i, bool untilFew)
{
    const int from = i;
    i = RunPortable(w, i, untilFew);
    if (w.counts)
        w.counts->vexRecords += i - from;
    return i;
}

bool VexCodeRuns()
{
    static const bool runs = __builtin_cpu_supports("avx");
    return runs;
}
#else
bool VexCodeRuns()
{
    return false;
}
#endif

// The build of the portable code a computation runs.
auto PortableRun(KernelCode code)
{
#ifdef QX_SAR_VEX
    if (code != KernelCode::kBaseline && VexCodeRuns())
        return RunPortableVex;
#endif
    return RunPortableBaseline;
}

// The lanes' walks from the portable code's words to the wide code's, and back.
void ToWideWalks(SarSweep& w)
{
    SarLanes& L = *w.lanes;
    for (int j = 0; j < w.n; ++j)
        for (int word = 0; word < 4; ++word)
            L.walks[word][j] = L.held[j][word];
}

void FromWideWalks(SarSweep& w)
{
    SarLanes& L = *w.lanes;
    for (int j = 0; j < w.n; ++j)
        for (int word = 0; word < 4; ++word)
            L.held[j][word] = L.walks[word][j];
}

// ---------------------------------------------------------------- wide code

#ifdef QX_SAR_WIDE

// The intrinsics leave parts of their results undefined on purpose.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

bool WideCodeRuns()
{
    static const bool runs = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512cd") &&
                             __builtin_cpu_supports("bmi2");
    return runs;
}

// The sums and products are written with explicit rounding so that no compiler fuses them.
constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;

// One step of 8 lanes, as StepPortable. Returns the lanes that reversed.
QX_SAR_WIDE_TARGET inline __mmask8 StepWide(__m512d& x, __m512d& e, __m512d& s, __mmask8 g, const __m512d* r,
                                            __m512d first, __m512d inc, __m512d most)
{
    // r: Low, -High, High, -Low, cl, -ch.
    const __m512i sign = _mm512_set1_epi64(static_cast<long long>(Bits(-0.0)));
    const __m512d a = _mm512_mask_blend_pd(g, r[0], r[1]);
    const __m512d f = _mm512_mask_blend_pd(g, r[2], r[3]);
    const __m512d clamp = _mm512_mask_blend_pd(g, r[4], r[5]);
    const __mmask8 reverse = _mm512_cmp_pd_mask(a, x, _CMP_LE_OQ);
    const __mmask8 extreme = _mm512_cmp_pd_mask(e, f, _CMP_LT_OQ);
    const __m512d e1 = _mm512_max_pd(f, e); // f > e ? f : e
    __m512d s1 = _mm512_mask_add_round_pd(s, extreme, s, inc, kNearest);
    s1 = _mm512_mask_min_pd(s, extreme, most, s1); // most < s1 ? most : s1
    const __m512d d = _mm512_sub_round_pd(e1, x, kNearest);
    const __m512d u = _mm512_add_round_pd(x, _mm512_mul_round_pd(s1, d, kNearest), kNearest);
    const __m512d x1 = _mm512_min_pd(clamp, u); // clamp < u ? clamp : u
    x = _mm512_mask_blend_pd(reverse, x1, _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(e), sign)));
    e = _mm512_mask_blend_pd(reverse, e1, _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(a), sign)));
    s = _mm512_mask_blend_pd(reverse, s1, first);
    return reverse;
}

// Lane j of the 16 lanes in a0 (0..7) and a1 (8..15), in every element.
QX_SAR_WIDE_TARGET inline __m512d LaneOf(__m512d a0, __m512d a1, int j)
{
    return _mm512_permutex2var_pd(a0, _mm512_set1_epi64(j), a1);
}

// Reorders 16 lanes by the lane numbers in lo (new lanes 0..7) and hi (8..15).
QX_SAR_WIDE_TARGET inline void Reorder(__m512d& a0, __m512d& a1, __m512i lo, __m512i hi)
{
    const __m512d b0 = _mm512_permutex2var_pd(a0, lo, a1), b1 = _mm512_permutex2var_pd(a0, hi, a1);
    a0 = b0;
    a1 = b1;
}

// The lanes whose bits equal those of the lane named in lo (lanes 0..7) and hi (8..15).
QX_SAR_WIDE_TARGET inline uint32_t EqualToNamed(__m512d a0, __m512d a1, __m512i lo, __m512i hi)
{
    const __m512i b0 = _mm512_castpd_si512(a0), b1 = _mm512_castpd_si512(a1);
    return static_cast<uint32_t>(_mm512_cmpeq_epi64_mask(_mm512_permutex2var_epi64(b0, lo, b1), b0)) |
           static_cast<uint32_t>(_mm512_cmpeq_epi64_mask(_mm512_permutex2var_epi64(b0, hi, b1), b1)) << 8;
}

// 32 bits of a sum over the states of 8 lanes.
QX_SAR_WIDE_TARGET inline __m256i StateKeys(__m512d x, __m512d e, __m512d s)
{
    const __m512i bx = _mm512_castpd_si512(x), be = _mm512_castpd_si512(e), bs = _mm512_castpd_si512(s);
    __m512i k = _mm512_add_epi64(bx, _mm512_add_epi64(_mm512_slli_epi64(be, 1), be));
    k = _mm512_add_epi64(k, _mm512_add_epi64(_mm512_slli_epi64(bs, 2), bs));
    return _mm512_cvtepi64_epi32(_mm512_xor_si512(k, _mm512_srli_epi64(k, 29)));
}

// The lane numbers in lo (0..7) and hi (8..15) of 16 numbers.
QX_SAR_WIDE_TARGET inline void Halves(__m512i numbers, __m512i& lo, __m512i& hi)
{
    lo = _mm512_cvtepu32_epi64(_mm512_castsi512_si256(numbers));
    hi = _mm512_cvtepu32_epi64(_mm512_extracti64x4_epi64(numbers, 1));
}

// The 16 lanes held in registers, those in use [0, n); their walks stay in the arrays, and
// the lanes from n on hold none.
struct WideLanes {
    __m512d x0, x1, e0, e1, s0, s1;
    uint32_t g;
};

// The first 16 lanes of the arrays, those in use [0, n).
QX_SAR_WIDE_TARGET WideLanes LoadWide(const SarLanes& L, int n)
{
    WideLanes v;
    v.x0 = _mm512_load_pd(L.x);
    v.x1 = _mm512_load_pd(L.x + 8);
    v.e0 = _mm512_load_pd(L.e);
    v.e1 = _mm512_load_pd(L.e + 8);
    v.s0 = _mm512_load_pd(L.s);
    v.s1 = _mm512_load_pd(L.s + 8);
    const __m512i g0 = _mm512_load_si512(L.g), g1 = _mm512_load_si512(L.g + 8);
    v.g = (_mm512_test_epi64_mask(g0, g0) | static_cast<uint32_t>(_mm512_test_epi64_mask(g1, g1)) << 8) &
          ((1u << n) - 1);
    return v;
}

QX_SAR_WIDE_TARGET void StoreWide(SarLanes& L, const WideLanes& v)
{
    _mm512_store_pd(L.x, v.x0);
    _mm512_store_pd(L.x + 8, v.x1);
    _mm512_store_pd(L.e, v.e0);
    _mm512_store_pd(L.e + 8, v.e1);
    _mm512_store_pd(L.s, v.s0);
    _mm512_store_pd(L.s + 8, v.s1);
    const __m512i ones = _mm512_set1_epi64(-1);
    _mm512_store_si512(L.g, _mm512_maskz_mov_epi64(static_cast<__mmask8>(v.g), ones));
    _mm512_store_si512(L.g + 8, _mm512_maskz_mov_epi64(static_cast<__mmask8>(v.g >> 8), ones));
}

QX_SAR_WIDE_TARGET inline __m512i Iota16()
{
    return _mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
}

// Folds each lane that equals a lower one into the lowest such, and packs the lanes that
// hold walks at the front. Lanes that came to be equal since the last packing have moved on
// alike, so they are all found here.
QX_SAR_WIDE_TARGET void PackWide(SarSweep& w, WideLanes& v)
{
    SarLanes& L = *w.lanes;
    const uint32_t used = (1u << w.n) - 1;
    // Equal keys first (the trend in them too), then the states themselves.
    const __m512i gv = _mm512_maskz_mov_epi32(static_cast<__mmask16>(v.g), _mm512_set1_epi32(-1));
    const __m512i keys = _mm512_xor_si512(
        _mm512_inserti64x4(_mm512_castsi256_si512(StateKeys(v.x0, v.e0, v.s0)), StateKeys(v.x1, v.e1, v.s1), 1),
        gv);
    const __m512i lower = _mm512_and_si512(_mm512_conflict_epi32(keys), _mm512_set1_epi32(static_cast<int>(used)));
    const __m512i lowest = _mm512_and_si512(lower, _mm512_sub_epi32(_mm512_setzero_si512(), lower));
    const __m512i into = _mm512_sub_epi32(_mm512_set1_epi32(31), _mm512_lzcnt_epi32(lowest));
    __m512i lo, hi;
    Halves(into, lo, hi);
    const uint32_t folded = _mm512_test_epi32_mask(lower, lower) & used & EqualToNamed(v.x0, v.x1, lo, hi) &
                            EqualToNamed(v.e0, v.e1, lo, hi) & EqualToNamed(v.s0, v.s1, lo, hi) &
                            _mm512_cmpeq_epi32_mask(_mm512_permutexvar_epi32(into, gv), gv);
    if (folded) {
        alignas(64) int32_t target[16];
        _mm512_store_si512(target, into);
        for (uint32_t r = folded; r; r &= r - 1) {
            const int y = __builtin_ctz(r), x = target[y];
            for (auto& words : L.walks) {
                words[x] |= words[y];
                words[y] = 0;
            }
        }
    }
    uint32_t keep = 0;
    for (auto& words : L.walks) {
        const __m512i w0 = _mm512_load_si512(words), w1 = _mm512_load_si512(words + 8);
        keep |= _mm512_test_epi64_mask(w0, w0) | static_cast<uint32_t>(_mm512_test_epi64_mask(w1, w1)) << 8;
    }
    keep &= used;
    Halves(_mm512_maskz_compress_epi32(static_cast<__mmask16>(keep), Iota16()), lo, hi);
    Reorder(v.x0, v.x1, lo, hi);
    Reorder(v.e0, v.e1, lo, hi);
    Reorder(v.s0, v.s1, lo, hi);
    const int n = __builtin_popcount(keep);
    const uint32_t kept = (1u << n) - 1;
    for (auto& words : L.walks) {
        const __m512i w0 = _mm512_load_si512(words), w1 = _mm512_load_si512(words + 8);
        _mm512_store_si512(words, _mm512_maskz_permutex2var_epi64(static_cast<__mmask8>(kept), w0, lo, w1));
        _mm512_store_si512(words + 8,
                           _mm512_maskz_permutex2var_epi64(static_cast<__mmask8>(kept >> 8), w0, hi, w1));
    }
    v.g = _pext_u32(v.g, keep);
    w.n = n;
}

// Starts walk i + kLife, as BeginWalk, in lane n of the registers; the lanes from n on hold
// no walks.
QX_SAR_WIDE_TARGET void BeginWideWalk(SarSweep& w, WideLanes& v, int i)
{
    const int j = w.n++, q = i + kLife;
    double x, e;
    int64_t g;
    w.Start(i - 1, x, e, g);
    const __mmask8 k0 = static_cast<__mmask8>(1u << j), k1 = static_cast<__mmask8>((1u << j) >> 8);
    v.x0 = _mm512_mask_mov_pd(v.x0, k0, _mm512_set1_pd(x));
    v.x1 = _mm512_mask_mov_pd(v.x1, k1, _mm512_set1_pd(x));
    v.e0 = _mm512_mask_mov_pd(v.e0, k0, _mm512_set1_pd(e));
    v.e1 = _mm512_mask_mov_pd(v.e1, k1, _mm512_set1_pd(e));
    v.s0 = _mm512_mask_mov_pd(v.s0, k0, _mm512_set1_pd(w.p.first));
    v.s1 = _mm512_mask_mov_pd(v.s1, k1, _mm512_set1_pd(w.p.first));
    v.g = (v.g & ~(1u << j)) | (static_cast<uint32_t>(g & 1) << j);
    w.lanes->walks[WalkWord(q)][j] = WalkBit(q);
}

// Ends walk q, as EndWalk; a lane left without walks stays until the next packing.
QX_SAR_WIDE_TARGET void EndWideWalk(SarSweep& w, const WideLanes& v, int q)
{
    uint64_t* words = w.lanes->walks[WalkWord(q)];
    const __m512i bit = _mm512_set1_epi64(static_cast<long long>(WalkBit(q)));
    const __m512i w0 = _mm512_load_si512(words), w1 = _mm512_load_si512(words + 8);
    const uint32_t holds =
        _mm512_test_epi64_mask(w0, bit) | static_cast<uint32_t>(_mm512_test_epi64_mask(w1, bit)) << 8;
    const int a = __builtin_ctz(holds | 0x10000u); // one lane holds it; the bit keeps ctz defined
    const uint64_t sar = Bits(_mm512_cvtsd_f64(LaneOf(v.x0, v.x1, a))) ^ (uint64_t{(v.g >> a) & 1} << 63);
    w.out[q] = FromBits(sar);
    _mm512_store_si512(words, _mm512_andnot_si512(bit, w0));
    _mm512_store_si512(words + 8, _mm512_andnot_si512(bit, w1));
}

// Runs positions from i on while the lanes fit the registers. Returns `to` when done, or the
// position at which they ran out: its lanes are stepped, the rest is the portable code's.
QX_SAR_WIDE_TARGET int SweepWide(SarSweep& w, int i)
{
    SarLanes& L = *w.lanes;
    for (int j = w.n; j < kWideLanes; ++j)
        for (auto& words : L.walks)
            words[j] = 0;
    WideLanes v = LoadWide(L, w.n);
    const __m512d first = _mm512_set1_pd(w.p.first), inc = _mm512_set1_pd(w.p.increment),
                  most = _mm512_set1_pd(w.p.most);
    for (; i < w.to; ++i) {
        const double li = w.l[i], hi = w.h[i];
        const double cl = std::min(li, w.l[i - 1]), ch = std::max(hi, w.h[i - 1]);
        const __m512d r[6] = {_mm512_set1_pd(li), _mm512_set1_pd(-hi), _mm512_set1_pd(hi),
                              _mm512_set1_pd(-li), _mm512_set1_pd(cl),  _mm512_set1_pd(-ch)};
        const uint32_t rev0 = StepWide(v.x0, v.e0, v.s0, static_cast<__mmask8>(v.g), r, first, inc, most);
        const uint32_t rev1 = StepWide(v.x1, v.e1, v.s1, static_cast<__mmask8>(v.g >> 8), r, first, inc, most);
        v.g ^= rev0 | rev1 << 8;
        if (w.counts)
            ++w.counts->wideRecords;
        if (i + kLife < w.to) {
            if (w.n == kWideLanes) {
                PackWide(w, v);
                if (w.n == kWideLanes) {
                    StoreWide(L, v);
                    if (w.counts)
                        ++w.counts->handOvers;
                    return i;
                }
            }
            BeginWideWalk(w, v, i);
        }
        if (i >= w.q0)
            EndWideWalk(w, v, i);
    }
    return w.to;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#else

bool WideCodeRuns()
{
    return false;
}

int SweepWide(SarSweep&, int i)
{
    return i;
}

#endif

} // namespace

bool SarWideCodeAvailable()
{
    return WideCodeRuns();
}

bool SarVexCodeAvailable()
{
    return VexCodeRuns();
}

void KernelPSAR(const CStudyBars& bars, double step0, double stepInc, double stepMax, int from, int to,
                const CStudyOut& out, KernelCode code, SarCounts* counts)
{
    // Position 0 never starts a walk when it is record 0 of the series.
    const int lowest = bars.firstIsRecordZero ? 1 : 0;
    const int q0 = std::min(std::max(from, lowest + 20), to);
    FillNoValue(out, 1, from, q0);
    if (q0 >= to)
        return;
    const SarSteps p{step0, stepInc, stepMax};
    const double* h = bars.High();
    const double* l = bars.Low();
    const double* c = bars.Close();
    double* res = out.col[0];
    auto startOf = [lowest](int q) { return std::max(q - kBack, lowest); };
    if (to - q0 <= kFewPositions) {
        for (int q = q0; q < to; ++q)
            res[q] = WalkSar(h, l, c, startOf(q), q, p);
        return;
    }
    auto lanes = std::make_unique<SarLanes>(); // zeroed
    SarSweep w{h, l, c, p, q0, to, res, lanes.get(), 0, 0, counts};
    // One lane holds every walk that starts where the first one does.
    const int s0 = startOf(q0);
    {
        SarLanes& L = *w.lanes;
        w.Start(s0, L.x[0], L.e[0], L.g[0]);
        L.s[0] = p.first;
        for (int q = q0; q < std::min(to, s0 + kBack + 1); ++q)
            L.held[0][WalkWord(q)] |= WalkBit(q);
        w.n = 1;
    }
    const bool wide = code == KernelCode::kWidest && WideCodeRuns();
    const auto runPortable = PortableRun(code);
    for (int i = s0 + 2; i < to;) {
        if (wide && w.n <= kWideEnter) {
            ToWideWalks(w);
            i = SweepWide(w, i);
            if (i >= to)
                break;
            FromWideWalks(w);
            w.hint = 0;
            FinishPosition(w, i);
            ++i;
        }
        i = runPortable(w, i, wide);
    }
}

} // namespace studies
