#include "coding/rd_block.h"

#include <emmintrin.h>

#include <cstring>

#include "coding/code_length_table.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// Scan positions of each area as a 64-bit mask (area 0 without the DC slot).
constexpr uint64_t AreaMask(int area) {
    uint64_t mask = 0;
    for (int k = kAreaStart[area]; k < kAreaStart[area + 1]; ++k) mask |= uint64_t{1} << k;
    return area == 0 ? mask & ~uint64_t{1} : mask;
}
constexpr uint64_t kAreaMask[kAreaCount] = {AreaMask(0), AreaMask(1), AreaMask(2), AreaMask(3)};

inline int LowestBit(uint64_t x) {
    return __builtin_ctzll(x);
}

inline uint32_t SumLanes(__m128i x) {
    x = _mm_add_epi32(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(1, 0, 3, 2)));
    x = _mm_add_epi32(x, _mm_shuffle_epi32(x, _MM_SHUFFLE(2, 3, 0, 1)));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(x));
}

// The 16-bit lanes of row r (positions 8r to 8r + 7) that belong to an area.
inline __m128i RowAreaMask(int row, int area) {
    alignas(16) int16_t lanes[8];
    for (int i = 0; i < 8; ++i) {
        const int k = 8 * row + i;
        lanes[i] = (k >= kAreaStart[area] && k < kAreaStart[area + 1]) ? -1 : 0;
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

// Codes of one area from the amplitudes and the nonzero positions.
AreaCodes MeasureAreaCodes(const uint16_t* amplitudes, uint64_t nonzero) {
    AreaCodes codes{0, 0, 0, 1, 0};
    if (nonzero == 0) return codes;
    uint32_t previous = static_cast<uint32_t>(LowestBit(nonzero));
    codes.first = static_cast<uint8_t>(previous);
    codes.amplitude = static_cast<uint8_t>(amplitudes[previous]);
    nonzero &= nonzero - 1;
    int32_t bits = 0;
    while (nonzero != 0) {
        const uint32_t position = static_cast<uint32_t>(LowestBit(nonzero));
        bits +=
            static_cast<int32_t>(CoefficientCodeBits(position - previous, amplitudes[position]));
        previous = position;
        nonzero &= nonzero - 1;
    }
    codes.last = static_cast<uint8_t>(previous);
    codes.innerBits = bits;
    return codes;
}

}  // namespace

void MeasureBlockRd(const uint16_t* magnitudes, int dctMode, BlockRd& rd) {
    const __m128i* rows = reinterpret_cast<const __m128i*>(magnitudes);
    const __m128i* weights = reinterpret_cast<const __m128i*>(DistortionWeight[dctMode]);
    // Rows 0, 2 and 5 hold the boundaries of areas 0/1, 1/2 and 2/3.
    const __m128i lowerOf0 = RowAreaMask(0, 0), lowerOf2 = RowAreaMask(2, 1),
                  lowerOf5 = RowAreaMask(5, 2);
    const __m128i zero = _mm_setzero_si128();
    const __m128i cap = _mm_set1_epi16(255);
    alignas(16) uint16_t amplitudes[64];
    int s = 0;
    for (; s < kShiftCount; ++s) {
        const int t = s + kRdFractionBits;
        const __m128i half = _mm_set1_epi16(static_cast<int16_t>(RoundingOffset(t)));
        const __m128i count = _mm_cvtsi32_si128(t);
        __m128i area[kAreaCount] = {zero, zero, zero, zero};
        __m128i isZero[8];
        __m128i isOver[8];
        for (int r = 0; r < 8; ++r) {
            const __m128i m = _mm_load_si128(rows + r);
            const __m128i rounded = _mm_srl_epi16(_mm_add_epi16(m, half), count);
            const __m128i a = _mm_min_epi16(rounded, cap);
            _mm_store_si128(reinterpret_cast<__m128i*>(amplitudes) + r, a);
            const __m128i e = _mm_sub_epi16(m, _mm_sll_epi16(a, count));
            const __m128i e2 = _mm_mullo_epi16(e, e);
            const __m128i w = _mm_load_si128(weights + r);
            isZero[r] = _mm_cmpeq_epi16(a, zero);
            isOver[r] = _mm_cmpgt_epi16(rounded, cap);
            switch (r) {
                case 0:
                    area[0] = _mm_madd_epi16(_mm_and_si128(e2, lowerOf0), w);
                    area[1] = _mm_madd_epi16(_mm_andnot_si128(lowerOf0, e2), w);
                    break;
                case 2:
                    area[1] =
                        _mm_add_epi32(area[1], _mm_madd_epi16(_mm_and_si128(e2, lowerOf2), w));
                    area[2] = _mm_madd_epi16(_mm_andnot_si128(lowerOf2, e2), w);
                    break;
                case 5:
                    area[2] =
                        _mm_add_epi32(area[2], _mm_madd_epi16(_mm_and_si128(e2, lowerOf5), w));
                    area[3] = _mm_madd_epi16(_mm_andnot_si128(lowerOf5, e2), w);
                    break;
                case 1:
                    area[1] = _mm_add_epi32(area[1], _mm_madd_epi16(e2, w));
                    break;
                case 3:
                case 4:
                    area[2] = _mm_add_epi32(area[2], _mm_madd_epi16(e2, w));
                    break;
                default:
                    area[3] = _mm_add_epi32(area[3], _mm_madd_epi16(e2, w));
                    break;
            }
        }
        // One bit per position: the compares packed to bytes, sixteen positions at a time.
        uint64_t nonzero = 0;
        uint64_t overflow = 0;
        for (int g = 0; g < 4; ++g) {
            const uint32_t zeros = static_cast<uint32_t>(
                _mm_movemask_epi8(_mm_packs_epi16(isZero[2 * g], isZero[2 * g + 1])));
            const uint32_t overs = static_cast<uint32_t>(
                _mm_movemask_epi8(_mm_packs_epi16(isOver[2 * g], isOver[2 * g + 1])));
            nonzero |= static_cast<uint64_t>(~zeros & 0xFFFF) << (16 * g);
            overflow |= static_cast<uint64_t>(overs) << (16 * g);
        }
        for (int a = 0; a < kAreaCount; ++a) {
            rd.areaDistortion[a][s] = SumLanes(area[a]);
            rd.areas[a][s] = MeasureAreaCodes(amplitudes, nonzero & kAreaMask[a]);
            rd.areas[a][s].valid = s > 0 || (overflow & kAreaMask[a]) == 0;  // clamped above
        }
        if (nonzero == 0) break;
    }
    // Every amplitude is zero from shift s on: the coarser shifts measure the same.
    for (int later = s + 1; later < kShiftCount; ++later) {
        for (int a = 0; a < kAreaCount; ++a) {
            rd.areaDistortion[a][later] = rd.areaDistortion[a][s];
            rd.areas[a][later] = rd.areas[a][s];
        }
    }

    for (int p = 0; p < kQuantPatternCount; ++p) {
        int32_t bits = 4;  // end-of-block
        uint32_t distortion = 0;
        uint32_t previous = 0;
        bool valid = true;
        for (int a = 0; a < kAreaCount; ++a) {
            const int shift = QuantPattern[p][a];
            const AreaCodes& codes = rd.areas[a][shift];
            valid = valid && codes.valid;
            distortion += rd.areaDistortion[a][shift];
            if (codes.first != 0) {
                bits += static_cast<int32_t>(
                            CoefficientCodeBits(codes.first - previous, codes.amplitude)) +
                        codes.innerBits;
                previous = codes.last;
            }
        }
        rd.rate[p] = valid ? bits : kInvalidRate;
        rd.distortion[p] = valid ? distortion : 0xFFFFFFFFu;
    }
}

}  // namespace encdv
