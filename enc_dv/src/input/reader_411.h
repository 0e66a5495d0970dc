#ifndef ENC_DV_INPUT_READER_411_H
#define ENC_DV_INPUT_READER_411_H

#include "input/source_reader.h"

namespace encdv {

// Frame block buffer of the 4:1:1 reader: bands of 8 lines, each 23 records of 8 lines of
// 32 luma, 8 Cb and 8 Cr samples (record 22 holds the 16 columns from 704 on).
constexpr int kRecordLineBytes = 48;
constexpr int kRecordBytes = 8 * kRecordLineBytes;
constexpr int kRecordsPerBand = 23;
constexpr int kBandBytes = kRecordsPerBand * kRecordBytes;
static_assert(kBandBytes == 8832, "a band of the frame block buffer is 8832 bytes");

// Converts the eight lines of band `band` into the frame block buffer, on thread
// threadIndex's KernelContext: RowTo444 with ChromaFilter4to1 where the layout has RowTo444,
// else RowTo422 with ChromaFilter2to1 (a SourceReader's PrepareBand).
void PrepareBand411(SourceReader* reader, int threadIndex, int band);

// Copies the 32x8 macroblock at (x, y), or the 16x16 one at x = 704, out of the buffer.
void ReadMacroblock411(SourceReader* reader, int threadIndex, int x, int y,
                       MacroblockPixels* destination);

// Prefetches the record(s) of the frame block buffer that ReadMacroblock411 reads for (x, y).
void PrefetchMacroblock411(const SourceReader* reader, int x, int y);

}  // namespace encdv

#endif
