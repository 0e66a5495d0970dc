#ifndef ENC_DV_INPUT_READER_420_H
#define ENC_DV_INPUT_READER_420_H

#include "input/source_reader.h"

namespace encdv {

// Direct 4:2:0 reader: converts the 16x16 macroblock at (x, y) straight from the source on the
// thread's KernelContext, averaging chroma vertically within each field.
void ReadMacroblock420(SourceReader* reader, int threadIndex, int x, int y,
                       MacroblockPixels* destination);

}  // namespace encdv

#endif
