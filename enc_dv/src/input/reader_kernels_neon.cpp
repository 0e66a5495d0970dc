// The reader kernels in NEON.
#include <arm_neon.h>

#include "input/packed_422_neon.h"
#include "input/reader_kernels.h"
#include "input/reader_kernels_tmpl.h"

namespace encdv {

namespace {

// The primitives of the reader kernels (reader_kernels_tmpl.h).
struct Reader {
    using Luma = uint8x16_t;
    using Chroma = uint8x8_t;

    template <bool kLumaFirst>
    static uint8x16_t SplitLine(const uint8_t* line, uint8x8_t* cb, uint8x8_t* cr) {
        return SplitPacked422<kLumaFirst>(line, cb, cr);
    }

    static uint8x16_t LoadLuma16(const uint8_t* samples) { return vld1q_u8(samples); }

    static void StoreLumaHalves(uint8_t* left, uint8_t* right, uint8x16_t luma) {
        vst1_u8(left, vget_low_u8(luma));
        vst1_u8(right, vget_high_u8(luma));
    }

    static void StoreFieldAverages(uint8_t* rows, const uint8x8_t lines[4]) {
        vst1q_u8(rows, vcombine_u8(vrhadd_u8(lines[0], lines[2]), vrhadd_u8(lines[1], lines[3])));
    }

    static void AverageFields(const uint8_t* scratch, uint8_t* rows) {
        vst1_u8(rows, vrhadd_u8(vld1_u8(scratch), vld1_u8(scratch + 16)));
        vst1_u8(rows + 8, vrhadd_u8(vld1_u8(scratch + 8), vld1_u8(scratch + 24)));
    }
};

}  // namespace

void SetReaderKernels_NEON(ReaderKernels& kernels) {
    SetReaderKernels<Reader>(kernels);
}

}  // namespace encdv
