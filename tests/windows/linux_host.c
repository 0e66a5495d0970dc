/* Linux twin of the Windows DLL host: encodes the shared conformance frames through the
 * shared library, so that the two builds' frames can be compared byte for byte.
 * Usage: linux_host OUTPUT_DIR. Exit status 0 when every check passed. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "frame_cases.h"

/* Off Windows the CPUFeatures setting is the environment variable DVCODEC_CPUFEATURES. */
static void SetFeatureSetting(const char* value) {
    if (value)
        setenv("DVCODEC_CPUFEATURES", value, 1);
    else
        unsetenv("DVCODEC_CPUFEATURES");
}

static void Pause(int milliseconds) {
    const struct timespec pause = {0, milliseconds * 1000000L};
    nanosleep(&pause, NULL);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    unsetenv("DVCODEC_CPUFEATURES");
    const EncoderEntries entries = {
        InitDVEnc,         DVNewEnc,         DVDoneEnc,          DVCompressBuffer,
        CompressBuffer_DV, DVEncGetAPIExt,   DVEncWriteTimecode, DVEncWriteRecordingDate,
        DVEncWriteAudio,   DVEncAudioSamples};
    int failures = CheckQueryInfo(&entries);
    failures += CheckRepeatedFrames(&entries, Pause);
    failures += RunFrameCases(&entries, argv[1], SetFeatureSetting, NULL, 0);
    failures += RunCompleteFrameCases(&entries, argv[1]);
    printf("%s: %d failure(s)\n", argv[0], failures);
    return failures ? 1 : 0;
}
