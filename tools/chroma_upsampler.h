// Chroma resampling to the 4:2:2 grid that the encoder takes: chroma on the even luma
// columns (Rec. 601 co-siting) and on every line.
//
// Every filter is linear interpolation between the two nearest source samples at their
// true positions, so chroma siting is honoured exactly; edges repeat the outermost sample.
// Vertical filtering of interlaced 4:2:0 works within each field: a chroma line is only
// ever interpolated from chroma lines of its own field.
#ifndef DVENC_CHROMA_UPSAMPLER_H
#define DVENC_CHROMA_UPSAMPLER_H

#include <cstddef>
#include <cstdint>

namespace dvenc {

// Resamples a row (or, with a line-sized stride, a column) of samples. Source sample k
// lies at output position ratio * k + phase16 / 16; output sample n is the linear
// interpolation at position n, rounded to nearest (halves up). ratio is 1 or 2; phase16
// is 0 to 15 and, for ratio 2, even.
void ResampleLine(const uint8_t* source, int sourceCount, ptrdiff_t sourceStride,
                  uint8_t* destination, int destinationCount, ptrdiff_t destinationStride,
                  int ratio, int phase16);

// Where the chroma of a 4:2:0 picture sits, in luma sample units from its 2x2 luma square.
enum class Siting420 {
    kCentred,      // 420jpeg: half a column right, half a line down
    kLeftCentred,  // 420mpeg2: on the left column, half a line down
    kLeftTop,      // 420paldv: on the left column and the top line
};

// 4:2:0 planes (chromaWidth x ceil(height / 2)) to 4:2:2 planes (ceil(width / 2) x height).
// interlaced: chroma line j belongs to field j % 2 and is interpolated within it.
// work must hold chromaWidth x height bytes.
void Upsample420To422(const uint8_t* chroma, int chromaWidth, int width, int height,
                      Siting420 siting, bool interlaced, uint8_t* work, uint8_t* destination);

// 4:1:1 planes (ceil(width / 4) x height, chroma on every fourth luma column) to 4:2:2.
void Upsample411To422(const uint8_t* chroma, int width, int height, uint8_t* destination);

}  // namespace dvenc

#endif
