/* Windows host of enc_dv.dll: loads it with LoadLibrary, checks that every entry point
 * (the six of the design and the frame writers after them) is found by name and by
 * ordinal (and nothing else is), makes its first two calls from
 * two threads at once, encodes one picture 400 times on one handle with pauses between
 * the frames (so the worker threads meet through every path of their events), then
 * encodes the shared conformance frames, also from a 4-byte aligned stack as a host built
 * with another compiler may call, and writes them for comparison with the Linux build.
 * Usage: dll_host OUTPUT_DIR [DLL_PATH]. Exit status 0 when every check passed. */
#include <windows.h>

#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "frame_cases.h"

static const struct {
    WORD ordinal;
    const char* name;
} kExports[] = {
    {1, "CompressBuffer_DV"},   {30, "DVNewEnc"},
    {31, "DVDoneEnc"},          {32, "DVCompressBuffer"},
    {33, "InitDVEnc"},          {43, "DVEncGetAPIExt"},
    {44, "DVEncWriteTimecode"}, {45, "DVEncWriteRecordingDate"},
    {46, "DVEncWriteAudio"},    {47, "DVEncAudioSamples"},
    {48, "DVEncReadRecordingDate"},
};
enum { kExportCount = sizeof kExports / sizeof kExports[0] };

static int IsExportedOrdinal(WORD ordinal) {
    for (int i = 0; i < kExportCount; ++i)
        if (kExports[i].ordinal == ordinal) return 1;
    return 0;
}

/* Resolves the entries by name, checks each against its ordinal; returns failures. */
static int ResolveEntries(HMODULE dll, FARPROC found[kExportCount]) {
    int failures = 0;
    for (int i = 0; i < kExportCount; ++i) {
        found[i] = GetProcAddress(dll, kExports[i].name);
        const FARPROC byOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(kExports[i].ordinal));
        if (!found[i] || found[i] != byOrdinal) {
            printf("FAIL exports: %s is not ordinal %u\n", kExports[i].name, kExports[i].ordinal);
            ++failures;
        }
    }
    for (WORD ordinal = 1; ordinal <= 96; ++ordinal)
        if (!IsExportedOrdinal(ordinal) && GetProcAddress(dll, MAKEINTRESOURCEA(ordinal))) {
            printf("FAIL exports: ordinal %u is exported\n", ordinal);
            ++failures;
        }
    static const char* const kDecorated[] = {"_InitDVEnc", "InitDVEnc@0", "_DVNewEnc@0"};
    for (size_t i = 0; i < sizeof kDecorated / sizeof kDecorated[0]; ++i)
        if (GetProcAddress(dll, kDecorated[i])) {
            printf("FAIL exports: decorated name %s is exported\n", kDecorated[i]);
            ++failures;
        }
    return failures;
}

static void SetFeatureSetting(const char* value) {
    WriteProfileStringA("DVCODEC", "CPUFeatures", value);
}

/* Calls with the stack pointer moved by `offset` bytes. This file is built with
 * -mpreferred-stack-boundary=2, so the offset really misaligns the library's entry. */
static int OffsetCall(int offset, const EncoderEntries* e, DVEncoderHandle* handle,
                      const void* source, int pitch, void* output, int height, unsigned flags,
                      unsigned fourcc) {
    volatile char* pad = (volatile char*)alloca((size_t)offset + 1);
    pad[0] = 0;
    return handle ? e->dvCompressBuffer(handle, source, pitch, output, 0, 720, height, 0, flags,
                                        fourcc)
                  : e->compressBufferDV(source, pitch, output, 0, 720, height, 0, flags, fourcc);
}

static int OffsetCall3(const EncoderEntries* e, DVEncoderHandle* h, const void* s, int p, void* o,
                       int height, unsigned f, unsigned c) {
    return OffsetCall(3, e, h, s, p, o, height, f, c);
}
static int OffsetCall7(const EncoderEntries* e, DVEncoderHandle* h, const void* s, int p, void* o,
                       int height, unsigned f, unsigned c) {
    return OffsetCall(7, e, h, s, p, o, height, f, c);
}
static int OffsetCall11(const EncoderEntries* e, DVEncoderHandle* h, const void* s, int p, void* o,
                        int height, unsigned f, unsigned c) {
    return OffsetCall(11, e, h, s, p, o, height, f, c);
}
static int OffsetCall15(const EncoderEntries* e, DVEncoderHandle* h, const void* s, int p, void* o,
                        int height, unsigned f, unsigned c) {
    return OffsetCall(15, e, h, s, p, o, height, f, c);
}

static void Pause(int milliseconds) {
    Sleep((DWORD)milliseconds);
}

/* Two host threads encode at once as the very first calls into the library, so both
 * run the one-time initialisation together; their frames must equal a later one. */
typedef struct ConcurrentCall {
    const EncoderEntries* entries;
    HANDLE start;
    unsigned char* output;
    int length;
} ConcurrentCall;

static DWORD WINAPI RunConcurrentCall(LPVOID argument) {
    ConcurrentCall* call = (ConcurrentCall*)argument;
    WaitForSingleObject(call->start, INFINITE);
    call->length = EncodeFirstCase(call->entries, call->output);
    return 0;
}

static int CheckConcurrentFirstCalls(const EncoderEntries* entries) {
    enum { kThreads = 2 };
    ConcurrentCall calls[kThreads];
    HANDLE threads[kThreads];
    unsigned char* reference = (unsigned char*)malloc(DVENC_MAX_FRAME_BYTES);
    const HANDLE start = CreateEventA(NULL, TRUE, FALSE, NULL);
    int failures = 0;
    int started = 0;
    for (int t = 0; t < kThreads; ++t) {
        calls[t].entries = entries;
        calls[t].start = start;
        calls[t].output = (unsigned char*)malloc(DVENC_MAX_FRAME_BYTES);
        calls[t].length = 0;
        threads[t] = NULL;
        if (start && calls[t].output)
            threads[t] = CreateThread(NULL, 0, RunConcurrentCall, &calls[t], 0, NULL);
        started += threads[t] != NULL;
    }
    if (started != kThreads || !reference) {
        printf("FAIL concurrent: cannot set up the threads\n");
        ++failures;
    }
    if (start) SetEvent(start);
    for (int t = 0; t < kThreads; ++t)
        if (threads[t]) {
            WaitForSingleObject(threads[t], INFINITE);
            CloseHandle(threads[t]);
        }
    if (!failures) {
        const int length = EncodeFirstCase(entries, reference);
        for (int t = 0; t < kThreads; ++t)
            if (length <= 0 || calls[t].length != length ||
                memcmp(calls[t].output, reference, (size_t)length) != 0) {
                printf("FAIL concurrent: thread %d got a different frame\n", t);
                ++failures;
            }
    }
    for (int t = 0; t < kThreads; ++t) free(calls[t].output);
    free(reference);
    if (start) CloseHandle(start);
    return failures;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: %s OUTPUT_DIR [DLL_PATH]\n", argv[0]);
        return 2;
    }
    SetFeatureSetting(NULL);
    const HMODULE dll = LoadLibraryA(argc == 3 ? argv[2] : "enc_dv.dll");
    if (!dll) {
        printf("FAIL: cannot load the DLL (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    FARPROC found[kExportCount];
    int failures = ResolveEntries(dll, found);
    if (failures) {
        FreeLibrary(dll);
        printf("%s: %d failure(s)\n", argv[0], failures);
        return 1;
    }
    EncoderEntries entries;
    entries.compressBufferDV = (CompressBufferDVFunction)(void (*)(void))found[0];
    entries.dvNewEnc = (DVNewEncFunction)(void (*)(void))found[1];
    entries.dvDoneEnc = (DVDoneEncFunction)(void (*)(void))found[2];
    entries.dvCompressBuffer = (DVCompressBufferFunction)(void (*)(void))found[3];
    entries.initDVEnc = (InitDVEncFunction)(void (*)(void))found[4];
    entries.dvEncGetAPIExt = (DVEncGetAPIExtFunction)(void (*)(void))found[5];
    entries.dvEncWriteTimecode = (DVEncWriteTimecodeFunction)(void (*)(void))found[6];
    entries.dvEncWriteRecordingDate = (DVEncWriteRecordingDateFunction)(void (*)(void))found[7];
    entries.dvEncWriteAudio = (DVEncWriteAudioFunction)(void (*)(void))found[8];
    entries.dvEncAudioSamples = (DVEncAudioSamplesFunction)(void (*)(void))found[9];

    static const CompressCallFunction kWraps[] = {OffsetCall3, OffsetCall7, OffsetCall11,
                                                  OffsetCall15};
    failures += CheckConcurrentFirstCalls(&entries);
    failures += CheckQueryInfo(&entries);
    failures += CheckRepeatedFrames(&entries, Pause);
    failures += RunFrameCases(&entries, argv[1], SetFeatureSetting, kWraps,
                              (int)(sizeof kWraps / sizeof kWraps[0]));
    failures += RunCompleteFrameCases(&entries, argv[1]);
    if (!FreeLibrary(dll)) {
        printf("FAIL: FreeLibrary\n");
        ++failures;
    }
    printf("%s: %d failure(s)\n", argv[0], failures);
    return failures ? 1 : 0;
}
