#ifndef ENC_DV_INPUT_READER_420_H
#define ENC_DV_INPUT_READER_420_H

#include "input/source_reader.h"

namespace encdv {

// Direct 4:2:0 reader: converts the 16x16 macroblock at (x, y) straight from the source on the
// thread's KernelContext, averaging chroma vertically within each field.
void ReadMacroblock420(SourceReader* reader, int threadIndex, int x, int y,
                       MacroblockPixels* destination);

// Prefetches the 16 source lines of the 16x16 macroblock at (x, y), any layout.
void PrefetchMacroblock420(const SourceReader* reader, int x, int y);

using ReadMacroblockFunction = void (*)(SourceReader* reader, int threadIndex, int x, int y,
                                        MacroblockPixels* destination);

// The direct 4:2:0 reader for a variant: ReadMacroblock420, or for the packed 4:2:2 layouts
// (YUY2, UYVY) a version that reorders the bytes in one kernel with the same result.
ReadMacroblockFunction ReadMacroblock420For(ReaderVariant variant);

}  // namespace encdv

#endif
