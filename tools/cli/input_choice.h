// Which input the command line names and what it gives the encoding: the demo picture, raw
// frames, a YUV4MPEG2 stream (told by its first bytes) or any other file through FFmpeg's
// libraries; its sound, time code and date, with the options' overrides applied.
#ifndef DVENC_INPUT_CHOICE_H
#define DVENC_INPUT_CHOICE_H

#include <memory>
#include <string>
#include <vector>

#include "cli/options.h"
#include "dv_frames/frame_completion.h"
#include "sources/frame_source.h"
#include "sources/input_file.h"
#include "sources/sound_source.h"

namespace dvenc {

struct OpenedInput {
    std::unique_ptr<FrameSource> frames;
    std::unique_ptr<SoundSource> sound;  // null: silence
    int soundSlackFrames = 0;            // a file's sound may end this far from its pictures
    std::unique_ptr<InputFile> file;     // the input as opened here, when a source did not take it
    const InputFile* input = nullptr;    // the input file, when there is one (never the output)
    bool wide = false;
    StreamLabels labels;
    bool fileTimecode = false;  // labels.timecode is the file's own
    std::string description;    // what a file holds and becomes; empty for other inputs
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

// Opens the input the options name, and the sound. kExitDone (0) with *opened filled, or
// an exit code with a one-line reason.
int OpenInput(const Options& options, bool (*stopRequested)(), OpenedInput* opened,
              std::string* error);

}  // namespace dvenc

#endif
