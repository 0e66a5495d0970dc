#include "input/conversion_constants.h"

namespace encdv {

namespace {

constexpr uint16_t kUnused = 0;

}  // namespace

// Rec. 601 full-range RGB (0-255) to studio-range Y'CbCr; weights x 32768, chroma scales x 16384.
const ConversionConstants kFullRangeConstants = {{
    {8412, 3222, 8412, 3222, 8412, 3222, 8412, 3222},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {16508, 16375, 16508, 16375, 16508, 16375, 16508, 16375},
    {10775, 10775, 10775, 10775, 10775, 10775, 10775, 10775},
    {16, 16, 16, 16, 16, 16, 16, 16},
    {10264, 10264, 10264, 10264, 10264, 10264, 10264, 10264},
    {8127, 8127, 8127, 8127, 8127, 8127, 8127, 8127},
    {4112, 4112, 4112, 4112, 4112, 4112, 4112, 4112},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {kUnused},
    {kUnused},
    {128, 128, 128, 128, 128, 128, 128, 128},
    {kUnused},
    {kUnused},
    {kUnused},
}};

// Rec. 601 studio-range RGB (16-235) to Y'CbCr; luma weights and chroma scales x 32768.
const ConversionConstants kStudioRangeConstants = {{
    {9794, 3752, 9794, 3752, 9794, 3752, 9794, 3752},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {19222, 16380, 19222, 16380, 19222, 16380, 19222, 16380},
    {kUnused},
    {kUnused},
    {23902, 23902, 23902, 23902, 23902, 23902, 23902, 23902},
    {18925, 18925, 18925, 18925, 18925, 18925, 18925, 18925},
    {257, 257, 257, 257, 257, 257, 257, 257},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {16, 16, 16, 16, 16, 16, 16, 16},
    {kUnused},
    {4224, 4224, 4224, 4224, 4224, 4224, 4224, 4224},
    {kUnused},
    {kUnused},
    {kUnused},
}};

// VUYA alpha weighting towards Y 16, Cb = Cr = 128, with rounding terms 16 and 128.
const ConversionConstants kVuyaConstants = {{
    {kUnused},
    {kUnused},
    {kUnused},
    {kUnused},
    {kUnused},
    {kUnused},
    {kUnused},
    {kUnused},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {16, 16, 16, 16, 16, 16, 16, 16},
    {128, 128, 128, 128, 128, 128, 128, 128},
    {4112, 4112, 4112, 4112, 4112, 4112, 4112, 4112},
    {32896, 32896, 32896, 32896, 32896, 32896, 32896, 32896},
    {kUnused},
    {kUnused},
}};

}  // namespace encdv
