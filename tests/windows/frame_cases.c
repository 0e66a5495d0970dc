/* Conformance frames shared by the Windows DLL host and its Linux twin (see the header).
 * Pictures are made with integer arithmetic only, so both builds see identical bytes. */
#include "frame_cases.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The CPUFeatures setting names x86 features and is honoured on x86 only. */
#if defined(__i386__) || defined(__x86_64__) || defined(_M_IX86) || defined(_M_X64)
static const int kSettingNamesThisProcessor = 1;
#else
static const int kSettingNamesThisProcessor = 0;
#endif

enum { kWidth = 720, kDifBlockBytes = 80, kGuardBytes = 64, kOutputFill = 0xA5, kPadFill = 0xEE };

typedef struct FrameCase {
    const char* name;
    int height;
    unsigned fourcc;
    unsigned flags;
    int withHandle; /* DVCompressBuffer on a shared handle, else CompressBuffer_DV */
    int bottomUp;   /* rows stored last first, passed with a negative pitch */
} FrameCase;

/* Each system and mode (625/50 4:2:0, 625/50 4:1:1, 525/60 4:1:1 from 480 and 486
 * lines), both layouts, and every flag bit at least once; the best-quality mode in every
 * system. */
static const FrameCase kCases[] = {
    {"625_yuy2", 576, DVENC_FOURCC_YUY2, 0, 0, 0},
    {"625_yuy2_smpte314m", 576, DVENC_FOURCC_YUY2, DVENC_FLAG_SMPTE314M, 1, 0},
    {"525_yuy2", 480, DVENC_FOURCC_YUY2, 0, 1, 0},
    {"525_486_yuy2_wide_noheader", 486, DVENC_FOURCC_YUY2,
     DVENC_FLAG_WIDE | DVENC_FLAG_NO_HEADER_BLOCK, 0, 0},
    {"625_yuy2_videoonly", 576, DVENC_FOURCC_YUY2, DVENC_FLAG_VIDEO_ONLY, 1, 0},
    {"625_bgr4_mbquant", 576, DVENC_FOURCC_BGR4, DVENC_FLAG_MB_QUANT, 0, 0},
    {"625_bgr4_smpte314m_swap", 576, DVENC_FOURCC_BGR4,
     DVENC_FLAG_SMPTE314M | DVENC_FLAG_SWAP_FIELDS, 1, 0},
    {"525_bgr4_single_bottomup", 480, DVENC_FOURCC_BGR4, DVENC_FLAG_SINGLE_THREAD, 0, 1},
    {"525_486_bgr4_alpha_smpte314m", 486, DVENC_FOURCC_BGR4,
     DVENC_FLAG_ALPHA_WEIGHT | DVENC_FLAG_SMPTE314M | 0x40000000u, 1, 0},
    {"625_yuy2_best", 576, DVENC_FOURCC_YUY2, DVENC_FLAG_BEST_QUALITY, 1, 0},
    {"625_bgr4_best_smpte314m_swap", 576, DVENC_FOURCC_BGR4,
     DVENC_FLAG_BEST_QUALITY | DVENC_FLAG_SMPTE314M | DVENC_FLAG_SWAP_FIELDS, 0, 0},
    {"525_yuy2_best_single", 480, DVENC_FOURCC_YUY2,
     DVENC_FLAG_BEST_QUALITY | DVENC_FLAG_SINGLE_THREAD, 0, 0},
};

static uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

static int Clamp(int value, int low, int high) {
    return value < low ? low : value > high ? high : value;
}

/* One sample of channel c (0, 1, 2) at (x, y), range 0-255: smooth gradients, sharp
 * checkerboards (many large AC coefficients, so bits overflow between blocks), noise,
 * a diagonal edge and flat areas, in horizontal bands of different character. */
static int Sample(int x, int y, int c) {
    const int band = (y / 48) % 4;
    const uint32_t noise = Hash((uint32_t)x, (uint32_t)y, (uint32_t)c + 1u);
    int value;
    switch (band) {
        case 0: /* gradients, different per channel */
            value = c == 0 ? x * 255 / (kWidth - 1) : c == 1 ? (y * 7 + x / 3) % 256 : 255 - x / 3;
            break;
        case 1: /* checkerboards of 1, 2 and 4 pixel cells, and flat squares */
            if (x < 240)
                value = ((x ^ y) & 1) ? 235 : 16;
            else if (x < 480)
                value = (((x >> 1) ^ (y >> 1)) & 1) ? 200 - 30 * c : 40 + 30 * c;
            else
                value = ((x / 16 + y / 16) & 1) ? 128 : 60 + 50 * c;
            break;
        case 2: /* noise, full range on the left, faint on the right */
            value = x < 360 ? (int)(noise >> 24) : 128 + (int)(noise >> 29) - 4;
            break;
        default: /* a diagonal edge with a little texture */
            value = (x - 2 * y) % 97 < 40 ? 30 + 20 * c : 220 - 25 * c;
            value += (int)(noise >> 30);
            break;
    }
    return Clamp(value, 0, 255);
}

/* Bytes per pixel of the layouts used here, and the padded pitch. */
static int PixelBytes(unsigned fourcc) {
    return fourcc == DVENC_FOURCC_BGR4 ? 4 : 2;
}
static int PaddedPitch(unsigned fourcc) {
    return kWidth * PixelBytes(fourcc) + 32;
}

static void FillRow(unsigned fourcc, int y, unsigned char* row) {
    memset(row, kPadFill, (size_t)PaddedPitch(fourcc));
    for (int x = 0; x < kWidth; ++x) {
        if (fourcc == DVENC_FOURCC_BGR4) {
            row[4 * x + 0] = (unsigned char)Sample(x, y, 2);
            row[4 * x + 1] = (unsigned char)Sample(x, y, 1);
            row[4 * x + 2] = (unsigned char)Sample(x, y, 0);
            row[4 * x + 3] = (unsigned char)(Hash((uint32_t)x, (uint32_t)y, 9u) >> 24);
        } else {
            /* YUY2: Y0 Cb Y1 Cr, studio range */
            const int luma = 16 + Sample(x, y, 0) * 219 / 255;
            const int chroma = 16 + Sample(x & ~1, y, (x & 1) ? 2 : 1) * 224 / 255;
            row[2 * x] = (unsigned char)luma;
            row[2 * x + 1] = (unsigned char)chroma;
        }
    }
}

/* Allocates and fills the picture; returns the buffer, sets *source and *pitch as a
 * host would pass them. */
static unsigned char* MakePicture(const FrameCase* c, const unsigned char** source, int* pitch) {
    const int stride = PaddedPitch(c->fourcc);
    unsigned char* bytes = (unsigned char*)malloc((size_t)stride * (size_t)c->height);
    if (!bytes) return NULL;
    for (int y = 0; y < c->height; ++y) {
        const int stored = c->bottomUp ? c->height - 1 - y : y;
        FillRow(c->fourcc, y, bytes + (size_t)stored * (size_t)stride);
    }
    *source = c->bottomUp ? bytes + (size_t)(c->height - 1) * (size_t)stride : bytes;
    *pitch = c->bottomUp ? -stride : stride;
    return bytes;
}

static int SequenceCount(int height) {
    return height == 480 || height == 486 ? 10 : 12;
}

static int ExpectedLength(const FrameCase* c) {
    const int blocks = (c->flags & DVENC_FLAG_NO_HEADER_BLOCK) ? 149 : 150;
    return SequenceCount(c->height) * blocks * kDifBlockBytes;
}

/* Section type of DIF block `index` of a sequence (IEC 61834-2): header 0, subcode 1,
 * VAUX 2, audio 3, video 4. Blocks 6, 22, ..., 134 of a full sequence are audio. */
static int SectionTypeAt(int index, int withHeader) {
    if (!withHeader) ++index;
    if (index == 0) return 0;
    if (index < 3) return 1;
    if (index < 6) return 2;
    return (index - 6) % 16 == 0 ? 3 : 4;
}

static int Fail(const char* caseName, const char* what) {
    printf("FAIL %s: %s\n", caseName, what);
    return 1;
}

/* x87 arithmetic must work after a call: a compress call that left the MMX state
 * dirty would make these long double operations yield NaN. */
static int X87Works(void) {
    volatile long double a = 1.25L;
    volatile long double b = a * a + 0.5L;
    return b == 2.0625L;
}

static int CheckFrame(const FrameCase* c, const unsigned char* out, int length) {
    if (length != ExpectedLength(c)) {
        char message[96];
        snprintf(message, sizeof message, "length %d, expected %d", length, ExpectedLength(c));
        return Fail(c->name, message);
    }
    for (int i = length; i < length + kGuardBytes; ++i)
        if (out[i] != kOutputFill) return Fail(c->name, "wrote past the frame");
    const int withHeader = !(c->flags & DVENC_FLAG_NO_HEADER_BLOCK);
    const int blocksPerSequence = 149 + withHeader;
    for (int b = 0; b < length / kDifBlockBytes; ++b) {
        const unsigned char* block = out + (size_t)b * kDifBlockBytes;
        const int type = SectionTypeAt(b % blocksPerSequence, withHeader);
        if ((c->flags & DVENC_FLAG_VIDEO_ONLY) && type != 4) {
            for (int i = 0; i < kDifBlockBytes; ++i)
                if (block[i] != kOutputFill)
                    return Fail(c->name, "touched a non-video block in video-only mode");
        } else if (block[0] >> 5 != type) {
            return Fail(c->name, "a DIF block has the wrong section type");
        }
    }
    return 0;
}

static int DirectCall(const EncoderEntries* e, DVEncoderHandle* handle, const void* source,
                      int pitch, void* output, int height, unsigned flags, unsigned fourcc) {
    return handle ? e->dvCompressBuffer(handle, source, pitch, output, 0, kWidth, height, 0, flags,
                                        fourcc)
                  : e->compressBufferDV(source, pitch, output, 0, kWidth, height, 0, flags, fourcc);
}

static int WriteFrame(const char* dir, const char* name, const unsigned char* out, int length) {
    char path[1024];
    snprintf(path, sizeof path, "%s/%s.dv", dir, name);
    FILE* file = fopen(path, "wb");
    if (!file) return 0;
    const int written = fwrite(out, 1, (size_t)length, file) == (size_t)length;
    return fclose(file) == 0 && written;
}

static uint32_t Fnv1a(const unsigned char* bytes, int length) {
    uint32_t h = 2166136261u;
    for (int i = 0; i < length; ++i) h = (h ^ bytes[i]) * 16777619u;
    return h;
}

/* A 16-bit sample of a test sound: integer arithmetic only, different per channel. */
static short TestSample(int n, int channel) {
    return (short)((int)(Hash((uint32_t)n, (uint32_t)channel, 7u) & 0xFFFFu) - 32768);
}

int RunCompleteFrameCases(const EncoderEntries* entries, const char* outputDir) {
    static const struct {
        const char* name;
        int height;
        unsigned flags;
        DVEncTimecode first;
        int rate;
        int channels;
    } kComplete[] = {
        {"complete_625", 576, DVENC_FLAG_WIDE, {10, 0, 0, 24, 0}, 48000, 2},
        {"complete_525_smpte314m_noheader",
         480,
         DVENC_FLAG_SMPTE314M | DVENC_FLAG_NO_HEADER_BLOCK,
         {0, 9, 59, 29, 1},
         44100,
         1},
    };
    const DVEncRecordingDate start = {2024, 2, 29, 23, 59, 59};
    const size_t streamBytes = 2 * DVENC_MAX_FRAME_BYTES;
    unsigned char* stream = (unsigned char*)malloc(streamBytes);
    short* sound = (short*)malloc(sizeof(short) * 2 * DVENC_MAX_AUDIO_SAMPLES);
    int failures = 0;
    if (!stream || !sound) {
        free(stream);
        free(sound);
        return Fail("complete", "out of memory");
    }
    for (size_t k = 0; k < sizeof kComplete / sizeof kComplete[0]; ++k) {
        FrameCase c = kCases[0];
        c.height = kComplete[k].height;
        c.flags = kComplete[k].flags;
        const unsigned char* source;
        int pitch;
        unsigned char* picture = MakePicture(&c, &source, &pitch);
        int length = 0, sampleBase = 0;
        for (int n = 0; n < 2 && picture; ++n) {
            unsigned char* frame = stream + (size_t)n * (size_t)length;
            const int bytes =
                DirectCall(entries, NULL, source, pitch, frame, c.height, c.flags, c.fourcc);
            const int count = entries->dvEncAudioSamples(bytes, kComplete[k].rate, n);
            const int channels = kComplete[k].channels;
            for (int i = 0; i < count * channels; ++i)
                sound[i] = TestSample(sampleBase * channels + i, i % channels);
            sampleBase += count;
            length = bytes;
            /* 25:00:00:00 is refused and leaves the frame as it was. */
            const DVEncTimecode late = {25, 0, 0, 0, 0};
            const uint32_t before = Fnv1a(frame, bytes);
            if (entries->dvEncWriteTimecode(frame, bytes, &late, n) != DVENC_FILL_TIMECODE ||
                Fnv1a(frame, bytes) != before)
                failures += Fail(kComplete[k].name, "25:00:00:00 not refused cleanly");
            if (bytes == 0 || count == 0 ||
                entries->dvEncWriteTimecode(frame, bytes, &kComplete[k].first, n) !=
                    DVENC_FILL_OK ||
                entries->dvEncWriteRecordingDate(frame, bytes, &start, n) != DVENC_FILL_OK ||
                entries->dvEncWriteAudio(frame, bytes, sound, count, channels, kComplete[k].rate,
                                         n) != DVENC_FILL_OK)
                failures += Fail(kComplete[k].name, "a frame writer refused");
        }
        if (!picture) {
            failures += Fail(kComplete[k].name, "out of memory");
            continue;
        }
        free(picture);
        if (!WriteFrame(outputDir, kComplete[k].name, stream, 2 * length))
            failures += Fail(kComplete[k].name, "cannot write the frame file");
        printf("%-32s %6d bytes  fnv1a %08x\n", kComplete[k].name, 2 * length,
               (unsigned)Fnv1a(stream, 2 * length));
    }
    free(stream);
    free(sound);
    return failures;
}

int RunFrameCases(const EncoderEntries* entries, const char* outputDir,
                  SetFeatureSettingFunction setFeatureSetting, const CompressCallFunction* wraps,
                  int wrapCount) {
    const size_t outputBytes = DVENC_MAX_FRAME_BYTES + kGuardBytes;
    unsigned char* out = (unsigned char*)malloc(outputBytes);
    unsigned char* again = (unsigned char*)malloc(outputBytes);
    DVEncoderHandle* handle = entries->dvNewEnc();
    int failures = 0;
    if (!out || !again || !handle) {
        free(out);
        free(again);
        if (handle) entries->dvDoneEnc(handle);
        return Fail("setup", "out of memory or no handle");
    }
    entries->initDVEnc();

    for (size_t k = 0; k < sizeof kCases / sizeof kCases[0]; ++k) {
        const FrameCase* c = &kCases[k];
        DVEncoderHandle* h = c->withHandle ? handle : NULL;
        const unsigned char* source;
        int pitch;
        unsigned char* picture = MakePicture(c, &source, &pitch);
        if (!picture) {
            failures += Fail(c->name, "out of memory");
            continue;
        }
        memset(out, kOutputFill, outputBytes);
        const int length =
            DirectCall(entries, h, source, pitch, out, c->height, c->flags, c->fourcc);
        if (!X87Works()) failures += Fail(c->name, "x87 arithmetic broken after the call");
        const int caseFailures = CheckFrame(c, out, length);
        failures += caseFailures;
        if (caseFailures == 0) {
            if (!WriteFrame(outputDir, c->name, out, length))
                failures += Fail(c->name, "cannot write the frame file");
            printf("%-32s %6d bytes  fnv1a %08x\n", c->name, length, (unsigned)Fnv1a(out, length));
        }

        /* The same picture stored top down must give the same frame. */
        if (c->bottomUp && caseFailures == 0) {
            FrameCase topDown = *c;
            topDown.bottomUp = 0;
            free(picture);
            picture = MakePicture(&topDown, &source, &pitch);
            memset(again, kOutputFill, outputBytes);
            if (!picture ||
                DirectCall(entries, h, source, pitch, again, c->height, c->flags, c->fourcc) !=
                    length ||
                memcmp(out, again, (size_t)length) != 0)
                failures += Fail(c->name, "bottom-up and top-down storage give different frames");
        }
        /* Host-supplied call wraps (e.g. a misaligned stack) must not change the frame. */
        for (int w = 0; w < wrapCount && caseFailures == 0 && picture; ++w) {
            memset(again, kOutputFill, outputBytes);
            if (wraps[w](entries, h, source, pitch, again, c->height, c->flags, c->fourcc) !=
                    length ||
                memcmp(out, again, outputBytes) != 0)
                failures += Fail(c->name, "a wrapped call gives a different frame");
        }
        /* On x86 a CPUFeatures list without sse2 refuses the frame and writes nothing;
         * elsewhere the setting is ignored and the frame is the same. */
        if (k == 0 && setFeatureSetting && picture) {
            setFeatureSetting("mmx, cmov\tsse");
            memset(again, kOutputFill, outputBytes);
            const int refused =
                DirectCall(entries, h, source, pitch, again, c->height, c->flags, c->fourcc);
            setFeatureSetting(NULL);
            if (kSettingNamesThisProcessor) {
                for (size_t i = 0; i < outputBytes; ++i)
                    if (again[i] != kOutputFill) {
                        failures += Fail(c->name, "a refused frame wrote to the output");
                        break;
                    }
                if (refused != 0)
                    failures += Fail(c->name, "no sse2 in CPUFeatures: frame accepted");
            } else if (refused != length || memcmp(out, again, outputBytes) != 0) {
                failures += Fail(c->name, "CPUFeatures changed the frame off x86");
            }
            if (DirectCall(entries, h, source, pitch, again, c->height, c->flags, c->fourcc) !=
                length)
                failures += Fail(c->name, "frame refused after CPUFeatures was removed");
        }
        free(picture);
    }
    entries->dvDoneEnc(handle);
    free(out);
    free(again);
    return failures;
}

int EncodeFirstCase(const EncoderEntries* entries, unsigned char* output) {
    const unsigned char* source;
    int pitch;
    unsigned char* picture = MakePicture(&kCases[0], &source, &pitch);
    if (!picture) return -1;
    const int length = DirectCall(entries, NULL, source, pitch, output, kCases[0].height,
                                  kCases[0].flags, kCases[0].fourcc);
    free(picture);
    return length;
}

int CheckQueryInfo(const EncoderEntries* entries) {
    int failures = 0;
    if (entries->dvEncGetAPIExt(0) || entries->dvEncGetAPIExt(2))
        failures += Fail("query", "DVEncGetAPIExt gives a function for an id other than 1");
    const DVEncQueryInfoFunction query = entries->dvEncGetAPIExt(DVENC_API_QUERY_INFO);
    if (!query) return failures + Fail("query", "DVEncGetAPIExt(1) is null");

    unsigned char buffer[32];
    static const struct {
        int type;
        const char* text; /* null: the 32-bit value 1 */
        int result;
    } kQueries[] = {
        {DVENC_QUERY_CAPABILITY, NULL, 0},
        {DVENC_QUERY_VERSION, "8.5.0.19970", 0},
        {DVENC_QUERY_PLATFORM, "QXPLATFORM_IA32", 0},
        {6, "", 1},
        {0, "", 1},
    };
    for (size_t q = 0; q < sizeof kQueries / sizeof kQueries[0]; ++q) {
        memset(buffer, 0x5A, sizeof buffer);
        const int result = query(kQueries[q].type, buffer);
        unsigned char expected[32];
        memset(expected, 0x5A, sizeof expected);
        if (kQueries[q].text) {
            memcpy(expected, kQueries[q].text, strlen(kQueries[q].text));
        } else {
            const uint32_t one = 1;
            memcpy(expected, &one, sizeof one);
        }
        if (result != kQueries[q].result || memcmp(buffer, expected, sizeof buffer) != 0) {
            char message[64];
            snprintf(message, sizeof message, "query type %d: wrong result or bytes",
                     kQueries[q].type);
            failures += Fail("query", message);
        }
        if (query(kQueries[q].type, NULL) != 1)
            failures += Fail("query", "a null out pointer is not refused");
    }
    return failures;
}

/* Enough frames for the threads to meet through every path of their events. */
enum { kRepeatedFrames = 400 };

int CheckRepeatedFrames(const EncoderEntries* entries, PauseFunction pause) {
    const FrameCase* c = &kCases[1]; /* 625/50 on a handle: two threads meet every frame */
    const size_t outputBytes = DVENC_MAX_FRAME_BYTES + kGuardBytes;
    unsigned char* first = (unsigned char*)malloc(outputBytes);
    unsigned char* out = (unsigned char*)malloc(outputBytes);
    const unsigned char* source;
    int pitch;
    unsigned char* picture = MakePicture(c, &source, &pitch);
    DVEncoderHandle* handle = entries->dvNewEnc();
    int failures = 0;
    if (!first || !out || !picture || !handle) {
        failures += Fail("repeated", "out of memory or no handle");
    } else {
        memset(first, kOutputFill, outputBytes);
        const int length =
            DirectCall(entries, handle, source, pitch, first, c->height, c->flags, c->fourcc);
        failures += CheckFrame(c, first, length);
        for (int f = 1; f < kRepeatedFrames && failures == 0; ++f) {
            /* Host gaps of every length between frames: parked workers wait through them. */
            if (pause) pause(f % 4);
            memset(out, kOutputFill, outputBytes);
            if (DirectCall(entries, handle, source, pitch, out, c->height, c->flags, c->fourcc) !=
                    length ||
                memcmp(first, out, outputBytes) != 0) {
                char message[64];
                snprintf(message, sizeof message, "frame %d differs from the first", f);
                failures += Fail("repeated", message);
            }
        }
    }
    if (handle) entries->dvDoneEnc(handle);
    free(picture);
    free(out);
    free(first);
    return failures;
}
