#ifndef ENC_DV_TRANSFORM_FORWARD_DCT_H
#define ENC_DV_TRANSFORM_FORWARD_DCT_H

namespace encdv {

// Fills the 16-byte-aligned block of flowgraph constants. Called once by InitDVEnc.
void InitDctVectorConstants();

}  // namespace encdv

#endif
