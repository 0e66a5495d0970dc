// What dvenc adds to each frame the library returns: the sound with its AAUX packs, the
// time code in the subcode, and the recording date and time in the subcode and VAUX.
#ifndef DVENC_FRAME_METADATA_H
#define DVENC_FRAME_METADATA_H

#include <cstdint>

#include "dif_layout.h"
#include "recording_date.h"
#include "timecode.h"

namespace dvenc {

class FrameMetadata {
  public:
    // start: the time code of the first frame; date null: no recording date.
    FrameMetadata(const DifLayout& layout, const Timecode& start, const RecordingDate* date);

    // Rewrites the subcode, VAUX date packs and audio blocks of frame number index (from
    // 0), holding samples pairs of stereo sound at sampleRate. With header blocks, the
    // header's transmitting flags then mark audio and subcode valid. The video blocks and
    // the other VAUX packs stay as the library wrote them.
    void Write(uint8_t* frame, long long index, int sampleRate, const int16_t* stereo,
               int samples) const;

  private:
    void WriteSubcode(uint8_t* frame, const uint8_t* timecodePack, const uint8_t* datePack,
                      const uint8_t* timePack) const;

    DifLayout layout_;
    long long startFrame_;
    bool dropFrame_;
    bool haveDate_;
    RecordingDate date_;
};

}  // namespace dvenc

#endif
