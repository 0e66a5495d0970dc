// The encoding itself: each frame of the opened input through the library, completed with
// its sound, time code and date, into the output; then the closing note and summary.
#ifndef DVENC_ENCODE_LOOP_H
#define DVENC_ENCODE_LOOP_H

#include "cli/input_choice.h"
#include "cli/options.h"

namespace dvenc {

// Runs the encoding and returns the exit status, having said why on standard error when
// it is not 0. stopRequested tells when a signal asked to stop.
int Encode(const Options& options, OpenedInput* input, bool (*stopRequested)());

}  // namespace dvenc

#endif
