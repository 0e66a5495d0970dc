#include "cli/encode_loop.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "cli/progress.h"
#include "cli/thread_limit.h"
#include "dv_frames/audio_track.h"
#include "dv_frames/frame_completion.h"
#include "dv_frames/output_file.h"
#include "enc_dv.h"
#include "sources/frame_buffer.h"

namespace dvenc {

namespace {

struct Handle {
    DVEncoderHandle* handle = DVNewEnc();
    ~Handle() { DVDoneEnc(handle); }
};

void LimitThreads(const Options& options) {
    if (options.threads <= 1) return;
    const int kept = LimitProcessors(options.threads);
    if (kept > 0 && kept < options.threads) {
        Say(options.quiet, "note",
            "only " + std::to_string(kept) + " processor" + (kept == 1 ? "" : "s") +
                " available; encoding on " + std::to_string(kept) + " thread" +
                (kept == 1 ? "" : "s"));
    }
}

std::string FramesInOutput(long long done, const char* which) {
    if (done == 0) return "";
    return std::string("; ") +
           (done == 1 ? "the frame" : "the " + std::to_string(done) + " frames") + " " + which +
           " " + (done == 1 ? "is" : "are") + " in the output";
}

// One frame through the library, completed and written: kExitDone, or the exit status
// with *message (kExitDone with *readerGone when the output's reader went away).
int WriteFrame(const FrameSource& source, const SourceFrame& frame, long long index, unsigned flags,
               int expectedBytes, DVEncoderHandle* encoder, FrameBuffer* dv, AudioTrack* audio,
               const StreamLabels& labels, OutputFile* output, bool* readerGone,
               std::string* message) {
    const int bytes = DVCompressBuffer(encoder, frame.top, frame.pitch, dv->Data(), 0,
                                       source.Width(), source.Height(), 0, flags, frame.fourcc);
    if (bytes == 0) {
        *message = "the encoder refused frame " + std::to_string(index + 1);
        return kExitEncoder;
    }
    if (bytes != expectedBytes) {
        *message = "the encoder returned " + std::to_string(bytes) + " bytes for frame " +
                   std::to_string(index + 1) + ", not " + std::to_string(expectedBytes);
        return kExitEncoder;
    }
    int samples = 0;
    if (!audio->Next(&samples, message)) return kExitInput;
    if (!CompleteFrame(dv->Data(), bytes, index, labels, *audio, samples, message)) {
        return kExitEncoder;
    }
    if (!output->WriteFrame(dv->Data(), static_cast<size_t>(bytes), message)) {
        *readerGone = output->ReaderGone();
        return *readerGone ? kExitDone : kExitOutput;
    }
    return kExitDone;
}

void PrintSummary(const Options& options, const OpenedInput& input, long long done,
                  const OutputFile& output, double seconds) {
    Summary summary;
    summary.frames = done;
    summary.is625 = input.frames->Height() == 576;
    summary.sampling411 = !summary.is625 || options.smpte314m;
    summary.wide = input.wide;
    summary.bytes = output.BytesWritten();
    summary.output = output.Name();
    summary.elapsedSeconds = seconds;
    std::fprintf(stderr, "dvenc: %s\n", FormatSummary(summary).c_str());
}

}  // namespace

int Encode(const Options& options, OpenedInput* input, bool (*stopRequested)()) {
    FrameSource& source = *input->frames;
    const bool is625 = source.Height() == 576;
    const int expectedBytes =
        is625 ? (options.noHeaderBlock ? DVENC_FRAME_BYTES_625_NO_HEADER : DVENC_FRAME_BYTES_625)
              : (options.noHeaderBlock ? DVENC_FRAME_BYTES_525_NO_HEADER : DVENC_FRAME_BYTES_525);
    AudioTrack audio(std::move(input->sound), expectedBytes, input->soundSlackFrames);

    if (options.noHeaderBlock) {
        Say(options.quiet, "warning",
            "without header blocks (--no-header-block) the output is not a playable DV file");
    }

    // The first frame before the output: an input without frames leaves no file behind.
    std::string error;
    SourceFrame frame;
    FrameSource::Result result = source.Next(&frame, &error);
    if (result == FrameSource::Result::kEnd) {
        const std::string problem = source.EndProblem();
        return Fail(kExitInput, !problem.empty() ? problem + "; nothing was written"
                                                 : (input->input ? input->input->Name()
                                                                 : std::string("the input")) +
                                                       " holds no frames; nothing was written");
    }
    if (result == FrameSource::Result::kError && !source.Interrupted()) {
        return Fail(kExitInput, error);
    }

    unsigned flags = FlagsFor(options);
    if (input->wide) flags |= DVENC_FLAG_WIDE;
    LimitThreads(options);

    unsigned long long device = 0;
    unsigned long long inode = 0;
    const bool haveInput = input->input && input->input->Identity(&device, &inode);
    OutputFile output;
    if (!output.Open(options.output, haveInput, device, inode, &error)) {
        return Fail(kExitOutput, error);
    }

    Handle encoder;
    if (!encoder.handle) return Fail(kExitEncoder, "cannot create an encoder (out of memory)");

    FrameBuffer dv;
    dv.Allocate(DVENC_MAX_FRAME_BYTES);

    long long total = source.FrameCount();
    if (options.frames > 0 && (total < 0 || total > options.frames)) total = options.frames;
    ProgressLine progress(!options.quiet && isatty(STDERR_FILENO), total, stderr);
    long long done = 0;
    bool readerGone = false;
    int code = kExitDone;
    std::string message;
    for (;;) {
        if (result == FrameSource::Result::kEnd) {
            message = source.EndProblem();
            if (!message.empty()) {
                code = kExitInput;
                message += FramesInOutput(done, "that could be read");
            }
            break;
        }
        if (result == FrameSource::Result::kError) {
            if (source.Interrupted()) break;
            code = kExitInput;
            message = error + FramesInOutput(done, "before it");
            break;
        }
        code = WriteFrame(source, frame, done, flags, expectedBytes, encoder.handle, &dv, &audio,
                          input->labels, &output, &readerGone, &message);
        if (code != kExitDone || readerGone) break;
        ++done;
        progress.Update(done);
        if ((options.frames > 0 && done >= options.frames) || stopRequested()) break;
        result = source.Next(&frame, &error);
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
    if (stopRequested() || source.Interrupted()) {
        std::fprintf(stderr, "dvenc: interrupted after %lld frames\n", done);
        return kExitInterrupted;
    }
    Say(options.quiet, "note", audio.EndNote());
    if (!options.quiet) PrintSummary(options, *input, done, output, progress.ElapsedSeconds());
    return kExitDone;
}

}  // namespace dvenc
