// Any file or URL that FFmpeg's libraries open, as DV pictures and sound: the first video
// stream converted as its metadata and the command line say (see conversion_plan.h), the
// chosen audio stream resampled and kept in step with the pictures, and the file's own
// time code and recording time. Built without FFmpeg's libraries, OpenMedia says what to
// install.
#ifndef DVENC_OPEN_MEDIA_H
#define DVENC_OPEN_MEDIA_H

#include <memory>
#include <string>
#include <vector>

#include "enc_dv.h"
#include "media/conversion_plan.h"
#include "sources/frame_source.h"
#include "sources/input_file.h"
#include "sources/sound_source.h"

namespace dvenc {

struct MediaRequest {
    std::string path;           // a file name or a URL; "-" reads pipe
    InputFile* pipe = nullptr;  // standard input, when path is "-" (bytes it has read are kept)
    ConversionChoices choices;
    bool wantSound = true;              // false: --no-audio or --audio FILE
    int audioStream = -1;               // the file's audio stream number from 0; -1: the first
    int sampleRate = 48000;             // of the DV sound: 48000, 44100 or 32000
    bool (*stopRequested)() = nullptr;  // polled while waiting on the input
    bool quiet = false;                 // FFmpeg's own messages left out
};

struct MediaStream {
    std::unique_ptr<FrameSource> video;  // 720 wide, I420 at 625/50 (Y41B with --smpte314m),
                                         // Y41B at 525/60
    std::unique_ptr<SoundSource> sound;  // null when the file has no sound or none is wanted
    bool wide = false;
    bool haveTimecode = false;
    DVEncTimecode timecode = {};  // of the first frame, from the file
    bool haveDate = false;
    DVEncRecordingDate date = {};  // of the first frame, from the file
    std::string description;       // what the file holds and what becomes of it
    std::vector<std::string> notes;
};

// Opens the request's file and reads up to its first picture. False with a one-line reason
// naming the file (no video stream, an undecodable stream, a sound that cannot be
// resampled, a picture no option fits) otherwise.
bool OpenMedia(const MediaRequest& request, MediaStream* stream, std::string* error);

// True when dvenc was built with FFmpeg's libraries.
bool MediaSupported();

// "libavformat 59.27.100, libavcodec ..." or, without them, what to install.
std::string MediaLibraries();

}  // namespace dvenc

#endif
