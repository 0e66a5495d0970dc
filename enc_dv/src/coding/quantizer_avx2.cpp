// The quantizer's kernels in AVX2: 16-word rows, four to a block.
#include <immintrin.h>

#include "coding/quantizer.h"
#include "coding/quantizer_tmpl.h"

namespace encdv {
namespace {

constexpr int16_t LaneBelow(int lane, int split) {
    return lane < split ? -1 : 0;
}

// Lanes below kSplit set, the others clear.
template <int kSplit>
inline __m256i LowLanes() {
    static_assert(kSplit > 0 && kSplit < 16, "the split falls inside the row");
    return _mm256_setr_epi16(
        LaneBelow(0, kSplit), LaneBelow(1, kSplit), LaneBelow(2, kSplit), LaneBelow(3, kSplit),
        LaneBelow(4, kSplit), LaneBelow(5, kSplit), LaneBelow(6, kSplit), LaneBelow(7, kSplit),
        LaneBelow(8, kSplit), LaneBelow(9, kSplit), LaneBelow(10, kSplit), LaneBelow(11, kSplit),
        LaneBelow(12, kSplit), LaneBelow(13, kSplit), LaneBelow(14, kSplit), LaneBelow(15, kSplit));
}

// Areas 1, 2 and 3 start inside rows 0, 1 and 2 of 16 words.
constexpr int kStraddlingLane16[kAreaCount - 1] = {kAreaStart[1] % 16, kAreaStart[2] % 16,
                                                   kAreaStart[3] % 16};
static_assert(kAreaStart[1] / 16 == 0 && kAreaStart[2] / 16 == 1 && kAreaStart[3] / 16 == 2,
              "areas 1, 2 and 3 start inside rows 0, 1 and 2");

// The weights of the four rows, those of the three rows that straddle an area boundary
// split into a part per area (zero in the other area's lanes).
struct AreaWeights {
    __m256i last;     // row 3, wholly in area 3
    __m256i low[3];   // row i: the lanes of area i
    __m256i high[3];  // and those of area i + 1
};

inline AreaWeights LoadAreaWeights(const int16_t* weights) {
    const __m256i* p = reinterpret_cast<const __m256i*>(weights);
    const __m256i lowLanes[3] = {LowLanes<kStraddlingLane16[0]>(), LowLanes<kStraddlingLane16[1]>(),
                                 LowLanes<kStraddlingLane16[2]>()};
    AreaWeights a;
    for (int i = 0; i < 3; ++i) {
        const __m256i w = _mm256_loadu_si256(p + i);
        a.low[i] = _mm256_and_si256(w, lowLanes[i]);
        a.high[i] = _mm256_andnot_si256(lowLanes[i], w);
    }
    a.last = _mm256_loadu_si256(p + 3);
    return a;
}

// Whether any of the 64 magnitudes exceeds kCapFree.
inline bool AnyCapped(const __m256i m[4]) {
    const __m256i high =
        _mm256_max_epi16(_mm256_max_epi16(m[0], m[1]), _mm256_max_epi16(m[2], m[3]));
    return _mm256_movemask_epi8(_mm256_cmpgt_epi16(high, _mm256_set1_epi16(kCapFree))) != 0;
}

// The rounding of one row of magnitudes at shift S: the amplitudes (above 255 where Capped
// at shifts below kCappedShifts, which the byte packing saturates), the squared errors,
// 16-bit, and at shift 0 the lanes whose rounding exceeds 255.
template <int S, bool Capped>
inline void RoundRow(__m256i m, __m256i& amplitude, __m256i& square, __m256i& over) {
    constexpr int t = S + kFineFractionBits;
    const __m256i offset = _mm256_set1_epi16(static_cast<int16_t>((1 << (t - 1)) - 1));
    const __m256i low = _mm256_set1_epi16(static_cast<int16_t>((1 << t) - 1));
    const __m256i x = _mm256_add_epi16(m, offset);
    amplitude = _mm256_srli_epi16(x, t);
    __m256i e;
    if constexpr (Capped && S < kCappedShifts) {
        // The step's multiple, at most 255 steps: e = m - min(x with its low t bits cleared,
        // 255 << t).
        const __m256i top = _mm256_set1_epi16(static_cast<int16_t>(255 << t));
        const __m256i multiple = _mm256_andnot_si256(low, x);
        if constexpr (S == 0) over = _mm256_cmpgt_epi16(multiple, top);
        e = _mm256_sub_epi16(m, _mm256_min_epi16(multiple, top));
    } else {
        // No cap: x's low t bits less the offset are m less the amplitude's multiple.
        e = _mm256_sub_epi16(_mm256_and_si256(x, low), offset);
    }
    square = _mm256_mullo_epi16(e, e);
}

// Two rows of 16-bit lanes as 32 bytes in order, saturated: packing works within each
// 128-bit half, the 64-bit permute puts the quarters back in place.
inline __m256i PackRows(__m256i first, __m256i second) {
    return _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), _MM_SHUFFLE(3, 1, 2, 0));
}

inline uint64_t SignMask(__m256i first, __m256i second) {
    const __m256i bytes =
        _mm256_permute4x64_epi64(_mm256_packs_epi16(first, second), _MM_SHUFFLE(3, 1, 2, 0));
    return static_cast<uint32_t>(_mm256_movemask_epi8(bytes));
}

// The sums of the eight 32-bit lanes of each of four vectors, one per lane.
inline __m128i SumEach(__m256i s0, __m256i s1, __m256i s2, __m256i s3) {
    const __m256i s01 =
        _mm256_add_epi32(_mm256_unpacklo_epi32(s0, s1), _mm256_unpackhi_epi32(s0, s1));
    const __m256i s23 =
        _mm256_add_epi32(_mm256_unpacklo_epi32(s2, s3), _mm256_unpackhi_epi32(s2, s3));
    const __m256i s =
        _mm256_add_epi32(_mm256_unpacklo_epi64(s01, s23), _mm256_unpackhi_epi64(s01, s23));
    return _mm_add_epi32(_mm256_castsi256_si128(s), _mm256_extracti128_si256(s, 1));
}

// The rounding at shift S: amplitudes and their nonzero bits; at shift 0 also the capped
// positions. Returns the weighted squared error of each area, one per lane.
template <int S, bool Capped>
inline __m128i RoundAtShift(const __m256i m[4], const AreaWeights& w, ShiftRounding& out) {
    __m256i a[4], square[4], over[4];
    for (int i = 0; i < 4; ++i) RoundRow<S, Capped>(m[i], a[i], square[i], over[i]);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i first = PackRows(a[0], a[1]);
    const __m256i second = PackRows(a[2], a[3]);
    __m256i* amplitudes = reinterpret_cast<__m256i*>(out.amplitudes[S]);
    _mm256_storeu_si256(amplitudes, first);
    _mm256_storeu_si256(amplitudes + 1, second);
    const uint64_t zeros =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(first, zero))) |
        static_cast<uint64_t>(
            static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(second, zero))))
            << 32;
    out.nonzero[S] = ~zeros;
    if constexpr (S == 0) {
        out.capped = Capped ? SignMask(over[0], over[1]) | SignMask(over[2], over[3]) << 32 : 0;
    }
    // Each row's weighted squares into its areas' sums (areas start at 0, 6, 21, 43).
    const __m256i area0 = _mm256_madd_epi16(square[0], w.low[0]);
    const __m256i area1 = _mm256_add_epi32(_mm256_madd_epi16(square[0], w.high[0]),
                                           _mm256_madd_epi16(square[1], w.low[1]));
    const __m256i area2 = _mm256_add_epi32(_mm256_madd_epi16(square[1], w.high[1]),
                                           _mm256_madd_epi16(square[2], w.low[2]));
    const __m256i area3 = _mm256_add_epi32(_mm256_madd_epi16(square[2], w.high[2]),
                                           _mm256_madd_epi16(square[3], w.last));
    return SumEach(area0, area1, area2, area3);
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
void RoundAll(const __m256i m[4], const AreaWeights& w, ShiftRounding& out) {
    const __m128i shift0 = RoundAtShift<0, Capped>(m, w, out);
    StoreDistortionPair<0>(shift0, RoundAtShift<1, Capped>(m, w, out), out);
    const __m128i shift2 = RoundAtShift<2, Capped>(m, w, out);
    StoreDistortionPair<2>(shift2, RoundAtShift<3, Capped>(m, w, out), out);
    const __m128i shift4 = RoundAtShift<4, Capped>(m, w, out);
    StoreDistortionPair<4>(shift4, RoundAtShift<5, Capped>(m, w, out), out);
}

// The quantizer's kernels (quantizer_tmpl.h).
struct Quantizer {
    static constexpr int kRowWords = 16;

    template <int K>
    static void ShiftRow(CoefficientWord* words) {
        __m256i* p = reinterpret_cast<__m256i*>(words);
        _mm256_storeu_si256(p, _mm256_srai_epi16(_mm256_loadu_si256(p), K));
    }

    // Lanes 0 to kSplit - 1 shift by L and the others by H: both shifts of the whole row,
    // blended by a constant lane mask, in one store (see the SSE2 kernel).
    template <int L, int H, int kSplit>
    static void ShiftSplitRow(CoefficientWord* words) {
        __m256i* p = reinterpret_cast<__m256i*>(words);
        const __m256i x = _mm256_loadu_si256(p);
        const __m256i low = L != 0 ? _mm256_srai_epi16(x, L) : x;
        const __m256i high = H != 0 ? _mm256_srai_epi16(x, H) : x;
        _mm256_storeu_si256(p, _mm256_blendv_epi8(high, low, LowLanes<kSplit>()));
    }

    static void RoundAtShifts(const uint16_t* magnitudes, const int16_t* weights,
                              ShiftRounding& out) {
        static_assert(kShiftCount == 6, "three pairs of shifts");
        const __m256i* p = reinterpret_cast<const __m256i*>(magnitudes);
        const __m256i m[4] = {_mm256_loadu_si256(p), _mm256_loadu_si256(p + 1),
                              _mm256_loadu_si256(p + 2), _mm256_loadu_si256(p + 3)};
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

void SetQuantizerKernels_AVX2(QuantizerKernels& kernels) {
    SetQuantizerKernels<Quantizer>(kernels);
}

}  // namespace encdv
