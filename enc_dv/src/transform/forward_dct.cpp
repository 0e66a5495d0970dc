// The flowgraph constant block. Built for the target's baseline: InitDVEnc fills it before
// any processor check.
#include "transform/forward_dct.h"

namespace encdv {

DctVectorConstants dctVectorConstants;

namespace {

void FillLanes(int16_t (&lanes)[8], int16_t value) {
    for (int16_t& lane : lanes) lane = value;
}

}  // namespace

void InitDctVectorConstants() {
    FillLanes(dctVectorConstants.tan2, 27146);
    FillLanes(dctVectorConstants.cos4, 23170);
    FillLanes(dctVectorConstants.sin2x2, 25080);
    FillLanes(dctVectorConstants.secant2, 17734);
    FillLanes(dctVectorConstants.one, 1);
}

}  // namespace encdv
