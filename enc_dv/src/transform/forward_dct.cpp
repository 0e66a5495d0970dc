// The flowgraph constant block. Built for the target's baseline: InitDVEnc fills it before
// any processor check.
#include "transform/forward_dct.h"

namespace encdv {

namespace {

DctVectorConstants dctConstants;

void FillLanes(int16_t (&lanes)[8], int16_t value) {
    for (int16_t& lane : lanes) lane = value;
}

}  // namespace

void InitDctVectorConstants() {
    FillLanes(dctConstants.tan2, 27146);
    FillLanes(dctConstants.cos4, 23170);
    FillLanes(dctConstants.sin2x2, 25080);
    FillLanes(dctConstants.secant2, 17734);
    FillLanes(dctConstants.one, 1);
}

const DctVectorConstants& GetDctVectorConstants() {
    return dctConstants;
}

}  // namespace encdv
