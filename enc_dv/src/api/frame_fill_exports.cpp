// The exported writers of a frame's time code, recording date and sound.
#include "enc_dv.h"

#include <cstdint>

#include "frame_data/frame_fill.h"
#include "frame_data/frame_shape.h"
#include "frame_data/recording_date.h"

namespace {

using encdv::FillResult;

static_assert(static_cast<int>(FillResult::kFrameSize) == DVENC_FILL_FRAME_SIZE &&
                  static_cast<int>(FillResult::kTimecode) == DVENC_FILL_TIMECODE &&
                  static_cast<int>(FillResult::kDate) == DVENC_FILL_DATE &&
                  static_cast<int>(FillResult::kSampleCount) == DVENC_FILL_SAMPLE_COUNT &&
                  static_cast<int>(FillResult::kSampleRate) == DVENC_FILL_SAMPLE_RATE &&
                  static_cast<int>(FillResult::kChannels) == DVENC_FILL_CHANNELS &&
                  static_cast<int>(FillResult::kFrameIndex) == DVENC_FILL_FRAME_INDEX &&
                  static_cast<int>(FillResult::kDone) == DVENC_FILL_OK,
              "the public results are the library's");
static_assert(sizeof(short) == sizeof(int16_t), "samples are 16-bit");

// A null label or date is refused as one that does not exist, after the frame's checks.
int Refuse(int frameBytes, int frameIndex, FillResult refusal) {
    const FillResult first = encdv::CheckFrame(frameBytes, frameIndex);
    return static_cast<int>(first == FillResult::kDone ? refusal : first);
}

}  // namespace

extern "C" {

int DVEncWriteTimecode(void* frame, int frameBytes, const DVEncTimecode* first, int frameIndex) {
    if (!first) return Refuse(frameBytes, frameIndex, FillResult::kTimecode);
    encdv::Timecode label;
    label.hours = first->hours;
    label.minutes = first->minutes;
    label.seconds = first->seconds;
    label.frames = first->frames;
    label.dropFrame = first->dropFrame != 0;
    return static_cast<int>(
        encdv::FillTimecode(static_cast<uint8_t*>(frame), frameBytes, label, frameIndex));
}

int DVEncWriteRecordingDate(void* frame, int frameBytes, const DVEncRecordingDate* start,
                            int frameIndex) {
    if (!start) return Refuse(frameBytes, frameIndex, FillResult::kDate);
    encdv::RecordingDate date;
    date.year = start->year;
    date.month = start->month;
    date.day = start->day;
    date.hasTime = start->hour != -1;
    date.hour = start->hour;
    date.minute = start->minute;
    date.second = start->second;
    return static_cast<int>(
        encdv::FillRecordingDate(static_cast<uint8_t*>(frame), frameBytes, date, frameIndex));
}

int DVEncReadRecordingDate(const void* frame, int frameBytes, DVEncRecordingDate* date) {
    encdv::FrameShape shape;
    if (!encdv::ShapeOfFrame(frameBytes, &shape) || frame == nullptr) {
        return DVENC_FILL_FRAME_SIZE;
    }
    encdv::RecordingDate read;
    if (date == nullptr ||
        !encdv::ReadRecordingDate(static_cast<const uint8_t*>(frame), shape, &read)) {
        return DVENC_FILL_DATE;
    }
    *date = DVEncRecordingDate{read.year,   read.month, read.day, read.hasTime ? read.hour : -1,
                               read.minute, read.second};
    return DVENC_FILL_OK;
}

int DVEncWriteAudio(void* frame, int frameBytes, const short* samples, int sampleCount,
                    int channels, int sampleRate, int frameIndex) {
    return static_cast<int>(encdv::FillAudio(static_cast<uint8_t*>(frame), frameBytes,
                                             reinterpret_cast<const int16_t*>(samples), sampleCount,
                                             channels, sampleRate, frameIndex));
}

int DVEncAudioSamples(int frameBytes, int sampleRate, int frameIndex) {
    return encdv::SamplesOfFrame(frameBytes, sampleRate, frameIndex);
}

}  // extern "C"
