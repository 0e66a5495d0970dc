#ifndef ENC_DV_PLATFORM_SPIN_WAIT_H
#define ENC_DV_PLATFORM_SPIN_WAIT_H

#include <cstdint>

#include "platform/spin_pause.h"

namespace encdv::platform {

// How long an event wait polls before it sleeps. The frame driver's threads meet three or
// four times a frame, and a parked worker waits for the next frame through the host's gap
// between calls (with the 4:1:1 conversion in it, about 60 us for packed 4:2:2); waking a
// sleeping thread costs tens of microseconds, more in a virtual machine. Polling at most
// this long costs a fraction of a frame's time when the other side is late.
constexpr int64_t kEventSpinMicroseconds = 200;

// Polls ready() with a pause between polls until it holds or nowMicroseconds() has advanced
// by kEventSpinMicroseconds; true when it held.
template <typename Ready, typename Clock>
bool SpinUntil(Ready ready, Clock nowMicroseconds) {
    if (ready()) return true;
    const int64_t end = nowMicroseconds() + kEventSpinMicroseconds;
    for (;;) {
        for (int i = 0; i < 32; ++i) {
            PauseProcessor();
            if (ready()) return true;
        }
        if (nowMicroseconds() >= end) return false;
    }
}

}  // namespace encdv::platform

#endif
