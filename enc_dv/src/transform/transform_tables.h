#ifndef ENC_DV_TRANSFORM_TRANSFORM_TABLES_H
#define ENC_DV_TRANSFORM_TRANSFORM_TABLES_H

namespace encdv {

// Builds the two output scale tables once (later calls return at once). Called by InitDVEnc.
void BuildTransformTables();

}  // namespace encdv

#endif
