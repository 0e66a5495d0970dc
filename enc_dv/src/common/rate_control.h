#ifndef ENC_DV_COMMON_RATE_CONTROL_H
#define ENC_DV_COMMON_RATE_CONTROL_H

namespace encdv {

// Which pipeline turns a segment's pixels into codes.
enum class SegmentPipeline : int {
    kDefault,      // the macroblock transform, then SelectQuantization by the rate control
    kBestQuality,  // the fine transform, then the rate-distortion search (SelectQuantizationRd)
};

// How the default pipeline chooses the quantization numbers of a segment.
enum class RateControl : int {
    kSequential,  // statistical choice, then exact correction by counted code lengths
    kOnePass,     // statistical choice only, in proportion to the macroblocks' weights
};

}  // namespace encdv

#endif
