#include <cstdio>

#include "media/lav_log.h"
#include "media/lav_metadata.h"
#include "media/lav_pictures.h"
#include "media/lav_sound.h"
#include "media/open_media.h"
#include "media/source_tags.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libswscale/swscale.h>
}

namespace dvenc {

namespace {

// The video stream: the best one FFmpeg finds that is not a cover picture.
int ChooseVideo(AVFormatContext* format) {
    const int best = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best >= 0 && !(format->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
        return best;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* s = format->streams[i];
        if (s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(s->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The audio stream: number `wanted` among the file's audio streams, or FFmpeg's best one.
// -1 with *error empty when the file has none; -1 with a reason when `wanted` is none.
int ChooseAudio(const LavInput& input, int video, int wanted, std::string* error) {
    AVFormatContext* format = input.Format();
    std::vector<int> audio;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) audio.push_back(i);
    }
    if (wanted < 0) {
        return audio.empty()
                   ? -1
                   : av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
    }
    if (wanted < static_cast<int>(audio.size())) return audio[wanted];
    *error = input.Name() + " has " +
             (audio.empty() ? std::string("no audio stream")
              : audio.size() == 1
                  ? std::string("one audio stream (--audio-stream 0)")
                  : std::to_string(audio.size()) + " audio streams (--audio-stream 0 to " +
                        std::to_string(audio.size() - 1) + ")") +
             "; --audio-stream " + std::to_string(wanted) + " names none";
    return -1;
}

void ReadTags(const LavInput& input, AVStream* video, const SourcePicture& source,
              const ConversionPlan& plan, MediaStream* stream) {
    const std::string timecode = TimecodeTag(input.Format(), video);
    if (!timecode.empty()) {
        stream->haveTimecode =
            TimecodeFromTag(timecode, source.frameRate.Value(), plan.is625, &stream->timecode) &&
            DVEncWriteTimecode(nullptr, plan.is625 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525,
                               &stream->timecode, 0) == DVENC_FILL_OK;
        if (!stream->haveTimecode) {
            stream->notes.push_back("the time code '" + timecode + "' of " + input.Name() +
                                    " is not one DV can carry; the time code starts at 0");
        }
    }
    const std::string creation = CreationTag(input.Format(), video);
    if (!creation.empty()) {
        stream->haveDate = DateFromTag(creation, &stream->date) &&
                           DVEncWriteRecordingDate(nullptr, DVENC_FRAME_BYTES_625, &stream->date,
                                                   0) == DVENC_FILL_OK;
        if (!stream->haveDate) {
            stream->notes.push_back("the creation time '" + creation + "' of " + input.Name() +
                                    " is no date DV can carry (years 1975 to 2074); the frames "
                                    "carry no recording date");
        }
    }
}

std::string DescribeSound(const LavDecoder& decoder, int sampleRate) {
    const AVCodecContext* codec = decoder.Context();
    char text[160];
    std::snprintf(text, sizeof text, "; sound: stream %d (%s, %d Hz, %d channel%s) as %d Hz stereo",
                  decoder.Index(), decoder.CodecName(), codec->sample_rate,
                  codec->ch_layout.nb_channels, codec->ch_layout.nb_channels == 1 ? "" : "s",
                  sampleRate);
    return text;
}

}  // namespace

bool MediaSupported() {
    return true;
}

std::string MediaLibraries() {
    char text[200];
    auto v = [](unsigned version) {
        return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 255) + "." +
               std::to_string(version & 255);
    };
    std::snprintf(text, sizeof text,
                  "libavformat %s, libavcodec %s, libavfilter %s, libswscale %s, libswresample %s",
                  v(avformat_version()).c_str(), v(avcodec_version()).c_str(),
                  v(avfilter_version()).c_str(), v(swscale_version()).c_str(),
                  v(swresample_version()).c_str());
    return text;
}

bool OpenMedia(const MediaRequest& request, MediaStream* stream, std::string* error) {
    RouteLavLog(request.quiet);
    auto input = std::make_shared<LavInput>();
    if (!input->Open(request, error)) return false;
    const int video = ChooseVideo(input->Format());
    if (video < 0) {
        *error = input->Name() + " has no video stream; dvenc makes DV from pictures";
        return false;
    }
    const int audio =
        request.wantSound ? ChooseAudio(*input, video, request.audioStream, error) : -1;
    if (!error->empty()) return false;
    input->Keep(video, audio);

    auto pictures = std::make_unique<LavDecoder>();
    if (!pictures->Open(input.get(), video, error)) return false;
    FramePtr first(av_frame_alloc());
    if (!first || pictures->Next(first.get()) != LavDecoder::Got::kFrame) {
        *error = input->Name() + (input->Interrupted() ? ": interrupted"
                                  : !input->Problem().empty()
                                      ? ": " + input->Problem() + " before the first picture"
                                      : std::string(": no picture of its video stream (") +
                                            pictures->CodecName() + ") could be decoded");
        return false;
    }
    AVStream* videoStream = pictures->Stream();
    const SourcePicture source = DescribeSource(input->Format(), videoStream, first.get());
    const ConversionPlan plan = PlanConversion(source, request.choices);
    if (!plan.error.empty()) {
        *error = input->Name() + ": " + plan.error;
        return false;
    }
    const double start = first->pts == AV_NOPTS_VALUE
                             ? 0.0
                             : static_cast<double>(first->pts) * av_q2d(videoStream->time_base);
    stream->description = input->Name() + ": " + DescribePlan(source, plan);
    ReadTags(*input, videoStream, source, plan, stream);
    // A DV source's own recording date goes before any tag.
    if (pictures->DvRecordingDate(&stream->date)) stream->haveDate = true;

    if (audio >= 0) {
        auto sound = std::make_unique<LavDecoder>();
        if (!sound->Open(input.get(), audio, error)) {
            *error += "; give --no-audio, or --audio FILE";
            return false;
        }
        stream->description += DescribeSound(*sound, request.sampleRate);
        auto track = std::make_unique<LavSound>(input, std::move(sound), request.sampleRate, start);
        if (!track->Start(error)) return false;
        stream->sound = std::move(track);
    }
    auto frames = std::make_unique<LavPictures>(input, std::move(pictures), std::move(first), plan);
    if (!frames->Start(error)) return false;
    stream->video = std::move(frames);
    stream->wide = plan.wide;
    return true;
}

}  // namespace dvenc
