// The 4:1:1 chroma filters in NEON: eight outputs in 16-bit lanes per call.
#include <arm_neon.h>

#include "input/chroma_filters.h"

namespace encdv {

namespace {

void ChromaFilter4to1(const uint8_t* samples, uint8_t* output) {
    // De-interleaved by four from samples[c - 2]: s[c-2], s[c-1], s[c], s[c+1] of the eight
    // centres c = 4k; from samples[c + 2], the first of four is s[c+2].
    const uint8x8x4_t left = vld4_u8(samples - 2);
    const uint8x8x4_t right = vld4_u8(samples + 2);
    // 7 (s[c-2] + s[c+2]) + 16 (s[c-1] + s[c+1]) + 18 s[c] + 30 <= 16350: no lane overflows,
    // and the sum shifted down is at most 255.
    uint16x8_t sum = vmulq_n_u16(vaddl_u8(left.val[0], right.val[0]), 7);
    sum = vmlaq_n_u16(sum, vaddl_u8(left.val[1], left.val[3]), 16);
    sum = vmlal_u8(sum, left.val[2], vdup_n_u8(18));
    sum = vaddq_u16(sum, vdupq_n_u16(30));
    vst1_u8(output, vqshrn_n_u16(sum, 6));
}

void ChromaFilter2to1(const uint8_t* samples, uint8_t* output) {
    // De-interleaved by two from samples[c - 1]: s[c-1], s[c]; from samples[c + 1]: s[c+1].
    const uint8x8x2_t left = vld2_u8(samples - 1);
    const uint8x8x2_t right = vld2_u8(samples + 1);
    uint16x8_t sum = vaddl_u8(left.val[0], right.val[0]);
    sum = vmlal_u8(sum, left.val[1], vdup_n_u8(6));
    sum = vaddq_u16(sum, vdupq_n_u16(2));
    vst1_u8(output, vshrn_n_u16(sum, 3));
}

}  // namespace

void SetChromaFilterKernels_NEON(ChromaFilterKernels& kernels) {
    kernels = {ChromaFilter4to1, ChromaFilter2to1};
}

}  // namespace encdv
