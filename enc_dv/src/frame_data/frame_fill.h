// What a host adds to a frame the compress calls wrote: the time code, the recording date
// and time, and the sound of the frame at its place in the stream. Each operation checks
// everything before it writes a byte, so a refused call leaves the frame as it was; a null
// frame only checks.
#ifndef ENC_DV_FRAME_DATA_FRAME_FILL_H
#define ENC_DV_FRAME_DATA_FRAME_FILL_H

#include <cstdint>

#include "frame_data/recording_date.h"
#include "frame_data/timecode.h"

namespace encdv {

// The outcome of an operation; the public header gives each its number.
enum class FillResult : int {
    kDone = 0,
    kFrameSize = 1,    // no size the compress calls return
    kTimecode = 2,     // a label that does not exist in the system
    kDate = 3,         // a date or time that does not exist, or a year outside 1975-2074
    kSampleCount = 4,  // not the number of samples the frame holds
    kSampleRate = 5,   // not 48000, 44100 or 32000 Hz
    kChannels = 6,     // not 1 or 2, nor 4 at 32 kHz
    kFrameIndex = 7,   // negative
};

// kFrameSize or kFrameIndex when a frame of frameBytes or the index is refused, else kDone.
FillResult CheckFrame(int frameBytes, long long index);

// The subcode time code of frame index of a stream whose frame 0 is labelled first; the
// header marks the subcode valid.
FillResult FillTimecode(uint8_t* frame, int frameBytes, const Timecode& first, long long index);

// The recording date and time of frame index of a stream recorded from start: in the VAUX,
// AAUX and subcode packs; the header marks the subcode valid.
FillResult FillRecordingDate(uint8_t* frame, int frameBytes, const RecordingDate& start,
                             long long index);

// The sound of frame index: count sample frames of channels interleaved 16-bit samples at
// sampleRate (samples null: silence, count not read); the header marks the audio valid.
FillResult FillAudio(uint8_t* frame, int frameBytes, const int16_t* samples, int count,
                     int channels, int sampleRate, long long index);

// Samples per channel of frame index of a stream at sampleRate; 0 for a frame size, rate
// or index that FillAudio refuses.
int SamplesOfFrame(int frameBytes, int sampleRate, long long index);

}  // namespace encdv

#endif
