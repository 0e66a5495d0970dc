#ifndef ENC_DV_COMMON_RATE_CONTROL_H
#define ENC_DV_COMMON_RATE_CONTROL_H

namespace encdv {

// How the quantization numbers of a segment are chosen.
enum class RateControl : int {
    kSequential,   // statistical choice, then exact correction by counted code lengths
    kOnePass,      // statistical choice only, in proportion to the macroblocks' weights
    kBestQuality,  // least error for the bits by a rate-distortion search (SelectQuantizationRd)
};

}  // namespace encdv

#endif
