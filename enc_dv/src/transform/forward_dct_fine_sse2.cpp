// The fine DCTs in SSE2: 16-bit lanes, pmaddwd into 32-bit sums, one register per row.
#include <emmintrin.h>

#include <cstddef>
#include <utility>

#include "transform/forward_dct_fine.h"
#include "transform/scan_order.h"

namespace encdv {

namespace {

constexpr int kVerticalShift = 11;
constexpr int kHorizontalShift = 19;

// (a, b) in every 32-bit lane: pmaddwd with interleaved (x, y) gives a x + b y.
inline __m128i PairConstant(int a, int b) {
    return _mm_set1_epi32(static_cast<int32_t>(
        static_cast<uint16_t>(a) | (static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16)));
}

// round((a x + b y) / 2^11) per lane, from x and y interleaved into lo (lanes 0-3) and hi.
inline __m128i Dot2(__m128i lo, __m128i hi, __m128i ab) {
    const __m128i round = _mm_set1_epi32(1 << (kVerticalShift - 1));
    const __m128i l = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(lo, ab), round), kVerticalShift);
    const __m128i h = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(hi, ab), round), kVerticalShift);
    return _mm_packs_epi32(l, h);
}

// round((a x0 + b x1 + c x2 + d x3) / 2^11) per lane, from (x0, x1) and (x2, x3) interleaved.
inline __m128i Dot4(const __m128i x01[2], const __m128i x23[2], __m128i ab, __m128i cd) {
    const __m128i round = _mm_set1_epi32(1 << (kVerticalShift - 1));
    __m128i half[2];
    for (int i = 0; i < 2; ++i) {
        const __m128i sum = _mm_add_epi32(_mm_madd_epi16(x01[i], ab), _mm_madd_epi16(x23[i], cd));
        half[i] = _mm_srai_epi32(_mm_add_epi32(sum, round), kVerticalShift);
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

// The sum of the 64 samples: byte sums of each line pair, then of the two halves.
inline int SampleSum(const uint8_t* samples) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i sums = _mm_add_epi64(_mm_add_epi64(_mm_sad_epu8(LoadLinePair(samples, 0), zero),
                                                     _mm_sad_epu8(LoadLinePair(samples, 1), zero)),
                                       _mm_add_epi64(_mm_sad_epu8(LoadLinePair(samples, 2), zero),
                                                     _mm_sad_epu8(LoadLinePair(samples, 3), zero)));
    return _mm_cvtsi128_si32(_mm_add_epi32(sums, _mm_srli_si128(sums, 8)));
}

// The four-point DCT of one half (y = line pair sums or differences) into rows d, 2 + d,
// 4 + d, 6 + d; `shift` is the level shift of the sum half's u = 0 row.
inline void FourPoint(__m128i y0, __m128i y1, __m128i y2, __m128i y3, __m128i shift,
                      __m128i* rows) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const __m128i a0 = _mm_add_epi16(y0, y3), a1 = _mm_add_epi16(y1, y2);
    const __m128i b0 = _mm_sub_epi16(y0, y3), b1 = _mm_sub_epi16(y1, y2);
    rows[0] = _mm_slli_epi16(_mm_sub_epi16(_mm_add_epi16(a0, a1), shift), 4);
    rows[4] = _mm_slli_epi16(_mm_sub_epi16(a0, a1), 4);
    __m128i b[2];
    Interleave(b0, b1, b);
    rows[2] = Dot2(b[0], b[1], PairConstant(k[2], k[6]));
    rows[6] = Dot2(b[0], b[1], PairConstant(k[6], -k[2]));
}

inline void Vertical88(const __m128i x[8], __m128i rows[8]) {
    constexpr const int16_t* k = kFineVerticalBasis;
    const __m128i s0 = _mm_add_epi16(x[0], x[7]), d0 = _mm_sub_epi16(x[0], x[7]);
    const __m128i s1 = _mm_add_epi16(x[1], x[6]), d1 = _mm_sub_epi16(x[1], x[6]);
    const __m128i s2 = _mm_add_epi16(x[2], x[5]), d2 = _mm_sub_epi16(x[2], x[5]);
    const __m128i s3 = _mm_add_epi16(x[3], x[4]), d3 = _mm_sub_epi16(x[3], x[4]);
    // The even rows are the four-point DCT of the sums, with the bases of the 2-4-8 halves.
    __m128i even[8];
    FourPoint(s0, s1, s2, s3, _mm_set1_epi16(1024), even);
    rows[0] = even[0];
    rows[2] = even[2];
    rows[4] = even[4];
    rows[6] = even[6];
    __m128i d01[2], d23[2];
    Interleave(d0, d1, d01);
    Interleave(d2, d3, d23);
    rows[1] = Dot4(d01, d23, PairConstant(k[1], k[3]), PairConstant(k[5], k[7]));
    rows[3] = Dot4(d01, d23, PairConstant(k[3], -k[7]), PairConstant(-k[1], -k[5]));
    rows[5] = Dot4(d01, d23, PairConstant(k[5], -k[1]), PairConstant(k[7], k[3]));
    rows[7] = Dot4(d01, d23, PairConstant(k[7], -k[5]), PairConstant(k[3], -k[1]));
}

inline void Vertical248(const __m128i x[8], __m128i rows[8]) {
    __m128i s[4], d[4];
    for (int z = 0; z < 4; ++z) {
        s[z] = _mm_add_epi16(x[2 * z], x[2 * z + 1]);
        d[z] = _mm_sub_epi16(x[2 * z], x[2 * z + 1]);
    }
    __m128i sums[8], differences[8];
    FourPoint(s[0], s[1], s[2], s[3], _mm_set1_epi16(1024), sums);
    FourPoint(d[0], d[1], d[2], d[3], _mm_setzero_si128(), differences);
    for (int u = 0; u < 4; ++u) {
        rows[2 * u] = sums[2 * u];
        rows[2 * u + 1] = differences[2 * u];
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
    const __m128i half = _mm_set1_epi32(1 << (kHorizontalShift - 1));
    const __m128i value =
        _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(upper, half), kHorizontalShift),
                        _mm_srai_epi32(_mm_add_epi32(lower, half), kHorizontalShift));
    constexpr int kRestShift = 32 - kHorizontalShift;
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

// The block's 64 outputs in eighths into out[8h + v] (16-byte aligned); out[0] is undefined.
template <int Mode>
inline void Transform(const __m128i x[8], int16_t* out) {
    __m128i rows[8];
    if (Mode == 0) {
        Vertical88(x, rows);
    } else {
        Vertical248(x, rows);
    }
    Horizontal(rows, kFineHorizontal[Mode], out);
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

// The scan of the outputs into magnitudes and sign words. Kept out of line so that the
// outputs are read from memory, one insert each, rather than extracted from registers.
template <int Mode>
[[gnu::noinline]] void ScanWithSignWords(const int16_t* out, uint16_t* magnitudes,
                                         CoefficientWord* signWords) {
    __m128i scanned[8];
    GatherScan<Mode>(out, scanned);
    StoreMagnitudes(scanned, magnitudes);
    const __m128i signBit = _mm_set1_epi16(static_cast<int16_t>(kSignBit));
    __m128i* words = reinterpret_cast<__m128i*>(signWords);
    for (int i = 0; i < 8; ++i) _mm_storeu_si128(words + i, _mm_and_si128(scanned[i], signBit));
}

// The same with the signs as bits.
template <int Mode>
[[gnu::noinline]] uint64_t ScanWithSignBits(const int16_t* out, uint16_t* magnitudes) {
    __m128i scanned[8];
    GatherScan<Mode>(out, scanned);
    StoreMagnitudes(scanned, magnitudes);
    // Saturating to bytes keeps each sign; one mask bit per scan position.
    uint64_t signs = 0;
    for (int i = 0; i < 4; ++i) {
        const int mask = _mm_movemask_epi8(_mm_packs_epi16(scanned[2 * i], scanned[2 * i + 1]));
        signs |= static_cast<uint64_t>(static_cast<uint32_t>(mask)) << (16 * i);
    }
    return signs;
}

template <int Mode>
int WithSignWords(const uint8_t* samples, uint16_t* magnitudes, CoefficientWord* signWords) {
    __m128i x[8];
    LoadLines(samples, x);
    alignas(16) int16_t out[64];
    Transform<Mode>(x, out);
    ScanWithSignWords<Mode>(out, magnitudes, signWords);
    return SampleSum(samples);
}

template <int Mode>
uint64_t WithSignBits(const uint8_t* samples, uint16_t* magnitudes) {
    __m128i x[8];
    LoadLines(samples, x);
    alignas(16) int16_t out[64];
    Transform<Mode>(x, out);
    return ScanWithSignBits<Mode>(out, magnitudes);
}

}  // namespace

int ForwardDctFine88_SSE2(const uint8_t* samples, uint16_t* magnitudes,
                          CoefficientWord* signWords) {
    return WithSignWords<0>(samples, magnitudes, signWords);
}

int ForwardDctFine248_SSE2(const uint8_t* samples, uint16_t* magnitudes,
                           CoefficientWord* signWords) {
    return WithSignWords<1>(samples, magnitudes, signWords);
}

uint64_t ForwardDctFineSigns88_SSE2(const uint8_t* samples, uint16_t* magnitudes) {
    return WithSignBits<0>(samples, magnitudes);
}

uint64_t ForwardDctFineSigns248_SSE2(const uint8_t* samples, uint16_t* magnitudes) {
    return WithSignBits<1>(samples, magnitudes);
}

}  // namespace encdv
