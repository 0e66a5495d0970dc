#include "dv_frames/frame_completion.h"

#include <climits>

namespace dvenc {

bool CompleteFrame(uint8_t* frame, int bytes, long long index, const StreamLabels& labels,
                   const AudioTrack& audio, int samples, std::string* message) {
    if (index > INT_MAX) {
        *message = "streams of more than " + std::to_string(INT_MAX) + " frames are not supported";
        return false;
    }
    const int n = static_cast<int>(index);
    int result = DVEncWriteTimecode(frame, bytes, &labels.timecode, n);
    if (result == DVENC_FILL_OK && labels.haveDate) {
        result = DVEncWriteRecordingDate(frame, bytes, &labels.date, n);
    }
    if (result == DVENC_FILL_OK) {
        result = DVEncWriteAudio(frame, bytes, audio.Samples(), samples, audio.Channels(),
                                 audio.SampleRate(), n);
    }
    if (result != DVENC_FILL_OK) {
        *message = "the library refused the time code, date or sound of frame " +
                   std::to_string(index + 1) + " (result " + std::to_string(result) + ")";
    }
    return result == DVENC_FILL_OK;
}

}  // namespace dvenc
