// The quantizer's kernels in SSE2: straight-line shifts of whole 8-word rows.
#include <emmintrin.h>

#include "coding/nonzero_list.h"
#include "coding/quantizer.h"

namespace encdv {
namespace {

// Straight-line shift helpers with the count built in; a count of 0 emits nothing.
// 8 words: one aligned 128-bit shift.
template <int K>
inline void Shift8(CoefficientWord* words) {
    if constexpr (K != 0) {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        _mm_store_si128(p, _mm_srai_epi16(_mm_load_si128(p), K));
    }
}

// 8 words of which lanes 0 to kSplit - 1 shift by L and the others by H: both shifts of the
// whole row, merged by a constant lane mask. Rows that straddle an area boundary are done
// this way, with one aligned store, so that the next aligned load of the row (the nonzero
// list) is served from the store without waiting for narrower stores to retire.
template <int L, int H, int kSplit>
inline void ShiftSplit8(CoefficientWord* words) {
    static_assert(kSplit > 0 && kSplit < 8, "the split falls inside the row");
    if constexpr (L == H) {
        Shift8<L>(words);
    } else {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        const __m128i x = _mm_load_si128(p);
        const __m128i low = L != 0 ? _mm_srai_epi16(x, L) : x;
        const __m128i high = H != 0 ? _mm_srai_epi16(x, H) : x;
        const __m128i lowLanes = _mm_set_epi16(
            kSplit > 7 ? -1 : 0, kSplit > 6 ? -1 : 0, kSplit > 5 ? -1 : 0, kSplit > 4 ? -1 : 0,
            kSplit > 3 ? -1 : 0, kSplit > 2 ? -1 : 0, kSplit > 1 ? -1 : 0, -1);
        _mm_store_si128(
            p, _mm_or_si128(_mm_and_si128(lowLanes, low), _mm_andnot_si128(lowLanes, high)));
    }
}

// Area boundaries fall inside rows 0 (5/6), 2 (20/21) and 5 (42/43) of the eight 8-word
// rows; the other rows lie wholly in one area.
template <int A0, int A1, int A2, int A3>
void QuantizeWithPattern(CoefficientWord* b) {
    ShiftSplit8<A0, A1, 6>(b);
    Shift8<A1>(b + 8);
    ShiftSplit8<A1, A2, 5>(b + 16);
    Shift8<A2>(b + 24);
    Shift8<A2>(b + 32);
    ShiftSplit8<A2, A3, 3>(b + 40);
    Shift8<A3>(b + 48);
    Shift8<A3>(b + 56);
}

// One more bit of shift over a single area (positions 0-5, 6-20, 21-42, 43-63).
void ShiftArea0(CoefficientWord* b) {
    ShiftSplit8<1, 0, 6>(b);
}

void ShiftArea1(CoefficientWord* b) {
    ShiftSplit8<0, 1, 6>(b);
    Shift8<1>(b + 8);
    ShiftSplit8<1, 0, 5>(b + 16);
}

void ShiftArea2(CoefficientWord* b) {
    ShiftSplit8<0, 1, 5>(b + 16);
    Shift8<1>(b + 24);
    Shift8<1>(b + 32);
    ShiftSplit8<1, 0, 3>(b + 40);
}

void ShiftArea3(CoefficientWord* b) {
    ShiftSplit8<0, 1, 3>(b + 40);
    Shift8<1>(b + 48);
    Shift8<1>(b + 56);
}

// Entry i carries the counts of QuantPattern row i.
const QuantizeBlockFunction kQuantizeWithPattern[kQuantPatternCount] = {
    QuantizeWithPattern<0, 0, 0, 0>, QuantizeWithPattern<0, 0, 0, 1>,
    QuantizeWithPattern<0, 0, 1, 1>, QuantizeWithPattern<0, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 1, 1>, QuantizeWithPattern<1, 1, 1, 2>,
    QuantizeWithPattern<1, 1, 2, 2>, QuantizeWithPattern<1, 2, 2, 3>,
    QuantizeWithPattern<2, 2, 3, 3>, QuantizeWithPattern<2, 3, 3, 4>,
    QuantizeWithPattern<3, 3, 4, 4>, QuantizeWithPattern<3, 4, 4, 5>,
    QuantizeWithPattern<4, 4, 5, 5>,
};

void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
    const __m128i amplitudeMask = _mm_set1_epi16(0xFF);
    const __m128i zero = _mm_setzero_si128();
    const __m128i* rows = reinterpret_cast<const __m128i*>(block);
    // One bit per word whose amplitude is nonzero, 16 words per step.
    uint64_t nonzero = 0;
    for (int group = 0; group < 4; ++group) {
        const __m128i low = _mm_and_si128(_mm_load_si128(rows + 2 * group), amplitudeMask);
        const __m128i high = _mm_and_si128(_mm_load_si128(rows + 2 * group + 1), amplitudeMask);
        const __m128i isZero =
            _mm_packs_epi16(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(high, zero));
        const uint32_t bits = ~static_cast<uint32_t>(_mm_movemask_epi8(isZero)) & 0xFFFF;
        nonzero |= static_cast<uint64_t>(bits) << (16 * group);
    }
    WriteNonzeroList(nonzero, list);
}

// The vectors (8 positions each) that each area touches, with the area's lanes as a mask.
struct AreaPart {
    int area;
    int vector;
};
constexpr AreaPart kAreaParts[] = {{0, 0}, {1, 0}, {1, 1}, {1, 2}, {2, 2}, {2, 3},
                                   {2, 4}, {2, 5}, {3, 5}, {3, 6}, {3, 7}};
constexpr int kAreaPartCount = sizeof kAreaParts / sizeof kAreaParts[0];

struct AreaPartMasks {
    alignas(16) int16_t lanes[kAreaPartCount][8];  // -1 in the lanes of the part's area
};
constexpr AreaPartMasks MakeAreaPartMasks() {
    AreaPartMasks masks{};
    for (int i = 0; i < kAreaPartCount; ++i) {
        const int a = kAreaParts[i].area;
        for (int lane = 0; lane < 8; ++lane) {
            const int k = 8 * kAreaParts[i].vector + lane;
            masks.lanes[i][lane] = k >= kAreaStart[a] && k < kAreaStart[a + 1] ? -1 : 0;
        }
    }
    return masks;
}
constexpr AreaPartMasks kAreaPartMasks = MakeAreaPartMasks();

// Amplitudes above 255 occur only at these shifts, for magnitudes below 4096.
constexpr int kCappedShifts = 2;

// The rounding at shift S (compile-time counts): amplitudes, their nonzero bits, the weighted
// squared error by area; at shift 0 also the capped positions.
template <int S>
inline void RoundAtShift(const __m128i* m, const __m128i* partWeights, ShiftRounding& out) {
    constexpr int t = S + kFineFractionBits;
    const __m128i offset = _mm_set1_epi16(static_cast<int16_t>((1 << (t - 1)) - 1));
    const __m128i cap = _mm_set1_epi16(255);
    const __m128i zero = _mm_setzero_si128();
    __m128i square[8];
    uint64_t zeros = 0;
    for (int v = 0; v < 8; v += 2) {
        const __m128i x0 = _mm_adds_epu16(m[v], offset);
        const __m128i x1 = _mm_adds_epu16(m[v + 1], offset);
        __m128i a0, a1, e0, e1;
        if constexpr (S < kCappedShifts) {
            const __m128i r0 = _mm_srli_epi16(x0, t);
            const __m128i r1 = _mm_srli_epi16(x1, t);
            if constexpr (S == 0) {
                const __m128i over =
                    _mm_packs_epi16(_mm_cmpgt_epi16(r0, cap), _mm_cmpgt_epi16(r1, cap));
                out.capped |= static_cast<uint64_t>(_mm_movemask_epi8(over)) << (8 * v);
            }
            a0 = _mm_min_epi16(r0, cap);
            a1 = _mm_min_epi16(r1, cap);
            e0 = _mm_sub_epi16(m[v], _mm_slli_epi16(a0, t));
            e1 = _mm_sub_epi16(m[v + 1], _mm_slli_epi16(a1, t));
        } else {
            // No cap: the amplitude's multiple of the step is x = m + offset with its low t bits
            // cleared, so e = m - that = (x's low t bits) - offset.
            const __m128i low = _mm_set1_epi16(static_cast<int16_t>((1 << t) - 1));
            a0 = _mm_srli_epi16(x0, t);
            a1 = _mm_srli_epi16(x1, t);
            e0 = _mm_sub_epi16(_mm_and_si128(x0, low), offset);
            e1 = _mm_sub_epi16(_mm_and_si128(x1, low), offset);
        }
        const __m128i packed = _mm_packus_epi16(a0, a1);
        _mm_store_si128(reinterpret_cast<__m128i*>(out.amplitudes[S] + 8 * v), packed);
        zeros |= static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(packed, zero))) << (8 * v);
        square[v] = _mm_mullo_epi16(e0, e0);
        square[v + 1] = _mm_mullo_epi16(e1, e1);
    }
    out.nonzero[S] = ~zeros;
    __m128i sums[kAreaCount] = {_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128(),
                                _mm_setzero_si128()};
    for (int i = 0; i < kAreaPartCount; ++i) {
        const int a = kAreaParts[i].area;
        sums[a] =
            _mm_add_epi32(sums[a], _mm_madd_epi16(square[kAreaParts[i].vector], partWeights[i]));
    }
    for (int a = 0; a < kAreaCount; ++a) {
        __m128i x = _mm_add_epi32(sums[a], _mm_shuffle_epi32(sums[a], 0x4E));
        x = _mm_add_epi32(x, _mm_shuffle_epi32(x, 0xB1));
        out.distortion[a][S] = static_cast<uint32_t>(_mm_cvtsi128_si32(x));
    }
}

void RoundAtShifts(const uint16_t* magnitudes, const int16_t* weights, ShiftRounding& out) {
    static_assert(kShiftCount == 6, "one instance per shift");
    __m128i m[8];
    for (int v = 0; v < 8; ++v) {
        m[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(magnitudes) + v);
    }
    // The weights of each area part, zero in the lanes of other areas.
    __m128i partWeights[kAreaPartCount];
    for (int i = 0; i < kAreaPartCount; ++i) {
        const int v = kAreaParts[i].vector;
        partWeights[i] = _mm_and_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(weights) + v),
            _mm_load_si128(reinterpret_cast<const __m128i*>(kAreaPartMasks.lanes[i])));
    }
    out.capped = 0;
    RoundAtShift<0>(m, partWeights, out);
    RoundAtShift<1>(m, partWeights, out);
    RoundAtShift<2>(m, partWeights, out);
    RoundAtShift<3>(m, partWeights, out);
    RoundAtShift<4>(m, partWeights, out);
    RoundAtShift<5>(m, partWeights, out);
}

}  // namespace

void SetQuantizerKernels_SSE2(QuantizerKernels& kernels) {
    for (int pattern = 0; pattern < kQuantPatternCount; ++pattern) {
        kernels.quantize[pattern] = kQuantizeWithPattern[pattern];
    }
    kernels.shiftArea[0] = ShiftArea0;
    kernels.shiftArea[1] = ShiftArea1;
    kernels.shiftArea[2] = ShiftArea2;
    kernels.shiftArea[3] = ShiftArea3;
    kernels.buildNonzeroList = BuildNonzeroList;
    kernels.roundAtShifts = RoundAtShifts;
}

}  // namespace encdv
