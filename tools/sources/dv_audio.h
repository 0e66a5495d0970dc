// The sample rates of the sound the library puts into DV frames, asked of the library.
#ifndef DVENC_DV_AUDIO_H
#define DVENC_DV_AUDIO_H

#include "enc_dv.h"

namespace dvenc {

// True for a rate DVEncWriteAudio takes (48000, 44100 and 32000 Hz).
inline bool IsDvSampleRate(int sampleRate) {
    return DVEncAudioSamples(DVENC_FRAME_BYTES_625, sampleRate, 0) > 0;
}

}  // namespace dvenc

#endif
