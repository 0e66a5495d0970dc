// The fine DCTs in AVX2: two rows of a block in each register, so that every pmaddwd forms
// the sums of eight columns of two rows, or of four rows for two frequencies.
//
// Vertical pass: from the lines [0 | 1], [2 | 3], [4 | 5], [6 | 7] (low | high 128 bits), the
// four-point steps on [a | b] halves, whose sums across halves are an exchange of the halves
// away; every row comes out as [row i | row i + 4], i = 0..3. Horizontal pass: the rows taken
// as the SSE2 kernel takes rows 0-3 and 4-7, both at once. The arithmetic is the portable
// kernel's (forward_dct_fine.h), each product and sum the same 16- or 32-bit number.
#include <immintrin.h>

#include <cstddef>
#include <utility>

#include "transform/forward_dct_fine_tmpl.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

inline __m256i Swap(__m256i x) {
    return _mm256_permute4x64_epi64(x, _MM_SHUFFLE(1, 0, 3, 2));
}

// Low half of `low`, high half of `high`.
inline __m256i Halves(__m256i low, __m256i high) {
    return _mm256_blend_epi32(low, high, 0xF0);
}

inline int32_t PairWord(int a, int b) {
    return static_cast<int32_t>(static_cast<uint16_t>(a) |
                                (static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16));
}

// (a, b) in every 32-bit lane of the low half, (c, d) in the high: pmaddwd with interleaved
// (x, y) gives a x + b y below and c x + d y above.
inline __m256i PairConstants(int a, int b, int c, int d) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_set1_epi32(PairWord(a, b))),
                                   _mm_set1_epi32(PairWord(c, d)), 1);
}

// round(sum / 2^kFineVerticalShift) of the 32-bit sums of columns 0-3 (lo) and 4-7 (hi) of
// each half, packed to 16 bits in column order.
inline __m256i RoundAndPack(__m256i lo, __m256i hi) {
    const __m256i round = _mm256_set1_epi32(1 << (kFineVerticalShift - 1));
    return _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(lo, round), kFineVerticalShift),
                              _mm256_srai_epi32(_mm256_add_epi32(hi, round), kFineVerticalShift));
}

// x's halves paired column by column with the other half: below (x_low, x_high), above
// (x_high, x_low); [0] columns 0-3, [1] columns 4-7.
struct Interleaved {
    __m256i lo, hi;
};
inline Interleaved InterleaveHalves(__m256i x) {
    const __m256i swapped = Swap(x);
    return {_mm256_unpacklo_epi16(x, swapped), _mm256_unpackhi_epi16(x, swapped)};
}

// The four-point DCT of y0..y3, from [y0 | y1] and [y2 | y3] (`shift` the level shift of the
// first output): [out0 | out4] and [out2 | out6] of FourPoint (forward_dct_fine_tmpl.h).
inline void FourPoint(__m256i y01, __m256i y23, int16_t shift, __m256i& r04, __m256i& r26) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const __m256i a = _mm256_add_epi16(y01, Swap(y23));  // [a0 | a1]
    const __m256i b = _mm256_sub_epi16(y01, Swap(y23));  // [b0 | b1]
    const __m256i swapped = Swap(a);
    const __m256i sum = _mm256_add_epi16(a, swapped);         // a0 + a1 below
    const __m256i difference = _mm256_sub_epi16(swapped, a);  // a0 - a1 above
    const __m256i levelShift = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_set1_epi16(shift)), _mm_setzero_si128(), 1);
    r04 = _mm256_slli_epi16(_mm256_sub_epi16(Halves(sum, difference), levelShift), 4);
    // Below k2 b0 + k6 b1, above k6 b0 - k2 b1 (the pairs run (b1, b0) there).
    const Interleaved pairs = InterleaveHalves(b);
    const __m256i c = PairConstants(k[2], k[6], -k[2], k[6]);
    r26 = RoundAndPack(_mm256_madd_epi16(pairs.lo, c), _mm256_madd_epi16(pairs.hi, c));
}

// Rows 1, 3, 5 and 7 of the 8-8 DCT from the line differences [d0 | d1] and [d2 | d3]:
// [row 1 | row 5] and [row 3 | row 7]. The pairs run (d0, d1), (d2, d3) below and (d1, d0),
// (d3, d2) above.
inline void OddRows(__m256i d01, __m256i d23, __m256i& r15, __m256i& r37) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const Interleaved p = InterleaveHalves(d01);
    const Interleaved q = InterleaveHalves(d23);
    auto rows = [&p, &q](__m256i first, __m256i second) {
        return RoundAndPack(
            _mm256_add_epi32(_mm256_madd_epi16(p.lo, first), _mm256_madd_epi16(q.lo, second)),
            _mm256_add_epi32(_mm256_madd_epi16(p.hi, first), _mm256_madd_epi16(q.hi, second)));
    };
    // Row 1: k1 k3 k5 k7; row 5: k5 -k1 k7 k3; row 3: k3 -k7 -k1 -k5; row 7: k7 -k5 k3 -k1.
    r15 = rows(PairConstants(k[1], k[3], -k[1], k[5]), PairConstants(k[5], k[7], k[3], k[7]));
    r37 = rows(PairConstants(k[3], -k[7], -k[5], k[7]), PairConstants(-k[1], -k[5], -k[1], k[3]));
}

// The block's lines widened to 16 bits: x[i] = [line 2i | line 2i + 1].
inline void LoadLines(const uint8_t* samples, __m256i x[4]) {
    for (int i = 0; i < 4; ++i) {
        x[i] = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples) + i));
    }
}

// The vertical pass of DCT mode Mode: r[i] = [row i | row i + 4], i = 0..3.
template <int Mode>
inline void Vertical(const uint8_t* samples, __m256i r[4]) {
    __m256i x[4];
    LoadLines(samples, x);
    if constexpr (Mode == 0) {
        // Sums and differences of lines i and 7 - i: [s0 | s1], [s2 | s3], [d0 | d1], [d2 | d3].
        const __m256i s01 = _mm256_add_epi16(x[0], Swap(x[3]));
        const __m256i s23 = _mm256_add_epi16(x[1], Swap(x[2]));
        const __m256i d01 = _mm256_sub_epi16(x[0], Swap(x[3]));
        const __m256i d23 = _mm256_sub_epi16(x[1], Swap(x[2]));
        FourPoint(s01, s23, 1024, r[0], r[2]);
        OddRows(d01, d23, r[1], r[3]);
    } else {
        // Sums and differences of the line pairs (2z, 2z + 1), z = 0..3.
        const __m256i even01 = _mm256_permute2x128_si256(x[0], x[1], 0x20);  // [0 | 2]
        const __m256i odd01 = _mm256_permute2x128_si256(x[0], x[1], 0x31);   // [1 | 3]
        const __m256i even23 = _mm256_permute2x128_si256(x[2], x[3], 0x20);  // [4 | 6]
        const __m256i odd23 = _mm256_permute2x128_si256(x[2], x[3], 0x31);   // [5 | 7]
        FourPoint(_mm256_add_epi16(even01, odd01), _mm256_add_epi16(even23, odd23), 1024, r[0],
                  r[2]);
        FourPoint(_mm256_sub_epi16(even01, odd01), _mm256_sub_epi16(even23, odd23), 0, r[1], r[3]);
    }
}

// Swaps the two 16-bit halves of every 32-bit lane.
inline __m256i SwapWords(__m256i x) {
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(x, _MM_SHUFFLE(2, 3, 0, 1)),
                                  _MM_SHUFFLE(2, 3, 0, 1));
}

// Column pairs of rows 0-3 (below) and 4-7 (above), as the SSE2 kernel's PairColumns: the
// sums and differences of columns j and 7 - j as (j, j + 1) pairs.
struct ColumnPairs {
    __m256i s01, s23, d01, d23;
};

inline ColumnPairs PairColumns(const __m256i r[4]) {
    const __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]);
    const __m256i t1 = _mm256_unpacklo_epi32(r[2], r[3]);
    const __m256i t2 = _mm256_unpackhi_epi32(r[0], r[1]);
    const __m256i t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    const __m256i c01 = _mm256_unpacklo_epi64(t0, t1);
    const __m256i c23 = _mm256_unpackhi_epi64(t0, t1);
    const __m256i c54 = SwapWords(_mm256_unpacklo_epi64(t2, t3));
    const __m256i c76 = SwapWords(_mm256_unpackhi_epi64(t2, t3));
    return {_mm256_add_epi16(c01, c76), _mm256_add_epi16(c23, c54), _mm256_sub_epi16(c01, c76),
            _mm256_sub_epi16(c23, c54)};
}

// Frequency h of all eight rows, 32-bit sums before rounding; `pair` points to the
// multipliers of h (pair 0, then pair 1), rows 0-3 below and 4-7 above.
inline __m256i HorizontalSum(__m256i y01, __m256i y23, const int16_t (*pair)[16]) {
    const __m256i* t = reinterpret_cast<const __m256i*>(pair);
    return _mm256_add_epi32(_mm256_madd_epi16(y01, _mm256_loadu_si256(t)),
                            _mm256_madd_epi16(y23, _mm256_loadu_si256(t + 1)));
}

// Frequencies h and h + 1 in eighths, as the SSE2 kernel's ToEighths, in output order
// (h rows 0-7, then h + 1 rows 0-7).
inline __m256i ToEighths(__m256i first, __m256i second) {
    const __m256i half = _mm256_set1_epi32(1 << (kFineHorizontalShift - 1));
    const __m256i value =
        _mm256_packs_epi32(_mm256_srai_epi32(_mm256_add_epi32(first, half), kFineHorizontalShift),
                           _mm256_srai_epi32(_mm256_add_epi32(second, half), kFineHorizontalShift));
    constexpr int kRestShift = 32 - kFineHorizontalShift;
    const __m256i rest = _mm256_packs_epi32(_mm256_slli_epi32(first, kRestShift),
                                            _mm256_slli_epi32(second, kRestShift));
    const __m256i key = _mm256_and_si256(value, _mm256_set1_epi16(static_cast<int16_t>(0x8007)));
    const __m256i up = _mm256_srli_epi16(_mm256_cmpeq_epi16(key, _mm256_set1_epi16(4)), 15);
    const __m256i down = _mm256_cmpeq_epi16(key, _mm256_set1_epi16(static_cast<int16_t>(0x8004)));
    const __m256i rounded =
        _mm256_add_epi16(value, _mm256_max_epi16(_mm256_min_epi16(rest, up), down));
    return _mm256_permute4x64_epi64(rounded, _MM_SHUFFLE(3, 1, 2, 0));
}

// The horizontal pass: out[8h + v], two frequencies per store.
inline void Horizontal(const __m256i r[4], const int16_t (*table)[2][16], int16_t* out) {
    const ColumnPairs c = PairColumns(r);
    for (int h = 0; h < 8; h += 2) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * h),
                            ToEighths(HorizontalSum(c.s01, c.s23, table[h]),
                                      HorizontalSum(c.d01, c.d23, table[h + 1])));
    }
}

// Row r of a scan (positions 8r to 8r + 7) gathered from the outputs, one insert per word.
template <std::size_t Row, std::size_t... L>
inline __m128i GatherRow(__m128i row, const uint8_t* order, const int16_t* out,
                         std::index_sequence<L...>) {
    ((row = _mm_insert_epi16(row, out[order[8 * Row + L]], L)), ...);
    return row;
}

// The outputs in scan order, position 0 = 0, two scan rows per register.
template <int Mode>
[[gnu::always_inline]] inline void GatherScan(const int16_t* out, __m256i rows[4]) {
    constexpr const uint8_t* order = Mode == 0 ? kScanOrder88 : kScanOrder248;
    const __m128i zero = _mm_setzero_si128();
    const std::make_index_sequence<8> lanes;
    auto combine = [](__m128i low, __m128i high) {
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    };
    rows[0] = combine(GatherRow<0>(zero, order, out, std::index_sequence<1, 2, 3, 4, 5, 6, 7>()),
                      GatherRow<1>(zero, order, out, lanes));
    rows[1] = combine(GatherRow<2>(zero, order, out, lanes), GatherRow<3>(zero, order, out, lanes));
    rows[2] = combine(GatherRow<4>(zero, order, out, lanes), GatherRow<5>(zero, order, out, lanes));
    rows[3] = combine(GatherRow<6>(zero, order, out, lanes), GatherRow<7>(zero, order, out, lanes));
}

inline void StoreMagnitudes(const __m256i scanned[4], uint16_t* magnitudes) {
    __m256i* m = reinterpret_cast<__m256i*>(magnitudes);
    for (int i = 0; i < 4; ++i) _mm256_storeu_si256(m + i, _mm256_abs_epi16(scanned[i]));
}

// The primitives of the fine DCTs (forward_dct_fine_tmpl.h): the whole transform and scans.
struct Fine {
    // The block's 64 outputs in eighths at [8h + v]; [0] is undefined.
    struct Outputs {
        alignas(32) int16_t words[64];
    };

    template <int Mode>
    static void Transform(const uint8_t* samples, Outputs& out) {
        __m256i r[4];
        Vertical<Mode>(samples, r);
        Horizontal(r, kFineHorizontal[Mode], out.words);
    }

    // Kept out of line so that the outputs are read from memory, one insert each.
    template <int Mode>
    [[gnu::noinline]] static void ScanWithSignWords(const Outputs& out, uint16_t* magnitudes,
                                                    CoefficientWord* signWords) {
        __m256i scanned[4];
        GatherScan<Mode>(out.words, scanned);
        StoreMagnitudes(scanned, magnitudes);
        const __m256i signBit = _mm256_set1_epi16(static_cast<int16_t>(kSignBit));
        __m256i* words = reinterpret_cast<__m256i*>(signWords);
        for (int i = 0; i < 4; ++i) {
            _mm256_storeu_si256(words + i, _mm256_and_si256(scanned[i], signBit));
        }
    }

    template <int Mode>
    [[gnu::noinline]] static uint64_t ScanWithSignBits(const Outputs& out, uint16_t* magnitudes) {
        __m256i scanned[4];
        GatherScan<Mode>(out.words, scanned);
        StoreMagnitudes(scanned, magnitudes);
        // Saturating to bytes keeps each sign; one mask bit per scan position.
        uint64_t signs = 0;
        for (int i = 0; i < 2; ++i) {
            const __m256i bytes = _mm256_permute4x64_epi64(
                _mm256_packs_epi16(scanned[2 * i], scanned[2 * i + 1]), _MM_SHUFFLE(3, 1, 2, 0));
            signs |= static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(bytes)))
                     << (32 * i);
        }
        return signs;
    }

    // The sum of the 64 samples: byte sums of each quarter of each half, then of all four.
    static int SampleSum(const uint8_t* samples) {
        const __m256i* p = reinterpret_cast<const __m256i*>(samples);
        const __m256i zero = _mm256_setzero_si256();
        const __m256i sums = _mm256_add_epi64(_mm256_sad_epu8(_mm256_loadu_si256(p), zero),
                                              _mm256_sad_epu8(_mm256_loadu_si256(p + 1), zero));
        const __m128i folded =
            _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        return _mm_cvtsi128_si32(_mm_add_epi64(folded, _mm_srli_si128(folded, 8)));
    }
};

}  // namespace

void SetForwardDctFineKernels_AVX2(TransformKernels& kernels) {
    SetForwardDctFineKernels<Fine>(kernels);
}

}  // namespace encdv
