// dvenc: encodes a video file, YUV4MPEG2 or raw frames, or a synthetic test picture, into a
// raw DV stream.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "cli/encode_loop.h"
#include "cli/exit_codes.h"
#include "cli/input_choice.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "enc_dv.h"
#include "media/open_media.h"
#include "sources/system_io.h"

namespace {

using namespace dvenc;

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

bool StopRequested() {
    return stopRequested != 0;
}

#ifdef _WIN32
void InstallSignalHandlers() {
    // Ctrl-C finishes the frame in hand, so the output ends on a whole frame.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
}
#else
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
#endif

// The release (the project's version) and the library's interface texts, which stay the same
// in every release: hosts compare them to know the interface they call.
int PrintVersion() {
    char interfaceText[64] = {};
    char platform[64] = {};
    const DVEncQueryInfoFunction query = DVEncGetAPIExt(DVENC_API_QUERY_INFO);
    // The library writes its texts without a terminating zero; the buffers have one.
    if (!query || query(DVENC_QUERY_VERSION, interfaceText) != 0 ||
        query(DVENC_QUERY_PLATFORM, platform) != 0) {
        return Fail(kExitEncoder, "the enc_dv library gives no interface texts");
    }
    std::printf("dvenc %s (enc_dv interface %s, platform %s)\n", DVENC_TOOL_VERSION, interfaceText,
                platform);
    std::printf("%s%s\n", MediaSupported() ? "files read through " : "", MediaLibraries().c_str());
    return kExitDone;
}

int Run(const Options& options) {
    // The inputs first: a bad input must not empty an existing output file.
    OpenedInput input;
    std::string error;
    const int code = OpenInput(options, StopRequested, &input, &error);
    if (code != kExitDone) return Fail(code, error);
    Say(options.quiet, "input", input.description);
    for (const std::string& warning : input.warnings) Say(options.quiet, "warning", warning);
    for (const std::string& note : input.notes) Say(options.quiet, "note", note);
    return Encode(options, &input, StopRequested);
}

}  // namespace

int main(int argc, char** argv) {
    InstallSignalHandlers();
    UseBinaryStandardStreams();
    Options options;
    std::string error;
    switch (ParseOptions(argc, argv, &options, &error)) {
        case ParseResult::kHelp:
            std::fputs(HelpText(), stdout);
            return kExitDone;
        case ParseResult::kVersion:
            return PrintVersion();
        case ParseResult::kError:
            return Fail(kExitUsage, error);
        case ParseResult::kRun:
            break;
    }
    try {
        return Run(options);
    } catch (const std::bad_alloc&) {
        return Fail(kExitEncoder, "out of memory");
    }
}
