#include "coding/rd_coefficients.h"

#include <cstddef>
#include <cstring>
#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include "coding/code_length_table.h"
#include "coding/quant_tables.h"
#include "coding/rd_block.h"
#include "coding/rd_tables.h"

namespace encdv {
namespace {

// Errors weigh 2^12 times their weighted square against lambda x bits, as in the search
// (whose errors are a sixteenth of these and weigh 2^16).
constexpr int kErrorShift = 12;

// Lengths of the code after a kept coefficient while none is kept.
constexpr uint8_t kNoCode[64] = {};

// The machine's word, for the terms that fit 32 bits: no widening on 64-bit targets, no
// register pairs on 32-bit ones.
using Word = ptrdiff_t;

// Index of the highest set bit of a nonzero x, as a word (HighestBit of common/bit_scan.h
// compiles to more instructions here: 63 ^ clz is a bare bit scan).
inline Word TopBit(uint64_t x) {
#if defined(_MSC_VER)
    unsigned long index;
    const unsigned long high = static_cast<unsigned long>(x >> 32);
    if (high != 0) {
        _BitScanReverse(&index, high);
        return static_cast<Word>(index) + 32;
    }
    _BitScanReverse(&index, static_cast<unsigned long>(x));
    return static_cast<Word>(index);
#else
    return 63 ^ __builtin_clzll(x);
#endif
}

}  // namespace

int32_t QuantizeBlockRd(const uint16_t* magnitudes, const ShiftRounding& rounding, int dctMode,
                        int pattern, int32_t weightScale, uint64_t lambda, uint8_t* amplitudes) {
    const int64_t l = static_cast<int64_t>(lambda);
    const uint8_t* shifts = QuantPattern[pattern];
    // Each area rounded at its shift; the nonzero positions, with bit 0 (the DC slot) set so
    // that the position before the first is 0.
    const uint8_t* rows[kAreaCount];
    int stepBits[kAreaCount];
    uint64_t nonzero = 1;
    for (int area = 0; area < kAreaCount; ++area) {
        rows[area] = rounding.amplitudes[shifts[area]];
        stepBits[area] = shifts[area] + kRdFractionBits;
        nonzero |= rounding.nonzero[shifts[area]] & kAreaBits[area];
    }
    std::memset(amplitudes, 0, 64);
    const int16_t* weights = DistortionWeight[dctMode];
    // A weight x weightScale x 2^kErrorShift stays below 2^31.
    const Word scale = weightScale << kErrorShift;
    const uint8_t* const lengths = &CoefficientCodeLengthByAmplitude.bits[0][0];

    // From the end backwards, each coefficient kept, one step lower or dropped: a dropped last
    // coefficient moves the end-of-block up, and each is weighed with the one after it already
    // settled. (A second, forward sweep gained 0.01 dB for a tenth more time.) The nearest kept
    // coefficient after the one weighed, at q, has the length row of its amplitude, and
    // next = row + 63 - q, so that next[p] is its code's length after position p (kNoCode
    // while none is kept): next[k] after the one weighed, k, as all between are dropped. That
    // code joins the block's bits once the coefficient before it is kept. One loop over all
    // areas: loops by area ended where the data could not predict.
    int32_t bits = 4;  // end-of-block
    const uint8_t* next = kNoCode;
    for (Word k = TopBit(nonzero); k != 0;) {
        nonzero ^= uint64_t{1} << k;
        const Word p = TopBit(nonzero);  // the coefficient before, 0 for none
        const int area = kAreaOfPosition.area[k];
        const int t = stepBits[area];
        const Word step = Word{1} << t;
        const Word a = rows[area][k];
        const Word m = magnitudes[k];
        const Word level = a * step;
        const int64_t w = static_cast<Word>(weights[k] * scale);
        // code[p] is the length of this coefficient's code, code[p - 64] one step lower.
        const uint8_t* code = lengths + 64 * a + (63 - k);
        const Word ownBits = code[p];
        // Dropping: the error becomes the whole magnitude, m^2 - e^2 = level (2m - level)
        // more (or the block ends at p); the next code's run then spans both gaps.
        const Word nextAfterDrop = next[p];
        const Word nextBits = next[k];
        const int64_t drop =
            w * (level * (2 * m - level)) + l * (nextAfterDrop - nextBits - ownBits);
        // One step lower: the error grows by (e + step)^2 - e^2 = (2e + step) step, where
        // e = m - level > -step / 2. Never below 1: row 0 is longer than any code, so the cost
        // is positive. (Weighed every time: skipping it where no bits are saved, which the data
        // cannot predict, took longer.)
        const Word lowerBits = (code - 64)[p];
        const int64_t lower = w * ((2 * (m - level) + step) * step) + l * (lowerBits - ownBits);
        if (drop >= 0 || drop > lower) {
            bits += static_cast<int32_t>(nextBits);
            const bool lowered = lower < 0;
            amplitudes[k] = static_cast<uint8_t>(lowered ? a - 1 : a);
            next = lowered ? code - 64 : code;
        }
        k = p;
    }
    return bits + next[0];
}

}  // namespace encdv
