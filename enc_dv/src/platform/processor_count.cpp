// The processor count of an affinity mask.
#include "platform/threads.h"

namespace encdv::platform {

int CountAffinityMask(uint32_t mask) {
    int count = 0;
    for (int bit = 0; bit < 32; ++bit) count += static_cast<int>((mask >> bit) & 1);
    return count == 0 ? 1 : count;
}

}  // namespace encdv::platform
