// dvenc: encodes YUV4MPEG2 or raw frames, or a synthetic test picture, into a raw DV stream.
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "dv_frames/audio_track.h"
#include "sources/demo_picture.h"
#include "enc_dv.h"
#include "sources/frame_buffer.h"
#include "cli/options.h"
#include "dv_frames/output_file.h"
#include "cli/progress.h"
#include "sources/raw_source.h"
#include "sources/stream_checks.h"
#include "cli/thread_limit.h"
#include "dv_frames/timecode.h"
#include "sources/wav_reader.h"
#include "sources/y4m_source.h"

namespace {

using dvenc::FrameSource;

enum ExitCode {
    kExitDone = 0,
    kExitInput = 1,
    kExitUsage = 2,
    kExitOutput = 3,
    kExitEncoder = 4,
    kExitInterrupted = 130,
};

// Demo clip length: five seconds.
constexpr long long kDemoFrames625 = 125;
constexpr long long kDemoFrames525 = 150;

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

void InstallSignalHandlers() {
    // Failed writes are seen rather than killing the process: a closed pipe (EPIPE), which
    // ends the encoding with a note, or a file size limit (EFBIG), an error.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // Interrupting finishes the frame in hand, so the output ends on a whole frame. No
    // SA_RESTART: a read blocked on a pipe returns at once.
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "dvenc: error: %s\n", message.c_str());
    return code;
}

void Say(bool quiet, const char* kind, const std::string& message) {
    if (!quiet && !message.empty()) std::fprintf(stderr, "dvenc: %s: %s\n", kind, message.c_str());
}

int PrintVersion() {
    char text[64] = {};
    const DVEncQueryInfoFunction query = DVEncGetAPIExt(DVENC_API_QUERY_INFO);
    // The library writes its version text without a terminating zero; the buffer has one.
    if (!query || query(DVENC_QUERY_VERSION, text) != 0) {
        return Fail(kExitEncoder, "the enc_dv library gives no version text");
    }
    text[sizeof text - 1] = '\0';
    std::printf("dvenc %s (enc_dv library version %s)\n", DVENC_TOOL_VERSION, text);
    return kExitDone;
}

// Adds what the library's frame lacks: the time code and, with --date, the recording date
// of frame number index, and its sound. False with a message when the library refuses.
bool CompleteFrame(uint8_t* frame, int bytes, long long index, const DVEncTimecode& timecode,
                   const dvenc::Options& options, const dvenc::AudioTrack& audio, int samples,
                   std::string* message) {
    if (index > INT_MAX) {
        *message = "streams of more than " + std::to_string(INT_MAX) + " frames are not supported";
        return false;
    }
    const int n = static_cast<int>(index);
    int result = DVEncWriteTimecode(frame, bytes, &timecode, n);
    if (result == DVENC_FILL_OK && options.dateGiven) {
        result = DVEncWriteRecordingDate(frame, bytes, &options.date, n);
    }
    if (result == DVENC_FILL_OK) {
        result = DVEncWriteAudio(frame, bytes, audio.Samples(), samples, 2, audio.SampleRate(), n);
    }
    if (result != DVENC_FILL_OK) {
        *message = "the library refused the time code, date or sound of frame " +
                   std::to_string(index + 1) + " (result " + std::to_string(result) + ")";
    }
    return result == DVENC_FILL_OK;
}

struct Handle {
    DVEncoderHandle* handle = DVNewEnc();
    ~Handle() { DVDoneEnc(handle); }
};

int Run(const dvenc::Options& options) {
    // The inputs first: a bad input must not empty an existing output file.
    std::unique_ptr<FrameSource> source;
    const dvenc::InputFile* input = nullptr;
    bool wide = options.wide;
    std::string error;
    if (options.demo) {
        const int height = options.height ? options.height : 576;
        const long long frames = options.frames > 0 ? options.frames
                                 : height == 576    ? kDemoFrames625
                                                    : kDemoFrames525;
        source = std::make_unique<dvenc::DemoSource>(height, frames);
    } else if (options.fourcc) {
        dvenc::RawFormat format;
        format.fourcc = options.fourcc;
        format.width = options.width;
        format.height = options.height;
        format.pitch = options.pitch;
        format.bottomUp = options.bottomUp;
        auto raw = dvenc::RawSource::Open(options.input, format, &error);
        if (!raw) return Fail(kExitInput, error);
        input = &raw->Input();
        source = std::move(raw);
    } else {
        auto y4m = dvenc::Y4mSource::Open(options.input, &error);
        if (!y4m) return Fail(kExitInput, error);
        const dvenc::Y4mHeader& header = y4m->Header();
        Say(options.quiet, "warning", dvenc::FrameRateWarning(header));
        Say(options.quiet, "note", dvenc::FieldOrderNote(header, options.swapFields));
        wide = wide || dvenc::IsWideAspect(header);
        input = &y4m->Input();
        source = std::move(y4m);
    }
    const bool is625 = source->Height() == 576;
    const int expectedBytes =
        is625 ? (options.noHeaderBlock ? DVENC_FRAME_BYTES_625_NO_HEADER : DVENC_FRAME_BYTES_625)
              : (options.noHeaderBlock ? DVENC_FRAME_BYTES_525_NO_HEADER : DVENC_FRAME_BYTES_525);

    // Time code of the first frame: 00:00:00:00, counted drop-frame at 525/60 unless given.
    DVEncTimecode timecode = options.timecode;
    if (!options.timecodeGiven) timecode.dropFrame = !is625;
    if (!dvenc::CheckTimecode(timecode, expectedBytes, &error)) return Fail(kExitUsage, error);

    std::unique_ptr<dvenc::WavReader> wav;
    if (!options.audio.empty()) {
        wav = dvenc::WavReader::Open(options.audio, &error);
        if (!wav) return Fail(kExitInput, error);
    }
    dvenc::AudioTrack audio(std::move(wav), expectedBytes);

    if (options.noHeaderBlock) {
        Say(options.quiet, "warning",
            "without header blocks (--no-header-block) the output is not a playable DV file");
    }

    // The first frame before the output: an input without frames leaves no file behind.
    dvenc::SourceFrame frame;
    FrameSource::Result result = source->Next(&frame, &error);
    if (result == FrameSource::Result::kEnd) {
        return Fail(kExitInput, (input ? input->Name() : std::string("the input")) +
                                    " holds no frames; nothing was written");
    }
    if (result == FrameSource::Result::kError && !source->Interrupted()) {
        return Fail(kExitInput, error);
    }

    unsigned flags = dvenc::FlagsFor(options);
    if (wide) flags |= DVENC_FLAG_WIDE;
    if (options.threads > 1) {
        const int kept = dvenc::LimitProcessors(options.threads);
        if (kept > 0 && kept < options.threads) {
            Say(options.quiet, "note",
                "only " + std::to_string(kept) + " processor" + (kept == 1 ? "" : "s") +
                    " available; encoding on " + std::to_string(kept) + " thread" +
                    (kept == 1 ? "" : "s"));
        }
    }

    unsigned long long device = 0;
    unsigned long long inode = 0;
    const bool haveInput = input && input->Identity(&device, &inode);
    dvenc::OutputFile output;
    if (!output.Open(options.output, haveInput, device, inode, &error)) {
        return Fail(kExitOutput, error);
    }

    Handle encoder;
    if (!encoder.handle) return Fail(kExitEncoder, "cannot create an encoder (out of memory)");

    dvenc::FrameBuffer dv;
    dv.Allocate(DVENC_MAX_FRAME_BYTES);

    long long total = source->FrameCount();
    if (options.frames > 0 && (total < 0 || total > options.frames)) total = options.frames;
    dvenc::ProgressLine progress(!options.quiet && isatty(STDERR_FILENO), total, stderr);
    long long done = 0;
    bool readerGone = false;
    int code = kExitDone;
    std::string message;
    for (;;) {
        if (result == FrameSource::Result::kEnd) break;
        if (result == FrameSource::Result::kError) {
            if (source->Interrupted()) break;
            code = kExitInput;
            message = error;
            if (done > 0) {
                message += std::string("; ") +
                           (done == 1 ? "the frame" : "the " + std::to_string(done) + " frames") +
                           " before it " + (done == 1 ? "is" : "are") + " in the output";
            }
            break;
        }
        const int bytes =
            DVCompressBuffer(encoder.handle, frame.top, frame.pitch, dv.Data(), 0, source->Width(),
                             source->Height(), 0, flags, frame.fourcc);
        if (bytes == 0) {
            code = kExitEncoder;
            message = "the encoder refused frame " + std::to_string(done + 1);
            break;
        }
        if (bytes != expectedBytes) {
            code = kExitEncoder;
            message = "the encoder returned " + std::to_string(bytes) + " bytes for frame " +
                      std::to_string(done + 1) + ", not " + std::to_string(expectedBytes);
            break;
        }
        int samples = 0;
        if (!audio.Next(&samples, &error)) {
            code = kExitInput;
            message = error;
            break;
        }
        if (!CompleteFrame(dv.Data(), bytes, done, timecode, options, audio, samples, &message)) {
            code = kExitEncoder;
            break;
        }
        if (!output.WriteFrame(dv.Data(), static_cast<size_t>(bytes), &error)) {
            if (output.ReaderGone()) {
                readerGone = true;
                break;
            }
            code = kExitOutput;
            message = error;
            break;
        }
        ++done;
        progress.Update(done);
        if ((options.frames > 0 && done >= options.frames) || stopRequested) break;
        result = source->Next(&frame, &error);
    }
    progress.Clear();
    if (!output.Close(&error) && code == kExitDone) {
        code = kExitOutput;
        message = error;
    }
    if (code != kExitDone) return Fail(code, message);
    if (readerGone) {
        // A player that quits closes the pipe: not an error, the frames it took were whole.
        if (!options.quiet)
            std::fprintf(stderr, "dvenc: note: %s was closed by its reader after %lld frame%s\n",
                         output.Name().c_str(), done, done == 1 ? "" : "s");
        return kExitDone;
    }
    if (stopRequested || source->Interrupted()) {
        std::fprintf(stderr, "dvenc: interrupted after %lld frames\n", done);
        return kExitInterrupted;
    }
    Say(options.quiet, "note", audio.EndNote());
    if (!options.quiet) {
        dvenc::Summary summary;
        summary.frames = done;
        summary.is625 = is625;
        summary.sampling411 = !is625 || options.smpte314m;
        summary.wide = wide;
        summary.bytes = output.BytesWritten();
        summary.output = output.Name();
        summary.elapsedSeconds = progress.ElapsedSeconds();
        std::fprintf(stderr, "dvenc: %s\n", dvenc::FormatSummary(summary).c_str());
    }
    return kExitDone;
}

}  // namespace

int main(int argc, char** argv) {
    InstallSignalHandlers();
    dvenc::Options options;
    std::string error;
    switch (dvenc::ParseOptions(argc, argv, &options, &error)) {
        case dvenc::ParseResult::kHelp:
            std::fputs(dvenc::HelpText(), stdout);
            return kExitDone;
        case dvenc::ParseResult::kVersion:
            return PrintVersion();
        case dvenc::ParseResult::kError:
            return Fail(kExitUsage, error);
        case dvenc::ParseResult::kRun:
            break;
    }
    try {
        return Run(options);
    } catch (const std::bad_alloc&) {
        return Fail(kExitEncoder, "out of memory");
    }
}
