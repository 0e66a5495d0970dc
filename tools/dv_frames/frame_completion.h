// What the library's frame lacks and a DV file carries: the time code, the recording date
// and the sound of each frame, written through the library's functions.
#ifndef DVENC_FRAME_COMPLETION_H
#define DVENC_FRAME_COMPLETION_H

#include <cstdint>
#include <string>

#include "dv_frames/audio_track.h"
#include "enc_dv.h"

namespace dvenc {

// The labels of the stream's first frame; the library counts on from them.
struct StreamLabels {
    DVEncTimecode timecode = {};
    bool haveDate = false;
    DVEncRecordingDate date = {};
};

// Writes the time code, the date (when there is one) and the sound of frame number index
// into the frame of bytes bytes. False with a message when the library refuses.
bool CompleteFrame(uint8_t* frame, int bytes, long long index, const StreamLabels& labels,
                   const AudioTrack& audio, int samples, std::string* message);

}  // namespace dvenc

#endif
