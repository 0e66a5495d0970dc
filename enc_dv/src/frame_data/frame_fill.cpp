#include "frame_data/frame_fill.h"

#include "frame_data/audio.h"
#include "frame_data/frame_shape.h"
#include "frame_data/pack_places.h"

namespace encdv {

FillResult CheckFrame(int frameBytes, long long index) {
    FrameShape shape;
    if (!ShapeOfFrame(frameBytes, &shape)) return FillResult::kFrameSize;
    return index < 0 ? FillResult::kFrameIndex : FillResult::kDone;
}

FillResult FillTimecode(uint8_t* frame, int frameBytes, const Timecode& first, long long index) {
    FrameShape shape;
    if (!ShapeOfFrame(frameBytes, &shape)) return FillResult::kFrameSize;
    if (index < 0) return FillResult::kFrameIndex;
    if (!IsTimecode(first, shape.is625)) return FillResult::kTimecode;
    if (!frame) return FillResult::kDone;
    const long long count = TimecodeToFrames(first, shape.is625) + index;
    uint8_t pack[kPackBytes];
    TimecodePack(TimecodeFromFrames(count, shape.is625, first.dropFrame), pack);
    WriteSubcodePack(frame, shape, SubcodeSlot::kTimecode, pack);
    MarkAreaValid(frame, shape, HeaderArea::kSubcode);
    return FillResult::kDone;
}

FillResult FillRecordingDate(uint8_t* frame, int frameBytes, const RecordingDate& start,
                             long long index) {
    FrameShape shape;
    if (!ShapeOfFrame(frameBytes, &shape)) return FillResult::kFrameSize;
    if (index < 0) return FillResult::kFrameIndex;
    if (!IsRecordingDate(start)) return FillResult::kDate;
    if (!frame) return FillResult::kDone;
    const RecordingDate now = AddSeconds(start, SecondsBeforeFrame(index, shape.is625));
    uint8_t datePack[kPackBytes];
    uint8_t timePack[kPackBytes];
    RecordingDatePacks(now, 0x62, datePack, timePack);
    WriteVauxDatePacks(frame, shape, datePack, timePack);
    WriteSubcodePack(frame, shape, SubcodeSlot::kRecordingDate, datePack);
    WriteSubcodePack(frame, shape, SubcodeSlot::kRecordingTime, timePack);
    RecordingDatePacks(now, 0x52, datePack, timePack);
    WriteAauxDatePacks(frame, shape, datePack, timePack);
    MarkAreaValid(frame, shape, HeaderArea::kSubcode);
    return FillResult::kDone;
}

FillResult FillAudio(uint8_t* frame, int frameBytes, const int16_t* samples, int count,
                     int channels, int sampleRate, long long index) {
    FrameShape shape;
    if (!ShapeOfFrame(frameBytes, &shape)) return FillResult::kFrameSize;
    if (index < 0) return FillResult::kFrameIndex;
    if (!IsAudioRate(sampleRate)) return FillResult::kSampleRate;
    // Four channels only in the 32 kHz 12-bit mode.
    if (channels != 1 && channels != 2 && !(channels == 4 && sampleRate == 32000)) {
        return FillResult::kChannels;
    }
    const int frameCount = AudioSamplesInFrame(sampleRate, shape.is625, index);
    if (samples && count != frameCount) return FillResult::kSampleCount;
    if (!frame) return FillResult::kDone;
    WriteAudio(frame, shape, sampleRate, samples, channels, frameCount);
    MarkAreaValid(frame, shape, HeaderArea::kAudio);
    return FillResult::kDone;
}

int SamplesOfFrame(int frameBytes, int sampleRate, long long index) {
    FrameShape shape;
    if (!ShapeOfFrame(frameBytes, &shape) || !IsAudioRate(sampleRate) || index < 0) return 0;
    return AudioSamplesInFrame(sampleRate, shape.is625, index);
}

}  // namespace encdv
