#include "input/source_reader.h"

namespace encdv {

// Placeholder until the readers land.
SourceReader* CreateSourceReader(PixelFormatCode, uint32_t, int, int) { return nullptr; }

}  // namespace encdv
