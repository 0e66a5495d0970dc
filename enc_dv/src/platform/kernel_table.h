#ifndef ENC_DV_PLATFORM_KERNEL_TABLE_H
#define ENC_DV_PLATFORM_KERNEL_TABLE_H

#include <cstdint>

#include "platform/cpu_features.h"

namespace encdv {

// The instruction sets whose kernels this build contains. A kernel family's Init guards each
// instruction set's setters with `if constexpr` on these, so that its setters need not exist
// in a build without them (a call in a discarded branch is never made or linked) while every
// build still compiles the whole dispatch.
inline constexpr bool kSse2KernelsBuilt = ENC_DV_SSE2_KERNELS != 0;
inline constexpr bool kAvx2KernelsBuilt = ENC_DV_AVX2_KERNELS != 0;
inline constexpr bool kNeonKernelsBuilt = ENC_DV_NEON_KERNELS != 0;

// The library's one table of a kernel family, filled by the family's
// Init(features, table): the portable kernels from the library's load (so that no entry is
// ever null), then, once, from InitDVEnc, the kernels that the processor's features allow.
template <typename Table, void (*Init)(uint32_t features, Table& table)>
class LibraryKernels {
  public:
    LibraryKernels() { Init(0, table_); }

    void Select(uint32_t features) { Init(features, table_); }
    const Table& Get() const { return table_; }

  private:
    Table table_;
};

}  // namespace encdv

#endif
