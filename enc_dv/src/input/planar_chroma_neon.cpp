// The planar readers' chroma kernels in NEON. Every load stays within the samples the
// portable kernels read: eight bytes of a line, or four and one.
#include <arm_neon.h>

#include <cstring>

#include "input/planar_chroma.h"

namespace encdv {

namespace {

void FieldAverage422(const uint8_t* rows, std::ptrdiff_t pitch, uint8_t* block) {
    for (int group = 0; group < 4; ++group) {
        const uint8_t* line = rows + 4 * group * pitch;
        // Rows 2G and 2G + 1 of the block: lines 0 and 2, lines 1 and 3 of the group.
        vst1_u8(block + 16 * group, vrhadd_u8(vld1_u8(line), vld1_u8(line + 2 * pitch)));
        vst1_u8(block + 16 * group + 8,
                vrhadd_u8(vld1_u8(line + pitch), vld1_u8(line + 3 * pitch)));
    }
}

// The 4:2:2 samples of one 4:1:1 line: s[k] and the rounded mean of s[k] and s[k + 1],
// interleaved; s[4] is the line's last sample repeated at the right edge.
inline uint8x8_t Double411(const uint8_t* line, bool lastColumn) {
    uint32_t four;
    std::memcpy(&four, line, 4);
    const uint32_t next = lastColumn ? line[3] : line[4];
    const uint8x8_t samples = vreinterpret_u8_u32(vdup_n_u32(four));
    const uint8x8_t shifted = vreinterpret_u8_u32(vdup_n_u32((four >> 8) | (next << 24)));
    return vzip1_u8(samples, vrhadd_u8(samples, shifted));
}

void FieldAverage411(const uint8_t* rows, std::ptrdiff_t pitch, bool lastColumn, uint8_t* block) {
    for (int group = 0; group < 4; ++group) {
        const uint8_t* line = rows + 4 * group * pitch;
        vst1_u8(block + 16 * group,
                vrhadd_u8(Double411(line, lastColumn), Double411(line + 2 * pitch, lastColumn)));
        vst1_u8(block + 16 * group + 8, vrhadd_u8(Double411(line + pitch, lastColumn),
                                                  Double411(line + 3 * pitch, lastColumn)));
    }
}

void BlendRows(const uint8_t* nearer, const uint8_t* farther, int count, uint8_t* output) {
    for (int i = 0; i < count; i += 8) {
        // 3 a + b + 2 in 16-bit lanes, then a rounding shift by two without the rounding
        // term: vrshrn adds 2 before it shifts.
        const uint16x8_t sum =
            vmlal_u8(vmovl_u8(vld1_u8(farther + i)), vld1_u8(nearer + i), vdup_n_u8(3));
        vst1_u8(output + i, vrshrn_n_u16(sum, 2));
    }
}

// (3 a + b + 2) >> 2 of sixteen byte pairs, as bytes.
inline uint8x16_t Blend16(const uint8_t* nearer, const uint8_t* farther) {
    const uint8x16_t a = vld1q_u8(nearer);
    const uint8x16_t b = vld1q_u8(farther);
    const uint8x8_t three = vdup_n_u8(3);
    const uint16x8_t low = vmlal_u8(vmovl_u8(vget_low_u8(b)), vget_low_u8(a), three);
    const uint16x8_t high = vmlal_u8(vmovl_u8(vget_high_u8(b)), vget_high_u8(a), three);
    return vcombine_u8(vrshrn_n_u16(low, 2), vrshrn_n_u16(high, 2));
}

void BlendFilter2to1(const uint8_t* nearer, const uint8_t* farther, uint8_t* output) {
    // Samples -1 to 14 and 1 to 16: their even bytes are s[c-1] and s[c+1], the odd bytes of
    // the first s[c], for the centres c = 0, 2, ..., 14.
    const uint8x16_t fromLeft = Blend16(nearer - 1, farther - 1);
    const uint8x16_t fromRight = Blend16(nearer + 1, farther + 1);
    const uint8x8_t before = vmovn_u16(vreinterpretq_u16_u8(fromLeft));
    const uint8x8_t centre = vshrn_n_u16(vreinterpretq_u16_u8(fromLeft), 8);
    const uint8x8_t after = vmovn_u16(vreinterpretq_u16_u8(fromRight));
    const uint16x8_t sum =
        vmlal_u8(vaddq_u16(vaddl_u8(before, after), vdupq_n_u16(2)), centre, vdup_n_u8(6));
    vst1_u8(output, vshrn_n_u16(sum, 3));
}

}  // namespace

void SetPlanarChromaKernels_NEON(PlanarChromaKernels& kernels) {
    kernels = {FieldAverage422, FieldAverage411, BlendRows, BlendFilter2to1};
}

}  // namespace encdv
