#ifndef ENC_DV_DRIVER_BAND_SHARES_H
#define ENC_DV_DRIVER_BAND_SHARES_H

#include "input/source_reader.h"
#include "platform/processor.h"

namespace encdv {

// The bands a reader converts ahead of a frame (SourceReader::PrepareBand), shared among the
// frame's threads: each thread takes the next band not yet taken until none is left, so that
// a thread that starts late (or a job the calling thread runs after its own, where a worker
// could not be started) finds the bands done and never waits for a thread that has not
// started. Zeroed for every frame.
struct BandShares {
    platform::SharedWord taken;
    platform::SharedWord done;
};

// Converts bands of the reader for thread threadIndex as long as some are left, then waits
// until every band is converted. Nothing for a reader without bands.
void PrepareBandShares(SourceReader* reader, BandShares& shares, int threadIndex);

}  // namespace encdv

#endif
