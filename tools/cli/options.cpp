#include "cli/options.h"

#include <cstring>

#include "enc_dv.h"
#include "sources/size_advice.h"

namespace dvenc {

namespace {

constexpr char kHelp[] =
    R"(Usage: dvenc [options] INPUT OUTPUT
       dvenc [options] --demo OUTPUT

Encodes video into a raw DV stream (25 Mbit/s, IEC 61834-2). INPUT is any video file or
URL that FFmpeg's libraries open, a YUV4MPEG2 stream or, with --fourcc, raw frames; OUTPUT
is the DV file. "-" stands for standard input or output.

A file is converted as its metadata says: 25 and 50 frames a second become 625/50 DV,
23.976 to 60 frames 525/60; the picture keeps its shape in a 4:3 or 16:9 frame;
interlaced pictures are scaled field by field and made bottom field first (top field
first ones are moved down a line); BT.709 and full-range colour become BT.601 studio
range; the rate is converted (2:3 pulldown from 23.976 and 24, frame pairs woven into
fields from 50 and 59.94); the first audio stream is resampled to 48 kHz stereo in step
with the pictures; the time code and recording date are the file's. YUV4MPEG2 and raw
pictures of 720x576 become 625/50 DV, of 720x480 and 720x486 525/60 DV, as they are.

Input:
  --fourcc F         read raw frames of layout F: YUY2, YUYV, YuYv, UYVY, UyVy, BGR3,
                     BGR4, BGRA, VUYA, R24C, R32C, or planar I420, IYUV, YV12, Y41B,
                     Y42B, YV16 (case matters)
  --size WxH         raw frame size: 720x480, 720x486 or 720x576 (with --fourcc)
  --pitch N          bytes from one raw line to the next (default 720 x bytes per pixel;
                     planar layouts: of the luma plane, the chroma planes following it)
  --bottom-up        raw lines are stored bottom line first (packed layouts)
  --frames N         encode at most N frames
  --demo             encode a moving synthetic test picture (5 seconds, or --frames N)
                     instead of reading INPUT; 625/50 unless --size 720x480

Files (read through FFmpeg's libraries; each overrides what the file says):
  --system S         625 (625/50, 25 frames a second) or 525 (525/60, 29.97)
  --aspect A         4:3 or 16:9 (--wide is 16:9)
  --fit F            how a picture of another shape fills the frame: pad (default: black
                     bars, nothing cut or stretched), crop (the edges cut off) or stretch
  --field-order O    the pictures are tff (top field first), bff or progressive
  --matrix M         the colour is bt601, bt709 or bt2020 (untagged: bt709 above 576
                     lines, else bt601)
  --range R          the samples are studio (16-235) or full (0-255) range
  --audio-stream N   the sound of the file's audio stream N (from 0; default the first)
  --no-audio         silence, whatever sound the file holds
  --audio-rate R     the DV sound's rate: 48000 (default), 44100 or 32000 Hz

Encoding:
  --wide             mark the picture 16:9 (also taken from a file or a YUV4MPEG2 sample
                     aspect)
  --smpte314m        SMPTE 314M header; 625/50 then samples chroma 4:1:1, not 4:2:0
  --no-header-block  leave out the header DIF block of every DIF sequence (the result is
                     not a playable DV file; for hosts that add their own)
  --swap-fields      exchange the lines of each field pair (for material whose fields are
                     stored the wrong way round; top-field-first material wants a one-line
                     shift instead, as dvenc gives files and ffmpeg's -vf fieldorder=bff)
  --quality Q        best (default): the quantization with the least picture error for
                     the bits (higher PSNR, many times slower, still valid DV); exact:
                     the library's fixed estimate, always the same frames
  --mb-quant         faster one-pass variant of --quality exact
  --alpha-weight     fade colours to black by alpha (BGRA, R32C, VUYA, 444alpha)
  --threads N        encode each frame on at most N threads (1 to 16; default one per
                     processor)
  --single-thread    encode each frame on one thread (same as --threads 1)

Sound and time code:
  --audio FILE       put the sound of a WAV file into the DV frames: 16-bit PCM at 48000,
                     44100 or 32000 Hz, mono or stereo, or four channels at 32000 Hz (DV's
                     12-bit four-channel mode); cut or padded with silence to the
                     length of the video (without --audio: the file's own sound, else
                     silence at 48 kHz)
  --timecode TC      time code of the first frame, counting up frame by frame: HH:MM:SS:FF
                     (default: the file's own, else 00:00:00:00); at 525/60 HH:MM:SS;FF
                     counts drop-frame, which is the default there
  --date D           recording date and time, YYYY-MM-DD, YYYY-MM-DDTHH:MM:SS, now or
                     none (default: the file's creation time, else none); DV keeps two
                     digits of the year, for 1975-2074, and some readers show 2025-2074
                     as 1925-1974

Other:
  --quiet            print errors only: no progress line, warnings or summary
  -h, --help         print this help
  --version          print the version of dvenc, the enc_dv library's interface texts and
                     FFmpeg's libraries

YUV4MPEG2 input: 4:2:0, 4:1:1 and 4:2:2 go to the library as planes (I420, Y41B, Y42B).
Chroma in the DV system's own sampling (4:2:0 at 625/50, 4:1:1 at 525/60 and with
--smpte314m) is encoded unchanged, so that DV decoded and encoded again keeps its colour;
the library converts other combinations within each field. Every 4:2:0 siting (420jpeg,
420mpeg2, 420paldv) is taken as DV's. 4:4:4 is read as VUYA (alpha 255 unless 444alpha),
mono with neutral chroma. Files are handed over in the system's own sampling.

Exit status: 0 done, 1 unreadable or unsuitable input (also when damaged data was passed
over or the input was cut short; the frames that could be read are in the output), 2 bad
command line, 3 output not written, 4 encoding failed (a frame refused, memory short),
130 interrupted.
)";

bool ParseCount(const std::string& text, long long low, long long high, long long* value) {
    if (text.empty() || text.size() > 12) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) return false;
    *value = v;
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
    const size_t x = text.find('x');
    long long w = 0;
    long long h = 0;
    if (x == std::string::npos || !ParseCount(text.substr(0, x), 1, 65535, &w) ||
        !ParseCount(text.substr(x + 1), 1, 65535, &h)) {
        return false;
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

// The options that take no value and set one field.
struct Switch {
    const char* name;
    bool Options::*member;
};
constexpr Switch kSwitches[] = {
    {"--bottom-up", &Options::bottomUp},
    {"--demo", &Options::demo},
    {"--wide", &Options::wide},
    {"--smpte314m", &Options::smpte314m},
    {"--no-header-block", &Options::noHeaderBlock},
    {"--swap-fields", &Options::swapFields},
    {"--mb-quant", &Options::mbQuant},
    {"--alpha-weight", &Options::alphaWeight},
    {"--single-thread", &Options::singleThread},
    {"--quiet", &Options::quiet},
};

// The field a switch sets; null when name is not a switch.
bool Options::*FindSwitch(const std::string& name) {
    for (const Switch& option : kSwitches) {
        if (name == option.name) return option.member;
    }
    return nullptr;
}

// One word of a fixed list: the index of text among words, or -1.
template <size_t N>
int Word(const std::string& text, const char* const (&words)[N]) {
    for (size_t i = 0; i < N; ++i) {
        if (text == words[i]) return static_cast<int>(i);
    }
    return -1;
}

constexpr const char* kFileOptions[] = {"--system", "--aspect", "--fit",          "--field-order",
                                        "--matrix", "--range",  "--audio-stream", "--audio-rate"};

// The options with a value that only files read through FFmpeg's libraries take. False
// with a reason when the value is not one the option takes.
bool ParseFileOption(const std::string& name, const std::string& value, Options* o,
                     std::string* error) {
    ConversionChoices& c = o->choices;
    const auto refuse = [&](const char* takes) {
        *error = name + " takes " + takes + ", not '" + value + "'";
        return false;
    };
    if (name == "--system") {
        static const char* const kWords[] = {"625", "525"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("625 or 525");
        c.system = w == 0 ? SystemChoice::k625 : SystemChoice::k525;
    } else if (name == "--aspect") {
        static const char* const kWords[] = {"4:3", "16:9"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("4:3 or 16:9");
        c.aspect = w == 0 ? AspectChoice::k4x3 : AspectChoice::k16x9;
    } else if (name == "--fit") {
        static const char* const kWords[] = {"pad", "crop", "stretch"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("pad, crop or stretch");
        c.fit = static_cast<Fit>(w);
    } else if (name == "--field-order") {
        static const char* const kWords[] = {"progressive", "tff", "bff"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("tff, bff or progressive");
        c.scan = static_cast<Scan>(w + 1);
    } else if (name == "--matrix") {
        static const char* const kWords[] = {"bt601", "bt709", "bt2020"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("bt601, bt709 or bt2020");
        c.matrix = w == 0 ? Matrix::kBt601 : w == 1 ? Matrix::kBt709 : Matrix::kBt2020;
    } else if (name == "--range") {
        static const char* const kWords[] = {"studio", "full"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("studio or full");
        c.range = w == 0 ? Range::kStudio : Range::kFull;
    } else if (name == "--audio-stream") {
        long long n = 0;
        if (!ParseCount(value, 0, 999, &n)) return refuse("a stream number from 0");
        o->audioStream = static_cast<int>(n);
    } else if (name == "--audio-rate") {
        static const char* const kWords[] = {"48000", "44100", "32000"};
        const int w = Word(value, kWords);
        if (w < 0) return refuse("48000, 44100 or 32000");
        o->audioRate = std::stoi(value);
    }
    if (o->fileOnlyOption.empty()) o->fileOnlyOption = name;
    return true;
}

}  // namespace

const char* HelpText() {
    return kHelp;
}

ParseResult ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
    Options o;
    std::string positional[2];
    int positionalCount = 0;
    bool sizeGiven = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.compare(0, 1, "-") != 0) {
            if (positionalCount == 2) {
                *error = "too many arguments ('" + arg + "')";
                return ParseResult::kError;
            }
            positional[positionalCount++] = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value or --name value
        std::string value;
        bool inlineValue = false;
        const size_t equals = arg.find('=');
        if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
            inlineValue = true;
        }
        auto takeValue = [&](std::string* out) {
            if (inlineValue) {
                *out = value;
                return true;
            }
            if (i + 1 >= argc) {
                *error = "option " + arg + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        auto flag = [&](bool* target) {
            if (inlineValue) {
                *error = "option " + arg + " takes no value";
                return false;
            }
            *target = true;
            return true;
        };
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            *options = o;
            return ParseResult::kHelp;
        } else if (arg == "--version") {
            *options = o;
            return ParseResult::kVersion;
        } else if (arg == "--fourcc") {
            std::string name;
            ok = takeValue(&name);
            if (ok && !(o.fourcc = FindFourcc(name))) {
                *error =
                    "unknown FOURCC '" + name + "' (one of " + FourccNames() + "; case matters)";
                ok = false;
            }
        } else if (arg == "--size") {
            std::string text;
            ok = takeValue(&text);
            if (ok && !ParseSize(text, &o.width, &o.height)) {
                *error = "--size takes WxH, for example 720x576, not '" + text + "'";
                ok = false;
            }
            sizeGiven = ok;
        } else if (arg == "--pitch") {
            std::string text;
            long long pitch = 0;
            ok = takeValue(&text);
            if (ok && !ParseCount(text, 1, 65536, &pitch)) {
                *error = "--pitch takes a number of bytes up to 65536, not '" + text + "'";
                ok = false;
            }
            o.pitch = static_cast<int>(pitch);
        } else if (arg == "--frames") {
            std::string text;
            ok = takeValue(&text);
            if (ok && !ParseCount(text, 1, 1LL << 40, &o.frames)) {
                *error = "--frames takes a positive whole number, not '" + text + "'";
                ok = false;
            }
        } else if (arg == "--audio") {
            ok = takeValue(&o.audio);
            if (ok && o.audio.empty()) {
                *error = "--audio takes a WAV file";
                ok = false;
            }
        } else if (arg == "--timecode") {
            std::string text;
            ok = takeValue(&text) && ParseTimecode(text, &o.timecode, error);
            o.timecodeGiven = ok;
        } else if (arg == "--date") {
            std::string text;
            ok = takeValue(&text);
            o.dateNone = ok && text == "none";
            if (ok && !o.dateNone) ok = ParseRecordingDate(text, &o.date, error);
            o.dateGiven = ok;
        } else if (Word(arg, kFileOptions) >= 0) {
            std::string text;
            ok = takeValue(&text) && ParseFileOption(arg, text, &o, error);
        } else if (arg == "--no-audio") {
            ok = flag(&o.noAudio);
        } else if (arg == "--quality") {
            std::string text;
            ok = takeValue(&text);
            if (ok && text != "best" && text != "exact") {
                *error = "--quality takes best or exact, not '" + text + "'";
                ok = false;
            }
            if (ok) o.quality = text == "best" ? Options::Quality::kBest : Options::Quality::kExact;
        } else if (arg == "--threads") {
            std::string text;
            long long threads = 0;
            ok = takeValue(&text);
            if (ok && !ParseCount(text, 1, 16, &threads)) {
                *error = "--threads takes a number from 1 to 16, not '" + text + "'";
                ok = false;
            }
            o.threads = static_cast<int>(threads);
        } else if (bool Options::*const member = FindSwitch(arg)) {
            ok = flag(&(o.*member));
        } else {
            *error = "unknown option '" + arg + "' (see dvenc --help)";
            ok = false;
        }
        if (!ok) return ParseResult::kError;
    }

    if (o.demo) {
        if (positionalCount != 1) {
            *error = "--demo takes one argument, OUTPUT";
            return ParseResult::kError;
        }
        o.output = positional[0];
        if (o.fourcc || o.pitch || o.bottomUp) {
            *error = "--fourcc, --pitch and --bottom-up describe an input; --demo has none";
            return ParseResult::kError;
        }
    } else {
        if (positionalCount != 2) {
            *error = positionalCount == 0 ? "missing INPUT and OUTPUT (see dvenc --help)"
                                          : "missing OUTPUT (see dvenc --help)";
            return ParseResult::kError;
        }
        o.input = positional[0];
        o.output = positional[1];
        if (!o.fourcc && (sizeGiven || o.pitch || o.bottomUp)) {
            *error = "--size, --pitch and --bottom-up describe raw frames and need --fourcc";
            return ParseResult::kError;
        }
        if (o.fourcc && !sizeGiven) {
            *error = "raw frames (--fourcc) need --size, for example --size 720x576";
            return ParseResult::kError;
        }
    }
    if (o.wide && o.choices.aspect == AspectChoice::k4x3) {
        *error = "--wide and --aspect 4:3 contradict each other";
        return ParseResult::kError;
    }
    if (o.wide) o.choices.aspect = AspectChoice::k16x9;
    o.choices.smpte314m = o.smpte314m;
    if (o.noAudio && (!o.audio.empty() || o.audioStream >= 0)) {
        *error = "--no-audio and " + std::string(o.audio.empty() ? "--audio-stream" : "--audio") +
                 " contradict each other";
        return ParseResult::kError;
    }
    if (!o.audio.empty() && (o.audioStream >= 0 || o.audioRate)) {
        *error = std::string(o.audioStream >= 0 ? "--audio-stream" : "--audio-rate") +
                 " is for the sound of the file; --audio takes a WAV file's sound at its own rate";
        return ParseResult::kError;
    }
    if (o.demo && !o.fileOnlyOption.empty()) {
        *error =
            o.fileOnlyOption + " is for files read through FFmpeg's libraries; --demo has none";
        return ParseResult::kError;
    }
    if (o.fourcc && !o.fileOnlyOption.empty()) {
        *error = o.fileOnlyOption + " is for files read through FFmpeg's libraries, not raw frames";
        return ParseResult::kError;
    }
    if (o.audio == "-" && o.input == "-") {
        *error = "INPUT and --audio cannot both be standard input";
        return ParseResult::kError;
    }
    if (o.quality == Options::Quality::kBest && o.mbQuant) {
        *error = "--mb-quant is a variant of --quality exact, not of best";
        return ParseResult::kError;
    }
    if (sizeGiven && (o.width != 720 || (o.height != 480 && o.height != 486 && o.height != 576))) {
        *error = UnsupportedSizeMessage(o.width, o.height, 0, 0, 0, 0);
        return ParseResult::kError;
    }
    if (o.fourcc && o.pitch && o.pitch < 720 * o.fourcc->bytesPerPixel) {
        *error = "--pitch " + std::to_string(o.pitch) + " is shorter than a line of 720 " +
                 o.fourcc->name + " pixels (" + std::to_string(720 * o.fourcc->bytesPerPixel) +
                 " bytes)";
        return ParseResult::kError;
    }
    if (o.fourcc && o.fourcc->chromaDivisor != 0) {
        if (o.pitch % o.fourcc->chromaDivisor != 0) {
            *error = "--pitch " + std::to_string(o.pitch) + " does not divide into " +
                     o.fourcc->name + " chroma lines (a multiple of " +
                     std::to_string(o.fourcc->chromaDivisor) + " is needed)";
            return ParseResult::kError;
        }
        if (o.bottomUp) {
            *error = std::string("--bottom-up is for packed layouts; ") + o.fourcc->name +
                     " planes are stored top line first";
            return ParseResult::kError;
        }
    }
    *options = o;
    return ParseResult::kRun;
}

unsigned FlagsFor(const Options& options) {
    unsigned flags = 0;
    if (options.swapFields) flags |= DVENC_FLAG_SWAP_FIELDS;
    if (options.mbQuant) flags |= DVENC_FLAG_MB_QUANT;
    const bool best = options.quality == Options::Quality::kBest ||
                      (options.quality == Options::Quality::kUnset && !options.mbQuant);
    if (best) flags |= DVENC_FLAG_BEST_QUALITY;
    if (options.wide) flags |= DVENC_FLAG_WIDE;
    if (options.smpte314m) flags |= DVENC_FLAG_SMPTE314M;
    if (options.noHeaderBlock) flags |= DVENC_FLAG_NO_HEADER_BLOCK;
    if (options.alphaWeight) flags |= DVENC_FLAG_ALPHA_WEIGHT;
    if (options.singleThread || options.threads == 1) flags |= DVENC_FLAG_SINGLE_THREAD;
    return flags;
}

}  // namespace dvenc
