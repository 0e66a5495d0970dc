// The fine DCTs in SSE2: 16-bit lanes, pmaddwd into 32-bit sums, one register per row.
#include <emmintrin.h>

#include <cstddef>
#include <utility>

#include "transform/forward_dct_fine_tmpl.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

// (a, b) in every 32-bit lane: pmaddwd with interleaved (x, y) gives a x + b y.
inline __m128i PairConstant(int a, int b) {
    return _mm_set1_epi32(static_cast<int32_t>(
        static_cast<uint16_t>(a) | (static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16)));
}

// round((a x + b y) / 2^11) per lane, from x and y interleaved into lo (lanes 0-3) and hi.
inline __m128i RoundedPairSums(__m128i lo, __m128i hi, __m128i ab) {
    const __m128i round = _mm_set1_epi32(1 << (kFineVerticalShift - 1));
    const __m128i l =
        _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(lo, ab), round), kFineVerticalShift);
    const __m128i h =
        _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(hi, ab), round), kFineVerticalShift);
    return _mm_packs_epi32(l, h);
}

// round((a x0 + b x1 + c x2 + d x3) / 2^11) per lane, from (x0, x1) and (x2, x3) interleaved.
inline __m128i RoundedQuadSums(const __m128i x01[2], const __m128i x23[2], __m128i ab, __m128i cd) {
    const __m128i round = _mm_set1_epi32(1 << (kFineVerticalShift - 1));
    __m128i half[2];
    for (int i = 0; i < 2; ++i) {
        const __m128i sum = _mm_add_epi32(_mm_madd_epi16(x01[i], ab), _mm_madd_epi16(x23[i], cd));
        half[i] = _mm_srai_epi32(_mm_add_epi32(sum, round), kFineVerticalShift);
    }
    return _mm_packs_epi32(half[0], half[1]);
}

inline void Interleave(__m128i x, __m128i y, __m128i out[2]) {
    out[0] = _mm_unpacklo_epi16(x, y);
    out[1] = _mm_unpackhi_epi16(x, y);
}

// Two lines of samples. The unaligned load is never folded into an instruction that needs
// alignment: on 32-bit Windows the blocks can sit on a stack that is only 4-byte aligned.
inline __m128i LoadLinePair(const uint8_t* samples, int pair) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples) + pair);
}

// The block's eight lines widened to 16 bits.
inline void LoadLines(const uint8_t* samples, __m128i x[8]) {
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 4; ++i) {
        const __m128i pair = LoadLinePair(samples, i);
        x[2 * i] = _mm_unpacklo_epi8(pair, zero);
        x[2 * i + 1] = _mm_unpackhi_epi8(pair, zero);
    }
}

// Swaps the two 16-bit halves of every 32-bit lane.
inline __m128i SwapHalves(__m128i x) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1)),
                               _MM_SHUFFLE(2, 3, 0, 1));
}

// Column pairs of rows 4q to 4q + 3 ready for pmaddwd: a 4x4 transpose of 32-bit lanes puts
// (c, c + 1) of four rows in one register; then the sums and differences of columns j and
// 7 - j, as (j, j + 1) pairs.
struct ColumnPairs {
    __m128i s01, s23, d01, d23;
};

inline ColumnPairs PairColumns(const __m128i* rows) {
    const __m128i t0 = _mm_unpacklo_epi32(rows[0], rows[1]);
    const __m128i t1 = _mm_unpacklo_epi32(rows[2], rows[3]);
    const __m128i t2 = _mm_unpackhi_epi32(rows[0], rows[1]);
    const __m128i t3 = _mm_unpackhi_epi32(rows[2], rows[3]);
    const __m128i c01 = _mm_unpacklo_epi64(t0, t1);
    const __m128i c23 = _mm_unpackhi_epi64(t0, t1);
    const __m128i c54 = SwapHalves(_mm_unpacklo_epi64(t2, t3));
    const __m128i c76 = SwapHalves(_mm_unpackhi_epi64(t2, t3));
    return {_mm_add_epi16(c01, c76), _mm_add_epi16(c23, c54), _mm_sub_epi16(c01, c76),
            _mm_sub_epi16(c23, c54)};
}

// Frequency h of four rows: the 32-bit sums of the products, before rounding; `pair` points
// to the multipliers of the column pairs (0, 7)-(1, 6) and, two vectors on, (2, 5)-(3, 4).
inline __m128i HorizontalSum(__m128i y01, __m128i y23, const __m128i* pair) {
    return _mm_add_epi32(_mm_madd_epi16(y01, pair[0]), _mm_madd_epi16(y23, pair[2]));
}

// The sums of eight rows (upper: rows 0-3) in eighths as the portable kernel's ToEighths:
// rounded, then a magnitude of half a coefficient that the sum exceeds grown by an eighth.
// The tie test runs on 16-bit words: the part of the sum below the rounded value, a signed
// 19-bit number that shifting left by 13 isolates, keeps its sign and whether it is zero
// when packed with saturation.
inline __m128i ToEighths(__m128i upper, __m128i lower) {
    const __m128i half = _mm_set1_epi32(1 << (kFineHorizontalShift - 1));
    const __m128i value =
        _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(upper, half), kFineHorizontalShift),
                        _mm_srai_epi32(_mm_add_epi32(lower, half), kFineHorizontalShift));
    constexpr int kRestShift = 32 - kFineHorizontalShift;
    const __m128i rest =
        _mm_packs_epi32(_mm_slli_epi32(upper, kRestShift), _mm_slli_epi32(lower, kRestShift));
    // A value of 4 modulo 8 moves away from zero by one where the rest points the same way:
    // the rest clamped to [0, 1] for positive values, to [-1, 0] for negative ones.
    const __m128i key = _mm_and_si128(value, _mm_set1_epi16(static_cast<int16_t>(0x8007)));
    const __m128i up = _mm_srli_epi16(_mm_cmpeq_epi16(key, _mm_set1_epi16(4)), 15);
    const __m128i down = _mm_cmpeq_epi16(key, _mm_set1_epi16(static_cast<int16_t>(0x8004)));
    return _mm_add_epi16(value, _mm_max_epi16(_mm_min_epi16(rest, up), down));
}

// The horizontal pass: out[8h + v] (16-byte aligned), one register per frequency h.
inline void Horizontal(const __m128i rows[8], const int16_t (*table)[2][16], int16_t* out) {
    const ColumnPairs upper = PairColumns(rows);
    const ColumnPairs lower = PairColumns(rows + 4);
    // Per h: the pair 0 multipliers of rows 0-3 and 4-7, then those of pair 1.
    const __m128i* t = reinterpret_cast<const __m128i*>(table);
    __m128i* o = reinterpret_cast<__m128i*>(out);
    for (int h = 0; h < 8; h += 2) {
        _mm_store_si128(o + h, ToEighths(HorizontalSum(upper.s01, upper.s23, t + 4 * h),
                                         HorizontalSum(lower.s01, lower.s23, t + 4 * h + 1)));
        _mm_store_si128(o + h + 1, ToEighths(HorizontalSum(upper.d01, upper.d23, t + 4 * h + 4),
                                             HorizontalSum(lower.d01, lower.d23, t + 4 * h + 5)));
    }
}

// Row r of a scan (positions 8r to 8r + 7) gathered from the outputs, one insert per word.
template <std::size_t Row, std::size_t... L>
inline __m128i GatherRow(__m128i row, const uint8_t* order, const int16_t* out,
                         std::index_sequence<L...>) {
    ((row = _mm_insert_epi16(row, out[order[8 * Row + L]], L)), ...);
    return row;
}

// The outputs in scan order, position 0 = 0 (inlined, so that the rows stay in registers).
template <int Mode>
[[gnu::always_inline]] inline void GatherScan(const int16_t* out, __m128i rows[8]) {
    constexpr const uint8_t* order = Mode == 0 ? kScanOrder88 : kScanOrder248;
    const __m128i zero = _mm_setzero_si128();
    rows[0] = GatherRow<0>(zero, order, out, std::index_sequence<1, 2, 3, 4, 5, 6, 7>());
    const std::make_index_sequence<8> lanes;
    rows[1] = GatherRow<1>(zero, order, out, lanes);
    rows[2] = GatherRow<2>(zero, order, out, lanes);
    rows[3] = GatherRow<3>(zero, order, out, lanes);
    rows[4] = GatherRow<4>(zero, order, out, lanes);
    rows[5] = GatherRow<5>(zero, order, out, lanes);
    rows[6] = GatherRow<6>(zero, order, out, lanes);
    rows[7] = GatherRow<7>(zero, order, out, lanes);
}

inline void StoreMagnitudes(const __m128i scanned[8], uint16_t* magnitudes) {
    __m128i* m = reinterpret_cast<__m128i*>(magnitudes);
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 8; ++i) {
        const __m128i negated = _mm_sub_epi16(zero, scanned[i]);
        _mm_storeu_si128(m + i, _mm_max_epi16(scanned[i], negated));
    }
}

// The primitives of the fine DCTs (forward_dct_fine_tmpl.h).
struct Fine {
    using Vector = __m128i;

    static __m128i Add(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
    static __m128i Sub(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }
    static __m128i Splat(int16_t value) { return _mm_set1_epi16(value); }
    static __m128i Times16(__m128i x) { return _mm_slli_epi16(x, 4); }

    static __m128i Dot2(__m128i x, __m128i y, int a, int b) {
        __m128i xy[2];
        Interleave(x, y, xy);
        return RoundedPairSums(xy[0], xy[1], PairConstant(a, b));
    }

    static __m128i Dot4(const __m128i x[4], int a, int b, int c, int d) {
        __m128i x01[2], x23[2];
        Interleave(x[0], x[1], x01);
        Interleave(x[2], x[3], x23);
        return RoundedQuadSums(x01, x23, PairConstant(a, b), PairConstant(c, d));
    }

    // The block's 64 outputs in eighths at [8h + v]; [0] is undefined.
    struct Outputs {
        alignas(16) int16_t words[64];
    };

    template <int Mode>
    static void Transform(const uint8_t* samples, Outputs& out) {
        __m128i x[8], rows[8];
        LoadLines(samples, x);
        FineVertical<Fine, Mode>(x, rows);
        Horizontal(rows, kFineHorizontal[Mode], out.words);
    }

    // The scans of the outputs into magnitudes and signs. Kept out of line so that the
    // outputs are read from memory, one insert each, rather than extracted from registers.
    template <int Mode>
    [[gnu::noinline]] static void ScanWithSignWords(const Outputs& out, uint16_t* magnitudes,
                                                    CoefficientWord* signWords) {
        __m128i scanned[8];
        GatherScan<Mode>(out.words, scanned);
        StoreMagnitudes(scanned, magnitudes);
        const __m128i signBit = _mm_set1_epi16(static_cast<int16_t>(kSignBit));
        __m128i* words = reinterpret_cast<__m128i*>(signWords);
        for (int i = 0; i < 8; ++i) _mm_storeu_si128(words + i, _mm_and_si128(scanned[i], signBit));
    }

    template <int Mode>
    [[gnu::noinline]] static uint64_t ScanWithSignBits(const Outputs& out, uint16_t* magnitudes) {
        __m128i scanned[8];
        GatherScan<Mode>(out.words, scanned);
        StoreMagnitudes(scanned, magnitudes);
        // Saturating to bytes keeps each sign; one mask bit per scan position.
        uint64_t signs = 0;
        for (int i = 0; i < 4; ++i) {
            const int mask = _mm_movemask_epi8(_mm_packs_epi16(scanned[2 * i], scanned[2 * i + 1]));
            signs |= static_cast<uint64_t>(static_cast<uint32_t>(mask)) << (16 * i);
        }
        return signs;
    }

    // The sum of the 64 samples: byte sums of each line pair, then of the two halves.
    static int SampleSum(const uint8_t* samples) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i sums =
            _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(LoadLinePair(samples, 0), zero),
                                        _mm_sad_epu8(LoadLinePair(samples, 1), zero)),
                          _mm_add_epi64(_mm_sad_epu8(LoadLinePair(samples, 2), zero),
                                        _mm_sad_epu8(LoadLinePair(samples, 3), zero)));
        return _mm_cvtsi128_si32(_mm_add_epi32(sums, _mm_srli_si128(sums, 8)));
    }
};

}  // namespace

void SetForwardDctFineKernels_SSE2(TransformKernels& kernels) {
    SetForwardDctFineKernels<Fine>(kernels);
}

}  // namespace encdv
