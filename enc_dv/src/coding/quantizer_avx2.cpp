// The quantizer's rounding at six steps and code lengths per area in AVX2: 16-word rows, four
// to a block. (The step patterns stay SSE2's: in 32-byte rows they took longer.)
#include <immintrin.h>

#include "coding/code_length_parts.h"
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

// Shifts s and s + 1 of each area's figure (lanes of `first` and `second`) into area a's row
// of `out` at s, s + 1.
template <typename Word>
inline void StoreAreaPair(__m128i first, __m128i second, Word (*out)[kShiftCount], int s) {
    const __m128i areas01 = _mm_unpacklo_epi32(first, second);
    const __m128i areas23 = _mm_unpackhi_epi32(first, second);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out[0][s]), areas01);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out[1][s]), _mm_unpackhi_epi64(areas01, areas01));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out[2][s]), areas23);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&out[3][s]), _mm_unpackhi_epi64(areas23, areas23));
}

template <bool Capped>
void RoundAll(const __m256i m[4], const AreaWeights& w, ShiftRounding& out) {
    const __m128i shift0 = RoundAtShift<0, Capped>(m, w, out);
    StoreAreaPair(shift0, RoundAtShift<1, Capped>(m, w, out), out.distortion, 0);
    const __m128i shift2 = RoundAtShift<2, Capped>(m, w, out);
    StoreAreaPair(shift2, RoundAtShift<3, Capped>(m, w, out), out.distortion, 2);
    const __m128i shift4 = RoundAtShift<4, Capped>(m, w, out);
    StoreAreaPair(shift4, RoundAtShift<5, Capped>(m, w, out), out.distortion, 4);
}

// Sixteen table bytes in both halves of a register, for byte shuffles.
inline __m256i Table16(const uint8_t* bytes) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
}

// The code length parts (code_length_parts.h) as shuffle tables.
struct LengthTables {
    __m256i amplitudeLow, amplitudeHigh;  // amplitudes 0-15, 16-31
    __m256i zeroRun, savingLimit, savingBase;
    __m256i saving[4];  // entries 0-15, ..., 48-63
};

inline LengthTables LoadLengthTables() {
    const CodeLengthParts& p = kCodeLengthParts;
    return {Table16(p.amplitude),
            Table16(p.amplitude + 16),
            Table16(p.zeroRun),
            Table16(p.savingLimit),
            Table16(p.savingBase),
            {Table16(p.saving), Table16(p.saving + 16), Table16(p.saving + 32),
             Table16(p.saving + 48)}};
}

// Each byte moved up one position, the last byte of `before` (the 32 bytes below) entering at
// position 0; `before` holds `x` itself where nothing comes before.
inline __m256i PreviousBytes(__m256i x, __m256i lowBefore) {
    return _mm256_alignr_epi8(x, lowBefore, 15);
}

// Every byte the largest of itself and the bytes below it within its 128-bit half.
inline __m256i PrefixMaxInHalves(__m256i x) {
    x = _mm256_max_epu8(x, _mm256_slli_si256(x, 1));
    x = _mm256_max_epu8(x, _mm256_slli_si256(x, 2));
    x = _mm256_max_epu8(x, _mm256_slli_si256(x, 4));
    return _mm256_max_epu8(x, _mm256_slli_si256(x, 8));
}

// Byte 15 of each half in every byte of that half.
inline __m256i LastOfHalves(__m256i x) {
    return _mm256_shuffle_epi8(x, _mm256_set1_epi8(15));
}

// The code lengths of 32 amplitudes `a` at distances `d` from the coded position before each
// (where `coded` is set; 0 elsewhere).
inline __m256i CodeLengths(__m256i a, __m256i d, __m256i coded, const LengthTables& t) {
    const __m256i capped = _mm256_min_epu8(a, _mm256_set1_epi8(23));
    const __m256i amplitude = _mm256_blendv_epi8(_mm256_shuffle_epi8(t.amplitudeLow, capped),
                                                 _mm256_shuffle_epi8(t.amplitudeHigh, capped),
                                                 _mm256_cmpgt_epi8(capped, _mm256_set1_epi8(15)));
    // Distances from 16 up share entry 0.
    const __m256i r = _mm256_min_epu8(d, _mm256_set1_epi8(16));
    const __m256i limit = _mm256_shuffle_epi8(t.savingLimit, r);
    const __m256i direct = _mm256_cmpeq_epi8(_mm256_min_epu8(a, limit), a);
    const __m256i i = _mm256_add_epi8(_mm256_shuffle_epi8(t.savingBase, r), a);
    __m256i saving = _mm256_shuffle_epi8(t.saving[0], i);
    for (int part = 1; part < 4; ++part) {
        saving = _mm256_blendv_epi8(
            saving, _mm256_shuffle_epi8(t.saving[part], i),
            _mm256_cmpgt_epi8(i, _mm256_set1_epi8(static_cast<char>(16 * part - 1))));
    }
    const __m256i escaped = _mm256_add_epi8(amplitude, _mm256_shuffle_epi8(t.zeroRun, r));
    return _mm256_and_si256(_mm256_sub_epi8(escaped, _mm256_and_si256(saving, direct)), coded);
}

// The byte sums of x over the lanes of `mask`, four 64-bit partial sums.
inline __m256i SumMasked(__m256i x, __m256i mask) {
    return _mm256_sad_epu8(_mm256_and_si256(x, mask), _mm256_setzero_si256());
}

// Bytes from to to - 1 of a register set, the others clear.
struct ByteMaskBytes {
    alignas(32) int8_t bytes[32];
};
constexpr ByteMaskBytes MakeByteMask(int from, int to) {
    ByteMaskBytes mask{};
    for (int i = 0; i < 32; ++i) mask.bytes[i] = i >= from && i < to ? -1 : 0;
    return mask;
}
template <int kFrom, int kTo>
inline constexpr ByteMaskBytes kByteMask = MakeByteMask(kFrom, kTo);

template <int kFrom, int kTo>
inline __m256i ByteMask() {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(kByteMask<kFrom, kTo>.bytes));
}

// The bits of each area (one per 32-bit lane) of the codes at one shift.
inline __m128i AreaBitsAtShift(const uint8_t* amplitudes, const LengthTables& t) {
    const __m256i* p = reinterpret_cast<const __m256i*>(amplitudes);
    const __m256i a[2] = {_mm256_loadu_si256(p), _mm256_loadu_si256(p + 1)};
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ones = _mm256_set1_epi8(-1);
    // The coded positions: nonzero amplitudes, the DC slot left out.
    const __m256i coded[2] = {_mm256_andnot_si256(_mm256_cmpeq_epi8(a[0], zero), ByteMask<1, 32>()),
                              _mm256_andnot_si256(_mm256_cmpeq_epi8(a[1], zero), ones)};
    const __m256i position[2] = {
        _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                         21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31),
        _mm256_setr_epi8(32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50,
                         51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63)};
    // The last coded position at or below each position (0 for none): a running maximum.
    __m256i last[2];
    for (int i = 0; i < 2; ++i) {
        last[i] = PrefixMaxInHalves(_mm256_and_si256(coded[i], position[i]));
        const __m256i carry = LastOfHalves(last[i]);
        last[i] = _mm256_max_epu8(last[i], _mm256_permute2x128_si256(carry, carry, 0x08));
    }
    last[1] = _mm256_max_epu8(
        last[1], _mm256_permute4x64_epi64(LastOfHalves(last[0]), _MM_SHUFFLE(3, 3, 3, 3)));
    // The coded position before each: the running maximum one position down.
    const __m256i previous[2] = {
        PreviousBytes(last[0], _mm256_permute2x128_si256(last[0], last[0], 0x08)),
        PreviousBytes(last[1], _mm256_permute2x128_si256(last[0], last[1], 0x21))};
    __m256i lengths[2];
    for (int i = 0; i < 2; ++i) {
        lengths[i] = CodeLengths(a[i], _mm256_sub_epi8(position[i], previous[i]), coded[i], t);
    }
    // Each area's sum (below 2^11) from the registers it covers: area 2 from both.
    static_assert(kAreaStart[2] < 32 && kAreaStart[3] > 32, "area 2 straddles the registers");
    constexpr int k1 = kAreaStart[1], k2 = kAreaStart[2], k3 = kAreaStart[3] - 32;
    const __m256i area01 =
        _mm256_or_si256(SumMasked(lengths[0], ByteMask<0, k1>()),
                        _mm256_slli_epi64(SumMasked(lengths[0], ByteMask<k1, k2>()), 32));
    const __m256i area23 =
        _mm256_or_si256(_mm256_add_epi64(SumMasked(lengths[0], ByteMask<k2, 32>()),
                                         SumMasked(lengths[1], ByteMask<0, k3>())),
                        _mm256_slli_epi64(SumMasked(lengths[1], ByteMask<k3, 32>()), 32));
    const __m256i sums = _mm256_add_epi32(_mm256_unpacklo_epi64(area01, area23),
                                          _mm256_unpackhi_epi64(area01, area23));
    return _mm_add_epi32(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
}

// The quantizer's AVX2 kernels.
struct Quantizer {
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

    static void AreaBits(const ShiftRounding& rounding, int32_t (*bits)[kShiftCount]) {
        const LengthTables t = LoadLengthTables();
        for (int s = 0; s < kShiftCount; s += 2) {
            StoreAreaPair(AreaBitsAtShift(rounding.amplitudes[s], t),
                          AreaBitsAtShift(rounding.amplitudes[s + 1], t), bits, s);
        }
    }
};

}  // namespace

void SetQuantizerKernels_AVX2(QuantizerKernels& kernels) {
    kernels.roundAtShifts = Quantizer::RoundAtShifts;
    kernels.areaBits = Quantizer::AreaBits;
}

}  // namespace encdv
