#include "transform/forward_dct.h"

namespace encdv {

// Placeholder until the DCTs land.
void InitDctVectorConstants() {}

}  // namespace encdv
