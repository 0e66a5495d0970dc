// How a YUV4MPEG2 header's frame rate, sample aspect and field order fit DV.
#ifndef DVENC_STREAM_CHECKS_H
#define DVENC_STREAM_CHECKS_H

#include <string>

#include "sources/y4m_reader.h"

namespace dvenc {

// A warning when the stream's frame rate is not that of the DV system its height selects
// (25 for 625/50, 30000/1001 for 525/60); empty when it matches or is not given.
std::string FrameRateWarning(const Y4mHeader& header);

// True when the sample aspect makes the 720-pixel picture wider than halfway between 4:3
// and 16:9 (64:45 at 625/50 and 32:27 at 525/60 are 16:9); false when it is not given.
bool IsWideAspect(const Y4mHeader& header);

// A note when the field order does not fit DV's bottom field first, given whether
// --swap-fields is in effect; empty otherwise.
std::string FieldOrderNote(const Y4mHeader& header, bool swapFields);

}  // namespace dvenc

#endif
