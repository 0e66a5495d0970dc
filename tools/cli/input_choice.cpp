#include "cli/input_choice.h"

#include <cstring>

#include "cli/exit_codes.h"
#include "dv_frames/timecode.h"
#include "media/open_media.h"
#include "sources/demo_picture.h"
#include "sources/raw_source.h"
#include "sources/stream_checks.h"
#include "sources/wav_reader.h"
#include "sources/y4m_source.h"

namespace dvenc {

namespace {

// Demo clip length: five seconds.
constexpr long long kDemoFrames625 = 125;
constexpr long long kDemoFrames525 = 150;

bool IsUrl(const std::string& path) {
    const size_t colon = path.find("://");
    return colon != std::string::npos && colon > 0 &&
           path.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789+.-") == colon;
}

// A YUV4MPEG2 stream by its first bytes; an empty input is taken as one, to be refused as
// such.
bool LooksLikeY4m(InputFile* file) {
    static const char kMagic[] = "YUV4MPEG";
    char start[sizeof kMagic - 1];
    const size_t got = file->Peek(start, sizeof start);
    return std::memcmp(start, kMagic, got) == 0;
}

int OpenY4m(const Options& options, std::unique_ptr<InputFile> file, OpenedInput* opened,
            std::string* error) {
    auto y4m = Y4mSource::Open(std::move(file), error);
    if (!y4m) return kExitInput;
    if (!options.fileOnlyOption.empty()) {
        *error = options.fileOnlyOption + " is for files read through FFmpeg's libraries; " +
                 y4m->Input().Name() + " is a YUV4MPEG2 stream, encoded as it is";
        return kExitUsage;
    }
    const Y4mHeader& header = y4m->Header();
    opened->warnings.push_back(FrameRateWarning(header));
    opened->notes.push_back(FieldOrderNote(header, options.swapFields));
    opened->wide = options.wide || IsWideAspect(header);
    opened->input = &y4m->Input();
    opened->frames = std::move(y4m);
    return kExitDone;
}

int OpenFile(const Options& options, bool (*stopRequested)(), OpenedInput* opened,
             std::string* error) {
    MediaRequest request;
    request.path = options.input;
    // Standard input, a named pipe or a device is read through the input already open,
    // whose first bytes were looked at; a file or a URL is opened by name.
    request.pipe = opened->file && opened->file->Size() < 0 ? opened->file.get() : nullptr;
    request.choices = options.choices;
    request.wantSound = options.audio.empty() && !options.noAudio;
    request.audioStream = options.audioStream;
    if (options.audioRate) request.sampleRate = options.audioRate;
    request.stopRequested = stopRequested;
    request.quiet = options.quiet;
    MediaStream stream;
    if (!OpenMedia(request, &stream, error)) return kExitInput;
    opened->frames = std::move(stream.video);
    opened->sound = std::move(stream.sound);
    opened->soundSlackFrames = 1;
    opened->wide = stream.wide;
    opened->description = stream.description;
    opened->notes.insert(opened->notes.end(), stream.notes.begin(), stream.notes.end());
    opened->fileTimecode = stream.haveTimecode;
    opened->labels.timecode = stream.timecode;
    opened->labels.haveDate = stream.haveDate;
    opened->labels.date = stream.date;
    if (opened->file) opened->input = opened->file.get();
    return kExitDone;
}

int OpenFrames(const Options& options, bool (*stopRequested)(), OpenedInput* opened,
               std::string* error) {
    if (options.demo) {
        const int height = options.height ? options.height : 576;
        const long long frames = options.frames > 0 ? options.frames
                                 : height == 576    ? kDemoFrames625
                                                    : kDemoFrames525;
        opened->frames = std::make_unique<DemoSource>(height, frames);
        opened->wide = options.wide;
        return kExitDone;
    }
    if (options.fourcc) {
        RawFormat format;
        format.fourcc = options.fourcc;
        format.width = options.width;
        format.height = options.height;
        format.pitch = options.pitch;
        format.bottomUp = options.bottomUp;
        auto raw = RawSource::Open(options.input, format, error);
        if (!raw) return kExitInput;
        opened->input = &raw->Input();
        opened->wide = options.wide;
        opened->frames = std::move(raw);
        return kExitDone;
    }
    if (IsUrl(options.input)) return OpenFile(options, stopRequested, opened, error);
    auto file = std::make_unique<InputFile>();
    if (!file->Open(options.input, error)) return kExitInput;
    if (LooksLikeY4m(file.get())) return OpenY4m(options, std::move(file), opened, error);
    opened->file = std::move(file);
    return OpenFile(options, stopRequested, opened, error);
}

}  // namespace

int OpenInput(const Options& options, bool (*stopRequested)(), OpenedInput* opened,
              std::string* error) {
    const int code = OpenFrames(options, stopRequested, opened, error);
    if (code != kExitDone) return code;
    // The first frame's time code: the option's, the file's, else 00:00:00:00 (counted
    // drop-frame at 525/60).
    const bool is625 = opened->frames->Height() == 576;
    const int frameBytes = is625 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
    if (options.timecodeGiven) {
        opened->labels.timecode = options.timecode;
    } else if (!opened->fileTimecode) {
        opened->labels.timecode = DVEncTimecode{0, 0, 0, 0, !is625};
    }
    if (!CheckTimecode(opened->labels.timecode, frameBytes, error)) return kExitUsage;
    if (options.dateGiven) {
        opened->labels.haveDate = !options.dateNone;
        opened->labels.date = options.date;
    }
    if (!options.audio.empty()) {
        auto wav = WavReader::Open(options.audio, error);
        if (!wav) return kExitInput;
        opened->sound = std::move(wav);
        opened->soundSlackFrames = 0;
    }
    return kExitDone;
}

}  // namespace dvenc
