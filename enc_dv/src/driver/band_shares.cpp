// The conversion ahead of a frame, band by band on every thread of the frame.
#include "driver/band_shares.h"

#include "platform/spin_pause.h"

namespace encdv {

void PrepareBandShares(SourceReader* reader, BandShares& shares, int threadIndex) {
    const long count = reader->bandCount;
    if (count == 0) return;
    for (;;) {
        const long band = platform::AddToWord(&shares.taken, 1) - 1;
        if (band >= count) break;
        reader->PrepareBand(reader, threadIndex, static_cast<int>(band));
        platform::AddToWord(&shares.done, 1);
    }
    // The bands still converting were taken by threads that are running: a band takes
    // microseconds, so the wait polls.
    while (platform::LoadWord(&shares.done) < count) platform::PauseProcessor();
}

}  // namespace encdv
