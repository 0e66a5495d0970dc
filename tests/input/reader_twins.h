#ifndef ENC_DV_TESTS_INPUT_READER_TWINS_H
#define ENC_DV_TESTS_INPUT_READER_TWINS_H

#include <cstdint>

#include "common/macroblock_pixels.h"
#include "input/source_reader.h"

// Twins of the readers: the row kernels run through the library's portable kernels, the chroma
// filters and whole macroblocks written straight from the integer arithmetic.
namespace encdv::twin {

int BytesPerPixel(ReaderVariant variant);
bool HasRowTo444(ReaderVariant variant);

// 16 pixels into 16 Y, 8 Cb, 8 Cr.
void StripTo422(ReaderVariant variant, const uint8_t* source, uint8_t* y, uint8_t* cb, uint8_t* cr);
// count pixels into count Y and count Cb, Cr (RGB and VUYA layouts).
void RowTo444(ReaderVariant variant, const uint8_t* source, int count, uint8_t* y, uint8_t* cb,
              uint8_t* cr);
// count pixels into count Y and count / 2 Cb, Cr (4:2:2 layouts).
void RowTo422(ReaderVariant variant, const uint8_t* source, int count, uint8_t* y, uint8_t* cb,
              uint8_t* cr);

// One output sample centred on samples[centre].
int ChromaFilter4to1(const uint8_t* samples, int centre);
int ChromaFilter2to1(const uint8_t* samples, int centre);

// The macroblock at (x, y) of a picture whose first used line is `source`, as the direct
// 4:2:0 reader (mode 0) or the frame-buffered 4:1:1 reader (modes 2 and 3) defines it.
MacroblockPixels ReadMacroblock(ReaderVariant variant, int videoMode, const uint8_t* source,
                                int pitch, int x, int y);

}  // namespace encdv::twin

#endif
