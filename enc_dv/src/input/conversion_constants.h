#ifndef ENC_DV_INPUT_CONVERSION_CONSTANTS_H
#define ENC_DV_INPUT_CONVERSION_CONSTANTS_H

#include <cstdint>

namespace encdv {

// Rows of the colour kernels' constant block, each eight 16-bit lanes.
enum ConversionConstantRow : int {
    kRowLumaWeightsRB = 0,     // luma weights of R and B, lanes alternating R, B
    kRowOne = 1,               // multiplier that brings the luma rounding term in beside G
    kRowLumaWeightGRound = 2,  // luma weight of G and luma rounding term, alternating
    kRowLumaExpand = 3,        // luma range expansion (full range only)
    kRowLumaOffset = 4,        // luma offset (full range only)
    kRowCrScale = 5,
    kRowCbScale = 6,
    kRowChromaOffset = 7,       // chroma offset 128 plus one half, in the chroma fixed point
    kRowAlphaAdd = 8,           // alpha weighting: added to A
    kRowAlphaBlack = 9,         // alpha weighting: black level subtracted (luma for VUYA)
    kRowAlphaNeutral = 10,      // alpha weighting: chroma neutral level subtracted (VUYA)
    kRowAlphaRound = 11,        // alpha weighting: black x 256 plus rounding (luma for VUYA)
    kRowAlphaChromaRound = 12,  // alpha weighting, VUYA chroma: 128 x 256 + 128
    kConversionConstantRows = 15,
};

// A constant block as the kernels read it: lanes are 16-bit patterns (row 12 is unsigned).
struct alignas(16) ConversionConstants {
    uint16_t rows[kConversionConstantRows][8];
};

extern const ConversionConstants kFullRangeConstants;    // BGR3, BGR4, BGRA
extern const ConversionConstants kStudioRangeConstants;  // R24C, R32C
extern const ConversionConstants kVuyaConstants;         // VUYA (alpha weighting only)

}  // namespace encdv

#endif
