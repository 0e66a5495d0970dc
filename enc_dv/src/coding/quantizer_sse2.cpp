// The quantizer's kernels in SSE2: straight-line shifts of whole 8-word rows.
#include <emmintrin.h>

#include "coding/nonzero_list.h"
#include "coding/quantizer.h"
#include "coding/quantizer_tmpl.h"

namespace encdv {
namespace {

// Lanes below kSplit set, the others clear.
template <int kSplit>
inline __m128i LowLanes() {
    static_assert(kSplit > 0 && kSplit < 8, "the split falls inside the row");
    return _mm_set_epi16(0, kSplit > 6 ? -1 : 0, kSplit > 5 ? -1 : 0, kSplit > 4 ? -1 : 0,
                         kSplit > 3 ? -1 : 0, kSplit > 2 ? -1 : 0, kSplit > 1 ? -1 : 0, -1);
}

// The weights of the 8-position vectors, those of the three vectors that straddle an area
// boundary split into a part per area (zero in the other area's lanes).
struct AreaWeights {
    __m128i w[8];
    __m128i low[3];   // kStraddlingVector: the lanes of the lower area
    __m128i high[3];  // and those of the higher
};

inline AreaWeights LoadAreaWeights(const int16_t* weights) {
    AreaWeights a;
    const __m128i* p = reinterpret_cast<const __m128i*>(weights);
    for (int v = 0; v < 8; ++v) a.w[v] = _mm_loadu_si128(p + v);
    const __m128i lowLanes[3] = {LowLanes<kStraddlingLane[0]>(), LowLanes<kStraddlingLane[1]>(),
                                 LowLanes<kStraddlingLane[2]>()};
    for (int i = 0; i < 3; ++i) {
        a.low[i] = _mm_and_si128(a.w[kStraddlingVector[i]], lowLanes[i]);
        a.high[i] = _mm_andnot_si128(lowLanes[i], a.w[kStraddlingVector[i]]);
    }
    return a;
}

// A vector of magnitudes. The unaligned load is never folded into an instruction that needs
// alignment: on 32-bit Windows the buffers can sit on a stack that is only 4-byte aligned.
inline __m128i LoadMagnitudes(const __m128i* magnitude) {
    return _mm_loadu_si128(magnitude);
}

// Whether any of the 64 magnitudes exceeds kCapFree.
inline bool AnyCapped(const __m128i* m) {
    __m128i high = LoadMagnitudes(m);
    for (int v = 1; v < 8; ++v) high = _mm_max_epi16(high, LoadMagnitudes(m + v));
    return _mm_movemask_epi8(_mm_cmpgt_epi16(high, _mm_set1_epi16(kCapFree))) != 0;
}

// The rounding of one vector of magnitudes at shift S: the amplitudes (above 255 where Capped
// at shifts below kCappedShifts, which the byte packing saturates) and the squared errors,
// 16-bit.
template <int S, bool Capped>
inline void RoundVector(const __m128i* magnitude, __m128i& amplitude, __m128i& square,
                        __m128i* over) {
    constexpr int t = S + kFineFractionBits;
    const __m128i offset = _mm_set1_epi16(static_cast<int16_t>((1 << (t - 1)) - 1));
    const __m128i low = _mm_set1_epi16(static_cast<int16_t>((1 << t) - 1));
    const __m128i x = _mm_add_epi16(LoadMagnitudes(magnitude), offset);
    amplitude = _mm_srli_epi16(x, t);
    __m128i e;
    if constexpr (Capped && S < kCappedShifts) {
        // The step's multiple, at most 255 steps: e = m - min(x with its low t bits cleared,
        // 255 << t).
        const __m128i top = _mm_set1_epi16(static_cast<int16_t>(255 << t));
        const __m128i multiple = _mm_andnot_si128(low, x);
        if constexpr (S == 0) *over = _mm_cmpgt_epi16(multiple, top);
        e = _mm_sub_epi16(LoadMagnitudes(magnitude), _mm_min_epi16(multiple, top));
    } else {
        // No cap: x's low t bits less the offset are m less the amplitude's multiple.
        e = _mm_sub_epi16(_mm_and_si128(x, low), offset);
    }
    square = _mm_mullo_epi16(e, e);
}

// The sums of four vectors of 32-bit lanes, one per lane: a transposing reduction.
inline __m128i SumEach(__m128i s0, __m128i s1, __m128i s2, __m128i s3) {
    // (s0 lanes 0 + 2, s1 0 + 2, s0 1 + 3, s1 1 + 3), and the same of s2 and s3.
    const __m128i s01 = _mm_add_epi32(_mm_unpacklo_epi32(s0, s1), _mm_unpackhi_epi32(s0, s1));
    const __m128i s23 = _mm_add_epi32(_mm_unpacklo_epi32(s2, s3), _mm_unpackhi_epi32(s2, s3));
    return _mm_add_epi32(_mm_unpacklo_epi64(s01, s23), _mm_unpackhi_epi64(s01, s23));
}

// The rounding at shift S (compile-time counts): amplitudes and their nonzero bits; at shift 0
// also the capped positions. Returns the weighted squared error of each area, one per lane.
template <int S, bool Capped>
inline __m128i RoundAtShift(const __m128i* m, const AreaWeights& w, ShiftRounding& out) {
    const __m128i zero = _mm_setzero_si128();
    // Every sum is set before it is added to (vector 0 starts areas 0 and 1, vector 4 starts 2
    // and 3); zeros first so that compilers that do not unroll the loop can see it.
    __m128i sums[kAreaCount] = {zero, zero, zero, zero};
    uint64_t zeros = 0;
    uint64_t capped = 0;
    for (int v = 0; v < 8; v += 2) {
        __m128i a0, a1, square0, square1, over0, over1;
        RoundVector<S, Capped>(m + v, a0, square0, &over0);
        RoundVector<S, Capped>(m + v + 1, a1, square1, &over1);
        if constexpr (Capped && S == 0) {
            const int bits = _mm_movemask_epi8(_mm_packs_epi16(over0, over1));
            capped |= static_cast<uint64_t>(bits) << (8 * v);
        }
        // Packing saturates the amplitudes above 255 to the cap.
        const __m128i packed = _mm_packus_epi16(a0, a1);
        _mm_store_si128(reinterpret_cast<__m128i*>(out.amplitudes[S] + 8 * v), packed);
        zeros |= static_cast<uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(packed, zero))) << (8 * v);
        // Each vector's weighted squares into its areas' sums (areas start at 0, 6, 21, 43).
        switch (v) {
            case 0:
                sums[0] = _mm_madd_epi16(square0, w.low[0]);
                sums[1] = _mm_add_epi32(_mm_madd_epi16(square0, w.high[0]),
                                        _mm_madd_epi16(square1, w.w[1]));
                break;
            case 2:
                sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(square0, w.low[1]));
                sums[2] = _mm_add_epi32(_mm_madd_epi16(square0, w.high[1]),
                                        _mm_madd_epi16(square1, w.w[3]));
                break;
            case 4:
                sums[2] = _mm_add_epi32(sums[2], _mm_add_epi32(_mm_madd_epi16(square0, w.w[4]),
                                                               _mm_madd_epi16(square1, w.low[2])));
                sums[3] = _mm_madd_epi16(square1, w.high[2]);
                break;
            default:
                sums[3] = _mm_add_epi32(sums[3], _mm_add_epi32(_mm_madd_epi16(square0, w.w[6]),
                                                               _mm_madd_epi16(square1, w.w[7])));
                break;
        }
    }
    out.nonzero[S] = ~zeros;
    if constexpr (S == 0) out.capped = capped;
    return SumEach(sums[0], sums[1], sums[2], sums[3]);
}

// Shifts S and S + 1 of each area's error (lanes of `first` and `second`) are adjacent.
template <int S>
inline void StoreDistortionPair(__m128i first, __m128i second, ShiftRounding& out) {
    const __m128i areas01 = _mm_unpacklo_epi32(first, second);
    const __m128i areas23 = _mm_unpackhi_epi32(first, second);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out.distortion[0][S]), areas01);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out.distortion[1][S]),
                     _mm_unpackhi_epi64(areas01, areas01));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out.distortion[2][S]), areas23);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out.distortion[3][S]),
                     _mm_unpackhi_epi64(areas23, areas23));
}

template <bool Capped>
void RoundAll(const __m128i* m, const AreaWeights& w, ShiftRounding& out) {
    const __m128i shift0 = RoundAtShift<0, Capped>(m, w, out);
    StoreDistortionPair<0>(shift0, RoundAtShift<1, Capped>(m, w, out), out);
    const __m128i shift2 = RoundAtShift<2, Capped>(m, w, out);
    StoreDistortionPair<2>(shift2, RoundAtShift<3, Capped>(m, w, out), out);
    const __m128i shift4 = RoundAtShift<4, Capped>(m, w, out);
    StoreDistortionPair<4>(shift4, RoundAtShift<5, Capped>(m, w, out), out);
}

// The quantizer's kernels (quantizer_tmpl.h).
struct Quantizer {
    // 8 words: one aligned 128-bit shift.
    template <int K>
    static void Shift8(CoefficientWord* words) {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        _mm_store_si128(p, _mm_srai_epi16(_mm_load_si128(p), K));
    }

    // 8 words of which lanes 0 to kSplit - 1 shift by L and the others by H: both shifts of
    // the whole row, merged by a constant lane mask. Rows that straddle an area boundary are
    // done this way, with one aligned store, so that the next aligned load of the row (the
    // nonzero list) is served from the store without waiting for narrower stores to retire.
    template <int L, int H, int kSplit>
    static void ShiftSplit8(CoefficientWord* words) {
        __m128i* p = reinterpret_cast<__m128i*>(words);
        const __m128i x = _mm_load_si128(p);
        const __m128i low = L != 0 ? _mm_srai_epi16(x, L) : x;
        const __m128i high = H != 0 ? _mm_srai_epi16(x, H) : x;
        const __m128i lowLanes = LowLanes<kSplit>();
        _mm_store_si128(
            p, _mm_or_si128(_mm_and_si128(lowLanes, low), _mm_andnot_si128(lowLanes, high)));
    }

    static void BuildNonzeroList(const CoefficientWord* block, uint8_t* list) {
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

    static void RoundAtShifts(const uint16_t* magnitudes, const int16_t* weights,
                              ShiftRounding& out) {
        static_assert(kShiftCount == 6, "three pairs of shifts");
        const __m128i* m = reinterpret_cast<const __m128i*>(magnitudes);
        const AreaWeights w = LoadAreaWeights(weights);
        // Blocks with a magnitude that rounds above 255 are rare: they alone take the capping.
        if (AnyCapped(m)) {
            RoundAll<true>(m, w, out);
        } else {
            RoundAll<false>(m, w, out);
        }
    }
};

}  // namespace

void SetQuantizerKernels_SSE2(QuantizerKernels& kernels) {
    SetQuantizerKernels<Quantizer>(kernels);
}

}  // namespace encdv
