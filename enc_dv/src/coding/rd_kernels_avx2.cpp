// The best-quality search's kernels in AVX2: a block's 13 pattern costs in four registers of
// four 64-bit lanes, and the 16 QNOs' costs of each class gathered from them by 32-bit lane
// permutes, four QNOs to a register, as QuantPatternIndex decides at compile time; the
// patterns' sums of the area figures by the same permutes; the DCT mode's code-size guess
// by nibble tables.
#include <immintrin.h>

#include "coding/rd_kernels.h"
#include "common/macroblock_pixels.h"

namespace encdv {

namespace {

// For class c and QNOs 4g to 4g + 3: from each register s of the patterns (4s to 4s + 3), the
// permute control that moves each QNO's pattern into its lane, and the lanes it serves.
struct ClassGather {
    alignas(32) int32_t control[kClassCount][4][4][8];
    uint8_t lanes[kClassCount][4][4];  // bit k: QNO 4g + k takes its pattern from register s
};

constexpr ClassGather MakeClassGather() {
    ClassGather gather{};
    for (int c = 0; c < kClassCount; ++c) {
        for (int q = 0; q < kQnoCount; ++q) {
            const int p = QuantPatternIndex[c][q];
            const int g = q / 4, k = q % 4, s = p / 4;
            gather.control[c][g][s][2 * k] = 2 * (p % 4);
            gather.control[c][g][s][2 * k + 1] = 2 * (p % 4) + 1;
            gather.lanes[c][g][s] = static_cast<uint8_t>(gather.lanes[c][g][s] | (1 << k));
        }
    }
    return gather;
}
constexpr ClassGather kGather = MakeClassGather();

// The 32-bit blend mask of 64-bit lanes.
constexpr int DwordMask(unsigned lanes) {
    int mask = 0;
    for (int k = 0; k < 4; ++k) mask |= (lanes >> k & 1) ? 3 << (2 * k) : 0;
    return mask;
}

template <int C, int G, int S>
inline __m256i TakeFrom(__m256i out, const __m256i (&patterns)[4]) {
    constexpr unsigned kLanes = kGather.lanes[C][G][S];
    if constexpr (kLanes == 0) {
        return out;
    } else {
        const __m256i control =
            _mm256_load_si256(reinterpret_cast<const __m256i*>(kGather.control[C][G][S]));
        const __m256i moved = _mm256_permutevar8x32_epi32(patterns[S], control);
        if constexpr (kLanes == 0xF) {
            return moved;
        } else {
            return _mm256_blend_epi32(out, moved, DwordMask(kLanes));
        }
    }
}

// The costs of class C at QNOs 4G to 4G + 3.
template <int C, int G>
inline __m256i ClassCosts(const __m256i (&patterns)[4]) {
    __m256i out = _mm256_setzero_si256();
    out = TakeFrom<C, G, 0>(out, patterns);
    out = TakeFrom<C, G, 1>(out, patterns);
    out = TakeFrom<C, G, 2>(out, patterns);
    return TakeFrom<C, G, 3>(out, patterns);
}

// b where b < a, else a, per 64-bit lane.
inline __m256i Least(__m256i a, __m256i b) {
    return _mm256_blendv_epi8(a, b, _mm256_cmpgt_epi64(a, b));
}

template <int G>
inline __m256i LeastOverClasses(const __m256i (&patterns)[4]) {
    return Least(Least(ClassCosts<0, G>(patterns), ClassCosts<1, G>(patterns)),
                 Least(ClassCosts<2, G>(patterns), ClassCosts<3, G>(patterns)));
}

void MacroblockCosts(const int64_t (*scaledError)[kQuantPatternCount],
                     const int32_t (*costRate)[kQuantPatternCount], uint64_t lambda,
                     int64_t (*cost)[kQuantPatternCount], int64_t* qnoCost) {
    static_assert(kQuantPatternCount == 13 && kQnoCount == 16, "patterns in four registers");
    const __m256i lambdaLow = _mm256_set1_epi64x(static_cast<int64_t>(lambda & 0xFFFFFFFFu));
    const __m256i lambdaHigh = _mm256_set1_epi64x(static_cast<int64_t>(lambda >> 32));
    // Only pattern 12 of the last register: the rows end there.
    const __m256i lastLanes = _mm256_setr_epi64x(-1, 0, 0, 0);
    __m256i sum[4] = {_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256(),
                      _mm256_setzero_si256()};
    for (int b = 0; b < kBlocksPerMacroblock; ++b) {
        __m256i patterns[4];
        for (int s = 0; s < 4; ++s) {
            const int64_t* error = scaledError[b] + 4 * s;
            const int32_t* rate = costRate[b] + 4 * s;
            long long* out = reinterpret_cast<long long*>(cost[b] + 4 * s);
            const __m256i e =
                s < 3 ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(error))
                      : _mm256_maskload_epi64(reinterpret_cast<const long long*>(error), lastLanes);
            const __m256i r = _mm256_cvtepu32_epi64(
                s < 3 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(rate))
                      : _mm_maskload_epi32(rate, _mm256_castsi256_si128(lastLanes)));
            // lambda x rate from the two halves of lambda.
            const __m256i product =
                _mm256_add_epi64(_mm256_mul_epu32(r, lambdaLow),
                                 _mm256_slli_epi64(_mm256_mul_epu32(r, lambdaHigh), 32));
            patterns[s] = _mm256_add_epi64(e, product);
            if (s < 3) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), patterns[s]);
            } else {
                _mm256_maskstore_epi64(out, lastLanes, patterns[s]);
            }
        }
        sum[0] = _mm256_add_epi64(sum[0], LeastOverClasses<0>(patterns));
        sum[1] = _mm256_add_epi64(sum[1], LeastOverClasses<1>(patterns));
        sum[2] = _mm256_add_epi64(sum[2], LeastOverClasses<2>(patterns));
        sum[3] = _mm256_add_epi64(sum[3], LeastOverClasses<3>(patterns));
    }
    for (int g = 0; g < 4; ++g) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(qnoCost + 4 * g), sum[g]);
    }
}

// The shift of pattern 8g + i in area a, by lane (0 past pattern 12).
struct PatternShifts {
    alignas(32) int32_t lane[kAreaCount][2][8];
};
constexpr PatternShifts MakePatternShifts() {
    PatternShifts shifts{};
    for (int a = 0; a < kAreaCount; ++a) {
        for (int p = 0; p < kQuantPatternCount; ++p)
            shifts.lane[a][p / 8][p % 8] = QuantPattern[p][a];
    }
    return shifts;
}
constexpr PatternShifts kPatternShifts = MakePatternShifts();

// Each area's row of six figures permuted into the patterns' lanes and summed, patterns 0-7
// and 8-12 in two registers.
void PatternSums(const int32_t (*areaBits)[kShiftCount], const uint32_t (*areaError)[kShiftCount],
                 int32_t* rate, uint32_t* error) {
    static_assert(kShiftCount == 6 && kQuantPatternCount == 13, "rows of six, 13 patterns");
    const __m256i sixLanes = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
    __m256i bits[2] = {_mm256_set1_epi32(4), _mm256_set1_epi32(4)};
    __m256i sum[2] = {_mm256_setzero_si256(), _mm256_setzero_si256()};
    for (int a = 0; a < kAreaCount; ++a) {
        const __m256i b = _mm256_maskload_epi32(areaBits[a], sixLanes);
        const __m256i e =
            _mm256_maskload_epi32(reinterpret_cast<const int*>(areaError[a]), sixLanes);
        for (int g = 0; g < 2; ++g) {
            const __m256i shifts =
                _mm256_load_si256(reinterpret_cast<const __m256i*>(kPatternShifts.lane[a][g]));
            bits[g] = _mm256_add_epi32(bits[g], _mm256_permutevar8x32_epi32(b, shifts));
            sum[g] = _mm256_add_epi32(sum[g], _mm256_permutevar8x32_epi32(e, shifts));
        }
    }
    const __m256i uncodable = _mm256_set1_epi32(1 << 20);
    for (int g = 0; g < 2; ++g) {
        const __m256i valid = _mm256_cmpgt_epi32(uncodable, bits[g]);
        const __m256i r = _mm256_blendv_epi8(_mm256_set1_epi32(kInvalidRate), bits[g], valid);
        const __m256i e = _mm256_blendv_epi8(_mm256_set1_epi32(-1), sum[g], valid);
        if (g == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(rate), r);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(error), e);
        } else {
            const __m256i fiveLanes = _mm256_setr_epi32(-1, -1, -1, -1, -1, 0, 0, 0);
            _mm256_maskstore_epi32(rate + 8, fiveLanes, r);
            _mm256_maskstore_epi32(reinterpret_cast<int*>(error + 8), fiveLanes, e);
        }
    }
}

// The whole parts as bytes (255 from 255 up, with a mark where 256 or more), their bit
// lengths from two 16-entry tables, one nibble each, summed by byte sums.
int32_t WholeBits(const uint16_t* magnitudes) {
    const __m256i* p = reinterpret_cast<const __m256i*>(magnitudes);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    // The bit length of n and of n << 4, for n = 0-15.
    const __m256i lengthLow = _mm256_setr_epi8(0, 1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4,  //
                                               0, 1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4);
    const __m256i lengthHigh = _mm256_setr_epi8(0, 5, 6, 6, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8,  //
                                                0, 5, 6, 6, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i largest = _mm256_set1_epi16(255);
    __m256i total = zero;
    for (int i = 0; i < 2; ++i) {
        const __m256i first = _mm256_srli_epi16(_mm256_loadu_si256(p + 2 * i), kRdFractionBits);
        const __m256i second =
            _mm256_srli_epi16(_mm256_loadu_si256(p + 2 * i + 1), kRdFractionBits);
        // The same lanes of both (packing works within halves; only the sum counts).
        const __m256i whole = _mm256_packus_epi16(first, second);
        const __m256i large = _mm256_packs_epi16(_mm256_cmpgt_epi16(first, largest),
                                                 _mm256_cmpgt_epi16(second, largest));
        const __m256i length = _mm256_max_epu8(
            _mm256_shuffle_epi8(lengthHigh, _mm256_and_si256(_mm256_srli_epi16(whole, 4), nibble)),
            _mm256_shuffle_epi8(lengthLow, _mm256_and_si256(whole, nibble)));
        // One more where the whole part is not zero, and where it is 256 or more.
        const __m256i counted =
            _mm256_sub_epi8(_mm256_add_epi8(_mm256_add_epi8(length, _mm256_set1_epi8(1)),
                                            _mm256_cmpeq_epi8(whole, zero)),
                            large);
        total = _mm256_add_epi64(total, _mm256_sad_epu8(counted, zero));
    }
    const __m128i folded =
        _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
    return _mm_cvtsi128_si32(_mm_add_epi64(folded, _mm_unpackhi_epi64(folded, folded)));
}

}  // namespace

void SetRdKernels_AVX2(RdKernels& kernels) {
    kernels.macroblockCosts = MacroblockCosts;
    kernels.patternSums = PatternSums;
    kernels.wholeBits = WholeBits;
}

}  // namespace encdv
