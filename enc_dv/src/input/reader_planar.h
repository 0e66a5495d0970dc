#ifndef ENC_DV_INPUT_READER_PLANAR_H
#define ENC_DV_INPUT_READER_PLANAR_H

// Readers of the planar layouts: a luma plane of `pitch` bytes a line, then the two chroma
// planes of pitch / 2 (4:2:0, 4:2:2) or pitch / 4 (4:1:1) bytes a line, with half the luma
// plane's lines (4:2:0, rounded up) or as many. Each macroblock is read straight from the
// planes by the thread that encodes it. Where the layout samples chroma as the DV system does
// (4:2:0 at 625/50 in the IEC form, 4:1:1 in the 4:1:1 systems) every chroma sample goes into
// the blocks unchanged, in the place a DV decoder returns it to; otherwise a filter that keeps
// the two fields apart converts it:
// - 4:2:2 to 4:2:0 as the packed 4:2:2 layouts are read: two lines of a field averaged;
// - 4:1:1 to 4:2:0: each line doubled horizontally (every second sample the average of its
//   neighbours), then as 4:2:2;
// - 4:2:2 to 4:1:1 as the packed 4:2:2 layouts are read: (s[c-1] + 6 s[c] + s[c+1] + 2) >> 3;
// - 4:2:0 to 4:1:1: each line's chroma interpolated within its field, (3 a + b + 2) >> 2 from
//   the chroma lines of its field a quarter and three quarters away (the 4:2:0 chroma of a
//   field lying midway between two of its lines, as DV's own 4:2:0 does), then as 4:2:2.
#include "common/reader_variant.h"
#include "input/source_reader.h"

namespace encdv {

// Installs the planar reader's operations for the variant and mode into a built reader.
void InstallPlanarReader(SourceReader* reader, ReaderVariant variant, int videoMode);

}  // namespace encdv

#endif
