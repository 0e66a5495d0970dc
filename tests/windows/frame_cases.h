/* Conformance frames shared by the Windows DLL host and its Linux twin: the same
 * synthetic pictures, encoded with the same formats, systems and flags, written to one
 * file per case, so that the two builds can be compared byte for byte. Plain C so that
 * it builds with any compiler for either platform. */
#ifndef ENC_DV_TESTS_WINDOWS_FRAME_CASES_H
#define ENC_DV_TESTS_WINDOWS_FRAME_CASES_H

#include "enc_dv.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The entry points, reached through pointers so that a host can take them from
 * GetProcAddress or from the linker alike. */
typedef void (*InitDVEncFunction)(void);
typedef DVEncoderHandle* (*DVNewEncFunction)(void);
typedef void (*DVDoneEncFunction)(DVEncoderHandle*);
typedef int (*DVCompressBufferFunction)(DVEncoderHandle*, const void*, int, void*, int, int, int,
                                        int, unsigned, unsigned);
typedef int (*CompressBufferDVFunction)(const void*, int, void*, int, int, int, int, unsigned,
                                        unsigned);
typedef DVEncQueryInfoFunction (*DVEncGetAPIExtFunction)(int);
typedef int (*DVEncWriteTimecodeFunction)(void*, int, const DVEncTimecode*, int);
typedef int (*DVEncWriteRecordingDateFunction)(void*, int, const DVEncRecordingDate*, int);
typedef int (*DVEncWriteAudioFunction)(void*, int, const short*, int, int, int, int);
typedef int (*DVEncAudioSamplesFunction)(int, int, int);

typedef struct EncoderEntries {
    InitDVEncFunction initDVEnc;
    DVNewEncFunction dvNewEnc;
    DVDoneEncFunction dvDoneEnc;
    DVCompressBufferFunction dvCompressBuffer;
    CompressBufferDVFunction compressBufferDV;
    DVEncGetAPIExtFunction dvEncGetAPIExt;
    DVEncWriteTimecodeFunction dvEncWriteTimecode;
    DVEncWriteRecordingDateFunction dvEncWriteRecordingDate;
    DVEncWriteAudioFunction dvEncWriteAudio;
    DVEncAudioSamplesFunction dvEncAudioSamples;
} EncoderEntries;

/* Sets the CPUFeatures setting of section DVCODEC (null removes it). */
typedef void (*SetFeatureSettingFunction)(const char* value);

/* Wraps one call: hosts may run it on an unusual stack. Returns the call's result. */
typedef int (*CompressCallFunction)(const EncoderEntries* entries, DVEncoderHandle* handle,
                                    const void* source, int pitch, void* output, int height,
                                    unsigned flags, unsigned fourcc);

/* Encodes every case into outputDir/<case>.dv and checks what one host can check
 * alone: frame lengths, untouched bytes, the refusal without "sse2" in the setting,
 * the x87 state after each call, and that call wraps (stack offsets) give equal frames.
 * wraps may be null (count 0). Prints one line per failure; returns the failure count. */
int RunFrameCases(const EncoderEntries* entries, const char* outputDir,
                  SetFeatureSettingFunction setFeatureSetting, const CompressCallFunction* wraps,
                  int wrapCount);

/* Encodes two frames of each system and completes them with a time code, a recording date
 * and sound through the frame writers, into outputDir/complete_<system>.dv; checks the
 * writers' results and that a refused call leaves the frame untouched. Returns the failure
 * count. */
int RunCompleteFrameCases(const EncoderEntries* entries, const char* outputDir);

/* Encodes the first case with CompressBuffer_DV into output (DVENC_MAX_FRAME_BYTES);
 * returns the call's result, or -1 when the picture cannot be allocated. */
int EncodeFirstCase(const EncoderEntries* entries, unsigned char* output);

/* Pauses the calling thread for about `milliseconds` (0 yields). */
typedef void (*PauseFunction)(int milliseconds);

/* Encodes one picture 400 times on one handle, with pauses of 0-3 ms between the
 * frames as a host's work between frames makes them, and compares every frame with the
 * first. Prints one line per failure; returns the failure count. */
int CheckRepeatedFrames(const EncoderEntries* entries, PauseFunction pause);

/* Checks DVEncGetAPIExt and the query function: ids, the three types, exact byte
 * counts. Returns the failure count. */
int CheckQueryInfo(const EncoderEntries* entries);

#ifdef __cplusplus
}
#endif

#endif
