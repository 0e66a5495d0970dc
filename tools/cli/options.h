// The command line of dvenc.
#ifndef DVENC_OPTIONS_H
#define DVENC_OPTIONS_H

#include <string>

#include "dv_frames/recording_date.h"
#include "dv_frames/timecode.h"
#include "media/conversion_plan.h"
#include "sources/fourcc.h"

namespace dvenc {

struct Options {
    std::string input;   // path or "-"; empty with --demo
    std::string output;  // path or "-"
    bool demo = false;

    const FourccInfo* fourcc = nullptr;  // raw input when set
    int width = 0;                       // --size; 0 when not given
    int height = 0;
    int pitch = 0;  // 0: 720 x bytes per pixel
    bool bottomUp = false;
    long long frames = -1;  // -1: all

    bool wide = false;
    bool smpte314m = false;
    bool noHeaderBlock = false;
    bool swapFields = false;
    bool mbQuant = false;
    // --quality: unset means best, unless --mb-quant asks for the one-pass exact variant.
    enum class Quality { kUnset, kBest, kExact } quality = Quality::kUnset;
    bool alphaWeight = false;
    int threads = 0;  // 0: one per processor
    bool singleThread = false;

    // Files read through FFmpeg's libraries: the conversion's overrides (--wide gives
    // 16:9), and the first option given that only such files take, for the message when
    // the input turns out to be another kind.
    ConversionChoices choices;
    std::string fileOnlyOption;

    std::string audio;     // WAV file; empty: the file's own sound, or silence
    bool noAudio = false;  // silence, whatever the file holds
    int audioStream = -1;  // the file's audio stream number; -1: the first
    int audioRate = 0;     // the DV sound's rate for a file's sound; 0: 48000
    bool timecodeGiven = false;
    DVEncTimecode timecode = {};  // of the first frame, when given
    bool dateGiven = false;       // --date, with a date or none
    bool dateNone = false;        // --date none: no recording date, whatever the file says
    DVEncRecordingDate date = {};

    bool quiet = false;
};

enum class ParseResult { kRun, kHelp, kVersion, kError };

// Parses argv[1..argc-1]. On kError, *error holds a one-line reason.
ParseResult ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);

// The text printed by --help.
const char* HelpText();

// The library flags word for these options (before any source-specific additions).
unsigned FlagsFor(const Options& options);

}  // namespace dvenc

#endif
