#ifndef ENC_DV_CODING_RD_COEFFICIENTS_H
#define ENC_DV_CODING_RD_COEFFICIENTS_H

#include <cstdint>

#include "coding/quantizer.h"

namespace encdv {

// Quantizes one block with a step pattern for the least error + lambda x bits: every
// coefficient is first rounded to the nearest step (RoundedAmplitude), then, where that
// costs less, lowered by one step or dropped, judged with the exact code lengths of it and
// of the coefficient after it (whose run grows when it is dropped), from the block's last
// coefficient backwards, so that the block can end earlier. magnitudes as for
// MeasureBlockRd, rounding as MeasureBlockRd found it for them; weightScale (1-1023)
// multiplies DistortionWeight (16 for luminance); lambda in the units of LambdaAt, for errors in
// sixteenths of the search's. Writes amplitudes[1..63] (amplitudes[0] = 0) and returns the block's
// AC bits with its end-of-block code.
int32_t QuantizeBlockRd(const uint16_t* magnitudes, const ShiftRounding& rounding, int dctMode,
                        int pattern, int32_t weightScale, uint64_t lambda, uint8_t* amplitudes);

}  // namespace encdv

#endif
