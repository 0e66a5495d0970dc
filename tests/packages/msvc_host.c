/* Compiled as MSVC compiles a host (clang --target=*-pc-windows-msvc): its undefined symbols
 * are what an MSVC-built program asks enc_dv.lib for, one reference to every export. */
#include <enc_dv.h>

void* const kExports[] = {
    (void*)CompressBuffer_DV,
    (void*)DVNewEnc,
    (void*)DVDoneEnc,
    (void*)DVCompressBuffer,
    (void*)InitDVEnc,
    (void*)DVEncGetAPIExt,
    (void*)DVEncWriteTimecode,
    (void*)DVEncWriteRecordingDate,
    (void*)DVEncWriteAudio,
    (void*)DVEncAudioSamples,
    (void*)DVEncReadRecordingDate,
};

int CallEncoder(void) {
    DVEncoderHandle* handle = DVNewEnc();
    DVDoneEnc(handle);
    return DVEncAudioSamples(144000, 48000, 0);
}
