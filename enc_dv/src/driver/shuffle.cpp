#include "driver/shuffle.h"

namespace encdv {

// Placeholder until the shuffle tables land.
const int32_t* GetShuffleTable(int) { return nullptr; }

}  // namespace encdv
