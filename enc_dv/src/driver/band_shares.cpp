// The conversion ahead of a frame, band by band on every thread of the frame.
#include "driver/band_shares.h"

#include "platform/spin_pause.h"
#include "platform/threads.h"

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
    // The bands still converting were taken by threads that are running: a band takes a few
    // microseconds, so the wait polls; where the machine is busier than its processors, the
    // thread converting may have lost its processor, and the wait gives up its own.
    constexpr int kPollsBeforeYield = 1024;
    for (int polls = 0; platform::LoadWord(&shares.done) < count; ++polls) {
        if (polls < kPollsBeforeYield) {
            platform::PauseProcessor();
        } else {
            platform::YieldThread();
        }
    }
}

}  // namespace encdv
